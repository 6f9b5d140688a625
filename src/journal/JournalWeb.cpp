#include "JournalWeb.h"

#include "JournalLog.h"
#include "model/TextCodec.h"

#include <QFile>
#include <QHttpServer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QUrlQuery>

#include <cmath>

// The page's files are compiled into this static library; naming their registration here keeps the
// linker from dropping it.
static void InitPageResources() {
    Q_INIT_RESOURCE(journal);
}

namespace {
QString Iso(const QDateTime& dt) {
    return dt.toUTC().toString(Qt::ISODateWithMs);
}

// What every answer carries: nothing of the page may come from elsewhere, nothing may frame it.
void Harden(QHttpServerResponse& r) {
    r.setHeader(
        "Content-Security-Policy",
        "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; img-src 'self'; "
        "frame-ancestors 'none'; base-uri 'none'; form-action 'none'");
    r.setHeader("X-Content-Type-Options", "nosniff");
    r.setHeader("Referrer-Policy", "no-referrer");
}
} // namespace

JournalWeb::JournalWeb(JournalStore& store, QObject* parent)
    : QObject(parent), m_store(store), m_http(new QHttpServer(this)),
      m_instance(QByteArray::number(QRandomGenerator::global()->generate(), 36)) {
    InitPageResources();
    m_http->route("/", QHttpServerRequest::Method::Get,
                  [this] { return Resource(QStringLiteral("index.html"), "text/html; charset=utf-8"); });
    m_http->route("/journal.css", QHttpServerRequest::Method::Get,
                  [this] { return Resource(QStringLiteral("journal.css"), "text/css; charset=utf-8"); });
    m_http->route("/journal.js", QHttpServerRequest::Method::Get, [this] {
        return Resource(QStringLiteral("journal.js"), "text/javascript; charset=utf-8");
    });
    m_http->route("/api/sessions", QHttpServerRequest::Method::Get,
                  [this](const QHttpServerRequest& request) { return Sessions(request); });
    m_http->route("/api/results.csv", QHttpServerRequest::Method::Get,
                  [this](const QHttpServerRequest& request) { return ResultsCsv(request); });
    m_http->afterRequest([this](QHttpServerResponse&& response, const QHttpServerRequest& request) {
        Harden(response);
        emit Served(request.url().path());
        return std::move(response);
    });
}

JournalWeb::~JournalWeb() = default;

Status JournalWeb::Listen(const QHostAddress& address, quint16 port) {
    m_port = m_http->listen(address, port);
    if (m_port == 0)
        return Status::Failed(
            Fault::Network,
            QStringLiteral("cannot serve the page on %1 port %2").arg(address.toString()).arg(port));
    return {};
}

QHttpServerResponse JournalWeb::Resource(const QString& name, const QByteArray& mimeType) {
    QFile file(u":/journal/"_qs + name);
    if (!file.open(QIODevice::ReadOnly))
        return QHttpServerResponse(QHttpServerResponse::StatusCode::NotFound);
    QHttpServerResponse r(mimeType, file.readAll());
    r.setHeader("Cache-Control", "no-cache");
    return r;
}

QByteArray JournalWeb::SessionsJson() {
    if (m_cachedRevision == m_revision)
        return m_cachedJson;
    QList<SessionRow> rows;
    if (const Status s = m_store.ListSessions(rows); !s.Ok()) {
        qCWarning(lcJournal).noquote() << "page: cannot read the sessions:" << s.Detail();
        return {};
    }
    QJsonArray list;
    for (const SessionRow& row : rows) {
        QJsonObject o;
        o[u"SessionId"_qs] = TextCodec::FromCp1251(row.sessionId);
        o[u"UserName"_qs] = row.userName;
        o[u"UserGroup"_qs] = row.userGroup;
        o[u"ComputerName"_qs] = row.computerName;
        o[u"TestTitle"_qs] = row.testTitle;
        o[u"AskCount"_qs] = row.askCount;
        o[u"AskedCount"_qs] = row.askedCount;
        o[u"RightCount"_qs] = row.rightCount;
        o[u"WrongCount"_qs] = row.wrongCount;
        o[u"DontKnowCount"_qs] = row.dontKnowCount;
        o[u"Score"_qs] = std::isfinite(row.score) ? QJsonValue(row.score) : QJsonValue();
        o[u"MaxScore"_qs] = row.maxScore;
        o[u"StartedAt"_qs] = Iso(row.startedAt);
        o[u"UpdatedAt"_qs] = Iso(row.updatedAt);
        const bool finished = row.finishedAt.isValid();
        o[u"Finished"_qs] = finished;
        if (finished) {
            o[u"FinishedAt"_qs] = Iso(row.finishedAt);
            o[u"Mark"_qs] = row.mark;
            o[u"MarkName"_qs] = row.markName;
        }
        o[u"Imported"_qs] = row.imported;
        list.append(o);
    }
    m_cachedJson = QJsonDocument(list).toJson(QJsonDocument::Compact);
    m_cachedRevision = m_revision;
    return m_cachedJson;
}

QHttpServerResponse JournalWeb::Sessions(const QHttpServerRequest& request) {
    const QByteArray json = SessionsJson();
    if (json.isEmpty())
        return QHttpServerResponse(QHttpServerResponse::StatusCode::ServiceUnavailable);
    const QByteArray etag = '"' + m_instance + '-' + QByteArray::number(m_cachedRevision) + '"';
    if (request.value("If-None-Match") == etag) {
        QHttpServerResponse r(QHttpServerResponse::StatusCode::NotModified);
        r.setHeader("ETag", etag);
        r.setHeader("Cache-Control", "no-cache");
        return r;
    }
    QHttpServerResponse r("application/json", json);
    r.setHeader("ETag", etag);
    r.setHeader("Cache-Control", "no-cache");
    return r;
}

QHttpServerResponse JournalWeb::ResultsCsv(const QHttpServerRequest& request) {
    const QUrlQuery query = request.query();
    // An absent filter takes everything; an empty one ("no group") is a value of its own.
    auto filter = [&](const QString& key) -> std::optional<QString> {
        if (!query.hasQueryItem(key))
            return std::nullopt;
        return query.queryItemValue(key, QUrl::FullyDecoded);
    };
    QList<ExportedResult> results;
    if (const Status s = m_store.ListResults(results, filter(u"test"_qs), filter(u"group"_qs)); !s.Ok()) {
        qCWarning(lcJournal).noquote() << "page: cannot read the results:" << s.Detail();
        return QHttpServerResponse(QHttpServerResponse::StatusCode::ServiceUnavailable);
    }
    QHttpServerResponse r("text/csv; charset=utf-8", ::ResultsCsv(results, true));
    r.setHeader("Content-Disposition", "attachment; filename=\"results.csv\"");
    r.setHeader("Cache-Control", "no-store");
    return r;
}
