// Object-stream files in the settings folder: one object per file, read in
// one go and replaced atomically, so that the other program, reading the same
// file, sees the old stream or the new one, never half of one.
#pragma once

#include "common/objstream/objstream.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace mirovex {

// The file's bytes; nothing when it is missing, unreadable or larger than a
// stream may be.
std::optional<std::string> readStreamFile(const QString& path);
// False, with the old file untouched, when the write fails.
bool writeStreamFile(const QString& path, std::string_view bytes);

// Reads the object stored in `path` into `object` (see Schema::read): a
// missing, unreadable, damaged or foreign file leaves it untouched and gives
// false.
template <class T>
bool readObjectFile(const QString& path, const objstream::Schema<T>& schema, T& object)
{
    const std::optional<std::string> bytes = readStreamFile(path);
    return bytes && schema.read(*bytes, object);
}

template <class T>
bool writeObjectFile(const QString& path, const objstream::Schema<T>& schema, const T& object, std::string_view objectName)
{
    const std::optional<std::string> bytes = schema.write(object, objectName);
    return bytes && writeStreamFile(path, *bytes);
}

} // namespace mirovex
