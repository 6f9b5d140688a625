#include "SessionJournal.h"

#include "model/ByteWriter.h"
#include "model/Cipher.h"
#include "model/FileSync.h"
#include "model/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

#include <algorithm>
#include <limits>

namespace {

constexpr char Signature[] = "QuizarSessionJournal";
constexpr qsizetype SignatureSize = sizeof(Signature) - 1;
constexpr quint8 FormatVersion = 1;
constexpr qsizetype SaltSize = 16;
constexpr qsizetype HeaderSize = SignatureSize + 1 + SaltSize;
constexpr qsizetype SealSize = 16;
constexpr KeyRecord RecordCipher{0x6C3B, 0x1D95, 0x7A4E};

const QByteArray& SealKey() {
    static const QByteArray key =
        QByteArray::fromHex("a2dd48bb9f0292ce521cae527fc0ad12c42caa8628cec605d65d47119fa5ff70");
    return key;
}

quint32 ReadLength(const QByteArray& bytes, qsizetype at) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

bool OnlyZeros(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0; });
}

QString Folder(const QString& path) {
    return QFileInfo(path).absolutePath();
}

} // namespace

qint32 JournalFile::SecondsSinceLastStep(const QDateTime& now) const {
    if (records.isEmpty())
        return 0;
    const qint64 ms = now.toMSecsSinceEpoch() - records.constLast().wallMs;
    return qint32(std::clamp<qint64>(ms / 1000, 0, std::numeric_limits<qint32>::max() / 2));
}

QString SessionJournal::PathFor(const QString& folder, const QByteArray& sessionId) {
    QString name = QString::fromLatin1(sessionId);
    name.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    return QDir(folder).filePath(name + QStringLiteral(".qzj"));
}

QStringList SessionJournal::Find(const QString& folder) {
    QStringList paths;
    if (folder.isEmpty())
        return paths;
    const QFileInfoList entries =
        QDir(folder).entryInfoList({QStringLiteral("*.qzj")}, QDir::Files, QDir::Time | QDir::Reversed);
    for (const QFileInfo& info : entries)
        paths.append(info.absoluteFilePath());
    return paths;
}

SessionJournal::SessionJournal(QString path, QByteArray salt, JournalGate gate)
    : m_path(std::move(path)), m_salt(std::move(salt)), m_lastSeal(SealSize, '\0'), m_gate(std::move(gate)) {}

SessionJournal::~SessionJournal() = default;

QByteArray SessionJournal::Seal(QByteArrayView frameHead, QByteArrayView cipher) const {
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, SealKey());
    mac.addData(m_salt);
    mac.addData(m_lastSeal);
    mac.addData(frameHead.data(), frameHead.size());
    mac.addData(cipher.data(), cipher.size());
    return mac.result().left(SealSize);
}

QByteArray SessionJournal::Frame(const JournalRecord& record) {
    const QByteArray cipher = EncipherBuffer(EncodeJournalRecord(record), RecordCipher);
    QByteArray frame;
    ByteWriter w(frame);
    w.WriteUInt32(quint32(cipher.size()));
    const QByteArray seal = Seal(frame, cipher);
    frame += cipher;
    frame += seal;
    m_lastSeal = seal;
    return frame;
}

std::unique_ptr<SessionJournal> SessionJournal::Create(const QString& path, const JournalRecord& begin,
                                                       Status& status, JournalGate gate) {
    QByteArray salt(SaltSize, '\0');
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    std::unique_ptr<SessionJournal> journal(new SessionJournal(path, salt, std::move(gate)));
    journal->m_bytes = QByteArray(Signature, SignatureSize) + char(FormatVersion) + salt;
    journal->m_bytes += journal->Frame(begin);
    journal->m_records = 1;
    status = journal->WriteWhole();
    journal->m_healthy = status.Ok();
    return journal;
}

Status SessionJournal::WriteWhole() {
    // Written whole and renamed into place: a journal is never found without its beginning, nor
    // with a step missing in its middle.
    if (!QDir().mkpath(Folder(m_path)))
        return Status::Failed(Fault::WriteFailed,
                              QStringLiteral("cannot create the folder of %1").arg(m_path));
    if (!Pass(m_bytes))
        return Status::Failed(Fault::WriteFailed, QStringLiteral("cannot write %1").arg(m_path));
    return ReplaceFileContents(m_path, m_bytes);
}

std::unique_ptr<SessionJournal> SessionJournal::Continue(const JournalFile& file, Status& status,
                                                         JournalGate gate) {
    std::unique_ptr<SessionJournal> journal(
        new SessionJournal(file.path, file.bytes.mid(SignatureSize + 1, SaltSize), std::move(gate)));
    journal->m_bytes = file.bytes;
    journal->m_lastSeal = file.lastSeal;
    journal->m_records = int(file.records.size());
    status = {};
    if (file.TailCut()) {
        QFile f(file.path);
        if (!f.open(QIODevice::ReadWrite) || !f.resize(file.bytes.size()) || !SyncFileData(f.handle()))
            status = Status::Failed(Fault::WriteFailed,
                                    QStringLiteral("cannot cut %1 back: %2").arg(file.path, f.errorString()));
    }
    journal->m_healthy = status.Ok();
    return journal;
}

Status SessionJournal::Append(const JournalRecord& record) {
    const QByteArray frame = Frame(record);
    m_bytes += frame;
    ++m_records;
    Status written;
    // A file that went away meanwhile is written whole, header first.
    if (m_healthy && QFileInfo::exists(m_path))
        written = Pass(frame)
                      ? AppendToFile(m_path, frame)
                      : Status::Failed(Fault::WriteFailed, QStringLiteral("cannot write %1").arg(m_path));
    else
        written = WriteWhole(); // an earlier record may be missing from the file
    m_healthy = written.Ok();
    return written;
}

Status SessionJournal::Remove() {
    if (QFile::exists(m_path) && !QFile::remove(m_path))
        return Status::Failed(Fault::WriteFailed, QStringLiteral("cannot remove %1").arg(m_path));
    SyncFolder(Folder(m_path));
    return {};
}

Status SessionJournal::Read(const QString& path, JournalFile& file) {
    file = JournalFile{};
    file.path = path;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Status::Failed(Fault::ReadFailed,
                              QStringLiteral("cannot open %1: %2").arg(path, f.errorString()));
    file.fileSize = f.size();
    if (file.fileSize > MaxFileSize)
        return Status::Failed(Fault::Corrupt, QStringLiteral("%1 is too large for a journal").arg(path));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError || bytes.size() != file.fileSize)
        return Status::Failed(Fault::ReadFailed,
                              QStringLiteral("cannot read %1: %2").arg(path, f.errorString()));
    if (!bytes.startsWith(QByteArrayView(Signature, SignatureSize)))
        return Status::Failed(Fault::WrongType, QStringLiteral("%1 is not a session journal").arg(path));
    if (bytes.size() < HeaderSize || quint8(bytes[SignatureSize]) != FormatVersion)
        return Status::Failed(Fault::Corrupt, QStringLiteral("%1 has no journal header").arg(path));

    SessionJournal reader(path, bytes.mid(SignatureSize + 1, SaltSize), {});
    auto corrupt = [&](const QString& what, qsizetype at) {
        return Status::Failed(Fault::Corrupt, QStringLiteral("%1: %2 at byte %3").arg(path, what).arg(at));
    };
    qsizetype at = HeaderSize;
    while (at < bytes.size()) {
        const QByteArrayView rest = QByteArrayView(bytes).sliced(at);
        // A step that never fully reached the disk: its length is cut, its bytes are short, or the
        // disk kept room for it and nothing else.
        if (OnlyZeros(rest) || rest.size() < 4)
            break;
        const quint32 length = ReadLength(bytes, at);
        if (length == 0 || length > MaxRecordSize)
            return corrupt(QStringLiteral("impossible record length"), at);
        if (qint64(rest.size()) < 4 + qint64(length) + SealSize)
            break;
        const QByteArrayView head = rest.first(4);
        const QByteArrayView cipher = rest.sliced(4, length);
        const QByteArray seal = reader.Seal(head, cipher);
        const QByteArrayView stored = rest.sliced(4 + length, SealSize);
        if (seal != stored) {
            // The last record's pages reached the disk in part: its seal, the last bytes written,
            // is still zeros.
            if (rest.size() == 4 + qsizetype(length) + SealSize && OnlyZeros(stored))
                break;
            return corrupt(QStringLiteral("a record whose seal does not hold"), at);
        }
        QByteArray plain(qsizetype(length), Qt::Uninitialized);
        DecipherBuffer(cipher.data(), length, plain.data(), RecordCipher, length);
        JournalRecord record;
        if (!DecodeJournalRecord(plain, record))
            return corrupt(QStringLiteral("a record that cannot be read"), at);
        const bool begin = record.As<JournalBegin>() != nullptr;
        if (begin != file.records.isEmpty())
            return corrupt(QStringLiteral("the session's start out of place"), at);
        file.records.append(std::move(record));
        reader.m_lastSeal = seal;
        at += 4 + qsizetype(length) + SealSize;
    }
    if (file.records.isEmpty())
        return Status::Failed(Fault::Corrupt, QStringLiteral("%1 holds no session").arg(path));
    file.bytes = bytes.first(at);
    file.lastSeal = reader.m_lastSeal;
    return {};
}

QString SessionJournal::SetAside(const QString& path) {
    const QFileInfo info(path);
    const QDir damaged(info.absoluteDir().filePath(QStringLiteral("damaged")));
    if (QDir().mkpath(damaged.path())) {
        QString target = damaged.filePath(info.fileName());
        for (int i = 1; QFile::exists(target); ++i)
            target = damaged.filePath(
                QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(i).arg(info.suffix()));
        if (QFile::rename(path, target)) {
            SyncFolder(info.absolutePath());
            return target;
        }
    }
    QFile::remove(path);
    return {};
}
