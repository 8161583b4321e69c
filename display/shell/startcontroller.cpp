#include "display/shell/startcontroller.h"

#include "display/capture/capturewindow.h"
#include "display/grid/gridwindow.h"
#include "platform/foreignwindows.h"
#include "display/scrolltext/scrollset.h"
#include "common/ui/colordialog.h"
#include "display/editor/drawwindow.h"
#include "display/shell/annotationlink.h"

#include "display/selection/areaselection.h"
#include "platform/autostart.h"
#include "platform/desktopstate.h"
#include "display/shell/hotkeyeditor.h"
#include "display/shell/hotkeyservice.h"
#include "display/content/imagewindow.h"
#include "display/shell/mainform.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "display/engine/targetwindow.h"
#include "platform/monitors.h"
#include "display/settings/reset.h"
#include "common/settings/settingsfolder.h"
#include "platform/singleinstance.h"
#include "display/shell/splash.h"
#include "platform/termination.h"
#include "display/shell/toolbarlogic.h"
#include "display/shell/traymenu.h"
#include "display/slideshow/slideshow.h"
#include "common/ui/dialogs.h"
#include "common/geometry/displays.h"
#include "display/selection/windowpicker.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace mirovex {

namespace {
// The auto-start choices as "AutoStartMirror" stores them.
enum AutoStart { None = 0, Desktop = 1, PartOfDesktop = 2, Clipboard = 3, Slideshow = 4, Fokus = 5 };
} // namespace

hints::Environment currentEnvironment(bool trayAvailable)
{
    hints::Environment env;
    env.wayland = qgetenv("XDG_SESSION_TYPE") == "wayland" || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    env.compositor = platform::compositorRunning();
    env.tray = trayAvailable;
    return env;
}

StartController::StartController(platform::SingleInstance* lock, TSplashScreen* splash) : lock_(lock), splash_(splash)
{
    settingsFolder(); // made before anything reads or writes in it
    mirror_ = std::make_unique<MirrorController>();
    toolbar_ = std::make_unique<TMainForm>(*mirror_);
    progress(2);
    image_ = std::make_unique<TFslika>([this] {
        // What the audience sees: the target window while it is up (also
        // when it is a window on the presenter's own display), else the
        // target display.
        const TFmonitor& t = mirror_->target();
        if (t.isVisible())
            return QRect(t.mapToGlobal(QPoint(0, 0)), t.size());
        return platform::displayRootAt(SettingsFile(settings::mainFilePath()).read(settings::key::selectMonitor));
    });
    toolbar_->setImageWindow(*image_);
    progress(3);
    progress(4); // the target window came with the mirror
    area_ = std::make_unique<AreaSelection>(*mirror_);
    area_->setShellHider([this, shown = false](bool hide) mutable {
        if (hide) {
            shown = toolbar_->isVisible();
            toolbar_->hide();
        } else if (shown) {
            toolbar_->show();
        }
    });
    toolbar_->setAreaSelection(*area_);
    capture_ = std::make_unique<TFsave>(*mirror_);
    // The toolbar's one colour dialog, which every colour choice shares.
    colours_ = std::make_unique<ui::ColorDialog>(QStringLiteral("ColorDialog1"));
    scrollText_ = std::make_unique<Tfscrolset>(*mirror_, *colours_, Tfscrolset::Hooks{
        .toggleTarget = [this] {
            QAction* item = toolbar_->action(QStringLiteral("Show Target Display"));
            item->setChecked(mirror_->target().isVisible());
            item->trigger();
        },
        .closed = [this] { toolbar_->setBringToFrontAllowed(true); },
        .toolbarDisplay = [this] {
            QList<QRect> roots;
            for (const platform::Monitor& m : platform::monitors())
                roots.append(m.root);
            if (roots.isEmpty())
                return QRect();
            return roots[geometry::displayOf(toolbar_->frameGeometry(), roots)];
        },
        .opening = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* picker = qobject_cast<TFselectWindow*>(w); picker && picker->isVisible())
                    picker->hide();
        },
    });
    progress(6);
    slideshow_ = std::make_unique<slides::Slideshow>(*mirror_);
    slideshow_->setToolbarCentre([this] { return toolbar_->geometry().center(); });
    slideshow_->setFrontAllowed([this](bool on) { toolbar_->setBringToFrontAllowed(on); });
    area_->setBeforeChoosing([this] { slideshow_->closeEditor(); });
    progress(8);
    foreignWindows_ = platform::x11ForeignWindows();
    grid_ = std::make_unique<TfGrid>(*foreignWindows_);
    if (QAction* a = toolbar_->action(QStringLiteral("Window Management"))) {
        a->setEnabled(true);
        connect(a, &QAction::triggered, grid_.get(), &TfGrid::open);
    }
    tray_ = std::make_unique<TrayMenu>(*mirror_, *toolbar_);
    annotation_ = std::make_unique<AnnotationLink>(*toolbar_);
    connect(toolbar_->action(QStringLiteral("Vidizizu")), &QAction::triggered, annotation_.get(),
            &AnnotationLink::vidizizu);
    connect(tray_.get(), &TrayMenu::annotateRequested, annotation_.get(), &AnnotationLink::vidizizu);
    // Stop All ends the annotation program too.
    connect(toolbar_->action(QStringLiteral("Stop All")), &QAction::triggered, annotation_.get(),
            &AnnotationLink::quit);
    toolbar_->setTrayHintSink([this](const QString& hint) { tray_->setHint(hint); });
    makeHotkeys();
    progress(TSplashScreen::kSteps + 3);

    if (lock_)
        lock_->publishWindow(std::uint32_t(toolbar_->winId()));
    raiseWatch_ = platform::watchRaiseRequests([this] { comeForward(); });

    connect(tray_.get(), &TrayMenu::quitRequested, this, &StartController::exitOrderly);
    connect(tray_.get(), &TrayMenu::resetRequested, this, &StartController::resetAllSettings);
    capture_->setHotkeyArmer([this](const QString& text, bool arm) {
        if (!arm) {
            hotkeys_->setCaptureKey(QString(), {});
            return QString();
        }
        // Suspended: a field is recording keys; the key is taken once it ends.
        const hotkey::Status status = hotkeys_->setCaptureKey(text, [this] { capture_->captureNow(); });
        if (status == hotkey::Status::Registered || status == hotkey::Status::Suspended)
            return QString();
        const QString why = hotkeys_->captureProblem();
        // Nothing armed stays behind a refusal.
        hotkeys_->setCaptureKey(QString(), {});
        return why;
    });
    capture_->setKeyboard(hotkeys_->keyboard());
    connect(tray_.get(), &TrayMenu::slideshowContinueRequested, slideshow_.get(), &slides::Slideshow::continueLastSession);
    connect(tray_.get(), &TrayMenu::slideshowOpenRequested, slideshow_.get(), &slides::Slideshow::openSlideshow);
    connect(tray_.get(), &TrayMenu::slideshowMakeRequested, slideshow_.get(), &slides::Slideshow::makeSlideshow);
    connect(tray_.get(), &TrayMenu::captureRequested, this, [this] {
        slideshow_->closeEditor();
        capture_->show();
        capture_->raise();
        capture_->activateWindow();
    });
    connect(tray_.get(), &TrayMenu::hotkeysRequested, this, &StartController::showHotkeyEditor);
    connect(tray_.get(), &TrayMenu::scrollTextRequested, scrollText_.get(), &Tfscrolset::open);
    connect(tray_.get(), &TrayMenu::drawRequested, this, &StartController::showEditor);
    termination_ = new platform::TerminationWatch(this);
    connect(termination_, &platform::TerminationWatch::terminationRequested, this, &StartController::exitOrderly);

    // Displays that come and go move the target window; a list read before
    // the change is never used after it.
    for (const auto signal : {&QGuiApplication::screenAdded, &QGuiApplication::screenRemoved})
        connect(qGuiApp, signal, this, &StartController::screensChanged);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &StartController::screensChanged);

    env_ = currentEnvironment(tray_->hasTray());
    if (const QString line = hints::environmentLogLine(env_); !line.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(line));
}

StartController::~StartController() = default;

void StartController::showEditor()
{
    // The picture is taken before the editor shows, so the editor's own
    // window is never part of it.
    const QImage shown = mirror_->target().displayedPicture();
    if (!editor_)
        editor_ = std::make_unique<editor::Tfdraw>();
    editor_->start(shown);
    editor_->show();
    editor_->raise();
    editor_->activateWindow();
}

void StartController::makeHotkeys()
{
    using hotkeys::Slot;
    HotkeyService::Commands c;
    const auto bind = [&c](Slot slot, std::function<void()> run, bool repeats = false) {
        c[std::size_t(slot)] = {std::move(run), repeats};
    };
    MirrorController& m = *mirror_;
    bind(Slot::SendToTarget, [&m] { m.session().sendOneFrame(); });
    bind(Slot::RunStop, [&m] { m.session().toggle(); });
    bind(Slot::ShowToolbar, [this] { toolbar_->toggleShown(); });
    bind(Slot::StopAll, [this] { toolbar_->action(QStringLiteral("Stop All"))->trigger(); });
    bind(Slot::Annotate, [this] { annotation_->vidizizu(); });
    // A held key goes on zooming; the position is written once it stops.
    bind(Slot::FocusLarger, [&m] { m.zoomIn(); }, true);
    bind(Slot::FocusSmaller, [&m] { m.zoomOut(); }, true);
    // The menu items, so they do what the menus do and their check marks
    // follow.
    bind(Slot::Focus, [this] { toolbar_->action(QStringLiteral("Focus"))->trigger(); });
    bind(Slot::ShowPreview, [this] { toolbar_->action(QStringLiteral("Preview"))->trigger(); });
    bind(Slot::TransparentBar, [this] { toolbar_->action(QStringLiteral("Transparent Toolbar"))->trigger(); });
    bind(Slot::Desktop, [&m] { m.chooseDesktop(); });
    bind(Slot::CopyDisplayed, [&m] { m.copyDisplayedToClipboard(); });
    bind(Slot::WindowArea, [this] { area_->chooseWindowArea(); });
    bind(Slot::PreviousArea, [this] { area_->previouslySelected(); });
    bind(Slot::SelectArea, [this] { area_->selectDesktopArea(); });
    bind(Slot::HideCursor, [&m] { m.toggleHideCursor(); });
    bind(Slot::WindowGrid, [this] { grid_->open(); });
    // The annotation program, "Find Toolbar" and the mouse lock come later:
    // their keys are kept but not taken from other programs.
    // The window grid, "Find Toolbar" and the mouse
    // lock come later: their keys are kept but not taken from other programs.
    hotkeys_ = std::make_unique<HotkeyService>(std::move(c));
    hotkeys_->load();
    hotkeyEditor_ = std::make_unique<THotkeyEditor>(*hotkeys_);
}

void StartController::showHotkeyEditor()
{
    if (!hotkeyEditor_->isVisible())
        hotkeyEditor_->fillFields();
    hotkeyEditor_->show();
    hotkeyEditor_->raise();
    hotkeyEditor_->activateWindow();
}

void StartController::progress(int step)
{
    if (splash_)
        splash_->setProgress(step);
}

void StartController::showShell()
{
    tray_->show();
    const SettingsFile file(settings::mainFilePath());
    // Without a tray the toolbar is the way in, whatever the setting says.
    if (file.read(settings::key::toolBarAutoStart) || !tray_->hasTray())
        toolbar_->show();
}

void StartController::firstActivation()
{
    if (activated_)
        return;
    activated_ = true;
    const SettingsFile file(settings::mainFilePath());
    // From the second start on "SelectMonitor" exists. The stored or default
    // index is written, not one corrected for today's displays, so that a
    // projector plugged in later becomes the target.
    if (file.read(settings::key::prvizagonMonitorja)) {
        SettingsEdit(settings::mainFilePath())
            .set(settings::key::selectMonitor, file.read(settings::key::selectMonitor))
            .set(settings::key::prvizagonMonitorja, false)
            .commit();
    }
    if (file.read(settings::key::preview))
        image_->show();
    if (file.read(settings::key::monitorAutoStart) && !mirror_->target().isVisible())
        mirror_->showTargetOnStoredDisplay();
    autoStart(file.read(settings::key::autoStartMirror));
    // The hints wait for the event loop: they never hold up the windows.
    QTimer::singleShot(0, this, &StartController::showStartHints);
}

void StartController::autoStart(int choice)
{
    switch (choice) {
    case Desktop:
        mirror_->showTargetOnStoredDisplay();
        mirror_->chooseDesktop();
        // Start, not toggle: with auto run on, choosing has started already.
        mirror_->session().start();
        break;
    case PartOfDesktop:
        mirror_->showTargetOnStoredDisplay();
        area_->previouslySelected();
        mirror_->session().start();
        break;
    case Clipboard:
        slideshow_->closeEditor();
        mirror_->showTargetOnStoredDisplay();
        mirror_->chooseClipboard();
        mirror_->session().start();
        break;
    case Fokus:
        mirror_->showTargetOnStoredDisplay();
        mirror_->chooseFocus();
        mirror_->session().start();
        break;
    case Slideshow: slideshow_->autoStart(); break;
    default:
        break;
    }
}

void StartController::showStartHints()
{
    const QString path = settings::mainFilePath();
    if (!SettingsFile(path).read(settings::key::displayOptions)) {
        bool dontShow = false;
        if (hints::showWithDontShowAgain(hints::displayHintText(), QSize(590, 265), QPoint(460, 200), dontShow))
            writeSetting(path, settings::key::displayOptions, dontShow);
    }
    const QStringList limits = hints::environmentLimits(env_);
    if (!limits.isEmpty() && SettingsFile(path).read(settings::key::envNotice)) {
        bool dontShow = false;
        const QString text = QStringLiteral("Some features of Mirovex are limited on this desktop:\n\n") +
                             limits.join(QStringLiteral("\n\n"));
        if (hints::showWithDontShowAgain(text, QSize(590, 0), QPoint(460, 0), dontShow))
            writeSetting(path, settings::key::envNotice, !dontShow);
    }
}

void StartController::comeForward()
{
    toolbar_->show();
    toolbar_->setOpacity(255);
    toolbar_->raise();
    toolbar_->activateWindow();
}

void StartController::placeTarget()
{
    if (mirror_->target().isVisible())
        mirror_->showTargetOnStoredDisplay();
}

void StartController::screensChanged()
{
    // Qt finishes moving its windows off a removed screen first.
    QTimer::singleShot(0, this, [this] {
        placeTarget();
        QList<QRect> displays;
        for (const platform::Monitor& m : platform::monitors())
            displays.append(m.frame);
        const QPoint at = platform::desktopFrame().fromRoot(toolbar_->pos());
        const QPoint kept = toolbar::restoredPosition(at, toolbar_->size(), displays);
        if (kept != at)
            toolbar_->placeAt(platform::desktopFrame().toRoot(kept));
    });
}

void StartController::exitOrderly()
{
    if (exiting_)
        return;
    exiting_ = true;
    annotation_->quit();
    mirror_->session().stop();
    scrollText_->hideStrip();
    // A capture on its way to the disk is finished, not cut off.
    capture_->waitForWrites();
    toolbar_->saveAllSettings();
    toolbar_->writePosition();
    ++saves_;
    emit exitRequested();
}

void StartController::resetAllSettings()
{
    ui::Message question;
    question.text = QStringLiteral("All settings will be reset to defaults. Do you want to continue?");
    question.icon = QMessageBox::Warning;
    question.buttons = QMessageBox::Yes | QMessageBox::No;
    question.defaultButton = QMessageBox::No;
    question.beep = true;
    if (ui::ask(question) != QMessageBox::Yes)
        return;
    if (!settings::resetAllSettings(settingsFolder())) {
        ui::Message failed;
        failed.text = QStringLiteral("Some settings could not be reset: files in %1 could not be deleted.")
                          .arg(QDir::toNativeSeparators(settingsFolder()));
        failed.icon = QMessageBox::Warning;
        failed.beep = true;
        ui::ask(failed);
    }
    ui::Message restart;
    restart.text = QStringLiteral("You must restart Mirovex to apply those settings.");
    restart.buttons = QMessageBox::Yes | QMessageBox::No;
    if (ui::ask(restart) != QMessageBox::Yes) {
        platform::turnStartWithSystemOff();
        return;
    }
    // The fresh copy must find the lock free, and this one must not write
    // the old settings back on its way out.
    annotation_->quit();
    const bool hadLock = lock_ && lock_->held();
    if (lock_)
        lock_->release();
    const auto start = starter_ ? starter_ : [] {
        return QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
    };
    if (start()) {
        exiting_ = true;
        emit exitRequested();
        return;
    }
    if (hadLock)
        lock_->reacquire();
    ui::Message failed;
    failed.text = QStringLiteral("Mirovex could not be started again. The settings are reset; start Mirovex "
                                 "again yourself to use them.");
    failed.icon = QMessageBox::Warning;
    failed.beep = true;
    ui::ask(failed);
}

} // namespace mirovex
