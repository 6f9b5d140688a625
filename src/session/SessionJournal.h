#pragma once
// The journal of a running session: one append-only file per session, one record per step, each
// record enciphered, sealed with a keyed checksum that also covers the record before it, and
// forced to the disk before the pupil sees what it records.
//
// File layout (integers little-endian):
//   "QuizarSessionJournal" (20 ASCII bytes), a format byte (1), 16 random bytes (the salt);
//   then per record: u32 length n, n enciphered bytes (the record, JournalRecord.h), and 16 bytes
//   of HMAC-SHA-256 over the salt, the previous record's 16 bytes (zeros for the first), the
//   length and the enciphered bytes.
//
// What the seal is worth: the key and the cipher are in the program, so anyone who reads its code
// can write a journal that passes. It stops editing with a text or hex editor, which is as much as
// the protected results file (compressed only) resists. Cutting the file short at a record boundary
// cannot be told from a step that never reached the disk.
#include "JournalRecord.h"

#include "model/Status.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// A journal as read back.
struct JournalFile {
    QString path;
    QList<JournalRecord> records; // the first one is the session's JournalBegin
    QByteArray bytes;             // the file up to the end of the last good record
    QByteArray lastSeal;          // the seal of the last good record
    qint64 fileSize = 0;          // the file as found; larger than bytes when a tail was cut
    bool TailCut() const { return fileSize > bytes.size(); }
    // Seconds from the last step to `now`; none when the clock stands before it.
    qint32 SecondsSinceLastStep(const QDateTime& now) const;
    const JournalBegin& Begin() const { return *records.constFirst().As<JournalBegin>(); }
    // The last record of kind T, or null.
    template <typename T> const T* Last() const {
        for (qsizetype i = records.size() - 1; i >= 0; --i)
            if (const T* step = records[i].As<T>())
                return step;
        return nullptr;
    }
};

// Every byte headed for the journal passes here before it is written; false fails the write as a
// full disk would. Tests use it to look at the files at each step or to break a write.
using JournalGate = std::function<bool(QByteArrayView bytes)>;

class SessionJournal {
public:
    static constexpr qint64 MaxRecordSize = qint64(16) << 20;
    static constexpr qint64 MaxFileSize = qint64(256) << 20;

    // The journal of a session in `folder`, named after its session id.
    static QString PathFor(const QString& folder, const QByteArray& sessionId);
    // The journals left in `folder`, oldest first.
    static QStringList Find(const QString& folder);

    // A new journal at `path` holding `begin` (a JournalBegin), written whole and put in place at
    // once. When that fails (`status`), the journal is there all the same, not Healthy, and its
    // next Append tries again.
    static std::unique_ptr<SessionJournal> Create(const QString& path, const JournalRecord& begin,
                                                  Status& status, JournalGate gate = {});
    // Goes on writing a journal that was read back; a tail that was cut off in reading is cut off
    // the file here. When that fails (`status`) the journal is not Healthy, as after a failed write.
    static std::unique_ptr<SessionJournal> Continue(const JournalFile& file, Status& status,
                                                    JournalGate gate = {});

    // Reads a journal. A half-written last record (shorter than its length says, or only zeros) is
    // left out and reported by JournalFile::TailCut. Fails as WrongType for another kind of file and
    // as Corrupt for anything else that does not hold: a record whose seal is wrong, one that does
    // not decode, a journal that does not begin with the session's start.
    static Status Read(const QString& path, JournalFile& file);

    // Moves a journal that cannot be used into the folder "damaged" beside it; the new path, or
    // empty when it could not be moved (it is then removed, so that it is not offered again).
    static QString SetAside(const QString& path);

    ~SessionJournal();
    SessionJournal(const SessionJournal&) = delete;
    SessionJournal& operator=(const SessionJournal&) = delete;

    // Appends one record and forces it to the disk. A write that fails leaves the file with its
    // earlier records; the record is kept, and the next Append writes the whole journal anew, so
    // that a disk that was full for a while loses no step once it has room again.
    Status Append(const JournalRecord& record);
    // False from a failed write until a later one succeeded.
    bool Healthy() const { return m_healthy; }
    // The session is over: the file goes.
    Status Remove();

    const QString& Path() const { return m_path; }
    int RecordCount() const { return m_records; }
    void SetGate(JournalGate gate) { m_gate = std::move(gate); }

private:
    SessionJournal(QString path, QByteArray salt, JournalGate gate);
    QByteArray Seal(QByteArrayView frameHead, QByteArrayView cipher) const;
    QByteArray Frame(const JournalRecord& record);
    Status WriteWhole();
    bool Pass(QByteArrayView bytes) const { return !m_gate || m_gate(bytes); }

    QString m_path;
    QByteArray m_salt;
    QByteArray m_lastSeal;
    QByteArray m_bytes; // the whole journal as it should be on the disk
    int m_records = 0;
    bool m_healthy = true;
    JournalGate m_gate;
};
