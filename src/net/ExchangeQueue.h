#pragma once
// Runs the exchanges with the server one at a time, in the order they were asked for, so the
// reports of a session reach the server as start, progress in order, result. An exchange is made
// only when its turn comes, so it connects with the settings as they are then.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>

class Exchange;

enum class ExchangeKind { SessionStart, Progress, Result, Outbox, Fetch };

// What a queued exchange is, so that queued ones can be found and dropped.
struct QueueTag {
    ExchangeKind kind = ExchangeKind::Progress;
    QByteArray sessionId;
    QString outboxFile; // the outbox file a result is delivered from
};

class ExchangeQueue : public QObject {
    Q_OBJECT
public:
    // Makes the exchange when its turn comes; nullptr skips the entry (its done is not called).
    using Make = std::function<Exchange*()>;
    // Called once the exchange has finished, before the next one starts.
    using Done = std::function<void(Exchange&)>;

    explicit ExchangeQueue(QObject* parent = nullptr);
    // Aborts what runs and forgets what waits; no done is called.
    ~ExchangeQueue() override;

    void Enqueue(QueueTag tag, Make make, Done done);
    // Removes the waiting entries that match (never the one that runs) and returns their tags.
    QList<QueueTag> Drop(const std::function<bool(const QueueTag&)>& match);

    bool IsIdle() const { return !m_running && m_waiting.empty(); }
    // The tags of the running entry (first) and of the waiting ones, in order.
    QList<QueueTag> Tags() const;

signals:
    // Nothing runs and nothing waits any more.
    void Idle();

private:
    struct Entry {
        QueueTag tag;
        Make make;
        Done done;
    };

    void StartNext();
    void OnFinished();

    std::deque<Entry> m_waiting;
    Exchange* m_running = nullptr;
    Entry m_current;
    bool m_starting = false;
};
