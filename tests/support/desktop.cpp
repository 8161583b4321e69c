#include "tests/support/desktop.h"

#include <QColor>
#include <QPainter>
#include <QProcess>

namespace mirovex::test {

bool xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void ColourStripes::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    for (int i = 0; i < 8; ++i)
        p.fillRect(i * width() / 8, 0, width() / 8 + 1, height(), QColor::fromHsv(i * 45, 200, 230));
    p.fillRect(width() / 3, height() / 3, width() / 3, height() / 3, Qt::white);
}

} // namespace mirovex::test
