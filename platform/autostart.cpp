#include "platform/autostart.h"

#include "common/atomicfile.h"
#include "common/ini/inidoc.h"
#include "common/settings/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace mirovex::platform {

QString autostartEntryPath()
{
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/Mirovex.desktop");
}

QString quoteExecArgument(const QString& argument)
{
    if (argument.isEmpty() || argument.contains(QLatin1Char('\n')) || argument.contains(QLatin1Char('\r'))
        || argument.contains(QChar(0)))
        return {};
    // Inside double quotes the shell-like rules want ", `, $ and \ escaped;
    // % starts a field code and is doubled.
    QString quoted = QStringLiteral("\"");
    for (QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    // The Exec value is itself a string value, whose own escape is the backslash.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return quoted;
}

bool isStartWithSystemOn()
{
    const QString path = autostartEntryPath();
    if (!QFileInfo(path).isFile())
        return false;
    SettingsFile entry(path);
    const auto isFalse = [](const std::optional<QString>& v) { return v && v->compare(QLatin1String("false"), Qt::CaseInsensitive) == 0; };
    const auto isTrue = [](const std::optional<QString>& v) { return v && v->compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; };
    return !isTrue(entry.raw("Desktop Entry", "Hidden"))
        && !isFalse(entry.raw("Desktop Entry", "X-GNOME-Autostart-enabled"));
}

QString launcherPath(const QString& executable)
{
    const QFileInfo program(executable);
    const QFileInfo link(program.absolutePath() + QStringLiteral("/../../bin/mirovex"));
    if (link.exists() && !program.canonicalFilePath().isEmpty()
        && link.canonicalFilePath() == program.canonicalFilePath())
        return QDir::cleanPath(link.absoluteFilePath());
    return program.absoluteFilePath();
}

bool turnStartWithSystemOn(const QString& executable)
{
    const QString exec = quoteExecArgument(launcherPath(executable));
    const QString path = autostartEntryPath();
    if (exec.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return isStartWithSystemOn();
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Mirovex\n"
                                        "Comment=Show the desktop on a second display\n"
                                        "Exec=%1\n"
                                        "Icon=mirovex\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(exec);
    writeFileAtomically(path, text.toUtf8());
    return isStartWithSystemOn();
}

bool turnStartWithSystemOff()
{
    const QString path = autostartEntryPath();
    if (QFileInfo(path).isFile())
        QFile::remove(path);
    return isStartWithSystemOn();
}

bool toggleStartWithSystem(bool checked, const QString& executable)
{
    return checked ? turnStartWithSystemOff() : turnStartWithSystemOn(executable);
}

} // namespace mirovex::platform
