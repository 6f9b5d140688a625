#include "CommitQueue.h"

#include "JournalLog.h"

#include <QTimer>

CommitQueue::CommitQueue(JournalStore& store, QObject* parent) : QObject(parent), m_store(store) {}

CommitQueue::~CommitQueue() {
    Flush();
}

void CommitQueue::Submit(JournalReport report, Done done) {
    m_reports.append(std::move(report));
    m_done.append(std::move(done));
    if (m_reports.size() >= MaxBatch) {
        Flush();
    } else if (!m_scheduled) {
        m_scheduled = true;
        QTimer::singleShot(0, this, [this] {
            m_scheduled = false;
            Flush();
        });
    }
}

void CommitQueue::Flush() {
    if (m_flushing || m_reports.isEmpty())
        return;
    m_flushing = true;
    const QList<JournalReport> reports = std::exchange(m_reports, {});
    const QList<Done> done = std::exchange(m_done, {});
    QList<ReportOutcome> outcomes;
    const Status status = m_store.Apply(reports, outcomes);
    if (!status.Ok())
        qCWarning(lcJournal).noquote() << "database:" << status.Detail();
    bool stored = false;
    for (qsizetype i = 0; i < reports.size(); ++i) {
        const ReportOutcome outcome = outcomes.value(i, ReportOutcome::Failed);
        stored = stored || outcome == ReportOutcome::Stored;
        if (done[i])
            done[i](outcome);
    }
    m_flushing = false;
    if (stored)
        emit Committed();
    // Reports submitted by the callbacks wait for the next round.
    if (!m_reports.isEmpty() && !m_scheduled) {
        m_scheduled = true;
        QTimer::singleShot(0, this, [this] {
            m_scheduled = false;
            Flush();
        });
    }
}
