#include "PostgresJournalStore.h"

#include <QSqlError>
#include <QSqlQuery>

PostgresJournalStore::PostgresJournalStore(Address address, QString connectionName)
    : SqlJournalStore(std::move(connectionName)), m_address(std::move(address)) {}

QString PostgresJournalStore::Describe() const {
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(m_address.user, m_address.host)
        .arg(m_address.port)
        .arg(m_address.database);
}

Status PostgresJournalStore::Connect() {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return Status::Failed(
            Fault::NotFound,
            QStringLiteral("Qt's PostgreSQL driver is not installed (Debian: libqt6sql6-psql)"));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
    db.setHostName(m_address.host);
    db.setPort(m_address.port);
    db.setUserName(m_address.user);
    db.setPassword(m_address.password);
    db.setDatabaseName(m_address.database);
    // A database server that does not answer must not hold the journal for minutes.
    db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    if (!db.open())
        return Status::Failed(
            Fault::Network,
            QStringLiteral("cannot connect to %1: %2").arg(Describe(), db.lastError().text()));
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SET TIME ZONE 'UTC'")))
        return Status::Failed(Fault::Network, q.lastError().text());
    return {};
}

SqlJournalStore::Types PostgresJournalStore::ColumnTypes() const {
    return {QStringLiteral("BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY"),
            QStringLiteral("BIGINT"),
            QStringLiteral("DOUBLE PRECISION"),
            QStringLiteral("BYTEA"),
            QStringLiteral("TIMESTAMPTZ"),
            QStringLiteral("TIMESTAMP")};
}
