// Turns the signals that ask a program to end (SIGTERM, SIGINT, SIGHUP: a
// logout, `kill`, Ctrl+C) into a Qt signal delivered in the event loop, so
// that the orderly exit runs there and not inside a signal handler.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace mirovex::platform {

class TerminationWatch : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatch(QObject* parent = nullptr);
    ~TerminationWatch() override;

signals:
    void terminationRequested(int signal);

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace mirovex::platform
