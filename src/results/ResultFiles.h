#pragma once
// The two files a finished session leaves behind: the results log, a code-page-1251 text file that
// is only ever appended to, and the protected results file, a signature followed by one zlib
// stream holding every result record ever stored on this computer.
#include "model/ResultTest.h"
#include "model/Status.h"
#include "ports/Prompts.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

class Clock;
struct TSettings;

// The operations below fail as
//   Disabled    — the setting that switches the file on is off; nothing was touched;
//   WrongType   — the protected file is of another type (its signature differs); left as it was;
//   Corrupt     — the protected file cannot be decoded; left as it was;
//   ReadFailed  — the protected file could not be read; left as it was;
//   WriteFailed — the file could not be created or written.

// ---- Paths ---------------------------------------------------------------------------------

// `DirForResult` when it is set, otherwise the program's folder.
QString ResultFolder(const TSettings& settings, const QString& programFolder);
QString ResultLogPath(const TSettings& settings, const QString& programFolder);
QString ProtectionResultPath(const TSettings& settings, const QString& programFolder);

// ---- Results log -----------------------------------------------------------------------------

// The single-line entries, "dd.mm.yyyy hh:nn:ss " followed by the entry's text, in code page 1251.
QByteArray LogLineProgramStarted(const QDateTime& now);
QByteArray LogLineTestStarted(const QDateTime& now, const QByteArray& testTitle);
QByteArray LogLineProgramClosed(const QDateTime& now);

// The lines of the block that records a finished session, without line ends. Fractions use the
// decimal separator of `locale`; a percentage of nothing (a zero divisor) is 0.0.
QList<QByteArray> ComposeLogBlock(const TResultTest& result, const QDateTime& now, const QLocale& locale);

// Whether the log at `path` holds the block of this finished session (every line but the one with
// the time of writing).
bool LogHoldsBlock(const QString& path, const TResultTest& result, const QLocale& locale);

// Appends each line followed by CR LF, creating the file when it is missing.
Status AppendLinesToFile(const QString& path, const QList<QByteArray>& lines);

// ---- Protected results file --------------------------------------------------------------------

// The 22 ASCII bytes at the start of every protected results file.
QByteArray ProtectionSignature();

// Every record of the file, oldest first. A missing file is an error here (ReadFailed).
Status ReadProtectedResults(const QString& path, QList<TResultTest>& records);

// Every byte headed for the new protected file passes through this gate before it is written;
// returning false fails the write as a full disk would. Tests use it to break a write half-way.
using WriteGate = std::function<bool(QByteArrayView chunk)>;

// Adds `record` after the records already stored. The old file is read completely first and is
// never replaced unless it was read without a fault; the new file is written beside it and
// renamed over it only once complete, so the file on disk is always the old or the new one.
Status AppendProtectedResult(const QString& path, const TResultTest& record, const WriteGate& gate = {});

// Whether the protected file at `path` holds a record equal to `record`; false also when it cannot
// be read.
bool ProtectedFileHolds(const QString& path, const TResultTest& record);

// ---- What the session engine calls ---------------------------------------------------------

// Writes the log and the protected file as the settings say. The settings are read at every call,
// so a switch changed during the run acts at once. What the user is told of a failure is the
// caller's: ResultLogNotice and ProtectedResultNotice.
class ResultFiles {
public:
    ResultFiles(const TSettings& settings, QString programFolder, const Clock& clock,
                QLocale locale = QLocale());

    Status AppendLogLine(const QByteArray& line);
    Status AppendLogBlock(const TResultTest& result);
    Status SaveProtectedResult(const TResultTest& result);
    // Whether the files already hold this finished session (after a crash while it was written).
    bool HoldsLogBlock(const TResultTest& result) const;
    bool HoldsProtectedResult(const TResultTest& result) const;

    // The entries of program start, session start and program end, with the clock's time.
    Status LogProgramStarted();
    Status LogTestStarted(const QByteArray& testTitle);
    Status LogProgramClosed();

    void SetWriteGate(WriteGate gate) { m_gate = std::move(gate); }

private:
    const TSettings& m_settings;
    QString m_programFolder;
    const Clock& m_clock;
    QLocale m_locale;
    WriteGate m_gate;
};

// The message boxes of a failed write of the results log and of the protected results file; none
// when it succeeded or is switched off.
std::optional<Notice> ResultLogNotice(const Status& status);
std::optional<Notice> ProtectedResultNotice(const Status& status);
