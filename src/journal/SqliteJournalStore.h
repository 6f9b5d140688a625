#pragma once
// The default store: one SQLite file in write-ahead-log mode. Every commit is forced to the disk
// (synchronous=FULL) because a committed report is acknowledged to the pupil's program.
#include "SqlJournalStore.h"

class SqliteJournalStore : public SqlJournalStore {
public:
    SqliteJournalStore(QString path, QString connectionName);
    QString Describe() const override;

protected:
    Status Connect() override;
    Types ColumnTypes() const override;

private:
    QString m_path;
};
