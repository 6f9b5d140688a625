#include "SqlJournalStore.h"

#include "model/DateTime.h"
#include "model/TextCodec.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>

namespace {
// Texts go to the database as Unicode. PostgreSQL's text cannot hold U+0000, which no real name
// or title contains; it is replaced in both databases alike (the record itself keeps its bytes).
// Both drivers bind a null QString as NULL; an empty text must stay an empty text.
QString NonNull(QString text) {
    return text.isNull() ? QString(0, QChar()) : text;
}

QString Text(const QByteArray& cp1251) {
    QString text = TextCodec::FromCp1251(cp1251);
    text.replace(QChar(u'\0'), QChar(0xFFFD));
    return NonNull(text);
}

// Instants are written as ISO 8601 in UTC: SQLite keeps the text, PostgreSQL reads it into a
// timestamptz. Both read back to the same QDateTime.
QString Utc(const QDateTime& dt) {
    return dt.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

QDateTime ReadTime(const QVariant& v) {
    if (v.isNull())
        return {};
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().toUTC();
    QDateTime dt = QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
    return dt.isValid() ? dt.toUTC() : dt;
}

// A time of the pupil computer's clock, as the result record keeps it; NULL when it is not a date.
QVariant LocalTime(double days) {
    const QDateTime dt = DoubleToDateTime(days);
    if (!dt.isValid() || dt.date().year() < 1 || dt.date().year() > 9999)
        return QVariant(QMetaType(QMetaType::QString));
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

// NaN and infinity have no place in either database's float column; they are stored as NULL.
QVariant Real(double v) {
    return std::isfinite(v) ? QVariant(v) : QVariant(QMetaType(QMetaType::Double));
}

double ReadReal(const QVariant& v) {
    return v.isNull() ? qQNaN() : v.toDouble();
}

QString JsonInts(const QList<qint32>& values) {
    QJsonArray a;
    for (const qint32 v : values)
        a.append(v);
    return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
}

QString JsonTexts(const QList<QByteArray>& values) {
    QJsonArray a;
    for (const QByteArray& v : values)
        a.append(Text(v));
    return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
}

// The statements that make schema version 1. {ID} and the other marks are the column types of the
// database at hand.
const char* const Schema[] = {
    "CREATE TABLE journal_schema (version INTEGER NOT NULL)",
    // One row per session: what INFOBEGIN said, the latest progress, and the outcome once the
    // result came. Imported results have sessions of their own (source 'import').
    "CREATE TABLE sessions ("
    " session_id TEXT PRIMARY KEY,"
    " source TEXT NOT NULL,"
    " user_name TEXT NOT NULL DEFAULT '',"
    " user_group TEXT NOT NULL DEFAULT '',"
    " computer_name TEXT NOT NULL DEFAULT '',"
    " login_name TEXT NOT NULL DEFAULT '',"
    " test_title TEXT NOT NULL DEFAULT '',"
    " test_file_name TEXT NOT NULL DEFAULT '',"
    " test_crc {BIGINT} NOT NULL DEFAULT 0,"
    " test_uid TEXT NOT NULL DEFAULT '',"
    " ask_count INTEGER NOT NULL DEFAULT 0,"
    " max_score INTEGER NOT NULL DEFAULT 0,"
    " asked_count INTEGER NOT NULL DEFAULT 0,"
    " right_count INTEGER NOT NULL DEFAULT 0,"
    " wrong_count INTEGER NOT NULL DEFAULT 0,"
    " dont_know_count INTEGER NOT NULL DEFAULT 0,"
    " score {REAL} DEFAULT 0,"
    " checked_max INTEGER NOT NULL DEFAULT 0,"
    " peer TEXT NOT NULL DEFAULT '',"
    " started_at {TIMESTAMP} NOT NULL,"
    " updated_at {TIMESTAMP} NOT NULL,"
    " finished_at {TIMESTAMP},"
    " mark INTEGER,"
    " mark_name TEXT)",
    "CREATE INDEX sessions_by_start ON sessions (started_at)",
    // Every distinct progress report, in the order of arrival.
    "CREATE TABLE progress ("
    " id {ID},"
    " session_id TEXT NOT NULL,"
    " received_at {TIMESTAMP} NOT NULL,"
    " asked_count INTEGER NOT NULL,"
    " right_count INTEGER NOT NULL,"
    " wrong_count INTEGER NOT NULL,"
    " dont_know_count INTEGER NOT NULL,"
    " score {REAL},"
    " checked_max INTEGER NOT NULL,"
    " UNIQUE (session_id, asked_count, right_count, wrong_count, dont_know_count, checked_max))",
    // One row per finished session: the record's fields for queries, and the record itself byte
    // for byte as the pupil's program sent it (or as the imported file held it).
    "CREATE TABLE results ("
    " id {ID},"
    " session_id TEXT NOT NULL UNIQUE,"
    " record_sha256 TEXT NOT NULL UNIQUE,"
    " source TEXT NOT NULL,"
    " received_at {TIMESTAMP} NOT NULL,"
    " user_name TEXT NOT NULL,"
    " user_group TEXT NOT NULL,"
    " computer_name TEXT NOT NULL,"
    " login_name TEXT NOT NULL,"
    " test_title TEXT NOT NULL,"
    " test_file_name TEXT NOT NULL,"
    " test_crc {BIGINT} NOT NULL,"
    " test_uid TEXT NOT NULL,"
    " start_time {LOCALTIME},"
    " end_time {LOCALTIME},"
    " elapsed_seconds INTEGER NOT NULL,"
    " end_reason INTEGER NOT NULL,"
    " mark INTEGER NOT NULL,"
    " mark_name TEXT NOT NULL,"
    " mark_count INTEGER NOT NULL,"
    " ask_count INTEGER NOT NULL,"
    " asked_count INTEGER NOT NULL,"
    " right_count INTEGER NOT NULL,"
    " wrong_count INTEGER NOT NULL,"
    " dont_know_count INTEGER NOT NULL,"
    " hint_count INTEGER NOT NULL,"
    " max_score INTEGER NOT NULL,"
    " score {REAL},"
    " task_points TEXT NOT NULL,"
    " task_seconds TEXT NOT NULL,"
    " task_answers TEXT NOT NULL,"
    " task_hint_penalty TEXT NOT NULL,"
    " record {BLOB} NOT NULL)",
    "CREATE INDEX results_by_test ON results (test_title, user_group)",
};
} // namespace

JournalReport JournalReport::Imported(const TResultTest& record, const QDateTime& now) {
    JournalReport r;
    r.kind = Kind::Imported;
    r.result = record;
    r.resultBytes = EncodeResultRecord(record);
    // A result from a file carries no session; the record's own hash stands in for one, so that
    // importing the same file again finds the records it already holds.
    const QByteArray hash = QCryptographicHash::hash(r.resultBytes, QCryptographicHash::Sha256).toHex();
    r.sessionId = "import:" + hash.left(32);
    r.receivedAt = now;
    return r;
}

SqlJournalStore::SqlJournalStore(QString connectionName) : m_name(std::move(connectionName)) {}

SqlJournalStore::~SqlJournalStore() {
    Close();
}

QSqlDatabase SqlJournalStore::Db() const {
    return QSqlDatabase::database(m_name, false);
}

Status SqlJournalStore::SqlFailed(const QString& what, const QSqlQuery& query) {
    return Status::Failed(Fault::WriteFailed, QStringLiteral("%1: %2").arg(what, query.lastError().text()));
}

Status SqlJournalStore::Open() {
    Close();
    if (Status s = Connect(); !s.Ok()) {
        Close();
        return s;
    }
    m_open = true;
    if (Status s = EnsureSchema(); !s.Ok()) {
        Close();
        return s;
    }
    return {};
}

void SqlJournalStore::Close() {
    m_open = false;
    m_prepared.clear();
    if (QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
}

Status SqlJournalStore::EnsureSchema() {
    QSqlDatabase db = Db();
    QSqlQuery q(db);
    if (db.tables().contains(QStringLiteral("journal_schema"))) {
        if (!q.exec(QStringLiteral("SELECT version FROM journal_schema")) || !q.next())
            return Status::Failed(Fault::Corrupt,
                                  QStringLiteral("the journal's schema version cannot be read"));
        const int version = q.value(0).toInt();
        if (version > SchemaVersion)
            return Status::Failed(Fault::WrongType,
                                  QStringLiteral("the database holds schema version %1, newer than this "
                                                 "program's %2; use a newer quizar-journal")
                                      .arg(version)
                                      .arg(SchemaVersion));
        // Later versions upgrade older tables here, step by step.
        return {};
    }
    const Types t = ColumnTypes();
    if (!db.transaction())
        return Status::Failed(Fault::WriteFailed, db.lastError().text());
    for (const char* statement : Schema) {
        QString sql = QString::fromLatin1(statement);
        sql.replace(u"{ID}"_qs, t.id)
            .replace(u"{BIGINT}"_qs, t.bigint)
            .replace(u"{REAL}"_qs, t.real)
            .replace(u"{BLOB}"_qs, t.blob)
            .replace(u"{TIMESTAMP}"_qs, t.timestamp)
            .replace(u"{LOCALTIME}"_qs, t.localTime);
        if (!q.exec(sql)) {
            const Status s = SqlFailed(QStringLiteral("cannot create the journal's tables"), q);
            db.rollback();
            return s;
        }
    }
    q.prepare(QStringLiteral("INSERT INTO journal_schema (version) VALUES (:v)"));
    q.bindValue(u":v"_qs, SchemaVersion);
    if (!q.exec() || !db.commit()) {
        const Status s = SqlFailed(QStringLiteral("cannot create the journal's tables"), q);
        db.rollback();
        return s;
    }
    return {};
}

QSqlQuery& SqlJournalStore::Prepared(const QString& sql) {
    std::unique_ptr<QSqlQuery>& query = m_prepared[sql];
    if (!query) {
        query = std::make_unique<QSqlQuery>(Db());
        // A statement that fails to prepare reports its error when it is executed.
        query->prepare(sql);
    }
    return *query;
}

bool SqlJournalStore::StillConnected() {
    QSqlQuery q(Db());
    return q.exec(QStringLiteral("SELECT 1"));
}

Status SqlJournalStore::Apply(const QList<JournalReport>& reports, QList<ReportOutcome>& outcomes) {
    outcomes.clear();
    if (!m_open)
        return Status::Failed(Fault::WriteFailed, QStringLiteral("the journal's database is not open"));
    Status batch = ApplyInTransaction(reports, outcomes);
    if (batch.Ok())
        return {};
    if (CanReconnect() && !StillConnected()) {
        Close();
        if (Connect().Ok()) {
            m_open = true;
            batch = ApplyInTransaction(reports, outcomes);
            if (batch.Ok())
                return {};
        }
    }
    if (reports.size() == 1) {
        outcomes = {ReportOutcome::Failed};
        return batch;
    }
    // One at a time, so that one report the database refuses does not take the others with it.
    outcomes.clear();
    Status last;
    for (const JournalReport& report : reports) {
        QList<ReportOutcome> one;
        const Status s = ApplyInTransaction({report}, one);
        outcomes.append(s.Ok() ? one.value(0, ReportOutcome::Failed) : ReportOutcome::Failed);
        if (!s.Ok())
            last = s;
    }
    return last;
}

Status SqlJournalStore::ApplyInTransaction(const QList<JournalReport>& reports,
                                           QList<ReportOutcome>& outcomes) {
    outcomes.clear();
    QSqlDatabase db = Db();
    if (!db.isOpen() || !db.transaction())
        return Status::Failed(Fault::WriteFailed,
                              QStringLiteral("cannot begin a transaction: %1").arg(db.lastError().text()));
    for (const JournalReport& report : reports) {
        ReportOutcome outcome = ReportOutcome::Stored;
        if (Status s = ApplyOne(report, outcome); !s.Ok()) {
            db.rollback();
            outcomes.clear();
            return s;
        }
        outcomes.append(outcome);
    }
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        outcomes.clear();
        return Status::Failed(Fault::WriteFailed, QStringLiteral("cannot commit: %1").arg(why));
    }
    return {};
}

Status SqlJournalStore::ApplyOne(const JournalReport& report, ReportOutcome& outcome) {
    switch (report.kind) {
    case JournalReport::Kind::Start:
        return StoreStart(report);
    case JournalReport::Kind::Progress:
        return StoreProgress(report);
    case JournalReport::Kind::Result:
    case JournalReport::Kind::Imported:
        return StoreResult(report, outcome);
    }
    return Status::Failed(Fault::Corrupt, QStringLiteral("unknown report"));
}

Status SqlJournalStore::StoreStart(const JournalReport& report) {
    const SessionStartRecord& s = report.start;
    // A start sent again (the pupil program's outbox) refreshes who and what, never the progress,
    // and never a session that has its result.
    QSqlQuery& q = Prepared(QStringLiteral(
        "INSERT INTO sessions (session_id, source, user_name, user_group, computer_name, login_name,"
        " test_title, test_file_name, test_crc, test_uid, ask_count, max_score, peer, started_at, updated_at)"
        " VALUES (:id, 'network', :user, :grp, :computer, :login, :title, :file, :crc, :uid, :ask, :max,"
        " :peer, :now, :now2)"
        " ON CONFLICT (session_id) DO UPDATE SET user_name = excluded.user_name,"
        " user_group = excluded.user_group, computer_name = excluded.computer_name,"
        " login_name = excluded.login_name, test_title = excluded.test_title,"
        " test_file_name = excluded.test_file_name, test_crc = excluded.test_crc,"
        " test_uid = excluded.test_uid, ask_count = excluded.ask_count, max_score = excluded.max_score,"
        " peer = excluded.peer"
        " WHERE sessions.finished_at IS NULL"));
    q.bindValue(u":id"_qs, Text(s.SessionId));
    q.bindValue(u":user"_qs, Text(s.UserName));
    q.bindValue(u":grp"_qs, Text(s.UserGroup));
    q.bindValue(u":computer"_qs, Text(s.ComputerName));
    q.bindValue(u":login"_qs, Text(s.LoginName));
    q.bindValue(u":title"_qs, Text(s.TestTitle));
    q.bindValue(u":file"_qs, Text(s.TestFileName));
    q.bindValue(u":crc"_qs, qint64(quint32(s.TestCrc)));
    q.bindValue(u":uid"_qs, Text(s.TestUId));
    q.bindValue(u":ask"_qs, qint32(s.AskCount));
    q.bindValue(u":max"_qs, qint32(s.MaxScore));
    q.bindValue(u":peer"_qs, NonNull(report.peer));
    q.bindValue(u":now"_qs, Utc(report.receivedAt));
    q.bindValue(u":now2"_qs, Utc(report.receivedAt));
    if (!q.exec())
        return SqlFailed(QStringLiteral("cannot store a session start"), q);
    return {};
}

Status SqlJournalStore::StoreProgress(const JournalReport& report) {
    const ProgressRecord& p = report.progress;
    // Reports sent again may arrive late: a session's counters only move forward, and stop once
    // its result is in. A progress report for a session whose start never came opens the session.
    QSqlQuery& q = Prepared(QStringLiteral(
        "INSERT INTO sessions (session_id, source, asked_count, right_count, wrong_count,"
        " dont_know_count, score, checked_max, peer, started_at, updated_at)"
        " VALUES (:id, 'network', :asked, :right, :wrong, :dontknow, :score, :checked, :peer, :now, :now2)"
        " ON CONFLICT (session_id) DO UPDATE SET asked_count = excluded.asked_count,"
        " right_count = excluded.right_count, wrong_count = excluded.wrong_count,"
        " dont_know_count = excluded.dont_know_count, score = excluded.score,"
        " checked_max = excluded.checked_max, updated_at = excluded.updated_at"
        " WHERE sessions.finished_at IS NULL AND sessions.asked_count <= excluded.asked_count"
        " AND sessions.right_count + sessions.wrong_count + sessions.dont_know_count"
        " <= excluded.right_count + excluded.wrong_count + excluded.dont_know_count"));
    q.bindValue(u":id"_qs, Text(p.SessionId));
    q.bindValue(u":asked"_qs, qint32(p.AskedCount));
    q.bindValue(u":right"_qs, qint32(p.RightCount));
    q.bindValue(u":wrong"_qs, qint32(p.WrongCount));
    q.bindValue(u":dontknow"_qs, qint32(p.DontKnowCount));
    q.bindValue(u":score"_qs, Real(p.Score));
    q.bindValue(u":checked"_qs, qint32(p.CheckedMax));
    q.bindValue(u":peer"_qs, NonNull(report.peer));
    q.bindValue(u":now"_qs, Utc(report.receivedAt));
    q.bindValue(u":now2"_qs, Utc(report.receivedAt));
    if (!q.exec())
        return SqlFailed(QStringLiteral("cannot store a progress report"), q);

    QSqlQuery& h = Prepared(QStringLiteral(
        "INSERT INTO progress (session_id, received_at, asked_count, right_count, wrong_count,"
        " dont_know_count, score, checked_max)"
        " VALUES (:id, :now, :asked, :right, :wrong, :dontknow, :score, :checked) ON CONFLICT DO NOTHING"));
    h.bindValue(u":id"_qs, Text(p.SessionId));
    h.bindValue(u":now"_qs, Utc(report.receivedAt));
    h.bindValue(u":asked"_qs, qint32(p.AskedCount));
    h.bindValue(u":right"_qs, qint32(p.RightCount));
    h.bindValue(u":wrong"_qs, qint32(p.WrongCount));
    h.bindValue(u":dontknow"_qs, qint32(p.DontKnowCount));
    h.bindValue(u":score"_qs, Real(p.Score));
    h.bindValue(u":checked"_qs, qint32(p.CheckedMax));
    if (!h.exec())
        return SqlFailed(QStringLiteral("cannot store a progress report"), h);
    return {};
}

Status SqlJournalStore::StoreResult(const JournalReport& report, ReportOutcome& outcome) {
    const TResultTest& r = report.result;
    const bool imported = report.kind == JournalReport::Kind::Imported;
    const QString sessionId = Text(report.sessionId);
    const QString source = imported ? QStringLiteral("import") : QStringLiteral("network");
    QSqlQuery& q = Prepared(QStringLiteral(
        "INSERT INTO results (session_id, record_sha256, source, received_at, user_name, user_group,"
        " computer_name, login_name, test_title, test_file_name, test_crc, test_uid, start_time, end_time,"
        " elapsed_seconds, end_reason, mark, mark_name, mark_count, ask_count, asked_count, right_count,"
        " wrong_count, dont_know_count, hint_count, max_score, score, task_points, task_seconds,"
        " task_answers, task_hint_penalty, record)"
        " VALUES (:id, :sha, :source, :now, :user, :grp, :computer, :login, :title, :file, :crc, :uid,"
        " :start, :end, :elapsed, :reason, :mark, :markname, :markcount, :ask, :asked, :right, :wrong,"
        " :dontknow, :hints, :max, :score, :points, :seconds, :answers, :penalties, :record)"
        " ON CONFLICT DO NOTHING"));
    q.bindValue(u":id"_qs, sessionId);
    q.bindValue(u":sha"_qs,
                QString::fromLatin1(
                    QCryptographicHash::hash(report.resultBytes, QCryptographicHash::Sha256).toHex()));
    q.bindValue(u":source"_qs, source);
    q.bindValue(u":now"_qs, Utc(report.receivedAt));
    q.bindValue(u":user"_qs, Text(r.UserName));
    q.bindValue(u":grp"_qs, Text(r.UserGroup));
    q.bindValue(u":computer"_qs, Text(r.ComputerName));
    q.bindValue(u":login"_qs, Text(r.LoginName));
    q.bindValue(u":title"_qs, Text(r.TestTitle));
    q.bindValue(u":file"_qs, Text(r.TestFileName));
    q.bindValue(u":crc"_qs, qint64(quint32(r.TestCrc)));
    q.bindValue(u":uid"_qs, Text(r.TestUId));
    q.bindValue(u":start"_qs, LocalTime(r.StartTime));
    q.bindValue(u":end"_qs, LocalTime(r.EndTime));
    q.bindValue(u":elapsed"_qs, r.ElapsedSeconds);
    q.bindValue(u":reason"_qs, int(r.EndReason));
    q.bindValue(u":mark"_qs, r.Mark);
    q.bindValue(u":markname"_qs, Text(r.MarkName));
    q.bindValue(u":markcount"_qs, r.MarkCount);
    q.bindValue(u":ask"_qs, r.AskCount);
    q.bindValue(u":asked"_qs, r.AskedCount);
    q.bindValue(u":right"_qs, r.RightCount);
    q.bindValue(u":wrong"_qs, r.WrongCount);
    q.bindValue(u":dontknow"_qs, r.DontKnowCount);
    q.bindValue(u":hints"_qs, r.HintCount);
    q.bindValue(u":max"_qs, r.MaxScore);
    q.bindValue(u":score"_qs, Real(r.Score));
    q.bindValue(u":points"_qs, JsonInts(r.TaskPoints));
    q.bindValue(u":seconds"_qs, JsonInts(r.TaskSeconds));
    q.bindValue(u":answers"_qs, JsonTexts(r.TaskAnswers));
    q.bindValue(u":penalties"_qs, JsonInts(r.TaskHintPenalty));
    q.bindValue(u":record"_qs, report.resultBytes);
    if (!q.exec())
        return SqlFailed(QStringLiteral("cannot store a result"), q);
    if (q.numRowsAffected() != 1) {
        outcome = ReportOutcome::Duplicate;
        return {};
    }

    // The session's row takes the result's final counts; a session whose start never came (or an
    // imported one) gets its row here, started when the record says it ran.
    QDateTime started = report.receivedAt.addSecs(-qMax(0, r.ElapsedSeconds));
    if (imported) {
        const QDateTime local = DoubleToDateTime(r.StartTime);
        started = local.isValid() ? local.toUTC() : report.receivedAt;
    }
    QSqlQuery& s = Prepared(QStringLiteral(
        "INSERT INTO sessions (session_id, source, user_name, user_group, computer_name, login_name,"
        " test_title, test_file_name, test_crc, test_uid, ask_count, max_score, asked_count, right_count,"
        " wrong_count, dont_know_count, score, peer, started_at, updated_at, finished_at, mark, mark_name)"
        " VALUES (:id, :source, :user, :grp, :computer, :login, :title, :file, :crc, :uid, :ask, :max,"
        " :asked, :right, :wrong, :dontknow, :score, :peer, :started, :now, :now2, :mark, :markname)"
        " ON CONFLICT (session_id) DO UPDATE SET user_name = excluded.user_name,"
        " user_group = excluded.user_group, computer_name = excluded.computer_name,"
        " login_name = excluded.login_name, test_title = excluded.test_title,"
        " test_file_name = excluded.test_file_name, test_crc = excluded.test_crc,"
        " test_uid = excluded.test_uid, ask_count = excluded.ask_count, max_score = excluded.max_score,"
        " asked_count = excluded.asked_count, right_count = excluded.right_count,"
        " wrong_count = excluded.wrong_count, dont_know_count = excluded.dont_know_count,"
        " score = excluded.score, updated_at = excluded.updated_at, finished_at = excluded.finished_at,"
        " mark = excluded.mark, mark_name = excluded.mark_name"));
    s.bindValue(u":id"_qs, sessionId);
    s.bindValue(u":source"_qs, source);
    s.bindValue(u":user"_qs, Text(r.UserName));
    s.bindValue(u":grp"_qs, Text(r.UserGroup));
    s.bindValue(u":computer"_qs, Text(r.ComputerName));
    s.bindValue(u":login"_qs, Text(r.LoginName));
    s.bindValue(u":title"_qs, Text(r.TestTitle));
    s.bindValue(u":file"_qs, Text(r.TestFileName));
    s.bindValue(u":crc"_qs, qint64(quint32(r.TestCrc)));
    s.bindValue(u":uid"_qs, Text(r.TestUId));
    s.bindValue(u":ask"_qs, r.AskCount);
    s.bindValue(u":max"_qs, r.MaxScore);
    s.bindValue(u":asked"_qs, r.AskedCount);
    s.bindValue(u":right"_qs, r.RightCount);
    s.bindValue(u":wrong"_qs, r.WrongCount);
    s.bindValue(u":dontknow"_qs, r.DontKnowCount);
    s.bindValue(u":score"_qs, Real(r.Score));
    s.bindValue(u":peer"_qs, NonNull(report.peer));
    s.bindValue(u":started"_qs, Utc(started));
    s.bindValue(u":now"_qs, Utc(report.receivedAt));
    s.bindValue(u":now2"_qs, Utc(report.receivedAt));
    s.bindValue(u":mark"_qs, r.Mark);
    s.bindValue(u":markname"_qs, Text(r.MarkName));
    if (!s.exec())
        return SqlFailed(QStringLiteral("cannot store a result's session"), s);
    outcome = ReportOutcome::Stored;
    return {};
}

Status SqlJournalStore::ListSessions(QList<SessionRow>& rows) {
    rows.clear();
    if (!m_open)
        return Status::Failed(Fault::ReadFailed, QStringLiteral("the journal's database is not open"));
    QSqlQuery q(Db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral(
            "SELECT session_id, user_name, user_group, computer_name, test_title, ask_count, max_score,"
            " asked_count, right_count, wrong_count, dont_know_count, score, started_at, updated_at,"
            " finished_at, mark, mark_name, source FROM sessions ORDER BY started_at DESC, session_id")))
        return Status::Failed(Fault::ReadFailed, q.lastError().text());
    while (q.next()) {
        SessionRow row;
        row.sessionId = TextCodec::ToCp1251(q.value(0).toString());
        row.userName = q.value(1).toString();
        row.userGroup = q.value(2).toString();
        row.computerName = q.value(3).toString();
        row.testTitle = q.value(4).toString();
        row.askCount = q.value(5).toInt();
        row.maxScore = q.value(6).toInt();
        row.askedCount = q.value(7).toInt();
        row.rightCount = q.value(8).toInt();
        row.wrongCount = q.value(9).toInt();
        row.dontKnowCount = q.value(10).toInt();
        row.score = ReadReal(q.value(11));
        row.startedAt = ReadTime(q.value(12));
        row.updatedAt = ReadTime(q.value(13));
        row.finishedAt = ReadTime(q.value(14));
        row.mark = q.value(15).toInt();
        row.markName = q.value(16).toString();
        row.imported = q.value(17).toString() == u"import";
        rows.append(std::move(row));
    }
    return {};
}

Status SqlJournalStore::ListResults(QList<ExportedResult>& results, const std::optional<QString>& testTitle,
                                    const std::optional<QString>& userGroup) {
    results.clear();
    if (!m_open)
        return Status::Failed(Fault::ReadFailed, QStringLiteral("the journal's database is not open"));
    QString sql = QStringLiteral("SELECT session_id, record FROM results");
    QStringList where;
    if (testTitle)
        where << QStringLiteral("test_title = :title");
    if (userGroup)
        where << QStringLiteral("user_group = :grp");
    if (!where.isEmpty())
        sql += u" WHERE "_qs + where.join(u" AND "_qs);
    sql += u" ORDER BY id"_qs;
    QSqlQuery q(Db());
    q.setForwardOnly(true);
    q.prepare(sql);
    if (testTitle)
        q.bindValue(u":title"_qs, NonNull(*testTitle));
    if (userGroup)
        q.bindValue(u":grp"_qs, NonNull(*userGroup));
    if (!q.exec())
        return Status::Failed(Fault::ReadFailed, q.lastError().text());
    while (q.next()) {
        ExportedResult item;
        item.sessionId = TextCodec::ToCp1251(q.value(0).toString());
        const QByteArray bytes = q.value(1).toByteArray();
        if (Status s = DecodeResultRecord(bytes, item.record); !s.Ok())
            return Status::Failed(Fault::Corrupt,
                                  QStringLiteral("the stored result of session %1 is damaged: %2")
                                      .arg(q.value(0).toString(), s.Detail()));
        results.append(std::move(item));
    }
    return {};
}
