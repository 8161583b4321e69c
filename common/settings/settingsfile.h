// Settings files: small INI files that each feature opens, reads or writes the
// keys it needs in, and closes again. Nothing here caches a file: a key written
// by one window or by the other program is seen at the next read.
#pragma once

#include <QColor>
#include <QString>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "common/ini/inidoc.h"

namespace mirovex {

// Files larger than this are read for their first part only and never
// rewritten: a settings file that big is not ours, and rewriting it would
// throw away what we did not read.
inline constexpr qint64 kSettingsFileCap = 1 << 20;

// Typed keys. One table per file lists each key with its default; reading
// through a key applies its default to a missing, unparsable or out-of-range
// value.
struct IntKey {
    const char* section;
    const char* key;
    int def;
    int min = INT_MIN;
    int max = INT_MAX;
    bool (*allowed)(int) = nullptr; // further restriction, e.g. a set of codes
};
struct BoolKey {
    const char* section;
    const char* key;
    bool def;
};
// A colour value: 0x00BBGGRR, red in the low byte.
struct ColourKey {
    const char* section;
    const char* key;
    quint32 def;
};
// A string whose default depends on where it is read (a folder, say) carries
// none; the reader passes it.
struct StringKey {
    const char* section;
    const char* key;
    const char* def = "";
};

QColor colourFromValue(quint32 value);
quint32 colourValue(const QColor& colour);

// One reading of a settings file. A missing or unreadable file reads as empty.
class SettingsFile {
public:
    explicit SettingsFile(const QString& path);

    bool exists() const { return exists_; }
    bool oversized() const { return oversized_; }

    std::optional<QString> raw(const char* section, const char* key) const;

    int readInt(const char* section, const char* key, int def) const;
    // Any integer other than 0 is true.
    bool readBool(const char* section, const char* key, bool def) const;
    QString readString(const char* section, const char* key, const QString& def) const;

    int read(const IntKey& k) const;
    bool read(const BoolKey& k) const;
    quint32 read(const ColourKey& k) const;
    QString read(const StringKey& k) const;
    QString read(const StringKey& k, const QString& def) const;

private:
    ini::Document doc_;
    bool exists_ = false;
    bool oversized_ = false;
};

// A batch of writes to one settings file, applied in one rewrite by commit().
// Keys not named keep their lines byte for byte, and so do comments and lines
// we do not understand; keys are added in the order they were set.
class SettingsEdit {
public:
    explicit SettingsEdit(QString path);

    SettingsEdit& setString(const char* section, const char* key, const QString& value);
    SettingsEdit& setInt(const char* section, const char* key, int value);
    SettingsEdit& setBool(const char* section, const char* key, bool value);

    SettingsEdit& set(const IntKey& k, int value) { return setInt(k.section, k.key, value); }
    SettingsEdit& set(const BoolKey& k, bool value) { return setBool(k.section, k.key, value); }
    SettingsEdit& set(const ColourKey& k, quint32 value);
    SettingsEdit& set(const StringKey& k, const QString& value) { return setString(k.section, k.key, value); }

    // Re-reads the file under the folder lock, applies the batch and replaces
    // the file atomically. False, with the file as it was, when a value cannot
    // be stored (it holds a line break), the file is oversized, or the write
    // fails. A batch that changes nothing writes nothing.
    bool commit();

private:
    struct Change {
        std::string section, key, value;
    };
    QString path_;
    std::vector<Change> changes_;
};

// One key, written at once: for settings stored in the same action
// that changes them.
bool writeSetting(const QString& path, const char* section, const char* key, const QString& value);
bool writeSetting(const QString& path, const IntKey& k, int value);
bool writeSetting(const QString& path, const BoolKey& k, bool value);
bool writeSetting(const QString& path, const ColourKey& k, quint32 value);
bool writeSetting(const QString& path, const StringKey& k, const QString& value);

} // namespace mirovex
