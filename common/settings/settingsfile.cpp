#include "common/settings/settingsfile.h"

#include "common/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace mirovex {
namespace {

struct FileBytes {
    QByteArray bytes;
    bool exists = false;
    bool oversized = false;
};

FileBytes readCapped(const QString& path)
{
    FileBytes out;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return out;
    out.exists = true;
    out.bytes = file.read(kSettingsFileCap + 1);
    if (out.bytes.size() > kSettingsFileCap) {
        out.oversized = true;
        // Keep whole lines only: a line cut in two could read as another value.
        out.bytes.truncate(kSettingsFileCap);
        out.bytes.truncate(out.bytes.lastIndexOf('\n') + 1);
    }
    return out;
}

std::string_view view(const QByteArray& bytes) { return {bytes.constData(), std::size_t(bytes.size())}; }

// Files we write are UTF-8; older or hand-edited ones may be Latin-1.
QString decode(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

} // namespace

QColor colourFromValue(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 colourValue(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

SettingsFile::SettingsFile(const QString& path)
{
    FileBytes file = readCapped(path);
    exists_ = file.exists;
    oversized_ = file.oversized;
    doc_ = ini::Document::parse(view(file.bytes));
}

std::optional<QString> SettingsFile::raw(const char* section, const char* key) const
{
    auto value = doc_.value(section, key);
    if (!value)
        return std::nullopt;
    return decode(*value);
}

int SettingsFile::readInt(const char* section, const char* key, int def) const
{
    auto value = doc_.value(section, key);
    if (!value)
        return def;
    return ini::parseInt(*value).value_or(def);
}

bool SettingsFile::readBool(const char* section, const char* key, bool def) const
{
    auto value = doc_.value(section, key);
    if (!value)
        return def;
    auto number = ini::parseInt(*value);
    return number ? *number != 0 : def;
}

QString SettingsFile::readString(const char* section, const char* key, const QString& def) const
{
    return raw(section, key).value_or(def);
}

int SettingsFile::read(const IntKey& k) const
{
    const int v = readInt(k.section, k.key, k.def);
    if (v < k.min || v > k.max || (k.allowed && !k.allowed(v)))
        return k.def;
    return v;
}

bool SettingsFile::read(const BoolKey& k) const { return readBool(k.section, k.key, k.def); }

quint32 SettingsFile::read(const ColourKey& k) const
{
    // Negative values and values above 24 bits are not colours we wrote.
    const int v = readInt(k.section, k.key, -1);
    return (v < 0 || v > 0xFFFFFF) ? k.def : quint32(v);
}

QString SettingsFile::read(const StringKey& k) const { return readString(k.section, k.key, QString::fromUtf8(k.def)); }

QString SettingsFile::read(const StringKey& k, const QString& def) const { return readString(k.section, k.key, def); }

SettingsEdit::SettingsEdit(QString path) : path_(std::move(path)) {}

SettingsEdit& SettingsEdit::setString(const char* section, const char* key, const QString& value)
{
    changes_.push_back({section, key, value.toStdString()});
    return *this;
}

SettingsEdit& SettingsEdit::setInt(const char* section, const char* key, int value)
{
    changes_.push_back({section, key, std::to_string(value)});
    return *this;
}

SettingsEdit& SettingsEdit::setBool(const char* section, const char* key, bool value)
{
    changes_.push_back({section, key, value ? "1" : "0"});
    return *this;
}

SettingsEdit& SettingsEdit::set(const ColourKey& k, quint32 value)
{
    return setInt(k.section, k.key, int(value & 0xFFFFFF));
}

bool SettingsEdit::commit()
{
    const QFileInfo info(path_);
    FolderLock lock(info.absolutePath());
    if (!lock.locked())
        return false;

    FileBytes file = readCapped(path_);
    if (file.oversized || (info.exists() && !info.isFile()))
        return false;
    ini::Document doc = ini::Document::parse(view(file.bytes));
    for (const Change& c : changes_)
        if (!doc.set(c.section, c.key, c.value))
            return false;

    const std::string text = doc.serialize();
    if (file.exists && view(file.bytes) == text)
        return true;
    return writeFileAtomically(path_, QByteArray(text.data(), qsizetype(text.size())));
}

bool writeSetting(const QString& path, const char* section, const char* key, const QString& value)
{
    return SettingsEdit(path).setString(section, key, value).commit();
}
bool writeSetting(const QString& path, const IntKey& k, int value) { return SettingsEdit(path).set(k, value).commit(); }
bool writeSetting(const QString& path, const BoolKey& k, bool value) { return SettingsEdit(path).set(k, value).commit(); }
bool writeSetting(const QString& path, const ColourKey& k, quint32 value) { return SettingsEdit(path).set(k, value).commit(); }
bool writeSetting(const QString& path, const StringKey& k, const QString& value)
{
    return SettingsEdit(path).set(k, value).commit();
}

} // namespace mirovex
