// Another program's windows for the tests: one window per argument
// "TITLE|x,y,w,h|#rrggbb", filled with that colour and given an icon. Prints
// "<window id> <title>" per window once all are shown, then runs until it is
// closed or killed. With "--tool" the windows keep off the task bar.
#include <QApplication>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(true);
    std::vector<std::unique_ptr<QWidget>> windows;
    bool tool = false;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--tool")) {
            tool = true;
            continue;
        }
        const QStringList parts = arg.split(QLatin1Char('|'));
        if (parts.size() < 3)
            return 2;
        const QStringList g = parts[1].split(QLatin1Char(','));
        auto w = std::make_unique<QWidget>(nullptr, tool ? Qt::Tool : Qt::Window);
        w->setWindowTitle(parts[0]);
        w->setGeometry(g.value(0).toInt(), g.value(1).toInt(), g.value(2).toInt(), g.value(3).toInt());
        w->setStyleSheet(QStringLiteral("background: %1;").arg(parts[2]));
        QPixmap icon(32, 32);
        icon.fill(QColor(parts[2]));
        w->setWindowIcon(QIcon(icon));
        w->show();
        windows.push_back(std::move(w));
    }
    for (auto& w : windows)
        if (!QTest::qWaitForWindowExposed(w.get()))
            return 3;
    for (auto& w : windows)
        std::printf("%llu %s\n", static_cast<unsigned long long>(w->winId()), qPrintable(w->windowTitle()));
    std::fflush(stdout);
    return app.exec();
}
