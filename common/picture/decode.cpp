#include "common/picture/decode.h"

#include <QBuffer>
#include <QImageReader>

namespace mirovex::picture {

QImage decodeWithinBudget(const QByteArray& bytes, qint64 maxPixels)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || qint64(size.width()) * size.height() > maxPixels)
        return {};
    // Also bounds what a decoder may allocate beyond the header's promise.
    reader.setAllocationLimit(int(maxPixels * 4 / (1024 * 1024)) + 1);
    QImage image;
    if (!reader.read(&image) || image.size() != size)
        return {};
    return image;
}

} // namespace mirovex::picture
