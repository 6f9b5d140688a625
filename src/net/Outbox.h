#pragma once
// Results on their way to the teacher's server. Every result is put here before it is sent and
// taken away once the server has it, so a result survives a server that is down, a lost network
// and a program closed (or a computer switched off) before the sending ended. What waits is sent
// again later, oldest first; the server recognises a result sent twice by its session id.
//
// One file per result, written safely: a signature, the session id, the exact bytes of the result
// block, and a CRC-32 over all of it. A file that does not read back as exactly that is moved into
// the "damaged" folder beside the others and never sent.
#include "model/Status.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

struct OutboxItem {
    QString path;
    QByteArray sessionId;
    QByteArray resultRecord; // the block of "RESULT", the result stream form
};

class Outbox {
public:
    // `folder` is created when the first result is stored.
    explicit Outbox(QString folder);

    // The per-user data folder's "outbox".
    static QString DefaultFolder();
    const QString& Folder() const { return m_folder; }
    QString DamagedFolder() const;

    // Stores one result; `path` receives its file.
    Status Store(const QByteArray& sessionId, QByteArrayView resultRecord, QString& path);
    // The files waiting, oldest first.
    QStringList Pending() const;
    // Reads one waiting file. A damaged one is moved aside here (Fault::Corrupt); a missing one
    // gives Fault::NotFound.
    Status Load(const QString& path, OutboxItem& item);
    // The server has the result. When the file cannot be removed it is at least never offered
    // again during this run.
    void Remove(const QString& path);

    static QByteArray Encode(const QByteArray& sessionId, QByteArrayView resultRecord);
    static Status Decode(QByteArrayView bytes, QByteArray& sessionId, QByteArray& resultRecord);

private:
    void SetAside(const QString& path);

    QString m_folder;
    // Files that could be neither removed nor moved aside: left alone for the rest of the run.
    QSet<QString> m_skipped;
    int m_sequence = 0;
};
