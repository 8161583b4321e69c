#include "common/geometry/aspectfit.h"

#include <algorithm>
#include <cmath>

namespace mirovex {

QRect aspectFit(QSize source, QSize client)
{
    if (source.width() < 1 || source.height() < 1 || client.width() < 1 || client.height() < 1)
        return {};
    const float r = float(source.width()) / float(source.height());
    const float clientRatio = float(client.width()) / float(client.height());
    int w, h;
    // nearbyint rounds in the current mode, which is to nearest, halves to even.
    if (clientRatio > r) {
        h = client.height();
        w = int(std::nearbyint(float(client.height()) * r));
    } else {
        w = client.width();
        h = int(std::nearbyint(float(client.width()) / r));
    }
    w = std::clamp(w, 1, client.width());
    h = std::clamp(h, 1, client.height());
    return QRect((client.width() - w) / 2, (client.height() - h) / 2, w, h);
}

} // namespace mirovex
