#include "common/paint/shapes.h"

#include <cmath>
#include <numbers>

namespace mirovex::paint {

int roundEven(double v)
{
    // nearbyint rounds in the current mode, which is to nearest, halves to even.
    return int(std::nearbyint(v));
}

std::optional<std::array<QPoint, 3>> arrowHead(QPoint from, QPoint tip, const ArrowHeadStyle& style)
{
    const double dx = tip.x() - from.x(), dy = tip.y() - from.y();
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d == 0)
        return std::nullopt;
    const double ux = dx / d, uy = dy / d;
    const double len = 16.0 * style.length, half = 2.0 * style.width;
    const QPoint base(tip.x() - roundEven(len * ux), tip.y() - roundEven(len * uy));
    const QPoint c1(base.x() + roundEven(half * uy), base.y() + roundEven(half * -ux));
    const QPoint c2(base.x() - roundEven(half * uy), base.y() - roundEven(half * -ux));
    return std::array<QPoint, 3>{tip, c1, c2};
}

std::array<PathPoint, 18> curvedArrowPoints(QPoint tip, int s)
{
    const int x = tip.x(), y = tip.y();
    const int bx = x - (s * 3) / 4, by = y - s / 4;
    const int d = (s * 5) / 16, r = roundEven(d * 0.552);
    const int D = (s * 7) / 16, R = roundEven(D * 0.552);
    using K = PathPoint::Kind;
    return {{
        {{bx + 1, by}, K::Move},
        {{bx + 1, by - r}, K::Bezier},
        {{bx + d - r, by - d}, K::Bezier},
        {{bx + d, by - d}, K::Bezier},
        {{bx + d + r, by - d}, K::Bezier},
        {{bx + 2 * d, by - r}, K::Bezier},
        {{bx + 2 * d, by}, K::Bezier},
        {{bx + s / 2, by}, K::Line},
        {{x, y}, K::Line},
        {{bx + s, by}, K::Line},
        {{bx + (s * 7) / 8, by}, K::Line},
        {{bx + 2 * D, by - R}, K::Bezier},
        {{bx + D + R, by - D}, K::Bezier},
        {{bx + D, by - D}, K::Bezier},
        {{bx + D - R, by - D}, K::Bezier},
        {{bx, by - R}, K::Bezier},
        {{bx, by}, K::Bezier},
        {{bx + 1, by}, K::Line},
    }};
}

QPainterPath curvedArrow(QPoint tip, int s)
{
    const auto pts = curvedArrowPoints(tip, s);
    QPainterPath path;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const auto& p = pts[i];
        if (p.kind == PathPoint::Move) {
            path.moveTo(p.at);
        } else if (p.kind == PathPoint::Line) {
            path.lineTo(p.at);
        } else {
            // Bezier points come in threes: two controls and the end.
            path.cubicTo(p.at, pts[i + 1].at, pts[i + 2].at);
            i += 2;
        }
    }
    path.closeSubpath();
    return path;
}

std::vector<QPoint> sprayPoints(QPoint centre, int size, const Random& random)
{
    std::vector<QPoint> out;
    out.reserve(101);
    for (int i = 0; i < 101; ++i) {
        const double theta = random() * 2 * std::numbers::pi;
        const double rho = random() * size;
        out.emplace_back(centre.x() + roundEven(std::cos(theta) * rho), centre.y() + roundEven(std::sin(theta) * rho));
    }
    return out;
}

} // namespace mirovex::paint
