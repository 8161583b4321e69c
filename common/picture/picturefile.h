// Picture files both programs read and write: JPEG (libjpeg-turbo, quality
// 90 when written), PNG (libpng) and BMP (our own code). Nothing here ever
// ends the process on a bad file: every decoder's errors come back as a null
// picture and a message. The size is read from the header first and a
// picture over the pixel budget is refused before anything is allocated.
#pragma once

#include "common/picture/decode.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace mirovex::picture {

enum class FileType { Jpeg, Png, Bmp };

inline constexpr int kJpegQuality = 90;

// ".jpg", ".png", ".bmp".
QString extension(FileType type);

struct Header {
    FileType type;
    QSize size;
};

// What the first bytes say: the type and the size, or nothing for a file of
// no known type or a damaged header.
std::optional<Header> readHeader(const QByteArray& bytes);

// The picture in `bytes`, as Format_RGB32 (opaque) or Format_ARGB32 (PNG
// with transparency). Null with `error` set when it does not decode or is
// over `maxPixels`.
QImage decodeFile(const QByteArray& bytes, QString* error = nullptr, qint64 maxPixels = kMaxPixels);

// The encoded file: JPEG baseline at quality 90, PNG lossless, BMP as a
// 24-bit bottom-up bitmap. Empty with `error` set on failure.
QByteArray encodeFile(const QImage& picture, FileType type, QString* error = nullptr);

// Reading and writing whole files. Writing goes to a temporary name in the
// same folder and is renamed over `path` only once complete and flushed, so
// a failed write never leaves a partial picture under the final name.
QImage readPictureFile(const QString& path, QString* error = nullptr, qint64 maxPixels = kMaxPixels);
bool writePictureFile(const QString& path, const QImage& picture, FileType type, QString* error = nullptr);

// The type and size a file's header gives, reading only as much of the file
// as the header needs; nothing for a file that is not a picture or cannot be
// read.
std::optional<Header> probePictureFile(const QString& path);

// The picture fitted proportionally into `box` (as RGB32, never larger than
// the file's own size): a JPEG is decoded straight at the smallest scale
// still as large as the fitted size, so a large photo is never decoded in
// full. The budget applies to the file's own size.
QImage readPictureFitted(const QString& path, QSize box, QString* error = nullptr, qint64 maxPixels = kMaxPixels);

} // namespace mirovex::picture
