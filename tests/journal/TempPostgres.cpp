#include "TempPostgres.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTcpServer>
#include <QUuid>

#include <pwd.h>
#include <unistd.h>

namespace {
QString FindBin() {
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& v : versions) {
        const QString bin = root.filePath(v + u"/bin"_qs);
        if (QFile::exists(bin + u"/initdb"_qs) && QFile::exists(bin + u"/pg_ctl"_qs))
            return bin;
    }
    const QString initdb = QStandardPaths::findExecutable(QStringLiteral("initdb"));
    return initdb.isEmpty() ? QString() : QFileInfo(initdb).absolutePath();
}

int FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}
} // namespace

TempPostgres::~TempPostgres() {
    Stop();
}

bool TempPostgres::Run(const QString& program, const QStringList& args, QString& output, int timeoutMs) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(m_dir->path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("PGDATA"));
    p.setProcessEnvironment(env);
    if (m_runAs.isEmpty())
        p.start(program, args);
    else
        p.start(QStringLiteral("runuser"), QStringList{u"-u"_qs, m_runAs, u"--"_qs, program} + args);
    const bool finished = p.waitForFinished(timeoutMs);
    output = QString::fromLocal8Bit(p.readAll()).trimmed();
    if (!finished) {
        p.kill();
        p.waitForFinished(5000);
        output += u" (timed out)"_qs;
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool TempPostgres::Start(QString& why) {
    m_bin = FindBin();
    if (m_bin.isEmpty()) {
        why = QStringLiteral("PostgreSQL's initdb and pg_ctl are not installed (Debian: postgresql)");
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        why = QStringLiteral("Qt's PostgreSQL driver is not installed (Debian: libqt6sql6-psql)");
        return false;
    }
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/quizar-pg-XXXXXX"_qs);
    if (!m_dir->isValid()) {
        why = QStringLiteral("no temporary folder");
        return false;
    }
    if (::geteuid() == 0) {
        // The server will not run as root; the cluster belongs to an unprivileged user.
        const passwd* user = ::getpwnam("nobody");
        if (!user || QStandardPaths::findExecutable(QStringLiteral("runuser")).isEmpty()) {
            why = QStringLiteral("running as root without the user nobody or runuser to start PostgreSQL as");
            return false;
        }
        if (::chown(QFile::encodeName(m_dir->path()).constData(), user->pw_uid, user->pw_gid) != 0) {
            why = QStringLiteral("cannot give the temporary folder to nobody");
            return false;
        }
        m_runAs = QStringLiteral("nobody");
    }
    m_data = m_dir->filePath(QStringLiteral("data"));
    QString out;
    if (!Run(m_bin + u"/initdb"_qs,
             {u"-D"_qs, m_data, u"-U"_qs, u"journal"_qs, u"--auth=trust"_qs, u"--encoding=UTF8"_qs,
              u"--no-sync"_qs, u"--no-instructions"_qs},
             out)) {
        why = u"initdb failed: "_qs + out.right(400);
        return false;
    }
    // A free port may be taken between the probe and the start; try a few.
    for (int attempt = 0; attempt < 3 && !m_running; ++attempt) {
        m_port = FreePort();
        const QString options = QStringLiteral("-p %1 -c listen_addresses=127.0.0.1 -k %2 -c fsync=off "
                                               "-c max_connections=50 -c shared_buffers=16MB")
                                    .arg(m_port)
                                    .arg(m_dir->path());
        m_running = Run(m_bin + u"/pg_ctl"_qs,
                        {u"-D"_qs, m_data, u"-o"_qs, options, u"-l"_qs, m_dir->filePath(u"log"_qs), u"-w"_qs,
                         u"-t"_qs, u"60"_qs, u"start"_qs},
                        out, 90000);
    }
    if (!m_running) {
        QFile log(m_dir->filePath(u"log"_qs));
        why = u"pg_ctl start failed: "_qs + out.right(300) +
              (log.open(QIODevice::ReadOnly) ? u" / "_qs + QString::fromLocal8Bit(log.readAll().right(300))
                                             : QString());
        return false;
    }
    return true;
}

void TempPostgres::Stop() {
    if (!m_running)
        return;
    m_running = false;
    QString out;
    Run(m_bin + u"/pg_ctl"_qs, {u"-D"_qs, m_data, u"-m"_qs, u"immediate"_qs, u"-w"_qs, u"stop"_qs}, out);
}

bool TempPostgres::CreateDatabase(const QString& name, QString& url, QString& why) {
    const QString connection = u"temp-postgres-"_qs + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(m_port);
        db.setUserName(QStringLiteral("journal"));
        db.setDatabaseName(QStringLiteral("postgres"));
        if (!db.open()) {
            why = db.lastError().text();
        } else {
            QSqlQuery q(db);
            ok = q.exec(u"CREATE DATABASE "_qs + name);
            if (!ok)
                why = q.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    url = QStringLiteral("postgresql://journal@127.0.0.1:%1/%2").arg(m_port).arg(name);
    return ok;
}
