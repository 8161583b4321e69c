// The annotation program.
#include "annotate/shell/annotateapp.h"
#include "common/program/commandline.h"
#include "platform/link.h"
#include "platform/singleinstance.h"
#include "platform/x11start.h"
#include "platform/termination.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QElapsedTimer sinceEntry;
    sinceEntry.start();
    std::string operand;
    const int early = mirovex::handleCommandLine(
        argc, argv,
        {"mirovex-annotate", "annotate", "Lays a see-through drawing board over a monitor to draw on the live screen.",
         "WINDOW", "the display program's toolbar window id, in decimal"},
        &operand);
    if (early >= 0)
        return early;
    if (!mirovex::platform::prepareX11("annotate", "Mirovex Vidizizu"))
        return 1;

    namespace link = mirovex::platform::link;
    // The display toolbar's id; anything else on the command line means no
    // link, and the program runs on its own.
    const std::optional<std::uint32_t> displayId =
        operand.empty() ? std::nullopt : link::parseWindowId(QString::fromStdString(operand));

    // The one-copy check comes before any hand-shake: a second copy must not
    // leave the display program holding the id of a copy that is leaving.
    mirovex::platform::SingleInstance lock;
    const QString folder = mirovex::platform::runtimeFolder(QStringLiteral("annotate"));
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QString lockPath = mirovex::platform::lockFilePath(folder, QStringLiteral("annotate"), executable,
                                                             QString::fromLocal8Bit(qgetenv("DISPLAY")));
    switch (folder.isEmpty() ? mirovex::platform::SingleInstance::Outcome::NoLock : lock.acquire(lockPath)) {
    case mirovex::platform::SingleInstance::Outcome::AlreadyRunning:
        // The running copy learns the display program's id and tells it
        // where it is.
        if (displayId) {
            if (const auto control = mirovex::platform::SingleInstance::publishedWindow(lockPath, 2000))
                link::send(*control, link::Role::AnnotationControl, link::Kind::Adopt, *displayId);
        }
        return 0;
    case mirovex::platform::SingleInstance::Outcome::NoLock:
        std::fprintf(stderr, "annotate: no lock file could be made (%s); a second copy would not be noticed.\n",
                     qPrintable(folder.isEmpty() ? QStringLiteral("no private runtime folder") : lockPath));
        break;
    case mirovex::platform::SingleInstance::Outcome::First:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("annotate"));
    QApplication::setApplicationVersion(QString::fromLatin1(mirovex::programVersion()));
    QApplication::setDesktopFileName(QStringLiteral("Mirovex"));
    QApplication::setQuitOnLastWindowClosed(false);

    mirovex::annotate::AnnotateApp annotate(displayId, lock.held() ? &lock : nullptr);
    QObject::connect(&annotate, &mirovex::annotate::AnnotateApp::exitRequested, &app, [] { QApplication::exit(0); });
    auto* termination = new mirovex::platform::TerminationWatch(&app);
    QObject::connect(termination, &mirovex::platform::TerminationWatch::terminationRequested, &annotate,
                     &mirovex::annotate::AnnotateApp::closeFromTray);
    annotate.finishStart();
    if (qEnvironmentVariableIsSet("MIROVEX_TIMING"))
        std::fprintf(stderr, "annotate: board shown after %lld ms\n", static_cast<long long>(sinceEntry.elapsed()));
    return app.exec();
}
