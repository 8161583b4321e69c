// The display program.
#include "mainform.h"
#include "mirovexsettings.h"
#include "mirrorcontroller.h"
#include "traymenu.h"

#include <QApplication>
#include <QFont>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    // The platform layer speaks X11; Qt would pick Wayland where it can.
    qputenv("QT_QPA_PLATFORM", "xcb");
    // One logical pixel is one screen pixel: capture, cursor and window
    // bounds all count in screen pixels.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");

    // Qt aborts with a cryptic line when it finds no display; say it plainly.
    xcb_connection_t* probe = xcb_connect(nullptr, nullptr);
    const bool reachable = !xcb_connection_has_error(probe);
    xcb_disconnect(probe);
    if (!reachable) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr,
                     "Mirovex: cannot reach the X display %s%s%s. Mirovex needs an X11 desktop session "
                     "(on Wayland, through XWayland); start it from the desktop or set DISPLAY.\n",
                     display ? "\"" : "", display ? display : "(DISPLAY is not set)", display ? "\"" : "");
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirovex"));
    QApplication::setDesktopFileName(QStringLiteral("Mirovex"));
    // The program lives in its toolbar and tray and ends only through Quit.
    QApplication::setQuitOnLastWindowClosed(false);
    QFont::insertSubstitutions(QStringLiteral("Segoe UI"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});

    mirovex::MirrorController controller;
    mirovex::TMainForm toolbar(controller);
    mirovex::TrayMenu tray(controller, toolbar);
    toolbar.setTrayHintSink([&tray](const QString& hint) { tray.setHint(hint); });
    // Without a tray the toolbar is the way in, whatever the setting says.
    const mirovex::SettingsFile file(mirovex::settings::mainFilePath());
    if (file.read(mirovex::settings::key::toolBarAutoStart) || !tray.hasTray())
        toolbar.show();

    QObject::connect(&tray, &mirovex::TrayMenu::quitRequested, &app, [&] {
        controller.session().stop();
        toolbar.saveAllSettings();
        toolbar.writePosition();
        // exit(), not quit(): quit() first asks every window to close, and
        // the target window's close only puts it away.
        QApplication::exit(0);
    });
    return app.exec();
}
