#include "NetServerLink.h"

#include "ReportExchange.h"

#include "model/Test.h"
#include "model/Utils.h"
#include "settings/Settings.h"

NetServerLink::NetServerLink(const TSettings& settings, QString outboxFolder, QObject* parent)
    : QObject(parent), m_settings(settings),
      m_outbox(outboxFolder.isEmpty() ? nullptr : std::make_unique<Outbox>(std::move(outboxFolder))) {
    connect(&m_queue, &ExchangeQueue::Idle, this, &NetServerLink::Idle);
    connect(&m_retry, &QTimer::timeout, this, &NetServerLink::DeliverOutbox);
}

NetServerLink::~NetServerLink() = default;

bool NetServerLink::Sends(const TTest& test) const {
    return m_settings.IsSendResult && test.AllowSendResults;
}

Endpoint NetServerLink::Server() const {
    return Endpoint::FromSettings(m_settings);
}

QByteArray NetServerLink::ComputerName() const {
    return m_computerName ? *m_computerName : GetComputerNameStr();
}

void NetServerLink::Notify(const Notice& notice) {
    // The same box twice in a row, before the pupil could see the first, tells him nothing new.
    if (!m_notices.isEmpty() && m_notices.back() == notice)
        return;
    m_notices.append(notice);
    if (m_notices.size() == 1)
        emit NoticesPending();
}

QList<Notice> NetServerLink::TakeNotices() {
    return std::exchange(m_notices, {});
}

void NetServerLink::SessionReportFailed(const QByteArray& sessionId) {
    m_offline.insert(sessionId);
    m_queue.Drop([&](const QueueTag& tag) {
        return tag.kind == ExchangeKind::Progress && tag.sessionId == sessionId;
    });
    Notify(NetNotice::NoConnection());
}

void NetServerLink::QueueReport(ExchangeKind kind, const QByteArray& sessionId, QByteArray message) {
    m_queue.Enqueue(
        {kind, sessionId, {}},
        [this, message = std::move(message)] { return new ReportExchange(Server(), m_limits, message); },
        [this, sessionId](Exchange& done) {
            if (!done.Outcome().Ok())
                SessionReportFailed(sessionId);
        });
}

void NetServerLink::SendSessionStart(const TTest& test, const TResultTest& result, SessionLink& link) {
    if (!Sends(test))
        return;
    m_offline.remove(link.sessionId);
    // Results left over from earlier sessions go first, so the server hears of sessions in order.
    DeliverOutbox();
    QueueReport(ExchangeKind::SessionStart, link.sessionId,
                ReportExchange::SessionStartMessage(StartRecordOf(result, link.sessionId)));
}

void NetServerLink::SendProgress(const TTest& test, const TResultTest& result, SessionLink& link) {
    if (!Sends(test))
        return;
    if (!IsSessionOnline(link.sessionId)) {
        link.online = false;
        return;
    }
    QueueReport(ExchangeKind::Progress, link.sessionId,
                ReportExchange::ProgressMessage(ProgressRecordOf(result, link.sessionId)));
}

void NetServerLink::SendResult(const TTest& test, const TResultTest& result, const SessionLink& link) {
    if (!Sends(test))
        return;
    QByteArray record = EncodeResultRecord(result);
    QString file;
    // The disk is full or the folder unwritable: the result still goes from memory, but if that
    // fails too nothing is left to send it again.
    const bool kept = !m_outbox || m_outbox->Store(link.sessionId, record, file).Ok();
    if (!kept)
        file.clear();
    QueueResult(link.sessionId, std::move(record), file, kept);
}

bool NetServerLink::HoldsResult(const QByteArray& sessionId) {
    if (!m_outbox)
        return false;
    for (const QString& path : m_outbox->Pending()) {
        OutboxItem item;
        if (m_outbox->Load(path, item).Ok() && item.sessionId == sessionId)
            return true;
    }
    return false;
}

void NetServerLink::QueueResult(const QByteArray& sessionId, QByteArray record, QString outboxFile,
                                bool kept) {
    if (!outboxFile.isEmpty())
        m_queuedFiles.insert(outboxFile);
    QByteArray message = ReportExchange::ResultMessage(sessionId, record);
    m_queue.Enqueue(
        {ExchangeKind::Result, sessionId, outboxFile},
        [this, message = std::move(message)] { return new ReportExchange(Server(), m_limits, message); },
        [this, sessionId, outboxFile, kept](Exchange& done) {
            m_offline.remove(sessionId);
            if (!outboxFile.isEmpty()) {
                m_queuedFiles.remove(outboxFile);
                if (done.Outcome().Ok() && m_outbox)
                    m_outbox->Remove(outboxFile);
            }
            if (!done.Outcome().Ok())
                Notify(kept ? NetNotice::NoConnection() : NetNotice::ResultLost());
        });
}

void NetServerLink::DeliverOutbox() {
    if (!m_settings.IsSendResult || !m_outbox)
        return;
    for (const QString& path : m_outbox->Pending())
        if (!m_queuedFiles.contains(path))
            QueueOutboxFile(path);
}

void NetServerLink::QueueOutboxFile(const QString& path) {
    m_queuedFiles.insert(path);
    m_queue.Enqueue(
        {ExchangeKind::Outbox, {}, path},
        [this, path]() -> Exchange* {
            OutboxItem item;
            if (!m_outbox || !m_outbox->Load(path, item).Ok()) {
                // Gone, unreadable for now, or damaged and moved aside: nothing to send.
                m_queuedFiles.remove(path);
                return nullptr;
            }
            return new ReportExchange(Server(), m_limits,
                                      ReportExchange::ResultMessage(item.sessionId, item.resultRecord));
        },
        [this, path](Exchange& done) {
            m_queuedFiles.remove(path);
            if (done.Outcome().Ok()) {
                m_outbox->Remove(path);
                return;
            }
            // The server is out of reach: the rest waits for the next chance, without a word to the
            // pupil, who was told when the result was first sent.
            ForgetQueued(m_queue.Drop([](const QueueTag& tag) { return tag.kind == ExchangeKind::Outbox; }));
        });
}

void NetServerLink::ForgetQueued(const QList<QueueTag>& dropped) {
    for (const QueueTag& tag : dropped)
        m_queuedFiles.remove(tag.outboxFile);
}

void NetServerLink::StartOutboxRetry(int intervalMs) {
    DeliverOutbox();
    m_retry.start(intervalMs);
}

bool NetServerLink::FetchTest(TestChooser chooser, std::function<void(const FetchOutcome&)> done) {
    if (!m_settings.IsSendResult || m_fetching)
        return false;
    m_fetching = true;
    emit FetchingChanged(true);
    m_queue.Enqueue(
        {ExchangeKind::Fetch, {}, {}},
        [this, chooser = std::move(chooser)] {
            return new FetchExchange(Server(), ComputerName(), chooser, m_limits);
        },
        [this, done = std::move(done)](Exchange& exchange) {
            const FetchOutcome outcome = static_cast<FetchExchange&>(exchange).Result();
            m_fetching = false;
            emit FetchingChanged(false);
            if (done)
                done(outcome);
        });
    return true;
}
