// The display program.
#include "common/program/commandline.h"
#include "platform/singleinstance.h"
#include "platform/x11start.h"
#include "display/shell/splash.h"
#include "display/shell/startcontroller.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFont>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QElapsedTimer sinceEntry;
    sinceEntry.start();
    // --version and --help answer without a display; these are the only options.
    const int early = mirovex::handleCommandLine(
        argc, argv,
        {"mirovex", "Mirovex",
         "Shows the desktop, an area, a window, a magnifier or the clipboard on a second display.", "", ""});
    if (early >= 0)
        return early;
    if (!mirovex::platform::prepareX11("Mirovex", "Mirovex"))
        return 1;

    // One running copy per executable and display, decided before anything
    // is shown. A second copy brings the first one forward and leaves.
    mirovex::platform::SingleInstance lock;
    const QString folder = mirovex::platform::runtimeFolder(QStringLiteral("Mirovex"));
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QString lockPath = mirovex::platform::lockFilePath(folder, QStringLiteral("Mirovex"), executable,
                                                             QString::fromLocal8Bit(qgetenv("DISPLAY")));
    switch (folder.isEmpty() ? mirovex::platform::SingleInstance::Outcome::NoLock : lock.acquire(lockPath)) {
    case mirovex::platform::SingleInstance::Outcome::AlreadyRunning:
        if (const auto window = mirovex::platform::SingleInstance::publishedWindow(lockPath, 2000))
            mirovex::platform::sendRaiseRequest(*window);
        return 0;
    case mirovex::platform::SingleInstance::Outcome::NoLock:
        std::fprintf(stderr, "Mirovex: no lock file could be made (%s); a second copy would not be noticed.\n",
                     qPrintable(folder.isEmpty() ? QStringLiteral("no private runtime folder") : lockPath));
        break;
    case mirovex::platform::SingleInstance::Outcome::First:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirovex"));
    QApplication::setApplicationVersion(QString::fromLatin1(mirovex::programVersion()));
    QApplication::setDesktopFileName(QStringLiteral("Mirovex"));
    // The program lives in its toolbar and tray and ends only through its
    // own exit path.
    QApplication::setQuitOnLastWindowClosed(false);
    QFont::insertSubstitutions(QStringLiteral("Segoe UI"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});

    auto splash = std::make_unique<mirovex::TSplashScreen>();
    splash->show();
    splash->repaint();
    mirovex::StartController start(lock.held() ? &lock : nullptr, splash.get());
    splash.reset();
    start.showShell();
    QObject::connect(&start, &mirovex::StartController::exitRequested, &app, [] {
        // exit(), not quit(): quit() first asks every window to close, and
        // the target window's close only puts it away.
        QApplication::exit(0);
    });
    QTimer::singleShot(0, &start, [&] {
        if (qEnvironmentVariableIsSet("MIROVEX_TIMING"))
            std::fprintf(stderr, "Mirovex: start-up work %lld ms\n", static_cast<long long>(sinceEntry.elapsed()));
        start.firstActivation();
    });
    return app.exec();
}
