// Where a sent text scrolls: the strip `pn1` holding the scrolling control
// `rtmdis`, laid over the target window at its top, centre or bottom, or
// moved into the floating window `FloatTXT` over any display.
#pragma once

#include "display/scrolltext/scrollingtext.h"

#include <QPointer>
#include <QWidget>

class QTimer;

namespace mirovex {

class TFmonitor;

// A frameless strip that lets every click through to what is beneath and
// has no taskbar entry. Kept above the target window although both stay on
// top: placed and stacked by us, not the window manager, and raised again
// after the target window.
// Letters only: with a compositor the background is see-through; without
// one the window's outline is cut to the letters, set once per text and
// moved along with them.
class TFloatTXT : public QWidget {
    Q_OBJECT
public:
    explicit TFloatTXT(TFmonitor& target);

    // The strip to show, letters only or whole.
    void carry(QWidget* strip, ScrollingText* control, bool lettersOnly);
    bool lettersOnly() const { return lettersOnly_; }
    // Whether the letters-only look is the outline cut (no compositor).
    bool cutToLetters() const { return cut_; }
    void stayAboveTarget();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updateOutline();
    void followLetters(int left);

    TFmonitor& target_;
    QPointer<ScrollingText> control_;
    bool lettersOnly_ = false;
    bool cut_ = false;
    int outlineLeft_ = 0;
    QTimer* keepAbove_ = nullptr;
};

class ScrollStrip : public QObject {
    Q_OBJECT
public:
    explicit ScrollStrip(TFmonitor& target);
    ~ScrollStrip() override;

    QWidget* panel() const { return pn1_; }
    ScrollingText* control() const { return rtmdis_; }
    TFloatTXT* floatWindow() const { return float_; }

    // Over the target window's views (which are hidden: black shows around
    // the strip), `height` high. The caller shows the target window first.
    void showOnTarget(scrolltext::Position position, int height);
    // In the floating window on `display` (on the root), `height` high; the
    // work area decides top and bottom.
    void showFloating(const QRect& display, const QRect& workArea, scrolltext::Position position, int height,
                      bool lettersOnly);
    // Stops the scrolling, hides the strip and the floating window, clears
    // the text.
    void clear();
    bool shown() const;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void placeOnTarget();

    TFmonitor& target_;
    QWidget* pn1_ = nullptr;
    ScrollingText* rtmdis_ = nullptr;
    TFloatTXT* float_ = nullptr;
    scrolltext::Position position_ = scrolltext::Position::Bottom;
    bool onTarget_ = false;
};

} // namespace mirovex
