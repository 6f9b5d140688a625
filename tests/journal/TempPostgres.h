#pragma once
// A throw-away PostgreSQL cluster for tests and benchmarks: Debian's initdb and pg_ctl on a free
// port of 127.0.0.1, its data in a temporary folder, stopped and deleted at the end. PostgreSQL
// refuses to run as root, so under root (as on CI) the cluster belongs to the unprivileged user
// "nobody" and its programs are started through runuser. When any of this is impossible, Start
// says why, for the test to skip with.
#include <QString>
#include <QTemporaryDir>

#include <memory>

class TempPostgres {
public:
    TempPostgres() = default;
    ~TempPostgres();
    TempPostgres(const TempPostgres&) = delete;
    TempPostgres& operator=(const TempPostgres&) = delete;

    // False with `why` set when no cluster can be had here.
    bool Start(QString& why);
    void Stop();

    // A new, empty database of the cluster, as a URL for MakeJournalStore.
    bool CreateDatabase(const QString& name, QString& url, QString& why);

    int Port() const { return m_port; }

private:
    bool Run(const QString& program, const QStringList& args, QString& output, int timeoutMs = 60000);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_bin;
    QString m_data;
    QString m_runAs; // empty: as the current user
    int m_port = 0;
    bool m_running = false;
};
