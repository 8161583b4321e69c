#include "display/selection/windowrows.h"

#include <algorithm>

namespace mirovex::picker {

bool listed(const platform::WindowInfo& w, std::int64_t currentDesktop, int ourPid)
{
    if (w.minimized || !w.viewable || w.title.trimmed().isEmpty())
        return false;
    return platform::isApplicationWindow(w, currentDesktop, ourPid) && w.frame.width() > 19 && w.frame.height() > 19;
}

QString sortKey(const QString& title)
{
    QString out;
    for (const QChar c : title.left(20))
        if (c.unicode() > u'(' && c.unicode() < u'~' && c != QLatin1Char(',') && c != QLatin1Char('='))
            out += c;
    return out.toCaseFolded();
}

QList<platform::WindowInfo> rows(const QList<platform::WindowInfo>& all, std::int64_t currentDesktop, int ourPid)
{
    QList<platform::WindowInfo> out;
    for (const platform::WindowInfo& w : all)
        if (listed(w, currentDesktop, ourPid))
            out.append(w);
    std::sort(out.begin(), out.end(), [](const platform::WindowInfo& a, const platform::WindowInfo& b) {
        const QString ka = sortKey(a.title), kb = sortKey(b.title);
        return ka != kb ? ka < kb : a.id < b.id;
    });
    return out;
}

QString stateText(const platform::WindowInfo& w, const QRect& f)
{
    if (w.minimized)
        return QStringLiteral("Minimized");
    return QStringLiteral("%1 ( %2, %3, %4, %5 )")
        .arg(w.maximized ? QStringLiteral("Maximized") : QStringLiteral("Normal"))
        .arg(f.left())
        .arg(f.top())
        .arg(f.left() + f.width())
        .arg(f.top() + f.height());
}

} // namespace mirovex::picker
