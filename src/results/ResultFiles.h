#pragma once
// The two files a finished session leaves behind: the results log, a code-page-1251 text file that
// is only ever appended to, and the protected results file, a signature followed by one zlib
// stream holding every result record ever stored on this computer.
#include "model/ResultTest.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>

#include <functional>

class Clock;
class Prompts;
struct TSettings;

// Outcome of one operation on a result file.
struct ResultFileStatus {
    enum Kind {
        Ok,
        Disabled,       // the setting that switches the file on is off; nothing was touched
        WrongSignature, // the protected file is of another type; left as it was
        Corrupt,        // the protected file cannot be decoded; left as it was
        ReadFailed,     // the protected file could not be read; left as it was
        WriteFailed,    // the file could not be created or written
    };
    Kind kind = Ok;
    QString text; // what went wrong, for the command line and diagnostics

    bool IsOk() const { return kind == Ok; }
    static ResultFileStatus Fail(Kind kind, QString text) { return {kind, std::move(text)}; }
};

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

// Appends each line followed by CR LF, creating the file when it is missing.
ResultFileStatus AppendLinesToFile(const QString& path, const QList<QByteArray>& lines);

// ---- Protected results file --------------------------------------------------------------------

// The 22 ASCII bytes at the start of every protected results file.
QByteArray ProtectionSignature();

// Every record of the file, oldest first. A missing file is an error here (ReadFailed).
ResultFileStatus ReadProtectedResults(const QString& path, QList<TResultTest>& records);

// Every byte headed for the new protected file passes through this gate before it is written;
// returning false fails the write as a full disk would. Tests use it to break a write half-way.
using WriteGate = std::function<bool(QByteArrayView chunk)>;

// Adds `record` after the records already stored. The old file is read completely first and is
// never replaced unless it was read without a fault; the new file is written beside it and
// renamed over it only once complete, so the file on disk is always the old or the new one.
ResultFileStatus AppendProtectedResult(const QString& path, const TResultTest& record,
                                       const WriteGate& gate = {});

// ---- What the session engine calls ---------------------------------------------------------

// Writes the log and the protected file as the settings say, and reports failures through the
// prompts. The settings are read at every call, so a switch changed during the run acts at once.
class ResultFiles {
public:
    ResultFiles(const TSettings& settings, QString programFolder, const Clock& clock, Prompts& prompts,
                QLocale locale = QLocale());

    ResultFileStatus AppendLogLine(const QByteArray& line);
    ResultFileStatus AppendLogBlock(const TResultTest& result);
    ResultFileStatus SaveProtectedResult(const TResultTest& result);

    // The entries of program start, session start and program end, with the clock's time.
    ResultFileStatus LogProgramStarted();
    ResultFileStatus LogTestStarted(const QByteArray& testTitle);
    ResultFileStatus LogProgramClosed();

    void SetWriteGate(WriteGate gate) { m_gate = std::move(gate); }

private:
    const TSettings& m_settings;
    QString m_programFolder;
    const Clock& m_clock;
    Prompts& m_prompts;
    QLocale m_locale;
    WriteGate m_gate;
};
