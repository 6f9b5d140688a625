#pragma once
// Reports wait here for the database. Everything submitted while the event loop is busy is
// committed together in one transaction as soon as the loop comes round, so a class reporting at
// once costs one disk flush per batch rather than one per report; each report's callback runs only
// after its batch is committed, which is when its connection may acknowledge it.
#include "JournalStore.h"

#include <QObject>

#include <functional>

class CommitQueue : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(ReportOutcome)>;

    // A batch is committed at once when it reaches this size.
    static constexpr int MaxBatch = 512;

    explicit CommitQueue(JournalStore& store, QObject* parent = nullptr);
    ~CommitQueue() override;

    void Submit(JournalReport report, Done done);
    // Commits everything waiting now (also called when the server stops).
    void Flush();
    qsizetype Pending() const { return m_reports.size(); }

signals:
    // After a batch in which something was stored.
    void Committed();

private:
    JournalStore& m_store;
    QList<JournalReport> m_reports;
    QList<Done> m_done;
    bool m_scheduled = false;
    bool m_flushing = false;
};
