#include "display/selection/areageometry.h"

#include "common/settings/settingsfile.h"

#include <algorithm>

namespace mirovex::area {

QRect fromDrag(QPoint press, QPoint release)
{
    const int x0 = std::min(press.x(), release.x()), x1 = std::max(press.x(), release.x());
    const int y0 = std::min(press.y(), release.y()), y1 = std::max(press.y(), release.y());
    return QRect(QPoint(x0, y0), QSize(x1 - x0, y1 - y0));
}

QString readout(QPoint p) { return QStringLiteral("%1 , %2").arg(p.x()).arg(p.y()); }

QString readout(QPoint press, QPoint now) { return readout(press) + QStringLiteral("  :  ") + readout(now); }

QRect readStoredArea(const SettingsFile& file, const QRect& primary, const QRect& desktop)
{
    const char* s = "Options";
    // 64 bits: a huge value must not wrap before it is cut to the desktop.
    const qint64 x0 = file.readInt(s, "RxStart", 0), x1 = file.readInt(s, "RxKonec", primary.width());
    const qint64 y0 = file.readInt(s, "RyStart", 0), y1 = file.readInt(s, "RyKonec", primary.height());
    const auto cut = [](qint64 v, int lo, int hi) { return int(std::clamp<qint64>(v, lo, hi)); };
    const int l = desktop.left(), r = desktop.left() + desktop.width();
    const int t = desktop.top(), b = desktop.top() + desktop.height();
    const QRect area = fromDrag(QPoint(cut(x0, l, r), cut(y0, t, b)), QPoint(cut(x1, l, r), cut(y1, t, b)));
    return storable(area) ? area : primary;
}

bool writeStoredArea(const QString& path, const QRect& a)
{
    SettingsEdit e(path);
    e.setInt("Options", "RxStart", a.left()).setInt("Options", "RxKonec", a.left() + a.width());
    e.setInt("Options", "RyStart", a.top()).setInt("Options", "RyKonec", a.top() + a.height());
    return e.commit();
}

QRect frameOutline(const QRect& mirror) { return mirror.adjusted(-2, -2, 2, 2); }

QRegion dimmedRegion(const QRect& display, const QRect& mirror)
{
    return QRegion(display).subtracted(QRegion(mirror.adjusted(-2, -2, 2, 2)));
}

QRegion dimBorder(const QRect& mirror) { return QRegion(mirror.adjusted(-2, -2, 2, 2)).subtracted(QRegion(mirror)); }

} // namespace mirovex::area
