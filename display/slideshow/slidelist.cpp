#include "display/slideshow/slidelist.h"

#include "common/atomicfile.h"
#include "common/settings/settingsfolder.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace mirovex::slides {

namespace {
// A list file is a few thousand lines at most; anything far larger is not
// one, and is not read into memory.
constexpr qint64 kMaxListBytes = 64ll << 20;
} // namespace

QStringList splitLines(const QByteArray& bytes)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (utf8.hasError())
        text = QString::fromLatin1(body);
    QStringList out;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            out.append(line);
    }
    return out;
}

int parseDuration(const QString& line)
{
    bool ok = false;
    const qlonglong n = line.trimmed().toLongLong(&ok);
    if (!ok)
        return kDefaultDuration;
    return int(std::clamp<qlonglong>(n, kMinDuration, kMaxDuration));
}

SlideList parseList(const QStringList& lines, ListFormat format)
{
    SlideList list;
    if (lines.isEmpty())
        return list;
    bool numeric = false;
    lines[0].trimmed().toLongLong(&numeric);
    if (format == ListFormat::AutoStart && !numeric) {
        // The older start-up list: one picture per line, nothing else.
        list.paths = lines;
        return list;
    }
    if (format == ListFormat::Project) {
        list.loop = lines[0].trimmed() == QLatin1String("1");
        if (lines.size() > 1)
            list.duration = parseDuration(lines[1]);
    } else {
        list.duration = parseDuration(lines[0]);
        if (lines.size() > 1)
            list.loop = lines[1].trimmed().toUpper() == QLatin1String("ON");
    }
    list.paths = lines.mid(2);
    return list;
}

QByteArray listText(const SlideList& list, ListFormat format)
{
    QStringList lines;
    const QString duration = QString::number(std::clamp(list.duration, kMinDuration, kMaxDuration));
    if (format == ListFormat::Project)
        lines << (list.loop ? QStringLiteral("1") : QStringLiteral("0")) << duration;
    else
        lines << duration << (list.loop ? QStringLiteral("On") : QStringLiteral("Off"));
    lines << list.paths;
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

std::optional<SlideList> readListFile(const QString& path, ListFormat format)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxListBytes)
        return std::nullopt;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    return parseList(splitLines(bytes), format);
}

bool writeListFile(const QString& path, const SlideList& list, ListFormat format)
{
    // A path with a line break would become two entries on reading.
    if (!std::all_of(list.paths.begin(), list.paths.end(), storablePath))
        return false;
    return writeFileAtomically(path, listText(list, format));
}

EntryKind entryKind(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toUpper();
    if (suffix == QLatin1String("JPG") || suffix == QLatin1String("JPEG") || suffix == QLatin1String("PNG") ||
        suffix == QLatin1String("BMP"))
        return EntryKind::Picture;
    if (suffix == QLatin1String("RTF") || suffix == QLatin1String("TXT"))
        return EntryKind::Text;
    return EntryKind::Refused;
}

bool storablePath(const QString& path)
{
    return !path.trimmed().isEmpty() && !path.contains(QLatin1Char('\n')) && !path.contains(QLatin1Char('\r'));
}

QString autoStartPath() { return settingsPath(QStringLiteral("fssAutoStart.idx")); }

} // namespace mirovex::slides
