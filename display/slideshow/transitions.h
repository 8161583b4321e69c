// The slideshow view's transitions: style 0 ("Custom", a plain cut) and the
// 176 named styles, each one member of a small family (masks revealing the
// new picture by a threshold map, slides, pushes, squeezes, expanding
// rectangles, blends, pixelation) with its own parameters. Rendering is a
// plain function of (style, old picture, new picture, progress, seed): the
// same arguments always give the same frame.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace mirovex::transitions {

// Styles 0..176; a picture's style is drawn from 0..161 only.
inline constexpr int kStyleCount = 177;
inline constexpr int kDrawnStyles = 162;

QString styleName(int style);

// A uniform draw from 0..161 out of a 32-bit random source.
using RandomSource = std::function<std::uint32_t()>;
int drawStyle(const RandomSource& random);
// A source seeded from the clock, as each show starts.
RandomSource clockSeededSource();

// Renders one frame. `from`, `to` and `out` are Format_RGB32 of one size;
// `out` is written in place and never reallocated. Progress is 0..100: 0
// shows `from`, 100 shows `to`. The renderer keeps what a transition needs
// from step to step (a threshold map, a column table), built on the first
// step of a (style, size, seed) and reused after, so a step allocates
// nothing.
class Renderer {
public:
    void render(int style, const QImage& from, const QImage& to, int progress, std::uint32_t seed, QImage& out);
    // Builds what the steps of this transition share, so the first step
    // costs no more than the others.
    void prepare(int style, QSize size, std::uint32_t seed);

private:
    struct Key {
        int style = -1;
        QSize size;
        std::uint32_t seed = 0;
        bool operator==(const Key&) const = default;
    };
    Key key_;
    std::vector<std::uint8_t> map_;
    std::vector<int> columns_;
};

} // namespace mirovex::transitions
