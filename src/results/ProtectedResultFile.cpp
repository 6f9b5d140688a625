// The protected results file and the class that the session engine calls for both result files.
#include "ResultFiles.h"
#include "ResultTexts.h"
#include "Zlib.h"

#include "model/ByteReader.h"
#include "model/ByteWriter.h"
#include "model/SafeFile.h"
#include "ports/Clock.h"
#include "settings/Settings.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {
constexpr char Signature[] = "QuizarProtectionResult";
constexpr qsizetype SignatureSize = sizeof(Signature) - 1;
// The smallest record: 10 empty strings, 4 empty arrays, 11 int32, 4 doubles and the end-reason byte.
constexpr qint64 MinRecordSize = 10 * 4 + 4 * 4 + 11 * 4 + 4 * 8 + 1;
// Far beyond any real collection of results; a stream that inflates past it is treated as damaged
// rather than allowed to exhaust memory.
constexpr qint64 MaxPayload = qint64(1) << 30;

// The decoded content of an existing file: the payload, and where its N records end.
struct Stored {
    QByteArray payload;
    qint32 count = 0;
    qsizetype recordsBegin = 8;
    qsizetype recordsEnd = 8;
};

// Reads and checks the whole file. When `records` is given, the records are kept too.
Status ReadStored(const QString& path, Stored& stored, QList<TResultTest>* records) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::Failed(Fault::ReadFailed,
                              QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Status::Failed(Fault::ReadFailed,
                              QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    if (!bytes.startsWith(QByteArrayView(Signature, SignatureSize)))
        return Status::Failed(Fault::WrongType,
                              QStringLiteral("%1 is not a protected results file").arg(path));
    if (const Status inflated =
            Zlib::Inflate(QByteArrayView(bytes).sliced(SignatureSize), stored.payload, MaxPayload);
        !inflated.Ok())
        return Status::Failed(Fault::Corrupt, QStringLiteral("%1: %2").arg(path, inflated.Detail()));

    ByteReader in(stored.payload);
    in.ReadInt32(); // always written as 0 and never used
    stored.count = in.ReadCount(MinRecordSize);
    if (!in.Ok())
        return Status::Failed(Fault::Corrupt, QStringLiteral("%1: impossible record count").arg(path));
    stored.recordsBegin = in.Position();
    TResultTest scratch(0);
    for (qint32 i = 0; i < stored.count; ++i) {
        TResultTest& target = records ? records->emplace_back(0) : scratch;
        if (!target.LoadFromStream(in)) {
            if (records)
                records->clear();
            return Status::Failed(
                Fault::Corrupt,
                QStringLiteral("%1: record %2 of %3 is damaged").arg(path).arg(i + 1).arg(stored.count));
        }
    }
    stored.recordsEnd = in.Position();
    return {};
}
} // namespace

QByteArray ProtectionSignature() {
    return QByteArray(Signature, SignatureSize);
}

Status ReadProtectedResults(const QString& path, QList<TResultTest>& records) {
    records.clear();
    Stored stored;
    return ReadStored(path, stored, &records);
}

Status AppendProtectedResult(const QString& path, const TResultTest& record, const WriteGate& gate) {
    Stored stored;
    if (QFileInfo::exists(path)) {
        const Status read = ReadStored(path, stored, nullptr);
        if (!read.Ok())
            return read;
        if (stored.count == std::numeric_limits<qint32>::max())
            return Status::Failed(Fault::WriteFailed,
                                  QStringLiteral("%1 holds as many records as it can").arg(path));
    }
    // The old records were each checked by parsing them; their bytes go back unchanged, which is
    // exactly what loading and saving every one of them again would write.
    QByteArray head;
    ByteWriter w(head);
    w.WriteInt32(0);
    w.WriteInt32(stored.count + 1);
    QByteArray added;
    ByteWriter wa(added);
    record.SaveToStream(wa);
    const QByteArrayView old =
        stored.payload.isEmpty() ? QByteArrayView()
                                 : QByteArrayView(stored.payload)
                                       .sliced(stored.recordsBegin, stored.recordsEnd - stored.recordsBegin);

    SafeFileWriter file(path);
    if (const Status opened = file.Open(); !opened.Ok())
        return Status::Failed(Fault::WriteFailed, opened.Detail());
    auto put = [&](QByteArrayView chunk) {
        if (gate && !gate(chunk))
            return false;
        return file.Write(chunk);
    };
    Status written = put(QByteArrayView(Signature, SignatureSize))
                         ? Zlib::Deflate({head, old, added}, Zlib::MaxCompression, put)
                         : Status::Failed(Fault::WriteFailed, file.ErrorString());
    if (!written.Ok()) {
        file.Cancel();
        // The file's own error says more than "could not write" when the disk refused.
        const QString detail = file.ErrorString().isEmpty() ? written.Detail() : file.ErrorString();
        return Status::Failed(Fault::WriteFailed, QStringLiteral("cannot write %1: %2").arg(path, detail));
    }
    if (const Status committed = file.Commit(); !committed.Ok())
        return Status::Failed(Fault::WriteFailed, committed.Detail());
    return {};
}

bool ProtectedFileHolds(const QString& path, const TResultTest& record) {
    QList<TResultTest> records;
    if (!ReadProtectedResults(path, records).Ok())
        return false;
    return std::any_of(records.cbegin(), records.cend(),
                       [&](const TResultTest& stored) { return stored.SameStoredFields(record); });
}

ResultFiles::ResultFiles(const TSettings& settings, QString programFolder, const Clock& clock, QLocale locale)
    : m_settings(settings), m_programFolder(std::move(programFolder)), m_clock(clock),
      m_locale(std::move(locale)) {}

Status ResultFiles::AppendLogLine(const QByteArray& line) {
    if (!m_settings.IsSaveResult)
        return Status::Failed(Fault::Disabled, {});
    return AppendLinesToFile(ResultLogPath(m_settings, m_programFolder), {line});
}

Status ResultFiles::AppendLogBlock(const TResultTest& result) {
    if (!m_settings.IsSaveResult)
        return Status::Failed(Fault::Disabled, {});
    return AppendLinesToFile(ResultLogPath(m_settings, m_programFolder),
                             ComposeLogBlock(result, m_clock.Now(), m_locale));
}

Status ResultFiles::SaveProtectedResult(const TResultTest& result) {
    if (!m_settings.IsSaveProtectionResult)
        return Status::Failed(Fault::Disabled, {});
    return AppendProtectedResult(ProtectionResultPath(m_settings, m_programFolder), result, m_gate);
}

bool ResultFiles::HoldsLogBlock(const TResultTest& result) const {
    return LogHoldsBlock(ResultLogPath(m_settings, m_programFolder), result, m_locale);
}

bool ResultFiles::HoldsProtectedResult(const TResultTest& result) const {
    return ProtectedFileHolds(ProtectionResultPath(m_settings, m_programFolder), result);
}

Status ResultFiles::LogProgramStarted() {
    return AppendLogLine(LogLineProgramStarted(m_clock.Now()));
}
Status ResultFiles::LogTestStarted(const QByteArray& testTitle) {
    return AppendLogLine(LogLineTestStarted(m_clock.Now(), testTitle));
}
Status ResultFiles::LogProgramClosed() {
    return AppendLogLine(LogLineProgramClosed(m_clock.Now()));
}

std::optional<Notice> ResultLogNotice(const Status& status) {
    if (status.Ok() || status.Failure() == Fault::Disabled)
        return std::nullopt;
    return Notice{ResultTexts::LogWriteFailedCaption.toString(), ResultTexts::LogWriteFailed.toString(),
                  MsgIcon::Information};
}

std::optional<Notice> ProtectedResultNotice(const Status& status) {
    if (status.Ok() || status.Failure() == Fault::Disabled)
        return std::nullopt;
    if (status.Failure() == Fault::WrongType)
        return Notice{ResultTexts::WrongFileTypeCaption.toString(), ResultTexts::WrongFileType.toString(),
                      MsgIcon::Error};
    return Notice{ResultTexts::ProtectedWriteFailedCaption.toString(),
                  ResultTexts::ProtectedWriteFailed.toString(), MsgIcon::Information};
}
