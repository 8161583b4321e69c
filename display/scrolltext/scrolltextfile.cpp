#include "display/scrolltext/scrolltextfile.h"

#include "common/atomicfile.h"
#include "common/settings/settingsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace mirovex::scrolltext {

namespace {
constexpr const char* kSection = "scroll";

// The text height is a pixel size; files keep it three ways so that readers
// of the font size and of the font height find it too.
constexpr const char* kTextHeight = "XiPos";
constexpr const char* kFontSize = "fsize";
constexpr const char* kFontHeight = "fheight";
constexpr const char* kStyles[] = {"fs1", "fs2", "fs3", "fs4"};
} // namespace

QString cleanText(const QString& text)
{
    QString out = text.left(kMaxTextLength * 2);
    // A CR LF pair is one break, so one blank.
    out.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : out)
        if (c == u'\r' || c == u'\n' || c == u'\t')
            c = u' ';
    if (out.size() > kMaxTextLength) {
        out.truncate(kMaxTextLength);
        // Never half of a character beyond the basic plane.
        if (out.back().isHighSurrogate())
            out.chop(1);
    }
    return out;
}

qint64 travelled(int step, int intervalMs, qint64 elapsedMs)
{
    if (elapsedMs <= 0)
        return 0;
    return qint64(std::max(step, 0)) * elapsedMs / std::max(intervalMs, 1);
}

int textLeft(Direction direction, int controlWidth, int textWidth, qint64 travelled)
{
    controlWidth = std::max(controlWidth, 0);
    textWidth = std::max(textWidth, 0);
    const qint64 period = qint64(controlWidth) + textWidth;
    if (period <= 0)
        return 0;
    const qint64 d = ((travelled % period) + period) % period;
    if (direction == Direction::RightToLeft)
        return int(controlWidth - d);
    return int(d - textWidth);
}

std::optional<QString> readTextFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Four bytes a character at most, and a little for line breaks.
    QByteArray bytes = file.read(kMaxTextLength * 4 + 64);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    const bool cut = !file.atEnd();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    // A cut at the read bound may split the last character; that alone is
    // no reason to take the file for Latin-1.
    if (utf8.hasError() && cut) {
        QStringDecoder again(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString head = again(bytes.left(bytes.size() - 3));
        text = again.hasError() ? QString::fromLatin1(bytes) : head;
    } else if (utf8.hasError()) {
        text = QString::fromLatin1(bytes);
    }
    return cleanText(text);
}

bool writeTextFile(const QString& path, const QString& text)
{
    return writeFileAtomically(path, text.toUtf8());
}

std::optional<Settings> readSettings(const QString& path, int displayHeight)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return std::nullopt;
    const SettingsFile file(path);
    if (!file.exists() || file.oversized())
        return std::nullopt;
    const int maxHeight = std::max(displayHeight, kMinHeight);
    const auto clampedInt = [&file](const char* key, int def, int lo, int hi) {
        return std::clamp(file.readInt(kSection, key, def), lo, hi);
    };
    const auto colour = [&file](const char* key, quint32 def) {
        return quint32(file.readInt(kSection, key, int(def))) & 0xFFFFFF;
    };

    Settings s;
    s.text = cleanText(file.readString(kSection, "text", QString()));
    s.interval = clampedInt("xinterval", 10, kMinStep, kMaxStep);
    s.step = clampedInt("xstep", 1, kMinStep, kMaxStep);
    s.backgroundHeight = clampedInt("xHeight", 180, kMinHeight, maxHeight);
    int textHeight = 30;
    if (file.raw(kSection, kTextHeight)) {
        textHeight = file.readInt(kSection, kTextHeight, 30);
    } else if (const int size = file.readInt(kSection, kFontSize, 0); size > 0) {
        textHeight = size;
    } else if (const int height = file.readInt(kSection, kFontHeight, 0); height != 0) {
        textHeight = std::abs(height);
    }
    s.textHeight = std::clamp(textHeight, kMinHeight, maxHeight);
    s.background = colour("backcolor", 0xFFFFFF);
    s.previewHeight = clampedInt("height", 36, kMinHeight, maxHeight);
    s.transparent = file.readBool(kSection, "transparent", false);
    s.direction = file.readInt(kSection, "direction", 1) == 0 ? Direction::LeftToRight : Direction::RightToLeft;
    s.floating = file.readBool(kSection, "floating", false);
    const int position = file.readInt(kSection, "position", 1);
    s.position = (position == 2 || position == 3) ? Position(position) : Position::Top;
    s.fontColour = colour("fcolor", 0);
    s.fontName = file.readString(kSection, "fname", QStringLiteral("MS Sans Serif")).trimmed();
    if (s.fontName.isEmpty())
        s.fontName = QStringLiteral("MS Sans Serif");
    // Every style that is on, not only the last one found.
    bool* styles[] = {&s.bold, &s.italic, &s.underline, &s.strikeOut};
    for (int i = 0; i < 4; ++i)
        *styles[i] = file.readInt(kSection, kStyles[i], 0) == 1;
    return s;
}

bool writeSettings(const QString& path, const Settings& s, quint32 panelColour)
{
    SettingsEdit edit(path);
    edit.setString(kSection, "text", cleanText(s.text).trimmed())
        .setInt(kSection, "gb2", int(panelColour & 0xFFFFFF))
        .setInt(kSection, "xinterval", s.interval)
        .setInt(kSection, "xstep", s.step)
        .setInt(kSection, "xHeight", s.backgroundHeight)
        .setInt(kSection, kTextHeight, s.textHeight)
        .setInt(kSection, "backcolor", int(s.background & 0xFFFFFF))
        .setInt(kSection, "height", s.previewHeight)
        .setBool(kSection, "transparent", s.transparent)
        .setInt(kSection, "direction", s.direction == Direction::RightToLeft ? 1 : 0)
        .setBool(kSection, "floating", s.floating)
        .setInt(kSection, "position", int(s.position))
        .setInt(kSection, "fcolor", int(s.fontColour & 0xFFFFFF))
        .setInt(kSection, kFontHeight, -s.textHeight)
        .setString(kSection, "fname", s.fontName)
        .setInt(kSection, "fpitch", int(s.fontColour & 0xFFFFFF))
        .setInt(kSection, kFontSize, s.textHeight);
    const bool styles[] = {s.bold, s.italic, s.underline, s.strikeOut};
    for (int i = 0; i < 4; ++i)
        edit.setInt(kSection, kStyles[i], styles[i] ? 1 : 0);
    return edit.commit();
}

} // namespace mirovex::scrolltext
