#include "display/engine/effects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

// The row loops are written so that the compiler vectorises them; on x86-64
// they also get an AVX2 build, picked when the program loads, as the
// capture's inversion does.
#if defined(__x86_64__) && defined(__GNUC__)
#define MIROVEX_ROWS __attribute__((target_clones("avx2", "default")))
#else
#define MIROVEX_ROWS
#endif

namespace mirovex::fx {

namespace {

constexpr QRgb kOpaque = 0xFF000000u;
constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;
// Red and blue, and green on its own: sums of up to four channels fit in the
// sixteen-bit lanes these leave, so one add serves two channels.
constexpr QRgb kRedBlue = 0x00FF00FFu;
constexpr QRgb kGreen = 0x0000FF00u;

// Where red and blue lie within a pixel's four bytes in memory.
constexpr int kRedByte = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 2 : 1;
constexpr int kBlueByte = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 0 : 3;

constexpr int red(QRgb p) { return int((p >> 16) & 0xFF); }
constexpr int green(QRgb p) { return int((p >> 8) & 0xFF); }
constexpr int blue(QRgb p) { return int(p & 0xFF); }
constexpr QRgb pack(int r, int g, int b) { return kOpaque | QRgb(r) << 16 | QRgb(g) << 8 | QRgb(b); }
constexpr QRgb grey(int v) { return kOpaque | QRgb(v) * 0x010101u; }
constexpr int clampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// The rules as the effects define them, and the forms the loops use instead,
// checked against them for every value a channel can take: no division, no
// table and no branch that would keep the loops from vectorising.

// (r + g + b) div 3: 21846 / 2^16 exceeds a third by 2 / 196608, which stays
// below the 1/3 gap to the next integer for every sum a pixel can have.
constexpr int third(int sum) { return (sum * 21846) >> 16; }

constexpr int contrastRule(int c)
{
    constexpr int kAmount = 255;
    const int d = (c > 127 ? c - 127 : 127 - c) * kAmount / 255;
    return clampByte(c > 127 ? c + d : c - d);
}
constexpr int contrasted(int c) { return clampByte(2 * c - 127); }

// 50 * round(c / 50) with halves to even. c / 50.0 is exact at the halves and
// at least 1/50 away from them elsewhere, so this is what nearbyint gives.
constexpr int posterizeRule(int c)
{
    const int q = c / 50, rest = c % 50;
    return 50 * (rest > 25 || (rest == 25 && q % 2 == 1) ? q + 1 : q);
}
// The same as the number of steps passed: 25 and 125 and 225 round down.
// Kept in bytes, so that the loop works on bytes.
constexpr uchar posterized(uchar c)
{
    const auto steps = uchar((c > 25) + (c > 74) + (c > 125) + (c > 174) + (c > 225));
    return uchar(steps * 50);
}

// 2500 * d div 255, truncated toward zero, for d = c - m in -255 .. 255.
constexpr int saturationRule(int d) { return 2500 * d / 255; }
// 642510 / 2^16 is 2500 / 255 to within 3e-6, too little to reach the next
// integer for |d| <= 255; the bias makes the shift truncate negative values
// toward zero, as the division does.
constexpr int saturationDelta(int d) { return (d * 642510 + ((d >> 31) & 0xFFFF)) >> 16; }

constexpr bool fastFormsMatch()
{
    for (int s = 0; s <= 3 * 255; ++s)
        if (third(s) != s / 3)
            return false;
    for (int c = 0; c < 256; ++c)
        if (contrasted(c) != contrastRule(c) || posterized(uchar(c)) != posterizeRule(c))
            return false;
    for (int d = -255; d <= 255; ++d)
        if (saturationDelta(d) != saturationRule(d))
            return false;
    return true;
}
static_assert(fastFormsMatch());

constexpr QRgb average(QRgb p) { return grey(third(red(p) + green(p) + blue(p))); }

// The products rounded from a double, as nearbyint does it with halves to
// even: these differ from exact rounding for a few values (45 * 0.7, 55 * 1.1,
// ...), so they are taken once into tables rather than rewritten in integers.
struct Tables {
    std::array<QRgb, 256> dimmed{};             // grey(round(v * 0.7))
    std::array<QRgb, 256> dayRed{}, nightRed{}; // opaque, red in place
    std::array<QRgb, 256> dayBlue{}, nightBlue{};
};

int scaled(int c, double factor) { return int(std::min(255L, std::lrint(c * factor))); }

Tables makeTables()
{
    Tables t;
    for (int c = 0; c < 256; ++c) {
        t.dimmed[c] = grey(int(std::lrint(c * 0.7)));
        t.dayRed[c] = kOpaque | QRgb(scaled(c, 0.9)) << 16;
        t.nightRed[c] = kOpaque | QRgb(scaled(c, 1.2)) << 16;
        t.dayBlue[c] = QRgb(scaled(c, 1.1));
        t.nightBlue[c] = QRgb(scaled(c, 0.8));
    }
    return t;
}

const Tables& tables()
{
    static const Tables t = makeTables();
    return t;
}

bool usable(const QImage& img) { return !img.isNull() && img.depth() == 32 && img.width() > 0 && img.height() > 0; }

QRgb* line(QImage& img, int y) { return reinterpret_cast<QRgb*>(img.scanLine(y)); }
const QRgb* cline(const QImage& img, int y) { return reinterpret_cast<const QRgb*>(img.constScanLine(y)); }

// dst := row(src) over the area both share; src may be dst itself.
template <class Row>
void fromRows(QImage& dst, const QImage& src, Row row)
{
    if (!usable(dst) || !usable(src))
        return;
    const int w = std::min(dst.width(), src.width());
    const int h = std::min(dst.height(), src.height());
    for (int y = 0; y < h; ++y) {
        QRgb* out = line(dst, y);
        row(out, &src == &dst ? out : cline(src, y), w);
    }
}

template <class Row>
void inPlaceRows(QImage& img, Row row)
{
    for (int y = 0, h = img.height(); y < h; ++y)
        row(line(img, y), img.width());
}

// ---------------------------------------------------------------- point rows

MIROVEX_ROWS void greyRow(QRgb* out, const QRgb* in, int n)
{
    for (int x = 0; x < n; ++x)
        out[x] = average(in[x]);
}

MIROVEX_ROWS void isolateRow(QRgb* out, const QRgb* in, int n, int r0, int g0, int b0)
{
    for (int x = 0; x < n; ++x) {
        const QRgb p = in[x];
        const int dr = red(p) - r0, dg = green(p) - g0, db = blue(p) - b0;
        const bool far = (dr > 50) | (dr < -50) | (dg > 50) | (dg < -50) | (db > 50) | (db < -50);
        out[x] = far ? average(p) : (p | kOpaque);
    }
}

void tintRow(QRgb* out, const QRgb* in, int n, const std::array<QRgb, 256>& reds, const std::array<QRgb, 256>& blues)
{
    // The indices are loaded as bytes, which spares a shift and a mask each.
    const auto* bytes = reinterpret_cast<const uchar*>(in);
    for (int x = 0; x < n; ++x)
        out[x] = reds[bytes[4 * x + kRedByte]] | (in[x] & kGreen) | blues[bytes[4 * x + kBlueByte]];
}

MIROVEX_ROWS void luminance(const QRgb* p, std::uint8_t* lum, int n)
{
    for (int x = 0; x < n; ++x)
        lum[x] = std::uint8_t((red(p[x]) * 77 + green(p[x]) * 150 + blue(p[x]) * 29) >> 8);
}

// The luminance is worked out for a stretch of pixels first, so that those
// sums run in vectors and only the table look-ups go one by one.
void dimSpan(QRgb* p, std::int64_t from, std::int64_t to, const std::array<QRgb, 256>& dimmed)
{
    constexpr int kStretch = 256;
    std::uint8_t lum[kStretch];
    for (auto x = from; x < to; x += kStretch) {
        const int n = int(std::min<std::int64_t>(kStretch, to - x));
        luminance(p + x, lum, n);
        for (int i = 0; i < n; ++i)
            p[x + i] = dimmed[lum[i]];
    }
}

MIROVEX_ROWS void contrastRow(QRgb* p, int n)
{
    for (int x = 0; x < n; ++x) {
        const QRgb v = p[x];
        p[x] = pack(contrasted(red(v)), contrasted(green(v)), contrasted(blue(v)));
    }
}

// Byte by byte, alpha included, then alpha put back: sixteen or thirty-two
// channels to a vector instead of four or eight.
MIROVEX_ROWS void posterizeRow(QRgb* p, int n)
{
    auto* bytes = reinterpret_cast<uchar*>(p);
    for (int i = 0; i < 4 * n; ++i)
        bytes[i] = posterized(bytes[i]);
    for (int x = 0; x < n; ++x)
        p[x] |= kOpaque;
}

MIROVEX_ROWS void saturateRow(QRgb* p, int n)
{
    for (int x = 0; x < n; ++x) {
        const QRgb v = p[x];
        const int r = red(v), g = green(v), b = blue(v);
        const int m = third(r + g + b);
        p[x] = pack(clampByte(m + saturationDelta(r - m)), clampByte(m + saturationDelta(g - m)),
                    clampByte(m + saturationDelta(b - m)));
    }
}

MIROVEX_ROWS void solarizeRow(QRgb* p, int n)
{
    // (r + g + b) div 3 > 250 exactly when the sum reaches 753.
    for (int x = 0; x < n; ++x) {
        const QRgb v = p[x];
        p[x] = red(v) + green(v) + blue(v) >= 753 ? v ^ 0x00FFFFFFu : v;
    }
}

MIROVEX_ROWS void extractRow(QRgb* p, int n, int shift, bool keepOthers)
{
    const QRgb channel = 0xFFu << shift;
    const QRgb kept = keepOthers ? ~channel : kOpaque;
    for (int x = 0; x < n; ++x) {
        const QRgb v = p[x];
        const QRgb c = (v >> shift) & 0xFF;
        p[x] = (v & kept) | ((c - 11u < 139u) ? channel : 0u);
    }
}

MIROVEX_ROWS void swapRow(QRgb* p, int n, int mode)
{
    const auto each = [p, n](auto f) {
        for (int x = 0; x < n; ++x) {
            const QRgb v = p[x];
            p[x] = f(red(v), green(v), blue(v));
        }
    };
    switch (mode) {
    case 1:
        each([](int r, int g, int b) { return pack(b, g, r); });
        break;
    case 2:
        each([](int r, int g, int b) { return pack(g, b, r); });
        break;
    case 3:
        each([](int r, int g, int b) { return pack(g, r, b); });
        break;
    case 4:
        each([](int r, int g, int b) { return pack(b, r, g); });
        break;
    default:
        each([](int r, int g, int b) { return pack(r, b, g); });
        break;
    }
}

// ---------------------------------------------------------------- spotlight

std::int64_t isqrt(std::int64_t n)
{
    auto k = std::int64_t(std::sqrt(double(n)));
    while (k > 0 && k * k > n)
        --k;
    while ((k + 1) * (k + 1) <= n)
        ++k;
    return k;
}

// The clear disc is the region of the square (mx-100, my-100)..(mx+100,
// my+100), right and bottom edges excluded, whose pixel centres lie strictly
// inside the circle of radius 100 around the square's centre (mx, my). In
// doubled coordinates the centres are odd, so none lies exactly on the circle.
constexpr int kDisc = 100;

void copyDisc(QImage& dst, const QImage& raw, QPoint mouse)
{
    const std::int64_t mx = mouse.x(), my = mouse.y();
    const int w = std::min(dst.width(), raw.width());
    const int h = std::min(dst.height(), raw.height());
    const std::int64_t x0 = std::max<std::int64_t>(mx - kDisc, 0), x1 = std::min<std::int64_t>(mx + kDisc, w);
    const std::int64_t y0 = std::max<std::int64_t>(my - kDisc, 0), y1 = std::min<std::int64_t>(my + kDisc, h);
    constexpr std::int64_t kDiameter2 = std::int64_t(2 * kDisc) * (2 * kDisc);
    for (auto y = y0; y < y1; ++y) {
        const std::int64_t ey = 2 * (y - my) + 1;
        const std::int64_t room = kDiameter2 - ey * ey;
        QRgb* out = line(dst, int(y));
        const QRgb* in = cline(raw, int(y));
        for (auto x = x0; x < x1; ++x) {
            const std::int64_t ex = 2 * (x - mx) + 1;
            if (ex * ex < room)
                out[x] = in[x];
        }
    }
}

// ---------------------------------------------------------------- neighbourhoods

// Channels of four pixels averaged with >> 2, two lanes at a time.
inline QRgb average4(QRgb a, QRgb b, QRgb c, QRgb d)
{
    const QRgb rb = (((a & kRedBlue) + (b & kRedBlue) + (c & kRedBlue) + (d & kRedBlue)) >> 2) & kRedBlue;
    const QRgb g = (((a & kGreen) + (b & kGreen) + (c & kGreen) + (d & kGreen)) >> 2) & kGreen;
    return kOpaque | rb | g;
}

void smooth(QImage& img)
{
    const int w = img.width(), h = img.height();
    // Left and above are read back after they were smoothed: the recursion is
    // what gives this effect its smear, so it stays a walk in place. The left
    // neighbour is carried in its lanes, so that only an add, a shift and a
    // mask wait for the pixel before.
    for (int y = 1; y < h - 1; ++y) {
        const QRgb* up = line(img, y - 1);
        QRgb* cur = line(img, y);
        const QRgb* down = line(img, y + 1);
        QRgb rb = cur[0] & kRedBlue, g = cur[0] & kGreen;
        for (int x = 1; x < w - 1; ++x) {
            const QRgb a = up[x], b = down[x], c = cur[x + 1];
            const QRgb rbRest = (a & kRedBlue) + (b & kRedBlue) + (c & kRedBlue);
            const QRgb gRest = (a & kGreen) + (b & kGreen) + (c & kGreen);
            rb = ((rbRest + rb) >> 2) & kRedBlue;
            g = ((gRest + g) >> 2) & kGreen;
            cur[x] = kOpaque | rb | g;
        }
    }
}

MIROVEX_ROWS void embossRow(QRgb* __restrict cur, const QRgb* __restrict below, int n)
{
    for (int x = 0; x < n; ++x) {
        const QRgb p = cur[x], q = below[x + 3];
        // 255 - c' per lane never borrows, and c + (255 - c') <= 510 stays in its lane.
        const QRgb rb = (((kRedBlue - (q & kRedBlue)) + (p & kRedBlue)) >> 1) & kRedBlue;
        const QRgb g = (((kGreen - (q & kGreen)) + (p & kGreen)) >> 1) & kGreen;
        cur[x] = kOpaque | rb | g;
    }
}

void emboss(QImage& img)
{
    const int w = img.width(), h = img.height();
    // Row y + 1 is still untouched when row y is worked, so no copy is needed.
    for (int y = 0; y < h - 1; ++y)
        embossRow(line(img, y), line(img, y + 1), w - 3);
}

void noise(QImage& img, Rng& rng)
{
    // The draws chain one into the next and set the pace; a local copy keeps
    // the state in a register rather than in memory.
    Rng local = rng;
    const int w = img.width();
    for (int y = 0, h = img.height(); y < h; ++y) {
        QRgb* p = line(img, y);
        for (int x = 0; x < w; ++x) {
            const int n = int(local.below(50)) - 25;
            const QRgb v = p[x];
            p[x] = pack(clampByte(red(v) + n), clampByte(green(v) + n), clampByte(blue(v) + n));
        }
    }
    rng = local;
}

// Bytes, alpha included: 5 * 255 - 4 * 255 leaves an opaque alpha opaque.
MIROVEX_ROWS void sharpenRow(uchar* __restrict out, const uchar* __restrict up, const uchar* __restrict mid,
                             const uchar* __restrict down, int bytes)
{
    for (int i = 4; i < bytes - 4; ++i) {
        const int v = 5 * mid[i] - mid[i - 4] - mid[i + 4] - up[i] - down[i];
        out[i] = uchar(clampByte(v));
    }
}

void sharpen(QImage& img, Scratch& scratch)
{
    const int w = img.width(), h = img.height();
    if (w < 3 || h < 3)
        return;
    // Only the original rows y - 1 and y are needed once row y is written, so
    // the copy holds two rows in turn instead of the whole frame: the frame
    // stays in one pass through memory.
    QImage& keep = scratch.copy;
    if (keep.width() != w || keep.height() != 2 || keep.format() != QImage::Format_RGB32) {
        keep = QImage(w, 2, QImage::Format_RGB32);
        if (keep.isNull())
            return;
    }
    const std::size_t rowBytes = std::size_t(w) * 4;
    std::memcpy(keep.scanLine(0), img.constScanLine(0), rowBytes);
    for (int y = 1; y < h - 1; ++y) {
        uchar* mid = keep.scanLine(y & 1);
        std::memcpy(mid, img.constScanLine(y), rowBytes);
        sharpenRow(img.scanLine(y), keep.constScanLine((y - 1) & 1), mid, img.constScanLine(y + 1), w * 4);
    }
}

// Edges replicate: row 0 is its own row above, the last row its own row
// below, and likewise the first and last columns. The walk is in place, top to
// bottom and left to right, and every read sees the picture as it is at that
// moment: rows above are already blurred, and a row that stands in for its own
// neighbour shows its left part already blurred.
MIROVEX_ROWS void splitBlurMiddle(QRgb* __restrict cur, const QRgb* __restrict up, const QRgb* __restrict down, int w)
{
    for (int x = 1; x < w - 1; ++x)
        cur[x] = average4(up[x - 1], down[x - 1], up[x + 1], down[x + 1]);
}

void splitBlur(QImage& img)
{
    const int w = img.width(), h = img.height();
    for (int y = 0; y < h; ++y) {
        QRgb* cur = line(img, y);
        const QRgb* up = y > 0 ? line(img, y - 1) : cur;
        const QRgb* down = y < h - 1 ? line(img, y + 1) : cur;
        if (up != cur && down != cur && w > 2) {
            cur[0] = average4(up[0], down[0], up[1], down[1]);
            splitBlurMiddle(cur, up, down, w);
            cur[w - 1] = average4(up[w - 2], down[w - 2], up[w - 1], down[w - 1]);
            continue;
        }
        for (int x = 0; x < w; ++x) {
            const int l = x > 0 ? x - 1 : 0, r = x < w - 1 ? x + 1 : w - 1;
            cur[x] = average4(up[l], down[l], up[r], down[r]);
        }
    }
}

// The trace palette is a direct 3-3-2 index (r >> 5, g >> 5, b >> 6); two
// pixels share an index exactly when these bits agree.
MIROVEX_ROWS void traceIndexRow(std::uint8_t* __restrict out, const QRgb* __restrict in, int n)
{
    for (int x = 0; x < n; ++x) {
        const QRgb p = in[x];
        out[x] = std::uint8_t(((p >> 16) & 0xE0) | ((p >> 11) & 0x1C) | ((p >> 6) & 0x03));
    }
}

void trace(QImage& img)
{
    const int w = img.width(), h = img.height();
    if (w < 3 || h < 2)
        return;
    // Indices of the picture as it was: painting never changes what later
    // comparisons see. Painting reaches only the row scanned and the one
    // below it, so two rows of indices, filled ahead, are enough.
    std::vector<std::uint8_t> rows(std::size_t(2) * std::size_t(w));
    std::uint8_t* idx[2] = {rows.data(), rows.data() + w};
    traceIndexRow(idx[0], line(img, 0), w);
    traceIndexRow(idx[1], line(img, 1), w);
    int first = -1; // the first index, fixed by the first place that differs
    for (int y = 0; y < h - 1; ++y) {
        const std::uint8_t* ci = idx[y & 1];
        const std::uint8_t* bi = idx[(y + 1) & 1];
        QRgb* cur = line(img, y);
        QRgb* below = line(img, y + 1);
        const auto compare = [&first](QRgb& p, int pi, QRgb& q, int qi) {
            if (pi == qi)
                return;
            if (first < 0) {
                p = kBlack;
                first = qi;
            } else if (pi == first) {
                q = kBlack;
            } else {
                p = kBlack;
            }
        };
        for (int x = 0; x < w - 2; ++x) {
            compare(cur[x], ci[x], cur[x + 1], ci[x + 1]);
            compare(cur[x], ci[x], below[x], bi[x]);
        }
        if (y + 2 < h)
            traceIndexRow(idx[y & 1], line(img, y + 2), w);
    }
}

void wavy(QImage& img, Rng& rng)
{
    if (rng.below(10) != 5)
        return;
    const int amplitude = int(rng.below(3));
    const int period = 30 + int(rng.below(2));
    if (amplitude == 0)
        return;
    const int w = img.width();
    for (int y = 0, h = img.height(); y < h; ++y) {
        const int shift = int(std::lrint(std::sin(y / double(period)) * amplitude));
        const int n = w - std::abs(shift);
        if (shift == 0 || n <= 0)
            continue;
        // Every pixel reads the same row `shift` columns away; memmove gives
        // each the unshifted value, as a copy of the row would.
        QRgb* p = line(img, y);
        if (shift > 0)
            std::memmove(p, p + shift, std::size_t(n) * 4);
        else
            std::memmove(p - shift, p, std::size_t(n) * 4);
    }
}

void semiOpaque(QImage& img)
{
    // The picture shows through a uniform white background on every other
    // pixel, a checkerboard with white where x + y is even.
    const int w = img.width();
    for (int y = 0, h = img.height(); y < h; ++y) {
        QRgb* p = line(img, y);
        for (int x = y & 1; x < w; x += 2)
            p[x] = kWhite;
    }
}

} // namespace

void greyscale(QImage& dst, const QImage& raw) { fromRows(dst, raw, greyRow); }

void isolate(QImage& dst, const QImage& raw, QRgb reference)
{
    const int r0 = red(reference), g0 = green(reference), b0 = blue(reference);
    fromRows(dst, raw, [=](QRgb* out, const QRgb* in, int n) { isolateRow(out, in, n, r0, g0, b0); });
}

void spotlight(QImage& dst, const QImage* raw, QPoint mouse, int radius)
{
    if (!usable(dst))
        return;
    (void)dst.bits();
    const auto& dimmed = tables().dimmed;
    const int w = dst.width(), h = dst.height();
    const std::int64_t mx = mouse.x(), my = mouse.y();
    // A negative radius lights nothing but the pointer's own pixel, as 0 does.
    const std::int64_t r = std::max(radius, 0);
    const std::int64_t r2 = r * r;
    for (int y = 0; y < h; ++y) {
        QRgb* p = line(dst, y);
        const std::int64_t dy = y - my;
        const std::int64_t room = r2 - dy * dy;
        if (room < 0) {
            dimSpan(p, 0, w, dimmed);
            continue;
        }
        // The lit pixels of this row are those with |x - mx| <= k; working
        // from the span keeps every square within 64 bits whatever the
        // pointer's distance.
        const std::int64_t k = isqrt(room);
        const std::int64_t litFrom = std::clamp<std::int64_t>(mx - k, 0, w);
        const std::int64_t litTo = std::clamp<std::int64_t>(mx + k + 1, 0, w);
        dimSpan(p, 0, litFrom, dimmed);
        dimSpan(p, litTo, w, dimmed);
    }
    if (raw && usable(*raw))
        copyDisc(dst, *raw, mouse);
}

void tint(QImage& dst, const QImage& raw, Tint t)
{
    if (t != Tint::Day && t != Tint::Night)
        return;
    const auto& tab = tables();
    const auto& reds = t == Tint::Day ? tab.dayRed : tab.nightRed;
    const auto& blues = t == Tint::Day ? tab.dayBlue : tab.nightBlue;
    fromRows(dst, raw, [&](QRgb* out, const QRgb* in, int n) { tintRow(out, in, n, reds, blues); });
}

void applyCode(int code, QImage& picture, Rng& rng, Scratch& scratch)
{
    if (!usable(picture))
        return;
    // Detach once up front, so that every row pointer below points into the
    // picture's own buffer.
    (void)picture.bits();
    const auto extract = [&picture](int shift, bool keepOthers) {
        inPlaceRows(picture, [=](QRgb* p, int n) { extractRow(p, n, shift, keepOthers); });
    };
    switch (code) {
    case kSmoothing:
        smooth(picture);
        break;
    case kContrast:
        inPlaceRows(picture, contrastRow);
        break;
    case kEmboss:
        emboss(picture);
        break;
    case kExtractBlue:
        extract(0, false);
        break;
    case kExtractGreen:
        extract(8, false);
        break;
    case kExtractRed:
        extract(16, false);
        break;
    case kExtractXBlue:
        extract(0, true);
        break;
    case kExtractXGreen:
        extract(8, true);
        break;
    case kExtractXRed:
        extract(16, true);
        break;
    case kMonoNoise:
        noise(picture, rng);
        break;
    case kSaturation:
        inPlaceRows(picture, saturateRow);
        break;
    case kSharpen:
        sharpen(picture, scratch);
        break;
    case kSplitBlur:
        splitBlur(picture);
        break;
    case kTrace:
        trace(picture);
        break;
    case kWavy:
        wavy(picture, rng);
        break;
    case kPosterize:
        inPlaceRows(picture, posterizeRow);
        break;
    case kSemiOpaque:
        semiOpaque(picture);
        break;
    case kSolarize:
        inPlaceRows(picture, solarizeRow);
        break;
    default:
        break;
    }
}

void swapChannels(QImage& picture, int mode)
{
    if (!usable(picture))
        return;
    inPlaceRows(picture, [mode](QRgb* p, int n) { swapRow(p, n, mode); });
}

bool EffectState::worksOnParts() const
{
    switch (code) {
    case kSmoothing:
    case kEmboss:
    case kMonoNoise:
    case kSharpen:
    case kSplitBlur:
    case kTrace:
    case kWavy:
    case kSemiOpaque: // its checkerboard counts from the frame's corner
        return false;
    default:
        return true;
    }
}

void applyEffects(const EffectState& state, Frame& frame, Rng& rng, Scratch& scratch)
{
    if (!frame.pixels)
        return;
    QImage& pixels = *frame.pixels;
    // Without a captured copy the picture itself is the best source there is:
    // right whenever nothing inverted it.
    const QImage& source = frame.raw ? *frame.raw : pixels;
    // Isolation rewrites every pixel from the capture, so greyscale under it
    // would only be overwritten.
    if (state.greyscale && !state.isolation)
        greyscale(pixels, source);
    if (state.isolation)
        isolate(pixels, source, frame.underMouse);
    if (state.spotlight)
        spotlight(pixels, frame.raw, frame.mouse, state.spotRadius);
    if (!state.invert && !state.greyscale && !state.isolation && !state.spotlight)
        tint(pixels, source, state.tint);
    applyCode(state.code, pixels, rng, scratch);
    if (state.swap)
        swapChannels(pixels, state.swapMode);
}

} // namespace mirovex::fx
