// "Mirovex - Draw": the paint editor's window. The toolbox on the left, the
// size and the board's commands on top, the colours and the sample on the
// right, the status line below, the board in the middle. The window only
// wires controls to the board and shows the board's state.
#pragma once

#include "display/editor/board.h"

#include <QCursor>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QSlider;
class QToolButton;
class QFrame;
class QTimer;

namespace mirovex::editor {

class BoardView;

class Tfdraw : public QWidget {
    Q_OBJECT
public:
    explicit Tfdraw(QWidget* parent = nullptr);
    ~Tfdraw() override;

    // *Start*: the picture made from what the target display shows (nothing
    // when it shows nothing: the toolbox stays disabled).
    void start(const QImage& shown);

    Board& board() { return board_; }
    BoardView& view() { return *view_; }
    // A control by its name (tests and later features).
    QAbstractButton* button(const QString& name) const;

    // What asks for a text to place; a one-line prompt by default. Returns
    // nothing when the presenter cancels.
    using TextPrompt = std::function<std::optional<QString>()>;
    void setTextPrompt(TextPrompt prompt) { prompt_ = std::move(prompt); }

private:
    QWidget* makeToolbox();
    QWidget* makeTopBar();
    QWidget* makeColourPanel();
    void chooseTool(ToolId id);
    void sync();
    void showSample();
    QCursor cursor(const char* name) const;
    void askForText(QPoint view);

    Board board_;
    BoardView* view_ = nullptr;
    QWidget* toolbox_ = nullptr;
    QWidget* colours_ = nullptr;
    QButtonGroup* tools_ = nullptr;
    QButtonGroup* brushes_ = nullptr;
    std::map<ToolId, QToolButton*> toolButtons_;
    QToolButton* select_ = nullptr;
    QToolButton* drawOnce_ = nullptr;
    QToolButton* grid_ = nullptr;
    QSlider* size_ = nullptr;
    QLineEdit* sizeText_ = nullptr;
    QFrame* sizeBar_ = nullptr;
    QFrame* sizeFrame_ = nullptr;
    QLabel* status_ = nullptr;
    QFrame* primary_ = nullptr;
    QFrame* secondary_ = nullptr;
    QFrame* sample_ = nullptr;
    QLabel* noSample_ = nullptr;
    QLabel* red_ = nullptr;
    QLabel* green_ = nullptr;
    QLabel* blue_ = nullptr;
    QWidget* confirmBar_ = nullptr;
    QTimer* statusTimer_ = nullptr;
    TextPrompt prompt_;
    // The board cursors, loaded once by name.
    std::map<QString, QCursor> cursors_;
    QString cursorShown_ = QStringLiteral("-");
    bool syncing_ = false;
};

} // namespace mirovex::editor
