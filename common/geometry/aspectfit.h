#pragma once

#include <QRect>
#include <QSize>

namespace mirovex {

// The largest rectangle of the source's shape that fits the client, centred.
// The ratio is taken in single precision and sizes round to nearest, halves
// to even, so that a picture lands on the same pixels wherever it is fitted.
// Empty when the client or the source has no area: there is nothing to fit.
QRect aspectFit(QSize source, QSize client);

} // namespace mirovex
