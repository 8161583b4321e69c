// Any bytes as a picture file: decoding never crashes, never reads or writes
// out of bounds (the sanitisers watch), stays within the pixel budget, and
// whatever decodes encodes again.
#include "common/picture/picturefile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace mirovex::picture;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    // A small budget keeps every run quick and checks that it holds.
    constexpr qint64 kBudget = 1024 * 1024;
    QString error;
    const QImage img = decodeFile(bytes, &error, kBudget);
    if (img.isNull()) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    if (qint64(img.width()) * img.height() > kBudget)
        std::abort();
    if (img.width() * img.height() <= 4096 && encodeFile(img, FileType::Png).isEmpty())
        std::abort();
    return 0;
}
