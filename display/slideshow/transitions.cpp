#include "display/slideshow/transitions.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

namespace mirovex::transitions {

namespace {

enum class Family : std::uint8_t {
    Cut,      // the new picture at once
    Mask,     // a threshold map: a pixel turns new once the progress passes it
    Slide,    // the new picture moves in over the old
    SlideOut, // the old picture moves out, uncovering the new
    Push,     // both move: the new pushes the old out
    Squeeze,  // the new moves in stretched, the old is squeezed into the rest
    Expand,   // the new picture scaled into a rectangle that grows
    Contract, // the old picture scaled into a rectangle that shrinks
    Fade,
    ChannelMix, // red, green and blue change over one after the other
    Pixelate,   // the old coarsens into blocks, the new sharpens out of them
};

// The shapes of the threshold maps; what a pixel's value is before the
// random part is mixed in. (ax, ay) is a direction (where the reveal comes
// from: -1 left/top, +1 right/bottom) or an anchor point (0 the middle).
enum class Shape : std::uint8_t {
    None,      // only the random part
    Linear,    // straight edge moving away from (ax, ay)
    Box,       // a rectangle growing from the anchor
    Band,      // a band growing out of the middle line (ax: vertical line, ay: horizontal)
    Radial,    // a circle or ellipse growing from the anchor
    Diamond,   // a diamond growing from the anchor
    Angle,     // a sweep around the anchor; n = 1 clockwise
    Star,      // a star of n points growing from the centre
    Blinds,    // n slats opening at once (ax: columns, ay: rows)
    Curved,    // a curved edge moving away from (ax, ay)
    Vee,       // a V moving away from (ax, ay)
    BowTie,    // two wedges meeting in the middle (ax: from the sides, ay: top and bottom)
    DiagCross, // the two diagonals widening
    Zigzag,    // a zigzag edge moving away from (ax, ay)
    Spiral,    // square rings from the edge inwards, each swept round
    Edges,     // from several edges at once: n is a set of kLeft..kBottom
    Alternate, // strips taking turns: even strips from one side, odd from the other
};

constexpr std::uint8_t kLeft = 1, kRight = 2, kTop = 4, kBottom = 8;

struct Style {
    const char* name;
    Family family;
    Shape shape = Shape::None;
    std::int8_t ax = 0, ay = 0;
    bool inverse = false; // the map reversed: the reveal runs the other way
    // The random part: a grid of nx by ny cells, each with its own delay
    // (0 means one cell across that axis; -1 by -1 one per pixel), mixed in
    // with `weight` percent.
    std::int16_t nx = 0, ny = 0;
    std::uint8_t weight = 0;
    std::uint8_t n = 0;
};

constexpr Style cut(const char* name) { return {name, Family::Cut}; }
constexpr Style move(const char* name, Family f, int ax, int ay) { return {name, f, Shape::None, std::int8_t(ax), std::int8_t(ay)}; }
constexpr Style expand(const char* name, int ax, int ay, bool growX, bool growY, bool contract = false)
{
    // n holds which axes change size: 1 across, 2 down.
    return {name, contract ? Family::Contract : Family::Expand, Shape::None, std::int8_t(ax), std::int8_t(ay), false, 0, 0, 0,
            std::uint8_t((growX ? 1 : 0) | (growY ? 2 : 0))};
}
constexpr Style mask(const char* name, Shape s, int ax = 0, int ay = 0, bool inverse = false, int nx = 0, int ny = 0, int weight = 0,
                     int n = 0)
{
    return {name, Family::Mask, s, std::int8_t(ax), std::int8_t(ay), inverse, std::int16_t(nx), std::int16_t(ny), std::uint8_t(weight),
            std::uint8_t(n)};
}
constexpr Style plain(const char* name, Family f) { return {name, f}; }

using F = Family;
using S = Shape;

// Strips for bars and shreds: bars are broad and even, shreds thin and
// uneven (a larger random share).
constexpr int kBars = 16, kShreds = 48;

constexpr Style kStyles[kStyleCount] = {
    cut("Custom"),
    expand("Expand from right", 1, 0, true, false),
    expand("Expand from left", -1, 0, true, false),
    move("Slide in from right", F::Slide, 1, 0),
    move("Slide in from left", F::Slide, -1, 0),
    mask("Reveal from left", S::Linear, -1, 0),
    mask("Reveal from right", S::Linear, 1, 0),
    move("Expand in from right", F::Squeeze, 1, 0),
    move("Expand in from left", F::Squeeze, -1, 0),
    mask("Expand in to middle", S::Band, 1, 0, true),
    expand("Expand out from middle", 0, 0, true, false),
    mask("Reveal out from middle", S::Band, 1, 0),
    mask("Reveal in from sides", S::Edges, 0, 0, false, 0, 0, 0, kLeft | kRight),
    expand("Expand in from sides", 0, 0, true, false, true),
    move("Unroll from left", F::Slide, -1, 0),
    move("Unroll from right", F::Slide, 1, 0),
    move("Build up from right", F::Squeeze, 1, 0),
    move("Build up from left", F::Squeeze, -1, 0),
    expand("Expand from bottom", 0, 1, false, true),
    expand("Expand from top", 0, -1, false, true),
    move("Slide in from bottom", F::Slide, 0, 1),
    move("Slide in from top", F::Slide, 0, -1),
    mask("Reveal from top", S::Linear, 0, -1),
    mask("Reveal from bottom", S::Linear, 0, 1),
    move("Expand in from bottom", F::Squeeze, 0, 1),
    move("Expand in from top", F::Squeeze, 0, -1),
    mask("Expand in to middle (horizontal)", S::Band, 0, 1, true),
    expand("Expand out from middle (horizontal)", 0, 0, false, true),
    mask("Reveal from middle (horizontal)", S::Band, 0, 1),
    mask("Slide in from top and bottom", S::Edges, 0, 0, false, 0, 0, 0, kTop | kBottom),
    expand("Expand in from top and bottom", 0, 0, false, true, true),
    move("Unroll from top", F::Slide, 0, -1),
    move("Unroll from bottom", F::Slide, 0, 1),
    expand("Expand from bottom", 0, 1, false, true),
    move("Expand in from top", F::Squeeze, 0, -1),
    expand("Expand from bottom right", 1, 1, true, true),
    expand("Expand from top right", 1, -1, true, true),
    expand("Expand from top left", -1, -1, true, true),
    expand("Expand from bottom left", -1, 1, true, true),
    move("Slide in from bottom right", F::Slide, 1, 1),
    move("Slide in from top right", F::Slide, 1, -1),
    move("Slide in from top left", F::Slide, -1, -1),
    move("Slide in from bottom left", F::Slide, -1, 1),
    mask("Reveal from top left", S::Box, -1, -1),
    mask("Reveal from bottom left", S::Box, -1, 1),
    mask("Reveal from bottom right", S::Box, 1, 1),
    mask("Reveal from top right", S::Box, 1, -1),
    expand("Appear and Contract to top left", -1, -1, true, true, true),
    expand("Appear and Contract to bottom left", -1, 1, true, true, true),
    expand("Appear and Contract to bottom right", 1, 1, true, true, true),
    expand("Appear and Contract to top right", 1, -1, true, true, true),
    expand("Appear and Contract to middle", 0, 0, true, true, true),
    expand("Expand out from centre", 0, 0, true, true),
    mask("Reveal out from centre", S::Box, 0, 0),
    mask("Reveal in to centre", S::Box, 0, 0, true),
    mask("Quarters Reveal in to middle", S::Edges, 0, 0, false, 0, 0, 0, kLeft | kRight | kTop | kBottom),
    mask("Quarters Expand to middle", S::Diamond, 0, 0, true),
    mask("Quarters Slide in to middle", S::Radial, 0, 0, true),
    mask("Curved Reveal from left", S::Curved, -1, 0),
    mask("Curved Reveal from right", S::Curved, 1, 0),
    mask("Bars in from right", S::Linear, 1, 0, false, 1, kBars, 40),
    mask("Bars in from left", S::Linear, -1, 0, false, 1, kBars, 40),
    mask("Bars left then right", S::Alternate, 1, 0, false, 1, kBars),
    mask("Bars right then left", S::Alternate, 1, 0, true, 1, kBars),
    mask("Bars from both sides", S::Edges, 0, 0, false, 1, kBars, 40, kLeft | kRight),
    mask("Uneven shred from right", S::Linear, 1, 0, false, 1, kShreds, 60),
    mask("Uneven shred from left", S::Linear, -1, 0, false, 1, kShreds, 60),
    mask("Uneven shred out from middle (horizontal)", S::Band, 1, 0, false, 1, kShreds, 60),
    mask("Uneven shred in to middle (horizontal)", S::Band, 1, 0, true, 1, kShreds, 60),
    mask("Curved Reveal from top", S::Curved, 0, -1),
    mask("Curved Reveal from bottom", S::Curved, 0, 1),
    mask("Bars from bottom", S::Linear, 0, 1, false, kBars, 1, 40),
    mask("Bars from top", S::Linear, 0, -1, false, kBars, 1, 40),
    mask("Bars top then bottom", S::Alternate, 0, 1, false, kBars, 1),
    mask("Bars bottom then top", S::Alternate, 0, 1, true, kBars, 1),
    mask("Bars from top and bottom", S::Edges, 0, 0, false, kBars, 1, 40, kTop | kBottom),
    mask("Unven shred from bottom", S::Linear, 0, 1, false, kShreds, 1, 60),
    mask("Uneven shred from top", S::Linear, 0, -1, false, kShreds, 1, 60),
    mask("Uneven shred from horizon", S::Band, 0, 1, false, kShreds, 1, 60),
    mask("Uneven shred in to horizon", S::Band, 0, 1, true, kShreds, 1, 60),
    mask("Curved reveal from top left", S::Radial, -1, -1),
    mask("Curved reveal from top right", S::Radial, 1, -1),
    mask("Curved reveal from bottom left", S::Radial, -1, 1),
    mask("Curved reveal from bottom right", S::Radial, 1, 1),
    mask("Elliptic reveal out from centre", S::Radial, 0, 0),
    mask("Elliptic reveal in to centre", S::Radial, 0, 0, true),
    mask("Criss Cross reveal from bottom right", S::Edges, 0, 0, false, 0, 0, 0, kRight | kBottom),
    mask("Criss Cross reveal from top right", S::Edges, 0, 0, false, 0, 0, 0, kRight | kTop),
    mask("Criss Cross reveal from bottom left", S::Edges, 0, 0, false, 0, 0, 0, kLeft | kBottom),
    mask("Criss Cross reveal from top left", S::Edges, 0, 0, false, 0, 0, 0, kLeft | kTop),
    mask("Criss Cross reveal bounce from top left", S::Edges, 0, 0, true, 0, 0, 0, kRight | kBottom),
    mask("Criss Cross reveal bounce from bottom left", S::Edges, 0, 0, true, 0, 0, 0, kRight | kTop),
    mask("Criss Cross reveal bounce from top right", S::Edges, 0, 0, true, 0, 0, 0, kLeft | kBottom),
    mask("Criss Cross reveal bounce from bottom right", S::Edges, 0, 0, true, 0, 0, 0, kLeft | kTop),
    mask("Criss Cross reveal from right top and bottom", S::Edges, 0, 0, false, 0, 0, 0, kRight | kTop | kBottom),
    mask("Criss Cross reveal from left top and bottom", S::Edges, 0, 0, false, 0, 0, 0, kLeft | kTop | kBottom),
    mask("Criss Cross reveal from left right and bottom", S::Edges, 0, 0, false, 0, 0, 0, kLeft | kRight | kBottom),
    mask("Criss Cross reveal from left right and top", S::Edges, 0, 0, false, 0, 0, 0, kLeft | kRight | kTop),
    mask("Criss Cross reveal from top left right and bottom", S::Edges, 0, 0, true, 0, 0, 0, kLeft | kRight | kTop | kBottom),
    mask("Criss Cross reveal from bottom left top right", S::DiagCross, 0, 0, true),
    mask("Uneven shred from bottom and right", S::Linear, 1, 1, false, kShreds, kShreds, 60),
    mask("Uneven shred from top and right", S::Linear, 1, -1, false, kShreds, kShreds, 60),
    mask("Uneven shred from bottom and left", S::Linear, -1, 1, false, kShreds, kShreds, 60),
    mask("Uneven shred from top and left", S::Linear, -1, -1, false, kShreds, kShreds, 60),
    mask("Uneven shred from horizon and right", S::Band, 1, 1, false, kShreds, kShreds, 60),
    mask("Uneven shred from horizon and left", S::Band, -1, 1, false, kShreds, kShreds, 60),
    mask("Uneven shred from bottom and vert middle", S::Vee, 0, 1, false, kShreds, kShreds, 60),
    mask("Uneven shred from top and vert middle", S::Vee, 0, -1, false, kShreds, kShreds, 60),
    mask("Uneven shred from centre", S::Box, 0, 0, false, kShreds, kShreds, 60),
    mask("Uneven shred to centre", S::Box, 0, 0, true, kShreds, kShreds, 60),
    mask("Reveal diagonal from top left", S::Linear, -1, -1),
    mask("Reveal diagonal from top right", S::Linear, 1, -1),
    mask("Reveal diagonal from bottom left", S::Linear, -1, 1),
    mask("Reveal diagonal from bottom right", S::Linear, 1, 1),
    mask("Diagonal sweep from top left bottom right anticlockwise", S::Angle, -1, -1, false, 0, 0, 0, 0),
    mask("Diagonal sweep from top left bottom right clockwise", S::Angle, -1, -1, false, 0, 0, 0, 1),
    mask("Starburst clockwise from center", S::Angle, 0, 0, false, 0, 0, 0, 1),
    mask("Starburst anticlockwise from center", S::Angle, 0, 0, false, 0, 0, 0, 0),
    mask("Triangular shred", S::DiagCross, 0, 0, false, 24, 16, 70),
    plain("Fade", F::Fade),
    mask("Pivot from top left", S::Angle, -1, -1, true, 0, 0, 0, 1),
    mask("Pivot from bottom left", S::Angle, -1, 1, true, 0, 0, 0, 0),
    mask("Pivot from top right", S::Angle, 1, -1, true, 0, 0, 0, 0),
    mask("Pivot from bottom right", S::Angle, 1, 1, true, 0, 0, 0, 1),
    mask("Speckle appear from right", S::Linear, 1, 0, false, -1, -1, 50),
    mask("Speckle appear from left", S::Linear, -1, 0, false, -1, -1, 50),
    mask("Speckle appear from bottom", S::Linear, 0, 1, false, -1, -1, 50),
    mask("Speckle appear from top", S::Linear, 0, -1, false, -1, -1, 50),
    mask("Random squares appear", S::None, 0, 0, false, 32, 18, 100),
    move("Push right", F::Push, -1, 0),
    move("Push left", F::Push, 1, 0),
    move("Push and squeeze right", F::Squeeze, -1, 0),
    move("Push and squeeze left", F::Squeeze, 1, 0),
    move("Push down", F::Push, 0, -1),
    move("Push up", F::Push, 0, 1),
    move("Push and sqeeze down", F::Squeeze, 0, -1),
    move("Push and sqeeze up", F::Squeeze, 0, 1),
    mask("Blind vertically", S::Blinds, 1, 0, false, 0, 0, 0, 12),
    mask("Blind horizontally", S::Blinds, 0, 1, false, 0, 0, 0, 12),
    mask("Uneven blind from left", S::Blinds, 1, 0, false, 12, 0, 60, 12),
    mask("Uneven blind from right", S::Blinds, 1, 0, true, 12, 0, 60, 12),
    mask("Uneven blind from top", S::Blinds, 0, 1, false, 0, 12, 60, 12),
    mask("Uneven blind from bottom", S::Blinds, 0, 1, true, 0, 12, 60, 12),
    mask("Rectangular shred", S::None, 0, 0, false, 24, 12, 100),
    mask("Sweep clockwise", S::Angle, 0, 0, true, 0, 0, 0, 1),
    mask("Sweep anticlockwise", S::Angle, 0, 0, true, 0, 0, 0, 0),
    mask("Rectangles apear from left and disapear to right", S::Linear, -1, 0, false, 16, 9, 45),
    mask("Rectangles apear from right and disapear to left", S::Linear, 1, 0, false, 16, 9, 45),
    mask("Rectangles apear from up and disapear to bottom", S::Linear, 0, -1, false, 16, 9, 45),
    mask("Rectangles apear from bottom and disapear to up", S::Linear, 0, 1, false, 16, 9, 45),
    mask("Rotational rectangle in center", S::Box, 0, 0, false, 0, 0, 0, 1),
    mask("Rotational star in center", S::Star, 0, 0, false, 0, 0, 0, 5),
    mask("Spiral rectangle", S::Spiral),
    mask("Circular shred", S::Radial, 0, 0, false, 24, 24, 70),
    mask("Reveal V from left", S::Vee, -1, 0),
    mask("Reveal V from right", S::Vee, 1, 0),
    mask("Reveal V from top", S::Vee, 0, -1),
    mask("Reveal V from bottom", S::Vee, 0, 1),
    mask("Bow Tie Horizontal", S::BowTie, 1, 0),
    mask("Bow Tie Vertical", S::BowTie, 0, 1),
    mask("Diagonal Cross In", S::DiagCross, 0, 0, true),
    mask("Diagonal Cross Out", S::DiagCross),
    mask("Zigzag Horizontal", S::Zigzag, -1, 0),
    mask("Zigzag Vertical", S::Zigzag, 0, -1),
    mask("Diamond shred", S::Diamond, 0, 0, false, 24, 24, 70),
    mask("Reveal diamond out from centre", S::Diamond, 0, 0),
    mask("Reveal diamond in to centre", S::Diamond, 0, 0, true),
    mask("Diagonal Box Out", S::Diamond, 0, 0, false, 0, 0, 0, 1),
    plain("Pixelate", F::Pixelate),
    mask("Dissolve", S::None, 0, 0, false, -1, -1, 100),
    mask("Random Bars Horizontal", S::None, 0, 0, false, 1, 96, 100),
    mask("Random Bars Vertical", S::None, 0, 0, false, 128, 1, 100),
    plain("Channel Mix", F::ChannelMix),
    move("Slide out from right", F::SlideOut, 1, 0),
    move("Slide out from left", F::SlideOut, -1, 0),
    move("Slide out from bottom", F::SlideOut, 0, 1),
    move("Slide out from top", F::SlideOut, 0, -1),
};

const Style& styleAt(int style) { return kStyles[(style >= 0 && style < kStyleCount) ? style : 0]; }

// A stable pseudo-random value in [0, 1) for a cell; the same seed gives the
// same pattern, so a transition can be rendered again step for step.
double cellRandom(std::uint32_t seed, std::uint32_t a, std::uint32_t b)
{
    std::uint64_t z = (std::uint64_t(seed) << 32) ^ (std::uint64_t(a) * 0x9E3779B97F4A7C15ull) ^ (std::uint64_t(b) * 0xC2B2AE3D27D4EB4Full);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) * (1.0 / 9007199254740992.0);
}

// How far along a straight reveal from (ax, ay) the point (u, v) lies.
double linear(int ax, int ay, double u, double v)
{
    double t = 0;
    if (ax)
        t += ax < 0 ? u : 1 - u;
    if (ay)
        t += ay < 0 ? v : 1 - v;
    return t;
}

double shapeValue(const Style& s, double u, double v, int stripIndex)
{
    const double cx = (s.ax + 1) / 2.0, cy = (s.ay + 1) / 2.0;
    const double du = u - cx, dv = v - cy;
    switch (s.shape) {
    case Shape::None: return 0;
    case Shape::Linear: return linear(s.ax, s.ay, u, v);
    case Shape::Box: {
        if (s.n == 1) {
            // Turned by 45 degrees as it grows: a square standing on a corner.
            const double r = std::max(std::abs(du + dv), std::abs(du - dv));
            return r + 0.2 * std::max(std::abs(du), std::abs(dv));
        }
        return std::max(std::abs(du), std::abs(dv));
    }
    case Shape::Band: {
        double t = 0;
        if (s.ax)
            t += std::abs(u - 0.5);
        if (s.ay)
            t += std::abs(v - 0.5);
        if (s.ax < 0)
            t += 0.5 * u; // the left-hand side first
        return t;
    }
    case Shape::Radial: return std::sqrt(du * du + dv * dv);
    case Shape::Diamond:
        return s.n == 1 ? std::max(std::abs(du) + std::abs(dv), 1.5 * std::max(std::abs(du), std::abs(dv)))
                        : std::abs(du) + std::abs(dv);
    case Shape::Angle: {
        double a = std::atan2(dv, du); // y grows downwards: clockwise on screen
        if (s.n == 0)
            a = -a;
        a += std::numbers::pi;
        return a;
    }
    case Shape::Star: {
        const double r = std::sqrt(du * du + dv * dv);
        const double a = std::atan2(dv, du);
        return r / (0.6 + 0.4 * std::cos(s.n * a));
    }
    case Shape::Blinds: {
        const double c = s.ax ? u : v;
        return c * s.n - std::floor(c * s.n);
    }
    case Shape::Curved: {
        const double other = s.ax ? v : u;
        return linear(s.ax, s.ay, u, v) + 0.3 * std::sin(std::numbers::pi * other);
    }
    case Shape::Vee: {
        const double other = s.ax ? v : u;
        return linear(s.ax, s.ay, u, v) + 0.5 * std::abs(other - 0.5);
    }
    case Shape::BowTie: {
        const double along = s.ax ? std::abs(u - 0.5) : std::abs(v - 0.5);
        const double across = s.ax ? std::abs(v - 0.5) : std::abs(u - 0.5);
        return across - along;
    }
    case Shape::DiagCross: return std::min(std::abs(u - v), std::abs(u + v - 1));
    case Shape::Zigzag: {
        const double other = s.ax ? v : u;
        const double w = other * 8 - std::floor(other * 8);
        return linear(s.ax, s.ay, u, v) + 0.12 * std::abs(w - 0.5);
    }
    case Shape::Spiral: {
        const double ring = std::max(std::abs(u - 0.5), std::abs(v - 0.5)); // 0.5 at the edge
        const int rings = 6;
        const int index = std::min(rings - 1, int((0.5 - ring) * 2 * rings));
        const double a = (std::atan2(v - 0.5, u - 0.5) + std::numbers::pi) / (2 * std::numbers::pi);
        return index + a;
    }
    case Shape::Edges: {
        double t = 1e9;
        if (s.n & kLeft)
            t = std::min(t, u);
        if (s.n & kRight)
            t = std::min(t, 1 - u);
        if (s.n & kTop)
            t = std::min(t, v);
        if (s.n & kBottom)
            t = std::min(t, 1 - v);
        return t;
    }
    case Shape::Alternate: {
        const double c = s.ax ? u : v;
        const double along = (stripIndex % 2 == 0) ? c : 1 - c;
        return (stripIndex % 2 == 0) ? along : 1 + along;
    }
    }
    return 0;
}

void buildMap(const Style& s, QSize size, std::uint32_t seed, std::vector<std::uint8_t>& map)
{
    const int w = size.width(), h = size.height();
    map.resize(std::size_t(w) * std::size_t(h));
    const double weight = s.weight / 100.0;
    const bool perPixel = s.nx < 0 || s.ny < 0;
    // Shapes are smooth: worked out on every other pixel and row, they cost
    // a quarter as much when a transition starts. Speckles need each pixel.
    const int step = perPixel ? 1 : 2;
    const int gw = (w + step - 1) / step, gh = (h + step - 1) / step;
    std::vector<float> values(std::size_t(gw) * std::size_t(gh));
    const int nx = std::max<int>(1, s.nx), ny = std::max<int>(1, s.ny);
    // Alternating strips run across the other axis.
    const bool stripsAcross = s.ax != 0;
    const int strips = stripsAcross ? ny : nx;
    float lo = 1e30f, hi = -1e30f;
    for (int gy = 0; gy < gh; ++gy) {
        const int y = std::min(h - 1, gy * step);
        const double v = (y + 0.5) / h;
        const int cy = std::min(ny - 1, int(v * ny));
        for (int gx = 0; gx < gw; ++gx) {
            const int x = std::min(w - 1, gx * step);
            const double u = (x + 0.5) / w;
            const int cx = std::min(nx - 1, int(u * nx));
            const int strip = stripsAcross ? std::min(strips - 1, cy) : std::min(strips - 1, cx);
            double t = shapeValue(s, u, v, strip);
            if (s.shape != Shape::Alternate && weight > 0) {
                const double r = perPixel ? cellRandom(seed, std::uint32_t(x), std::uint32_t(y))
                                          : cellRandom(seed, std::uint32_t(cx), std::uint32_t(cy));
                t = t * (1 - weight) + r * weight * (s.shape == Shape::None ? 1.0 : 0.75);
            }
            if (s.inverse)
                t = -t;
            const float f = float(t);
            values[std::size_t(gy) * std::size_t(gw) + std::size_t(gx)] = f;
            lo = std::min(lo, f);
            hi = std::max(hi, f);
        }
    }
    // Spread to 0..255 whatever the shape's own range, so every map starts
    // at 0 % and is complete at 100 %.
    const float scale = hi > lo ? 256.f / (hi - lo) : 0.f;
    for (int y = 0; y < h; ++y) {
        const float* row = values.data() + std::size_t(y / step) * std::size_t(gw);
        std::uint8_t* out = map.data() + std::size_t(y) * std::size_t(w);
        for (int x = 0; x < w; ++x)
            out[x] = std::uint8_t(std::min(255.f, (row[x / step] - lo) * scale));
    }
}

void copyImage(const QImage& src, QImage& out) { std::memcpy(out.bits(), src.constBits(), std::size_t(out.sizeInBytes())); }

// Copies `src` into `out` moved by (dx, dy); what falls outside is dropped.
void blitShifted(const QImage& src, QImage& out, int dx, int dy)
{
    const int w = out.width(), h = out.height();
    const int x0 = std::max(0, dx), x1 = std::min(w, w + dx);
    if (x1 <= x0)
        return;
    for (int y = std::max(0, dy); y < std::min(h, h + dy); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y - dy));
        auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        std::memcpy(d + x0, s + (x0 - dx), std::size_t(x1 - x0) * sizeof(QRgb));
    }
}

// `src` scaled (nearest pixel) into `r` of `out`; `columns` is scratch.
void scaleInto(const QImage& src, QImage& out, const QRect& r, std::vector<int>& columns)
{
    const QRect clipped = r & out.rect();
    if (clipped.isEmpty())
        return;
    const int sw = src.width(), sh = src.height();
    columns.resize(std::size_t(out.width()));
    for (int x = clipped.left(); x <= clipped.right(); ++x)
        columns[std::size_t(x)] = std::min(sw - 1, int(qint64(x - r.x()) * sw / r.width()));
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        const int sy = std::min(sh - 1, int(qint64(y - r.y()) * sh / r.height()));
        const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
        auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            d[x] = s[columns[std::size_t(x)]];
    }
}

// A rectangle of `fraction` of the picture along the growing axes, held at
// the anchor.
QRect growingRect(const Style& s, QSize size, double fraction)
{
    const int w = (s.n & 1) ? int(std::lround(size.width() * fraction)) : size.width();
    const int h = (s.n & 2) ? int(std::lround(size.height() * fraction)) : size.height();
    const int x = s.ax < 0 ? 0 : s.ax > 0 ? size.width() - w : (size.width() - w) / 2;
    const int y = s.ay < 0 ? 0 : s.ay > 0 ? size.height() - h : (size.height() - h) / 2;
    return QRect(x, y, w, h);
}

void renderSqueeze(const Style& s, const QImage& from, const QImage& to, double p, QImage& out, std::vector<int>& columns)
{
    const int w = out.width(), h = out.height();
    if (s.ax) {
        const int newW = int(std::lround(w * p));
        // The new picture enters from the side the style names.
        const QRect fresh = s.ax > 0 ? QRect(w - newW, 0, newW, h) : QRect(0, 0, newW, h);
        const QRect old = s.ax > 0 ? QRect(0, 0, w - newW, h) : QRect(newW, 0, w - newW, h);
        if (!old.isEmpty())
            scaleInto(from, out, old, columns);
        if (!fresh.isEmpty())
            scaleInto(to, out, fresh, columns);
    } else {
        const int newH = int(std::lround(h * p));
        const QRect fresh = s.ay > 0 ? QRect(0, h - newH, w, newH) : QRect(0, 0, w, newH);
        const QRect old = s.ay > 0 ? QRect(0, 0, w, h - newH) : QRect(0, newH, w, h - newH);
        if (!old.isEmpty())
            scaleInto(from, out, old, columns);
        if (!fresh.isEmpty())
            scaleInto(to, out, fresh, columns);
    }
}

void renderBlend(const QImage& from, const QImage& to, double pr, double pg, double pb, QImage& out)
{
    const unsigned wr = unsigned(std::lround(pr * 256)), wg = unsigned(std::lround(pg * 256)), wb = unsigned(std::lround(pb * 256));
    const std::size_t n = std::size_t(out.width()) * std::size_t(out.height());
    const auto* a = reinterpret_cast<const QRgb*>(from.constBits());
    const auto* b = reinterpret_cast<const QRgb*>(to.constBits());
    auto* d = reinterpret_cast<QRgb*>(out.bits());
    if (wr == wg && wg == wb) {
        // Two channels per multiply: red and blue in one word, green in the other.
        const quint32 wgt = wr, inv = 256 - wr;
        for (std::size_t i = 0; i < n; ++i) {
            const quint32 rb = (((a[i] & 0xFF00FFu) * inv + (b[i] & 0xFF00FFu) * wgt) >> 8) & 0xFF00FFu;
            const quint32 g = (((a[i] & 0x00FF00u) * inv + (b[i] & 0x00FF00u) * wgt) >> 8) & 0x00FF00u;
            d[i] = 0xFF000000u | rb | g;
        }
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned r = (qRed(a[i]) * (256 - wr) + qRed(b[i]) * wr) >> 8;
        const unsigned g = (qGreen(a[i]) * (256 - wg) + qGreen(b[i]) * wg) >> 8;
        const unsigned bl = (qBlue(a[i]) * (256 - wb) + qBlue(b[i]) * wb) >> 8;
        d[i] = qRgb(int(r), int(g), int(bl));
    }
}

void renderPixelate(const QImage& from, const QImage& to, int progress, QImage& out)
{
    // Coarsest at half way, where the pictures change over.
    const QImage& src = progress < 50 ? from : to;
    const int distance = progress < 50 ? progress : 100 - progress;
    const int block = std::max(1, 1 + distance * std::max(out.width(), out.height()) / 1000);
    if (block == 1) {
        copyImage(src, out);
        return;
    }
    const int w = out.width(), h = out.height();
    for (int by = 0; by < h; by += block) {
        const int sy = std::min(h - 1, by + block / 2);
        const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
        const int rows = std::min(block, h - by);
        for (int bx = 0; bx < w; bx += block) {
            const QRgb c = s[std::min(w - 1, bx + block / 2)];
            const int cols = std::min(block, w - bx);
            for (int y = 0; y < rows; ++y) {
                auto* d = reinterpret_cast<QRgb*>(out.scanLine(by + y)) + bx;
                std::fill(d, d + cols, c);
            }
        }
    }
}

} // namespace

QString styleName(int style) { return QString::fromUtf8(styleAt(style).name); }

int drawStyle(const RandomSource& random) { return int((std::uint64_t(random()) * kDrawnStyles) >> 32); }

RandomSource clockSeededSource()
{
    auto engine = std::make_shared<std::mt19937>(std::uint32_t(QDateTime::currentMSecsSinceEpoch()));
    return [engine] { return std::uint32_t((*engine)()); };
}

void Renderer::prepare(int style, QSize size, std::uint32_t seed)
{
    const Key key{style, size, seed};
    if (key == key_)
        return;
    key_ = key;
    const Style& s = styleAt(style);
    if (s.family == Family::Mask && !size.isEmpty())
        buildMap(s, size, seed, map_);
    columns_.reserve(std::size_t(std::max(0, size.width())));
}

void Renderer::render(int style, const QImage& from, const QImage& to, int progress, std::uint32_t seed, QImage& out)
{
    if (out.isNull() || from.size() != out.size() || to.size() != out.size())
        return;
    progress = std::clamp(progress, 0, 100);
    if (progress == 0) {
        copyImage(from, out);
        return;
    }
    const Style& s = styleAt(style);
    if (progress == 100 || s.family == Family::Cut) {
        copyImage(to, out);
        return;
    }
    prepare(style, out.size(), seed);
    const double p = progress / 100.0;
    const int w = out.width(), h = out.height();
    switch (s.family) {
    case Family::Cut: break;
    case Family::Mask: {
        const unsigned threshold = unsigned(progress * 256 / 100);
        const std::size_t n = map_.size();
        const auto* a = reinterpret_cast<const QRgb*>(from.constBits());
        const auto* b = reinterpret_cast<const QRgb*>(to.constBits());
        auto* d = reinterpret_cast<QRgb*>(out.bits());
        const std::uint8_t* m = map_.data();
        // A select without a branch: random maps (speckles, dissolve) would
        // mispredict half the pixels.
        for (std::size_t i = 0; i < n; ++i) {
            const QRgb pick = QRgb(0) - QRgb(m[i] < threshold);
            d[i] = (b[i] & pick) | (a[i] & ~pick);
        }
        break;
    }
    case Family::Slide:
    case Family::SlideOut:
    case Family::Push: {
        // (ax, ay) is the side the new picture comes from (the old one
        // leaves towards the opposite side).
        const int remainX = int(std::lround(w * (1 - p))), remainY = int(std::lround(h * (1 - p)));
        const int inX = s.ax * remainX, inY = s.ay * remainY;
        const int outX = -s.ax * (w - remainX), outY = -s.ay * (h - remainY);
        if (s.family == Family::Slide) {
            copyImage(from, out);
            blitShifted(to, out, inX, inY);
        } else if (s.family == Family::SlideOut) {
            copyImage(to, out);
            // Out towards the side the style names.
            blitShifted(from, out, s.ax * (w - remainX), s.ay * (h - remainY));
        } else {
            blitShifted(from, out, outX, outY);
            blitShifted(to, out, inX, inY);
        }
        break;
    }
    case Family::Squeeze: renderSqueeze(s, from, to, p, out, columns_); break;
    case Family::Expand:
        copyImage(from, out);
        scaleInto(to, out, growingRect(s, out.size(), p), columns_);
        break;
    case Family::Contract:
        copyImage(to, out);
        scaleInto(from, out, growingRect(s, out.size(), 1 - p), columns_);
        break;
    case Family::Fade: renderBlend(from, to, p, p, p, out); break;
    case Family::ChannelMix: {
        const auto ramp = [p](double start) { return std::clamp((p - start) / 0.6, 0.0, 1.0); };
        renderBlend(from, to, ramp(0), ramp(0.2), ramp(0.4), out);
        break;
    }
    case Family::Pixelate: renderPixelate(from, to, progress, out); break;
    }
}

} // namespace mirovex::transitions
