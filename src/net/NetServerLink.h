#pragma once
// The session engine's link to the teacher's server, and the main window's fetching of tests.
//
// Nothing here waits: every report is queued and sent in the background, one exchange at a time
// in the order asked for, each with bounded waits, so the window repaints, the clocks tick and the
// pupil goes on answering while a report is under way. A report that fails cannot tell the pupil
// at once without breaking into his answer, so the link keeps the message box it calls for as a
// notice; the window shows the notices at the next pause (after a task is checked, at the end of
// the session, or at once between sessions).
//
// Whether a session is still reported is kept here per session id: when its start or a progress
// report fails, its waiting progress reports are dropped and no further ones are taken, while its
// result is still sent. A failure arriving late touches only the session it belongs to.
//
// Every result goes through the outbox: stored before it is sent, removed once the server has it,
// and offered again (oldest first) before the next session's start report, at every retry of the
// window's timer and at the next start of the program.
#include "ExchangeQueue.h"
#include "FetchExchange.h"
#include "NetLimits.h"
#include "NetTexts.h"
#include "Outbox.h"

#include "session/SessionPorts.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

struct TSettings;

class NetServerLink : public QObject, public ServerLink {
    Q_OBJECT
public:
    // The settings are read at every call, so a change acts at once. An empty outbox folder turns
    // the outbox off (results are then sent from memory only).
    NetServerLink(const TSettings& settings, QString outboxFolder, QObject* parent = nullptr);
    ~NetServerLink() override;

    // Bounds of every later exchange (tests shorten them).
    void SetLimits(const ExchangeLimits& limits) { m_limits = limits; }
    // The computer name sent with "GETLIST" and "GETTEST"; the system's by default.
    void SetComputerName(QByteArray name) { m_computerName = std::move(name); }

    // ServerLink: each returns at once.
    void SendSessionStart(const TTest& test, const TResultTest& result, SessionLink& link) override;
    void SendProgress(const TTest& test, const TResultTest& result, SessionLink& link) override;
    void SendResult(const TTest& test, const TResultTest& result, const SessionLink& link) override;
    // The outbox keeps a result of the session, to be sent.
    bool HoldsResult(const QByteArray& sessionId) override;

    // False once the session's start or a progress report has failed.
    bool IsSessionOnline(const QByteArray& sessionId) const { return !m_offline.contains(sessionId); }

    // Fetches a test: false, with nothing started and `done` never called, when the server is not
    // in use or a fetch already runs. Otherwise `done` is called once with the outcome (and the
    // message box it calls for, FetchOutcome::Notice, which the window shows at once).
    bool FetchTest(TestChooser chooser, std::function<void(const FetchOutcome&)> done);
    bool IsFetching() const { return m_fetching; }

    // Offers the waiting results to the server now, when the server is in use.
    void DeliverOutbox();
    // Offers them now and then every `intervalMs` while the window is open.
    void StartOutboxRetry(int intervalMs = NetLimits::OutboxRetryMs);
    void StopOutboxRetry() { m_retry.stop(); }
    Outbox* OutboxStore() { return m_outbox.get(); }

    // The message boxes the failed reports call for, oldest first; the list is emptied.
    QList<Notice> TakeNotices();
    bool HasNotices() const { return !m_notices.isEmpty(); }

    // Nothing is being sent and nothing waits.
    bool IsIdle() const { return m_queue.IsIdle(); }
    const ExchangeQueue& Queue() const { return m_queue; }

signals:
    // A notice was added to an empty list.
    void NoticesPending();
    void FetchingChanged(bool fetching);
    // Everything asked for has been sent or has failed.
    void Idle();

private:
    bool Sends(const TTest& test) const;
    Endpoint Server() const;
    QByteArray ComputerName() const;
    void Notify(const Notice& notice);
    void SessionReportFailed(const QByteArray& sessionId);
    void QueueReport(ExchangeKind kind, const QByteArray& sessionId, QByteArray message);
    // `kept`: the result is in the outbox (or there is none), so a failure is not a loss.
    void QueueResult(const QByteArray& sessionId, QByteArray record, QString outboxFile, bool kept);
    void QueueOutboxFile(const QString& path);
    void ForgetQueued(const QList<QueueTag>& dropped);

    const TSettings& m_settings;
    std::unique_ptr<Outbox> m_outbox;
    ExchangeLimits m_limits;
    std::optional<QByteArray> m_computerName;
    ExchangeQueue m_queue;
    QSet<QByteArray> m_offline;
    QSet<QString> m_queuedFiles;
    QList<Notice> m_notices;
    bool m_fetching = false;
    QTimer m_retry;
};
