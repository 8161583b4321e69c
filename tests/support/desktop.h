// What the tests on a private desktop do besides reading pixels back: real
// input through xdotool, and a still window of colour stripes to mirror.
#pragma once

#include <QStringList>
#include <QWidget>

namespace mirovex::test {

// Runs xdotool with the arguments; true when it ran and succeeded.
bool xdotool(const QStringList& args);

// Eight stripes of strong colours with a white block in the middle:
// areas of one colour, and edges that show where a picture went.
class ColourStripes : public QWidget {
public:
    ColourStripes() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {}

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace mirovex::test
