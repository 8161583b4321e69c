#include "common/picture/picturefile.h"

#include "common/atomicfile.h"
#include "common/geometry/aspectfit.h"

#include <QFile>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace mirovex::picture {

namespace {

void fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
}

quint16 le16(const uchar* p) { return quint16(p[0] | (p[1] << 8)); }
quint32 le32(const uchar* p) { return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24); }
quint32 be32(const uchar* p) { return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]); }

bool overBudget(QSize s, qint64 maxPixels) { return qint64(s.width()) * s.height() > maxPixels; }

// ---- JPEG -----------------------------------------------------------------
// libjpeg's default error handler exits the process: ours jumps back out.
// The jump crosses only the plain C frames of the two functions below.

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr cinfo)
{
    auto* e = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}

void jpegQuiet(j_common_ptr, int) {}

std::optional<QSize> jpegSize(const QByteArray& bytes)
{
    // Walk the markers to the first start-of-frame.
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 2;
    while (i + 4 <= n) {
        if (p[i] != 0xFF)
            return std::nullopt;
        const uchar marker = p[i + 1];
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            i += 2;
            continue;
        }
        const int length = (p[i + 2] << 8) | p[i + 3];
        if (length < 2)
            return std::nullopt;
        const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            if (i + 9 > n)
                return std::nullopt;
            return QSize((p[i + 7] << 8) | p[i + 8], (p[i + 5] << 8) | p[i + 6]);
        }
        i += 2 + length;
    }
    return std::nullopt;
}

// Plain C data only in this frame: a longjmp out of libjpeg lands here.
// `eighths` (1..8) scales the picture down in the DCT itself.
bool jpegDecodeInto(const QByteArray& bytes, QImage& out, qint64 maxPixels, char* message, int eighths = 8)
{
    jpeg_decompress_struct cinfo{};
    JpegError err{};
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    err.mgr.emit_message = jpegQuiet;
    if (setjmp(err.jump)) {
        std::memcpy(message, err.message, sizeof err.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > 65535 || cinfo.image_height > 65535 ||
        qint64(cinfo.image_width) * cinfo.image_height > maxPixels) {
        std::snprintf(message, JMSG_LENGTH_MAX, "too large");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_EXT_BGRX; // the byte order of Format_RGB32
    cinfo.scale_num = unsigned(eighths);
    cinfo.scale_denom = 8;
    jpeg_start_decompress(&cinfo);
    out = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    if (out.isNull()) {
        std::snprintf(message, JMSG_LENGTH_MAX, "out of memory");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool jpegEncodeInto(const QImage& rgb32, unsigned char** buffer, unsigned long* size, char* message)
{
    jpeg_compress_struct cinfo{};
    JpegError err{};
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    err.mgr.emit_message = jpegQuiet;
    if (setjmp(err.jump)) {
        std::memcpy(message, err.message, sizeof err.message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = JDIMENSION(rgb32.width());
    cinfo.image_height = JDIMENSION(rgb32.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, kJpegQuality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto row = const_cast<JSAMPROW>(rgb32.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// ---- PNG ------------------------------------------------------------------

struct PngRead {
    const uchar* data;
    size_t size;
    size_t at;
};

void pngReadBytes(png_structp png, png_bytep out, png_size_t n)
{
    auto* r = static_cast<PngRead*>(png_get_io_ptr(png));
    if (n > r->size - r->at)
        png_error(png, "truncated");
    std::memcpy(out, r->data + r->at, n);
    r->at += n;
}

void pngWriteBytes(png_structp png, png_bytep in, png_size_t n)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(in), qsizetype(n));
}

void pngFlush(png_structp) {}

void pngError(png_structp png, png_const_charp msg)
{
    auto* message = static_cast<char*>(png_get_error_ptr(png));
    std::snprintf(message, 200, "%s", msg);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

bool pngDecodeInto(const QByteArray& bytes, QImage& out, qint64 maxPixels, char* message)
{
    PngRead source{reinterpret_cast<const uchar*>(bytes.constData()), size_t(bytes.size()), 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, message, pngError, pngWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    // Changed between the jump's setting and a jump back, so volatile; plain
    // memory, because nothing with a destructor may live in this frame.
    png_bytepp volatile rows = nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        std::free(rows);
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, pngReadBytes);
    png_set_user_limits(png, 65535, 65535);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (qint64(w) * h > maxPixels) {
        std::snprintf(message, 200, "too large");
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    const int colourType = png_get_color_type(png, info);
    const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    // Everything to 8-bit BGRA, the byte order of Format_(A)RGB32.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    out = QImage(int(w), int(h), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull()) {
        std::snprintf(message, 200, "out of memory");
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    rows = static_cast<png_bytepp>(std::malloc(sizeof(png_bytep) * h));
    if (!rows)
        png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < h; ++y)
        rows[y] = out.scanLine(int(y));
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    std::free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool pngEncodeInto(const QImage& argb, bool alpha, QByteArray& out, char* message)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, message, pngError, pngWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, &out, pngWriteBytes, pngFlush);
    png_set_IHDR(png, info, png_uint_32(argb.width()), png_uint_32(argb.height()), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    if (!alpha)
        png_set_filler(png, 0, PNG_FILLER_AFTER); // drops the fourth byte
    for (int y = 0; y < argb.height(); ++y)
        png_write_row(png, const_cast<png_bytep>(argb.constScanLine(y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// ---- BMP ------------------------------------------------------------------

constexpr qsizetype kFileHeader = 14;

std::optional<QSize> bmpSize(const QByteArray& bytes, int* bits, bool* topDown, quint32* offset, quint32* compression,
                             quint32* headerSize)
{
    if (bytes.size() < kFileHeader + 16)
        return std::nullopt;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    *offset = le32(p + 10);
    *headerSize = le32(p + 14);
    if (*headerSize == 12) { // the old OS/2 header
        *bits = le16(p + 24);
        *topDown = false;
        *compression = 0;
        return QSize(le16(p + 18), le16(p + 20));
    }
    if (*headerSize < 40 || bytes.size() < kFileHeader + 40)
        return std::nullopt;
    const auto w = qint32(le32(p + 18)), h = qint32(le32(p + 22));
    *bits = le16(p + 28);
    *compression = le32(p + 30);
    *topDown = h < 0;
    if (w <= 0 || h == 0 || h == INT32_MIN)
        return std::nullopt;
    return QSize(w, h < 0 ? -h : h);
}

QImage bmpDecode(const QByteArray& bytes, qint64 maxPixels, QString* error)
{
    int bits = 0;
    bool topDown = false;
    quint32 offset = 0, compression = 0, headerSize = 0;
    const auto size = bmpSize(bytes, &bits, &topDown, &offset, &compression, &headerSize);
    if (!size || size->width() > 65535 || size->height() > 65535) {
        fail(error, QStringLiteral("damaged header"));
        return {};
    }
    if (overBudget(*size, maxPixels)) {
        fail(error, QStringLiteral("too large"));
        return {};
    }
    // Uncompressed 1, 4, 8, 24 and 32 bits, and 32 bits with the usual masks.
    const bool plain = compression == 0 || (compression == 3 && bits == 32);
    if (!plain || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)) {
        fail(error, QStringLiteral("a kind of bitmap that is not read (%1 bits, compression %2)").arg(bits).arg(compression));
        return {};
    }
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 stride = ((qint64(size->width()) * bits + 31) / 32) * 4;
    if (offset > quint64(bytes.size()) || stride * size->height() > bytes.size() - qint64(offset)) {
        fail(error, QStringLiteral("truncated"));
        return {};
    }
    std::vector<QRgb> palette;
    if (bits <= 8) {
        const qsizetype at = kFileHeader + headerSize;
        const int entry = headerSize == 12 ? 3 : 4;
        const qsizetype count = std::min<qsizetype>(1 << bits, (qsizetype(offset) - at) / entry);
        if (at > bytes.size() || count <= 0) {
            fail(error, QStringLiteral("no palette"));
            return {};
        }
        for (qsizetype i = 0; i < count; ++i) {
            const uchar* c = p + at + i * entry;
            palette.push_back(qRgb(c[2], c[1], c[0]));
        }
        palette.resize(size_t(1) << bits, qRgb(0, 0, 0));
    }
    QImage out(*size, QImage::Format_RGB32);
    if (out.isNull()) {
        fail(error, QStringLiteral("out of memory"));
        return {};
    }
    for (int y = 0; y < size->height(); ++y) {
        const uchar* src = p + offset + stride * (topDown ? y : size->height() - 1 - y);
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < size->width(); ++x) {
            switch (bits) {
            case 32: dst[x] = qRgb(src[4 * x + 2], src[4 * x + 1], src[4 * x]); break;
            case 24: dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
            case 8: dst[x] = palette[src[x]]; break;
            case 4: dst[x] = palette[(src[x / 2] >> (x % 2 ? 0 : 4)) & 15]; break;
            default: dst[x] = palette[(src[x / 8] >> (7 - x % 8)) & 1]; break;
            }
        }
    }
    return out;
}

QByteArray bmpEncode(const QImage& rgb32)
{
    const int w = rgb32.width(), h = rgb32.height();
    const qint64 stride = ((qint64(w) * 24 + 31) / 32) * 4;
    const qint64 pixels = stride * h;
    QByteArray out(qsizetype(kFileHeader + 40 + pixels), '\0');
    auto* p = reinterpret_cast<uchar*>(out.data());
    const auto put16 = [&](qsizetype at, quint32 v) { p[at] = uchar(v); p[at + 1] = uchar(v >> 8); };
    const auto put32 = [&](qsizetype at, quint32 v) { put16(at, v & 0xffff); put16(at + 2, v >> 16); };
    p[0] = 'B';
    p[1] = 'M';
    put32(2, quint32(out.size()));
    put32(10, kFileHeader + 40);
    put32(14, 40);
    put32(18, quint32(w));
    put32(22, quint32(h)); // bottom-up, as most readers expect
    put16(26, 1);
    put16(28, 24);
    put32(34, quint32(pixels));
    put32(38, 2835); // 72 dots per inch
    put32(42, 2835);
    for (int y = 0; y < h; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(rgb32.constScanLine(h - 1 - y));
        uchar* dst = p + kFileHeader + 40 + stride * y;
        for (int x = 0; x < w; ++x) {
            dst[3 * x] = uchar(qBlue(src[x]));
            dst[3 * x + 1] = uchar(qGreen(src[x]));
            dst[3 * x + 2] = uchar(qRed(src[x]));
        }
    }
    return out;
}

} // namespace

QString extension(FileType type)
{
    switch (type) {
    case FileType::Jpeg: return QStringLiteral(".jpg");
    case FileType::Png: return QStringLiteral(".png");
    case FileType::Bmp: return QStringLiteral(".bmp");
    }
    return {};
}

std::optional<Header> readHeader(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    if (bytes.size() >= 4 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) {
        if (const auto s = jpegSize(bytes); s && !s->isEmpty())
            return Header{FileType::Jpeg, *s};
        return std::nullopt;
    }
    if (bytes.size() >= 24 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0 && std::memcmp(p + 12, "IHDR", 4) == 0) {
        const quint32 w = be32(p + 16), h = be32(p + 20);
        if (w == 0 || h == 0 || w > 0x7fffffff || h > 0x7fffffff)
            return std::nullopt;
        return Header{FileType::Png, QSize(int(w), int(h))};
    }
    if (bytes.size() >= 2 && p[0] == 'B' && p[1] == 'M') {
        int bits = 0;
        bool topDown = false;
        quint32 offset = 0, compression = 0, headerSize = 0;
        if (const auto s = bmpSize(bytes, &bits, &topDown, &offset, &compression, &headerSize))
            return Header{FileType::Bmp, *s};
    }
    return std::nullopt;
}

namespace {
// The header of a picture that may be decoded; nothing, with the reason, for
// one of no known type or over the budget.
std::optional<Header> decodableHeader(const QByteArray& bytes, QString* error, qint64 maxPixels)
{
    const auto header = readHeader(bytes);
    if (!header) {
        fail(error, QStringLiteral("not a JPEG, PNG or BMP picture"));
        return std::nullopt;
    }
    if (overBudget(header->size, maxPixels)) {
        fail(error, QStringLiteral("too large (%1 x %2)").arg(header->size.width()).arg(header->size.height()));
        return std::nullopt;
    }
    return header;
}

// A whole picture file. A picture within the budget is never larger than
// this on disk, and a file larger than that is not read into memory at all.
std::optional<QByteArray> readWithinBudget(const QString& path, QString* error, qint64 maxPixels)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        fail(error, f.errorString());
        return std::nullopt;
    }
    if (f.size() > maxPixels * 4 + (1 << 20)) {
        fail(error, QStringLiteral("too large"));
        return std::nullopt;
    }
    return f.readAll();
}
} // namespace

QImage decodeFile(const QByteArray& bytes, QString* error, qint64 maxPixels)
{
    const auto header = decodableHeader(bytes, error, maxPixels);
    if (!header)
        return {};
    if (header->type == FileType::Bmp)
        return bmpDecode(bytes, maxPixels, error);
    char message[JMSG_LENGTH_MAX] = "does not decode";
    QImage out;
    const bool ok = header->type == FileType::Jpeg ? jpegDecodeInto(bytes, out, maxPixels, message)
                                                   : pngDecodeInto(bytes, out, maxPixels, message);
    if (!ok) {
        fail(error, QString::fromLocal8Bit(message));
        return {};
    }
    return out;
}

QByteArray encodeFile(const QImage& picture, FileType type, QString* error)
{
    if (picture.isNull()) {
        fail(error, QStringLiteral("no picture"));
        return {};
    }
    char message[JMSG_LENGTH_MAX] = "could not be encoded";
    switch (type) {
    case FileType::Jpeg: {
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        const bool ok = jpegEncodeInto(rgb, &buffer, &size, message);
        QByteArray out;
        if (ok)
            out = QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size));
        std::free(buffer);
        if (!ok)
            fail(error, QString::fromLocal8Bit(message));
        return out;
    }
    case FileType::Png: {
        const bool alpha = picture.hasAlphaChannel();
        const QImage argb = picture.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        QByteArray out;
        if (!pngEncodeInto(argb, alpha, out, message)) {
            fail(error, QString::fromLocal8Bit(message));
            return {};
        }
        return out;
    }
    case FileType::Bmp: return bmpEncode(picture.convertToFormat(QImage::Format_RGB32));
    }
    return {};
}

QImage readPictureFile(const QString& path, QString* error, qint64 maxPixels)
{
    const auto bytes = readWithinBudget(path, error, maxPixels);
    return bytes ? decodeFile(*bytes, error, maxPixels) : QImage();
}

bool writePictureFile(const QString& path, const QImage& picture, FileType type, QString* error)
{
    const QByteArray bytes = encodeFile(picture, type, error);
    if (bytes.isEmpty())
        return false;
    if (!writeFileAtomically(path, bytes)) {
        fail(error, QStringLiteral("could not be written"));
        return false;
    }
    return true;
}

std::optional<Header> probePictureFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A JPEG's size comes after its metadata, which a camera can make long:
    // read on in growing steps until the header is whole.
    for (qint64 want = 64 << 10;; want *= 4) {
        f.seek(0);
        const QByteArray head = f.read(want);
        if (const auto header = readHeader(head))
            return header;
        if (head.size() < want || want >= (16 << 20))
            return std::nullopt;
    }
}

QImage readPictureFitted(const QString& path, QSize box, QString* error, qint64 maxPixels)
{
    const auto bytesRead = readWithinBudget(path, error, maxPixels);
    if (!bytesRead)
        return {};
    const QByteArray& bytes = *bytesRead;
    const auto header = decodableHeader(bytes, error, maxPixels);
    if (!header)
        return {};
    QSize fitted = aspectFit(header->size, box).size();
    if (fitted.isEmpty() || fitted.width() > header->size.width())
        fitted = header->size; // never enlarged here; the view does that
    QImage picture;
    if (header->type == FileType::Jpeg) {
        // The smallest scale in eighths whose result still covers the fitted
        // size on both sides.
        const auto need = [](int fit, int full) { return int((qint64(fit) * 8 + full - 1) / full); };
        const int eighths = std::clamp(std::max(need(fitted.width(), header->size.width()), need(fitted.height(), header->size.height())), 1, 8);
        char message[JMSG_LENGTH_MAX] = "does not decode";
        if (!jpegDecodeInto(bytes, picture, maxPixels, message, eighths)) {
            fail(error, QString::fromLocal8Bit(message));
            return {};
        }
    } else {
        picture = decodeFile(bytes, error, maxPixels);
        if (picture.isNull())
            return {};
    }
    if (picture.hasAlphaChannel()) {
        // Transparent parts show on white, as the pictures look elsewhere.
        QImage flat(picture.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        for (int y = 0; y < picture.height(); ++y) {
            const auto* s = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            auto* d = reinterpret_cast<QRgb*>(flat.scanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                const int a = qAlpha(s[x]);
                d[x] = qRgb((qRed(s[x]) * a + 255 * (255 - a)) / 255, (qGreen(s[x]) * a + 255 * (255 - a)) / 255,
                            (qBlue(s[x]) * a + 255 * (255 - a)) / 255);
            }
        }
        picture = flat;
    }
    if (picture.size() != fitted)
        picture = picture.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return picture.convertToFormat(QImage::Format_RGB32);
}

} // namespace mirovex::picture
