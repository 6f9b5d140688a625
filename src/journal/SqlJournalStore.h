#pragma once
// The journal's tables through Qt SQL. The statements are the same for both databases (both know
// INSERT ... ON CONFLICT); the implementations differ in how they connect and in a few type names.
#include "JournalStore.h"

#include <QSqlDatabase>
#include <QStringList>

#include <map>
#include <memory>

class QSqlQuery;

class SqlJournalStore : public JournalStore {
public:
    // The version of the tables this program writes; stored in journal_schema.
    static constexpr int SchemaVersion = 1;

    ~SqlJournalStore() override;

    Status Open() override;
    void Close() override;
    Status Apply(const QList<JournalReport>& reports, QList<ReportOutcome>& outcomes) override;
    Status ListSessions(QList<SessionRow>& rows) override;
    Status ListResults(QList<ExportedResult>& results, const std::optional<QString>& testTitle,
                       const std::optional<QString>& userGroup) override;

protected:
    // The database's own spelling of the column types the schema uses.
    struct Types {
        QString id;        // an automatic integer primary key
        QString bigint;    // a 64-bit integer
        QString real;      // a 64-bit float
        QString blob;      // raw bytes
        QString timestamp; // an instant (stored in UTC)
        QString localTime; // a time on the pupil computer's clock, without a zone
    };

    explicit SqlJournalStore(QString connectionName);
    // Adds the connection under m_name, opens it and sets it up.
    virtual Status Connect() = 0;
    virtual Types ColumnTypes() const = 0;
    // Whether a failed statement may have lost the connection, so that reconnecting could help.
    virtual bool CanReconnect() const { return false; }

    QSqlDatabase Db() const;
    static Status SqlFailed(const QString& what, const QSqlQuery& query);

    QString m_name;

private:
    Status EnsureSchema();
    Status ApplyInTransaction(const QList<JournalReport>& reports, QList<ReportOutcome>& outcomes);
    Status ApplyOne(const JournalReport& report, ReportOutcome& outcome);
    Status StoreStart(const JournalReport& report);
    Status StoreProgress(const JournalReport& report);
    Status StoreResult(const JournalReport& report, ReportOutcome& outcome);
    bool StillConnected();
    // The report statements are prepared once per connection: on PostgreSQL that saves a round
    // trip per statement.
    QSqlQuery& Prepared(const QString& sql);

    bool m_open = false;
    std::map<QString, std::unique_ptr<QSqlQuery>> m_prepared;
};
