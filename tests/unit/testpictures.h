// Small pictures for the drawing tests: one where neighbouring pixels all
// differ, so a stray change shows, and one of a single colour.
#pragma once

#include <QImage>

namespace mirovex::test {

inline QImage gradient(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 37) & 255, (y * 53) & 255, ((x ^ y) * 29) & 255));
    return img;
}

inline QImage filled(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

} // namespace mirovex::test
