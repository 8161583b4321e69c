// What changed on the screen since it was last asked: the rectangles the X
// server reports as drawn on the root (DAMAGE), and whether anything that
// changes pixels without drawing them happened meanwhile (the monitors or the
// root's size changed, a compositor started or stopped), in which case
// everything counts as changed. Also tells when the pointer moves (XInput2
// raw motion), so a frame loop with nothing to do can sleep until something
// happens instead of looking 60 times a second.
//
// Damage is trusted only once a probe has shown that a change on the root
// reaches us: a pixel-sized window of the colour already there is mapped at a
// corner of the root, which changes no pixel but is reported as drawn. Until
// the probe's report arrives, and for the whole session when it never does,
// every question is answered "everything changed".
#pragma once

#include <QObject>
#include <QRect>
#include <QVector>

#include <memory>

namespace mirovex::platform {

class ScreenDamage : public QObject {
    Q_OBJECT
public:
    // Opens a connection of its own to $DISPLAY.
    explicit ScreenDamage(QObject* parent = nullptr);
    ~ScreenDamage() override;

    // Whether the rectangles can be believed now. False without the
    // extension, while the probe waits, once the probe failed or the
    // connection broke.
    bool trusted() const;
    // Whether pointer motion is reported (activity() fires when it moves).
    bool reportsMotion() const;

    struct Changes {
        bool all = false;     // everything may have changed
        QVector<QRect> rects; // on the root; empty with nothing drawn
    };
    // What changed since the last call, and forgets it. More than `maxRects`
    // rectangles come back as their bounding rectangle.
    Changes take(int maxRects);

    // Whether the pointer moved since the last call; forgets it.
    bool takeMotion();

    // True when nothing is waiting to be taken (no drawing, no motion, no
    // change of the desktop): after this, anything new fires activity().
    bool quiet();

    // Everything counts as changed once, as if the screen had been redrawn.
    void invalidate();

signals:
    // Something arrived: drawing, pointer motion or a change of the desktop.
    void activity();

private:
    void readEvents();
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace mirovex::platform
