// The window grid (`TfGrid`): a small window on top with which the presenter
// puts the application window last brought to the front onto a span of
// cells of a display, undoes such moves, pins the window above the others,
// makes it see-through, and cascades or tiles the windows of a display.
#pragma once

#include "display/grid/gridgeometry.h"
#include "display/grid/gridparts.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

class QButtonGroup;
class QLabel;
class QSlider;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace mirovex {

namespace platform {
class ForeignWindows;
struct WindowInfo;
} // namespace platform

class TfGrid : public QWidget {
    Q_OBJECT
public:
    explicit TfGrid(platform::ForeignWindows& windows);
    ~TfGrid() override;

    // "Window Management": the map page, the window shown where it was left,
    // the timers running.
    void open();

    int cells() const { return n_; }
    int transparency() const { return transp_; }
    std::uint32_t target() const { return target_; }
    QString shownTitle() const;
    // The timers that follow the target and the pointer (the live placement
    // runs only from a press to its release).
    bool timersRunning() const;
    bool timersStopped() const;
    bool onSettingsPage() const;
    GridMap& map() const { return *map_; }
    TfFakeOkno& preview() { return preview_; }
    TfReferWin& referenceWindow() { return refer_; }
    PinGlyph& pinGlyph() { return pin_; }
    QToolButton* button(const QString& objectName) const;
    std::size_t undoDepth() const { return undo_.size(); }
    // Moves sent to the target while dragging.
    int liveMoves() const { return liveMoves_; }

    // The display under the grid window and its work area, on the root.
    QRect chosenDisplay() const;
    QRect chosenWorkArea() const;

    // The commands of the top bar and the settings page.
    void undo();
    void togglePin();
    void toggleTransparent();
    void cascadeWindows();
    void tileWindows();
    void toggleGridProperty();
    void setCells(int n);

    // One tick of each timer, callable from tests.
    void chooseTarget();   // Timer300
    void refreshBar();     // the icon and title
    void livePlacement();  // Timer10

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTopBar();
    void buildMapPage(QWidget* page);
    void buildSettingsPage(QWidget* page);
    void redrawMap();
    void startTimers(bool on);
    void mapPressed(QPoint at);
    void mapMoved(QPoint at, bool buttonDown);
    void mapReleased(QPoint at);
    void mapLeft();
    void showPreview(const QRect& r);
    void showPreviewWhileOverMap(); // Timer1
    void barTick();                 // Timer20
    void setTransparencyPosition(int position);
    // Centred above the grid.
    void placeReference();
    bool isOurs(const platform::WindowInfo& w) const;
    bool isShown(const platform::WindowInfo& w) const;
    // Candidates of tiling and cascading, from the front to the back.
    QList<platform::WindowInfo> arrangeable();
    std::optional<platform::WindowInfo> describeTarget();
    QRect span(grid::Cell a, grid::Cell b) const;

    platform::ForeignWindows& windows_;
    TfFakeOkno preview_;
    TfReferWin refer_;
    PinGlyph pin_;
    QStackedWidget* pages_ = nullptr;
    GridMap* map_ = nullptr;
    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    QSlider* xtr_ = nullptr;
    QLabel* label30_ = nullptr;
    QButtonGroup* cellButtons_ = nullptr;
    QTimer* timer1_ = nullptr;
    QTimer* timer10_ = nullptr;
    QTimer* timer20_ = nullptr;
    QTimer* timer300_ = nullptr;

    int n_ = grid::kDefaultCells;
    int transp_ = 50;
    grid::Cell start_{-5, -5};
    grid::Cell current_{-5, -5};
    bool dragging_ = false;
    std::optional<QRect> lastPlaced_;
    int liveMoves_ = 0;
    grid::UndoStack undo_{grid::kUndoDepth};

    std::uint32_t target_ = 0;
    std::uint32_t lastCandidate_ = 0;
    std::uint32_t lastGood_ = 0;
    // What the bottom bar shows, so it is refreshed only when it changes.
    std::uint32_t shownWindow_ = 0;
    QString shownExecutable_;
    QString shownTitle_;
    bool showingDesktop_ = false;
};

} // namespace mirovex
