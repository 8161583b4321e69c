// The display program's side of the link to the annotation program: the
// "Vidizizu" command, the id the annotation program tells us in its
// hand-shake, and the quit code on our way out.
#pragma once

#include "display/shell/launchcooldown.h"

#include <QObject>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace mirovex {

namespace platform::link {
class Receiver;
}

class AnnotationLink : public QObject {
    Q_OBJECT
public:
    using Starter = std::function<bool(const QString& program, const QStringList& args)>;

    // `toolbar` is the window the annotation program is told to talk to.
    explicit AnnotationLink(QWidget& toolbar);
    ~AnnotationLink() override;

    // "Vidizizu": the toggle code to a running annotation program, else a
    // launch behind the cool-down.
    void vidizizu();
    // The quit code, if an annotation program is linked; waits (bounded)
    // for it to go.
    void quit();

    std::uint32_t annotationId() const { return annotation_; }
    int launches() const { return launches_; }

    // Seams for tests: the clock and how the program is started.
    void setClock(std::function<LaunchCooldown::Clock::time_point()> clock) { clock_ = std::move(clock); }
    void setStarter(Starter starter) { starter_ = std::move(starter); }

signals:
    void linked(std::uint32_t annotationId);

private:
    QWidget& toolbar_;
    std::unique_ptr<platform::link::Receiver> receiver_;
    LaunchCooldown cooldown_;
    std::function<LaunchCooldown::Clock::time_point()> clock_;
    Starter starter_;
    std::uint32_t annotation_ = 0;
    int launches_ = 0;
};

} // namespace mirovex
