// Decoding pictures that come from outside (the clipboard, files): the size
// is read from the header and refused over a pixel budget before anything
// is allocated; a picture that does not decode gives a null image.
#pragma once

#include <QByteArray>
#include <QImage>

namespace mirovex::picture {

// 8K by 8K: larger than any display the programs serve.
inline constexpr qint64 kMaxPixels = 8192ll * 8192;

QImage decodeWithinBudget(const QByteArray& bytes, qint64 maxPixels = kMaxPixels);

} // namespace mirovex::picture
