// The slideshow source: its view on the target window, the picture decoder,
// the session player (run/stop with the slideshow source plays
// "fssAutoStart.idx"), the editor's preview player, and the commands "Make
// Slideshow", "Open Slideshow", "Continue Last Session" and the start-up
// auto-start.
#pragma once

#include "display/slideshow/slidelist.h"
#include "display/slideshow/slideplayer.h"
#include "display/slideshow/transitions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QTimer>

#include <functional>
#include <memory>

namespace mirovex {
class MirrorController;
}

namespace mirovex::slides {

class PictureLoader;
class SlideView;
class Tfss;

class Slideshow : public QObject {
    Q_OBJECT
public:
    explicit Slideshow(MirrorController& mirror);
    ~Slideshow() override;

    SlideView& view() { return *view_; }
    Tfss& editor() { return *editor_; }
    MirrorController& mirror() { return mirror_; }

    // Where the editor opens: the toolbar's centre, on the root.
    void setToolbarCentre(std::function<QPoint()> centre) { toolbarCentre_ = std::move(centre); }
    // Whether the toolbar may come to the front over our windows and boxes.
    void setFrontAllowed(std::function<void(bool)> allow) { frontAllowed_ = std::move(allow); }
    // The transitions' random draws; clock-seeded by default.
    void setRandomSource(transitions::RandomSource random) { random_ = std::move(random); }

    // "Make Slideshow": the slideshow source, the editor in front.
    void makeSlideshow();
    // "Open Slideshow": chooses a slideshow file and plays it.
    void openSlideshow();
    // The same with the file chosen; false when it cannot be read.
    bool playSlideshowFile(const QString& path);
    // "Continue Last Session": plays "fssAutoStart.idx", or says it cannot.
    void continueLastSession();
    // The start-up source "Slideshow": as "Continue Last Session" without
    // stopping first; the message, if any, comes once the event loop runs.
    void autoStart();

    // Closes the editor with its close steps, when it is open. Commands that
    // choose another source call this first.
    void closeEditor();
    bool editorOpen() const;
    // The editor has closed (its own button or the window's): the players
    // stop, the slideshow is no longer the source.
    void editorClosed();

    bool sessionPlaying() const { return session_->player.playing(); }
    bool previewPlaying() const { return preview_->player.playing(); }
    int picturesShown() const { return session_->player.shownCount(); }
    // The preview player's play/stop button.
    void togglePreview();
    // "Loop" changed: a playing preview ends or goes round as it now says.
    void setPreviewLoop(bool on);
    // Shows one picture of the editor's list (a selected row, "  Send ").
    void showRow(const QString& path, bool onTarget);

    // The messages of this part, with the toolbar kept from the front.
    void warn(const QString& text, const QString& caption);

private:
    // A player with its timer, clock and decodes.
    struct Host : PlayerHost {
        Host(Slideshow& owner, bool session);
        qint64 now() const override { return clock.elapsed(); }
        void wakeAt(qint64 ms) override;
        bool exists(const QString& path) const override;
        void load(std::uint64_t token, const QString& path) override;
        void entered(int index, int count) override;
        void show(const QImage& picture, int index) override;
        void missing(const QString& path) override;
        void finished() override;

        Slideshow& owner;
        bool isSession;
        QElapsedTimer clock;
        QTimer timer;
        SlidePlayer player{*this};
    };

    void startSession();
    void stopPlayers();
    void playList(const SlideList& list);
    // The slideshow source chosen afresh and Run: the editor closed, black
    // to start from, the target shown (placed anew when asked).
    void startShow(bool placeTarget);
    void showOnView(const QImage& picture);
    bool readAutoStart(SlideList& list) const;
    void cannotStart();
    QSize pictureBox() const;

    MirrorController& mirror_;
    SlideView* view_ = nullptr; // the target window's
    std::unique_ptr<PictureLoader> loader_;
    std::unique_ptr<Host> session_;
    std::unique_ptr<Host> preview_;
    std::unique_ptr<Tfss> editor_;
    std::function<QPoint()> toolbarCentre_;
    std::function<void(bool)> frontAllowed_;
    transitions::RandomSource random_;
    std::uint64_t rowToken_ = 0;
};

} // namespace mirovex::slides
