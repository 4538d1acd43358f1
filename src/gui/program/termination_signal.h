#pragma once

#include <QObject>

class QSocketNotifier;

namespace tavrune {

// Turns SIGTERM, SIGINT and SIGHUP (a session that ends, Ctrl+C, a closed
// terminal) into the Qt signal received(), delivered by the event loop, so that
// the program can end as a user would end it. The handler only writes a byte to
// a pipe; everything else happens in the event loop. One object at a time; it
// restores the previous handlers when destroyed.
class TerminationSignal : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignal(QObject* parent = nullptr);
    ~TerminationSignal() override;

Q_SIGNALS:
    void received();

private:
    void drain();

    int m_readFd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tavrune
