// Paths of the result files and the results log.
#include "ResultFiles.h"
#include "ResultFormat.h"
#include "ResultTexts.h"

#include "model/DateTime.h"
#include "model/SafeFile.h"
#include "model/TextCodec.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>

namespace {
QString JoinPath(const QString& folder, const QByteArray& fileName) {
    return QDir::cleanPath(folder + QLatin1Char('/') + TextCodec::FromCp1251(fileName));
}

QByteArray Cp(QStringView text) {
    return TextCodec::ToCp1251(text);
}

// Fills the "%s", "%d" and "%1.1f" placeholders of a fixed text in order with already formatted
// values; "%%" is one percent sign.
QByteArray Fill(QStringView text, std::initializer_list<QByteArray> values) {
    const QByteArray t = Cp(text);
    QByteArray out;
    auto value = values.begin();
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] != '%') {
            out += t[i];
            continue;
        }
        if (t.mid(i, 2) == "%%") {
            out += '%';
            i += 1;
            continue;
        }
        const qsizetype len = t.mid(i, 5) == "%1.1f" ? 5 : 2;
        if (value != values.end())
            out += *value++;
        i += len - 1;
    }
    return out;
}

QByteArray Decimal(qint64 v) {
    return QByteArray::number(v);
}

QByteArray OneDecimalCp(double v, const QLocale& locale) {
    return Cp(OneDecimal(v, locale));
}

QByteArray TimeOfDay(double stored) {
    return StoredTimeOfDay(stored).toLatin1();
}

QByteArray Stamp(const QDateTime& now) {
    return FormatDateTime(now).toLatin1();
}
} // namespace

QString ResultFolder(const TSettings& settings, const QString& programFolder) {
    if (!settings.DirForResult.isEmpty())
        return QDir::cleanPath(TextCodec::FromCp1251(settings.DirForResult));
    return QDir::cleanPath(programFolder);
}

QString ResultLogPath(const TSettings& settings, const QString& programFolder) {
    return JoinPath(ResultFolder(settings, programFolder), settings.ResultFileName);
}

QString ProtectionResultPath(const TSettings& settings, const QString& programFolder) {
    return JoinPath(ResultFolder(settings, programFolder), settings.ProtectionResultFileName);
}

QByteArray LogLineProgramStarted(const QDateTime& now) {
    return Stamp(now) + ' ' + Cp(ResultTexts::ProgramStarted);
}

QByteArray LogLineTestStarted(const QDateTime& now, const QByteArray& testTitle) {
    return Stamp(now) + ' ' + Cp(ResultTexts::TestStarted) + '"' + testTitle + '"';
}

QByteArray LogLineProgramClosed(const QDateTime& now) {
    return Stamp(now) + ' ' + Cp(ResultTexts::ProgramClosed);
}

QList<QByteArray> ComposeLogBlock(const TResultTest& r, const QDateTime& now, const QLocale& locale) {
    namespace T = ResultTexts;
    const QByteArray rule(48, '-');
    QList<QByteArray> lines;
    lines << rule << "---------- " + Stamp(now) + " ----------";
    switch (TestEnd(r.EndReason)) {
    case TestEnd::AllAnswered:
        lines << Cp(T::EndAllDone);
        break;
    case TestEnd::Stopped:
        lines << Cp(T::EndStopped);
        break;
    case TestEnd::TimeUp:
        lines << Cp(T::EndTimeOut);
        break;
    case TestEnd::ProgramClosed:
        lines << Cp(T::EndProgramClosed);
        break;
    default:
        break; // a session still running has no end line
    }
    const QByteArray crc = QByteArray::number(quint32(r.TestCrc), 16).toUpper().rightJustified(8, '0');
    lines << Fill(T::ComputerName, {r.ComputerName}) << Fill(T::LoginName, {r.LoginName})
          << Fill(T::UserName, {r.UserName}) << Fill(T::UserGroup, {r.UserGroup})
          << Fill(T::TestTitle, {r.TestTitle}) << Fill(T::TestFile, {r.TestFileName})
          << Fill(T::TestCrc, {crc}) << Fill(T::AskCount, {Decimal(r.AskCount)})
          << Fill(T::AskedCount, {Decimal(r.AskedCount)})
          << Fill(T::RightCount, {Decimal(r.RightCount),
                                  OneDecimalCp(SharePercent(qint64(r.RightCount), r.AskedCount), locale)})
          << Fill(T::WrongCount, {Decimal(r.WrongCount),
                                  OneDecimalCp(SharePercent(qint64(r.WrongCount), r.AskedCount), locale)})
          << Fill(T::Effectiveness, {OneDecimalCp(SharePercent(qint64(r.RightCount), r.AskCount), locale)})
          << Fill(T::HintCount, {Decimal(r.HintCount)})
          << Fill(T::Score, {OneDecimalCp(r.Score, locale), Decimal(r.MaxScore),
                             OneDecimalCp(SharePercent(r.Score, r.MaxScore), locale)})
          << Fill(T::Mark, {r.MarkName.isEmpty() ? Decimal(r.Mark) : r.MarkName})
          << Fill(T::ResultMask, {r.ResultMask()}) << Fill(T::TimeMask, {r.TimeMask()})
          << Fill(T::AnswerMask, {r.AnswerMask()}) << Fill(T::HintMask, {r.HintMask()})
          << Fill(T::StartTime, {TimeOfDay(r.StartTime)})
          << Fill(T::EndTime, {TimeOfDay(r.EndTime)})
          // A duration of a day or more wraps, as a time of day would.
          << Fill(T::Duration, {WrappedDuration(r.ElapsedSeconds).toLatin1()}) << rule;
    return lines;
}

bool LogHoldsBlock(const QString& path, const TResultTest& result, const QLocale& locale) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Everything after the line with the time of writing; the end time and the masks make it the
    // block of this one session.
    const QList<QByteArray> lines = ComposeLogBlock(result, QDateTime(), locale);
    QByteArray tail = "\r\n";
    for (qsizetype i = 2; i < lines.size(); ++i)
        tail += lines[i] + "\r\n";
    return file.readAll().contains(tail);
}

Status AppendLinesToFile(const QString& path, const QList<QByteArray>& lines) {
    QByteArray data;
    for (const QByteArray& line : lines)
        data += line + "\r\n";
    return AppendToFile(path, data);
}
