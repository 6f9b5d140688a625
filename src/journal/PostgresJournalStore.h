#pragma once
// A school's shared store: a PostgreSQL database reached over the network. A connection that the
// database server dropped is opened again before a batch is retried.
#include "SqlJournalStore.h"

class PostgresJournalStore : public SqlJournalStore {
public:
    struct Address {
        QString user;
        QString password;
        QString host;
        int port = 5432;
        QString database;
    };

    PostgresJournalStore(Address address, QString connectionName);
    QString Describe() const override;

protected:
    Status Connect() override;
    Types ColumnTypes() const override;
    bool CanReconnect() const override { return true; }

private:
    Address m_address;
};
