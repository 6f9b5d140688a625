// The protected results file and the class that the session engine calls for both result files.
#include "ResultFiles.h"
#include "ResultTexts.h"
#include "Zlib.h"

#include "model/ByteReader.h"
#include "model/ByteWriter.h"
#include "model/SafeFile.h"
#include "ports/Clock.h"
#include "ports/Prompts.h"
#include "settings/Settings.h"

#include <QFile>
#include <QFileInfo>

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
ResultFileStatus ReadStored(const QString& path, Stored& stored, QList<TResultTest>* records) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ResultFileStatus::Fail(ResultFileStatus::ReadFailed,
                                      QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return ResultFileStatus::Fail(ResultFileStatus::ReadFailed,
                                      QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    if (!bytes.startsWith(QByteArrayView(Signature, SignatureSize)))
        return ResultFileStatus::Fail(ResultFileStatus::WrongSignature,
                                      QStringLiteral("%1 is not a protected results file").arg(path));
    QString why;
    if (!Zlib::Inflate(QByteArrayView(bytes).sliced(SignatureSize), stored.payload, MaxPayload, &why))
        return ResultFileStatus::Fail(ResultFileStatus::Corrupt, QStringLiteral("%1: %2").arg(path, why));

    ByteReader in(stored.payload);
    in.ReadInt32(); // always written as 0 and never used
    stored.count = in.ReadCount(MinRecordSize);
    if (!in.Ok())
        return ResultFileStatus::Fail(ResultFileStatus::Corrupt,
                                      QStringLiteral("%1: impossible record count").arg(path));
    stored.recordsBegin = in.Position();
    TResultTest scratch(0);
    for (qint32 i = 0; i < stored.count; ++i) {
        TResultTest& target = records ? records->emplace_back(0) : scratch;
        if (!target.LoadFromStream(in)) {
            if (records)
                records->clear();
            return ResultFileStatus::Fail(
                ResultFileStatus::Corrupt,
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

ResultFileStatus ReadProtectedResults(const QString& path, QList<TResultTest>& records) {
    records.clear();
    Stored stored;
    return ReadStored(path, stored, &records);
}

ResultFileStatus AppendProtectedResult(const QString& path, const TResultTest& record,
                                       const WriteGate& gate) {
    Stored stored;
    if (QFileInfo::exists(path)) {
        const ResultFileStatus read = ReadStored(path, stored, nullptr);
        if (!read.IsOk())
            return read;
        if (stored.count == std::numeric_limits<qint32>::max())
            return ResultFileStatus::Fail(ResultFileStatus::WriteFailed,
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
        return ResultFileStatus::Fail(ResultFileStatus::WriteFailed, opened.Detail());
    auto put = [&](QByteArrayView chunk) {
        if (gate && !gate(chunk))
            return false;
        return file.Write(chunk);
    };
    QString why;
    bool ok = put(QByteArrayView(Signature, SignatureSize));
    ok = ok && Zlib::Deflate({head, old, added}, 9, put, &why);
    if (!ok) {
        const QString detail = why.isEmpty() ? file.ErrorString() : why;
        file.Cancel();
        return ResultFileStatus::Fail(ResultFileStatus::WriteFailed,
                                      QStringLiteral("cannot write %1: %2").arg(path, detail));
    }
    if (const Status committed = file.Commit(); !committed.Ok())
        return ResultFileStatus::Fail(ResultFileStatus::WriteFailed, committed.Detail());
    return {};
}

ResultFiles::ResultFiles(const TSettings& settings, QString programFolder, const Clock& clock,
                         Prompts& prompts, QLocale locale)
    : m_settings(settings), m_programFolder(std::move(programFolder)), m_clock(clock), m_prompts(prompts),
      m_locale(std::move(locale)) {}

ResultFileStatus ResultFiles::AppendLogLine(const QByteArray& line) {
    if (!m_settings.IsSaveResult)
        return {ResultFileStatus::Disabled, {}};
    const ResultFileStatus status = AppendLinesToFile(ResultLogPath(m_settings, m_programFolder), {line});
    if (!status.IsOk())
        m_prompts.ShowMessage(ResultTexts::LogWriteFailedCaption.toString(),
                              ResultTexts::LogWriteFailed.toString(), MsgIcon::Information);
    return status;
}

ResultFileStatus ResultFiles::AppendLogBlock(const TResultTest& result) {
    if (!m_settings.IsSaveResult)
        return {ResultFileStatus::Disabled, {}};
    const ResultFileStatus status = AppendLinesToFile(ResultLogPath(m_settings, m_programFolder),
                                                      ComposeLogBlock(result, m_clock.Now(), m_locale));
    if (!status.IsOk())
        m_prompts.ShowMessage(ResultTexts::LogWriteFailedCaption.toString(),
                              ResultTexts::LogWriteFailed.toString(), MsgIcon::Information);
    return status;
}

ResultFileStatus ResultFiles::SaveProtectedResult(const TResultTest& result) {
    if (!m_settings.IsSaveProtectionResult)
        return {ResultFileStatus::Disabled, {}};
    const ResultFileStatus status =
        AppendProtectedResult(ProtectionResultPath(m_settings, m_programFolder), result, m_gate);
    if (status.kind == ResultFileStatus::WrongSignature)
        m_prompts.ShowMessage(ResultTexts::WrongFileTypeCaption.toString(),
                              ResultTexts::WrongFileType.toString(), MsgIcon::Error);
    else if (!status.IsOk())
        m_prompts.ShowMessage(ResultTexts::ProtectedWriteFailedCaption.toString(),
                              ResultTexts::ProtectedWriteFailed.toString(), MsgIcon::Information);
    return status;
}

ResultFileStatus ResultFiles::LogProgramStarted() {
    return AppendLogLine(LogLineProgramStarted(m_clock.Now()));
}
ResultFileStatus ResultFiles::LogTestStarted(const QByteArray& testTitle) {
    return AppendLogLine(LogLineTestStarted(m_clock.Now(), testTitle));
}
ResultFileStatus ResultFiles::LogProgramClosed() {
    return AppendLogLine(LogLineProgramClosed(m_clock.Now()));
}
