// The frame effects as plain functions over a mirrored frame: inversion,
// greyscale, colour isolation, spotlight, day and night tint, the eighteen
// coded picture effects and the colour swap, in the order the effect stage
// applies them. Pixels are QImage::Format_RGB32; nothing here needs a
// display, and nothing allocates per frame once its buffers have the size.
#pragma once

#include <QImage>
#include <QPoint>

#include <cstdint>

namespace mirovex::fx {

enum class Tint { None = 0, Day = 1, Night = 2 };

// The effect codes of the "Effects" items; codes above 100 write a second
// picture. Codes without an effect of their own (11, 13, 15, ...) leave the
// picture as it is.
enum Code : int {
    kNone = 0,
    kSmoothing = 1,
    kContrast = 2,
    kEmboss = 3,
    kExtractBlue = 4,
    kExtractGreen = 5,
    kExtractRed = 6,
    kExtractXBlue = 7,
    kExtractXGreen = 8,
    kExtractXRed = 9,
    kMonoNoise = 10,
    kSaturation = 12,
    kSharpen = 14,
    kSplitBlur = 16,
    kTrace = 17,
    kWavy = 18,
    kPosterize = 111,
    kSemiOpaque = 131,
    kSolarize = 151,
};

struct EffectState {
    bool invert = false;
    bool greyscale = false;
    bool isolation = false;
    bool spotlight = false;
    bool swap = false;
    int spotRadius = 240; // pixels; primary width div 8 by default
    int swapMode = 0;     // 0..4; anything else counts as 0
    Tint tint = Tint::None;
    int code = kNone;

    // Whether any stage after the copy has work to do.
    bool anyStage() const { return greyscale || isolation || spotlight || tint != Tint::None || code != kNone || swap; }
    // Greyscale, isolation, tint and the spotlight's disc work from the
    // picture as captured, before inversion.
    bool needsRaw() const { return greyscale || isolation || spotlight || (tint != Tint::None && !invert); }
    // Whether each pixel comes out of its own value and its place against
    // the pointer alone, so that a part of the frame worked on its own comes
    // out as it would in the whole. Isolation also needs the same colour
    // under the pointer.
    bool worksOnParts() const;
    // Whether the picture changes on every frame by itself.
    bool changesByItself() const { return code == kMonoNoise || code == kWavy; }
};

// Fast random numbers for the noise and the waves: xorshift64*, seeded once,
// replaceable by a fixed seed in tests.
class Rng {
public:
    explicit Rng(std::uint64_t seed = 0x9E3779B97F4A7C15ull) : s_(seed ? seed : 1) {}
    std::uint32_t next()
    {
        s_ ^= s_ >> 12;
        s_ ^= s_ << 25;
        s_ ^= s_ >> 27;
        return std::uint32_t((s_ * 0x2545F4914F6CDD1Dull) >> 32);
    }
    // 0 .. n-1, n > 0.
    std::uint32_t below(std::uint32_t n) { return std::uint32_t((std::uint64_t(next()) * n) >> 32); }

private:
    std::uint64_t s_;
};

// One frame for the effect stage.
struct Frame {
    QImage* pixels = nullptr;    // the mirrored rectangle, already inverted when `invert` is on
    const QImage* raw = nullptr; // the same pixels as captured, never inverted; may be null unless needsRaw()
    QPoint mouse;                // the pointer in the frame's pixel coordinates; may lie outside it
    QRgb underMouse = 0;         // the captured colour under the pointer, also when it lies outside the frame
};

// Work buffers kept between frames, so that no frame allocates once sizes
// settle.
struct Scratch {
    QImage copy;
    QImage second;
};

// The effect stage, in order: greyscale, colour isolation, spotlight, tint,
// the effect code, the colour swap.
void applyEffects(const EffectState& state, Frame& frame, Rng& rng, Scratch& scratch);

// The stages one by one (for the tests and the benchmarks).
void greyscale(QImage& dst, const QImage& raw);
void isolate(QImage& dst, const QImage& raw, QRgb reference);
void spotlight(QImage& dst, const QImage* raw, QPoint mouse, int radius);
void tint(QImage& dst, const QImage& raw, Tint t);
void applyCode(int code, QImage& picture, Rng& rng, Scratch& scratch);
void swapChannels(QImage& picture, int mode);

} // namespace mirovex::fx
