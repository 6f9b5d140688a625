#include "SqliteJournalStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

SqliteJournalStore::SqliteJournalStore(QString path, QString connectionName)
    : SqlJournalStore(std::move(connectionName)), m_path(std::move(path)) {}

QString SqliteJournalStore::Describe() const {
    return u"sqlite:"_qs + m_path;
}

Status SqliteJournalStore::Connect() {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return Status::Failed(
            Fault::NotFound,
            QStringLiteral("Qt's SQLite driver is not installed (Debian: libqt6sql6-sqlite)"));
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder))
        return Status::Failed(Fault::WriteFailed, QStringLiteral("cannot create the folder %1").arg(folder));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(m_path);
    // `quizar-journal results` and `import` may run beside a serving journal; a writer waits for
    // the other's transaction rather than failing at once.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    if (!db.open())
        return Status::Failed(Fault::ReadFailed,
                              QStringLiteral("cannot open %1: %2").arg(m_path, db.lastError().text()));
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.next() ||
        q.value(0).toString().compare(u"wal"_qs, Qt::CaseInsensitive) != 0)
        return Status::Failed(
            Fault::WriteFailed,
            QStringLiteral("cannot switch %1 to write-ahead logging: %2").arg(m_path, q.lastError().text()));
    // In WAL mode FULL syncs the log at every commit, so an acknowledged report survives a power
    // cut, not only a crash of the program.
    if (!q.exec(QStringLiteral("PRAGMA synchronous=FULL")))
        return Status::Failed(Fault::WriteFailed, q.lastError().text());
    return {};
}

SqlJournalStore::Types SqliteJournalStore::ColumnTypes() const {
    return {QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"),
            QStringLiteral("INTEGER"),
            QStringLiteral("REAL"),
            QStringLiteral("BLOB"),
            QStringLiteral("TEXT"),
            QStringLiteral("TEXT")};
}
