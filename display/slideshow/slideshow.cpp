#include "display/slideshow/slideshow.h"

#include "common/ui/dialogs.h"
#include "display/engine/mirrorcontroller.h"
#include "display/slideshow/pictureloader.h"
#include "display/slideshow/slideshoweditor.h"
#include "display/slideshow/slideview.h"

#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>

namespace mirovex::slides {

namespace {
// The decoder's answers are told apart by who asked: the top byte of the
// token.
constexpr int kOwnerShift = 56;
constexpr std::uint64_t kSessionOwner = 1, kPreviewOwner = 2, kRowOwner = 3;
constexpr std::uint64_t kTokenMask = (std::uint64_t(1) << kOwnerShift) - 1;

const QString kCantStart = QStringLiteral(" Can't start automatic image slideshow");
const QString kCantStartCaption = QStringLiteral("MirovexA.cfg ");
} // namespace

Slideshow::Host::Host(Slideshow& o, bool session) : owner(o), isSession(session)
{
    clock.start();
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &owner, [this] { player.wake(); });
}

void Slideshow::Host::wakeAt(qint64 ms)
{
    if (ms < 0) {
        timer.stop();
        return;
    }
    timer.start(int(std::clamp<qint64>(ms - now(), 0, 24 * 3600 * 1000)));
}

bool Slideshow::Host::exists(const QString& path) const { return QFileInfo(path).isFile(); }

void Slideshow::Host::load(std::uint64_t token, const QString& path)
{
    const std::uint64_t who = isSession ? kSessionOwner : kPreviewOwner;
    owner.loader_->request((who << kOwnerShift) | (token & kTokenMask), path, owner.pictureBox());
}

void Slideshow::Host::entered(int index, int count)
{
    if (!isSession)
        owner.editor_->setCountLabel(index, count);
}

void Slideshow::Host::show(const QImage& picture, int)
{
    if (isSession) {
        owner.showOnView(picture);
        return;
    }
    owner.editor_->showPreview(picture);
    if (owner.editor_->showOnTarget())
        owner.showOnView(picture);
}

void Slideshow::Host::missing(const QString&)
{
    // After the player has ended, not inside its step.
    QTimer::singleShot(0, &owner, [o = &owner] {
        o->warn(QStringLiteral("Auto start slideshow error.\nCan't find image"), QStringLiteral("Mirovex "));
    });
}

void Slideshow::Host::finished()
{
    if (isSession) {
        // The last picture stays on the target display.
        if (owner.mirror_.session().source() == SourceKind::Slideshow)
            owner.mirror_.session().stop();
    } else {
        owner.editor_->setPlaying(false);
    }
}

Slideshow::Slideshow(MirrorController& mirror)
    : mirror_(mirror), loader_(std::make_unique<PictureLoader>()), random_(transitions::clockSeededSource())
{
    session_ = std::make_unique<Host>(*this, true);
    preview_ = std::make_unique<Host>(*this, false);
    view_ = new SlideView;
    view_->setObjectName(QStringLiteral("Pixa"));
    // The view lives as long as the target window that asks.
    mirror_.target().setSlideView(view_, [view = view_] { return view->shown(); });
    editor_ = std::make_unique<Tfss>(*this);
    connect(loader_.get(), &PictureLoader::loaded, this, [this](quint64 token, const QImage& picture) {
        const std::uint64_t who = token >> kOwnerShift, own = token & kTokenMask;
        if (who == kSessionOwner)
            session_->player.loaded(own, picture);
        else if (who == kPreviewOwner)
            preview_->player.loaded(own, picture);
        else if (who == kRowOwner && own == rowToken_ && !picture.isNull() && editorOpen()) {
            editor_->showPreview(picture);
            if (editor_->showOnTarget() && mirror_.target().isVisible())
                showOnView(picture);
        }
    });
    connect(editor_.get(), &Tfss::playClicked, this, &Slideshow::togglePreview);
    connect(editor_.get(), &Tfss::selectionShown, this, [this](const QString& path) { showRow(path, editor_->showOnTarget()); });
    connect(editor_.get(), &Tfss::showOnTargetToggled, this, [this](bool on) {
        if (on) {
            mirror_.showTargetOnStoredDisplay();
        } else {
            view_->clear();
            mirror_.hideTarget();
        }
    });
    MirrorController::SlideshowHooks hooks;
    hooks.start = [this] { startSession(); };
    hooks.stop = [this] { stopPlayers(); };
    hooks.editorOpen = [this] { return editorOpen(); };
    mirror_.setSlideshowHooks(std::move(hooks));
}

Slideshow::~Slideshow()
{
    mirror_.setSlideshowHooks({});
    stopPlayers();
}

QSize Slideshow::pictureBox() const
{
    const QSize s = mirror_.target().size();
    return s.isEmpty() ? QSize(1920, 1080) : s;
}

bool Slideshow::editorOpen() const { return editor_ && editor_->isVisible(); }

void Slideshow::warn(const QString& text, const QString& caption)
{
    if (frontAllowed_)
        frontAllowed_(false);
    ui::Message m;
    m.caption = caption;
    m.text = text;
    m.icon = QMessageBox::Warning;
    m.beep = true;
    ui::ask(m);
    // The editor keeps the toolbar back for as long as it is open.
    if (frontAllowed_ && !editorOpen())
        frontAllowed_(true);
}

void Slideshow::showOnView(const QImage& picture)
{
    mirror_.target().setView(TargetView::Slideshow);
    // The image window follows by itself: it shows what the target shows.
    view_->showPicture(picture, transitions::drawStyle(random_), random_());
}

void Slideshow::stopPlayers()
{
    session_->player.stop();
    if (preview_->player.playing()) {
        preview_->player.stop();
        editor_->setPlaying(false);
    }
}

bool Slideshow::readAutoStart(SlideList& list) const
{
    const auto read = readListFile(autoStartPath(), ListFormat::AutoStart);
    if (!read)
        return false;
    list = *read;
    return true;
}

void Slideshow::cannotStart() { warn(kCantStart, kCantStartCaption); }

void Slideshow::startSession()
{
    stopPlayers();
    SlideList list;
    if (!readAutoStart(list) || list.paths.isEmpty()) {
        // Run had nothing to play: say so once the run has returned.
        QTimer::singleShot(0, this, [this] {
            if (mirror_.session().source() == SourceKind::Slideshow)
                mirror_.session().stop();
            cannotStart();
        });
        return;
    }
    view_->clear(); // the first picture comes out of black
    mirror_.target().setView(TargetView::Slideshow);
    SlidePlayer::Options options;
    options.endAtMissing = true;
    options.holdOnText = true;
    const int duration = list.duration;
    session_->player.start(list.paths, list.loop, [duration] { return duration; }, options);
}

void Slideshow::playList(const SlideList& list)
{
    // What Run plays from now on, also after a restart.
    writeListFile(autoStartPath(), list, ListFormat::AutoStart);
    startShow(false);
}

void Slideshow::startShow(bool placeTarget)
{
    closeEditor();
    mirror_.chooseSlideshow();
    mirror_.target().pictureView()->setPicture(QImage());
    view_->clear();
    if (placeTarget || !mirror_.target().isVisible())
        mirror_.showTargetOnStoredDisplay();
    mirror_.session().start();
}

void Slideshow::makeSlideshow()
{
    stopPlayers();
    mirror_.chooseSlideshow();
    mirror_.target().pictureView()->setPicture(QImage());
    view_->clear();
    editor_->open(toolbarCentre_ ? toolbarCentre_() : QPoint());
    if (frontAllowed_)
        frontAllowed_(false);
}

void Slideshow::openSlideshow()
{
    QFileDialog dialog(nullptr, QStringLiteral("Open Slideshow"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("Mirovex Slideshow file (*.tss *.TSS)"));
    dialog.setDefaultSuffix(QStringLiteral("tss"));
    if (ui::runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        mirror_.session().stopProjection();
        return;
    }
    playSlideshowFile(dialog.selectedFiles().first());
}

bool Slideshow::playSlideshowFile(const QString& path)
{
    // Read whole before anything changes: a file that cannot be read leaves
    // what runs running.
    const auto list = readListFile(path, ListFormat::Slideshow);
    if (!list) {
        warn(QStringLiteral("Can't open the slideshow file\n%1").arg(path), QStringLiteral("Mirovex"));
        return false;
    }
    playList(*list);
    return true;
}

void Slideshow::continueLastSession()
{
    mirror_.session().stopProjection();
    SlideList list;
    if (!readAutoStart(list) || list.paths.isEmpty()) {
        cannotStart();
        return;
    }
    startShow(true);
}

void Slideshow::autoStart()
{
    SlideList list;
    if (!readAutoStart(list) || list.paths.isEmpty()) {
        mirror_.session().stopProjection();
        // Once, after the start-up has finished: it never waits for a box.
        // At start-up the box has the program's own caption.
        QTimer::singleShot(0, this, [this] { warn(kCantStart, QStringLiteral("Mirovex ")); });
        return;
    }
    startShow(true);
}

void Slideshow::closeEditor()
{
    if (editorOpen())
        editor_->closeEditor();
}

void Slideshow::editorClosed()
{
    stopPlayers();
    view_->clear();
    // A source chosen while the editor was open keeps its view.
    if (mirror_.session().source() == SourceKind::Slideshow || mirror_.session().source() == SourceKind::None) {
        mirror_.target().pictureView()->setPicture(QImage());
        mirror_.target().setView(TargetView::Picture);
    }
    mirror_.session().leaveSlideshow();
    if (frontAllowed_)
        frontAllowed_(true);
}

void Slideshow::setPreviewLoop(bool on) { preview_->player.setLoop(on); }

void Slideshow::togglePreview()
{
    if (preview_->player.playing()) {
        preview_->player.stop();
        editor_->setPlaying(false);
        return;
    }
    if (editor_->rows().count() == 0)
        return;
    // One player at a time: whatever plays stops before this one starts.
    stopPlayers();
    if (mirror_.session().source() != SourceKind::Slideshow)
        mirror_.chooseSlideshow();
    SlidePlayer::Options options;
    options.endAtMissing = false;
    options.holdOnText = false;
    Tfss* editor = editor_.get();
    preview_->player.start(editor->rows().paths(), editor->loop(), [editor] { return editor->duration(); }, options);
    editor_->setPlaying(preview_->player.playing());
}

void Slideshow::showRow(const QString& path, bool)
{
    // Choosing a row ends the preview, so the next play starts afresh.
    if (preview_->player.playing()) {
        preview_->player.stop();
        editor_->setPlaying(false);
    }
    ++rowToken_;
    if (entryKind(path) != EntryKind::Picture)
        return;
    loader_->request((kRowOwner << kOwnerShift) | (rowToken_ & kTokenMask), path, pictureBox());
}

} // namespace mirovex::slides
