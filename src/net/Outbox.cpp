#include "Outbox.h"

#include "NetLimits.h"
#include "Records.h"

#include "model/ByteReader.h"
#include "model/ByteWriter.h"
#include "model/Crc32.h"
#include "model/SafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
constexpr char Signature[] = "QZOUTBOX";
constexpr qsizetype SignatureSize = sizeof(Signature) - 1;
const QString Suffix = QStringLiteral(".qzo");
// The longest session id kept; a real one has 38 characters.
constexpr qsizetype MaxSessionIdBytes = 64;

// A session id goes out as a line: it must be short and hold no line end or control byte.
bool PlausibleSessionId(const QByteArray& id) {
    if (id.isEmpty() || id.size() > MaxSessionIdBytes)
        return false;
    for (char c : id)
        if (quint8(c) < 32)
            return false;
    return true;
}

// The session id in a form fit for a file name.
QString NamePart(const QByteArray& sessionId) {
    QString out;
    for (char c : sessionId.first(std::min<qsizetype>(sessionId.size(), 40))) {
        const bool plain =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-';
        if (plain)
            out += QLatin1Char(c);
    }
    return out;
}
} // namespace

Outbox::Outbox(QString folder) : m_folder(std::move(folder)) {}

QString Outbox::DefaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/outbox");
}

QString Outbox::DamagedFolder() const {
    return m_folder + QStringLiteral("/damaged");
}

QByteArray Outbox::Encode(const QByteArray& sessionId, QByteArrayView resultRecord) {
    QByteArray out(Signature, SignatureSize);
    ByteWriter w(out);
    w.WriteString(sessionId);
    w.WriteString(resultRecord);
    w.WriteUInt32(BufferCrc32(out));
    return out;
}

Status Outbox::Decode(QByteArrayView bytes, QByteArray& sessionId, QByteArray& resultRecord) {
    auto damaged = [](const QString& why) { return Status::Failed(Fault::Corrupt, why); };
    if (bytes.size() < SignatureSize + 12 || !bytes.startsWith(QByteArrayView(Signature, SignatureSize)))
        return damaged(QStringLiteral("not an outbox file"));
    const QByteArrayView body = bytes.first(bytes.size() - 4);
    ByteReader crcReader(bytes.sliced(bytes.size() - 4));
    if (crcReader.ReadUInt32() != BufferCrc32(body))
        return damaged(QStringLiteral("the checksum does not match"));
    ByteReader in(body.sliced(SignatureSize));
    QByteArray id = in.ReadString();
    QByteArray record = in.ReadString();
    if (!in.Ok() || in.KnownRemaining() != 0)
        return damaged(QStringLiteral("the content is cut short or too long"));
    if (!PlausibleSessionId(id))
        return damaged(QStringLiteral("the session id is not one"));
    TResultTest check(0);
    if (Status s = DecodeResultRecord(record, check); !s.Ok())
        return s;
    sessionId = std::move(id);
    resultRecord = std::move(record);
    return {};
}

Status Outbox::Store(const QByteArray& sessionId, QByteArrayView resultRecord, QString& path) {
    if (!PlausibleSessionId(sessionId))
        return Status::Failed(Fault::WriteFailed, QStringLiteral("the session id cannot be stored"));
    if (!QDir().mkpath(m_folder))
        return Status::Failed(Fault::WriteFailed, QStringLiteral("cannot create %1").arg(m_folder));
    // Names sort by the time of storing, so the oldest result goes first.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QString candidate;
    do {
        candidate = QStringLiteral("%1/%2-%3-%4%5")
                        .arg(m_folder)
                        .arg(now, 16, 10, QLatin1Char('0'))
                        .arg(m_sequence++ % 10000, 4, 10, QLatin1Char('0'))
                        .arg(NamePart(sessionId), Suffix);
    } while (QFileInfo::exists(candidate));
    if (Status s = ReplaceFileContents(candidate, Encode(sessionId, resultRecord)); !s.Ok())
        return s;
    path = candidate;
    return {};
}

QStringList Outbox::Pending() const {
    QStringList out;
    const QDir dir(m_folder);
    for (const QString& name : dir.entryList({QLatin1Char('*') + Suffix}, QDir::Files, QDir::Name)) {
        const QString path = dir.filePath(name);
        if (!m_skipped.contains(path))
            out.append(path);
    }
    return out;
}

Status Outbox::Load(const QString& path, OutboxItem& item) {
    QFile file(path);
    if (!file.exists())
        return Status::Failed(Fault::NotFound, QStringLiteral("%1 is gone").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return Status::Failed(Fault::ReadFailed,
                              QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    const qint64 cap = NetLimits::MaxResultBytes + SignatureSize + 4 + MaxSessionIdBytes + 8;
    const QByteArray bytes = file.read(cap + 1);
    if (file.error() != QFileDevice::NoError)
        return Status::Failed(Fault::ReadFailed,
                              QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    file.close();
    Status decoded = bytes.size() > cap ? Status::Failed(Fault::Corrupt, QStringLiteral("too large"))
                                        : Decode(bytes, item.sessionId, item.resultRecord);
    if (!decoded.Ok()) {
        SetAside(path);
        return Status::Failed(Fault::Corrupt, QStringLiteral("%1: %2").arg(path, decoded.Detail()));
    }
    item.path = path;
    return {};
}

void Outbox::Remove(const QString& path) {
    if (!QFile::remove(path) && QFileInfo::exists(path))
        m_skipped.insert(path);
}

void Outbox::SetAside(const QString& path) {
    const QString folder = DamagedFolder();
    const QString name = QFileInfo(path).fileName();
    QString target = folder + QLatin1Char('/') + name;
    for (int i = 1; QFileInfo::exists(target); ++i)
        target = QStringLiteral("%1/%2.%3").arg(folder, name).arg(i);
    if (!QDir().mkpath(folder) || !QFile::rename(path, target))
        m_skipped.insert(path);
}
