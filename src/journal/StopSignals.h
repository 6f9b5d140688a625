#pragma once
// SIGTERM and SIGINT turned into a Qt signal on the event loop, so that the journal stops between
// two events (never inside a transaction) and commits what it has read before it exits. The one
// POSIX-only file of the journal.
#include <QObject>

class QSocketNotifier;

class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    void StopRequested(int signalNumber);

private:
    QSocketNotifier* m_notifier = nullptr;
};
