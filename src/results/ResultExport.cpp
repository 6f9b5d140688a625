#include "ResultExport.h"

#include "model/DateTime.h"
#include "model/TextCodec.h"

#include <QLocale>

#include <cmath>

namespace {
QByteArray Utf8(const QByteArray& cp1251) {
    return TextCodec::FromCp1251(cp1251).toUtf8();
}

QByteArray Crc(qint32 crc) {
    return QByteArray::number(quint32(crc), 16).toUpper().rightJustified(8, '0');
}

QByteArray DateText(double stored) {
    const QDateTime dt = DoubleToDateTime(stored);
    return dt.isValid() ? FormatDateTime(dt).toUtf8() : QByteArray();
}

// ---- JSON, written by hand to keep the fields in the record's order --------------------------

QByteArray JsonString(const QByteArray& utf8) {
    QByteArray out = "\"";
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += "\\u00" + QByteArray::number(u, 16).rightJustified(2, '0');
            }
        } else {
            out += c;
        }
    }
    return out + '"';
}

QByteArray JsonNumber(double v) {
    if (!std::isfinite(v))
        return "null"; // JSON has no NaN or infinity
    return QByteArray::number(v, 'g', QLocale::FloatingPointShortest);
}

template <typename T, typename F> QByteArray JsonArray(const QList<T>& items, F item) {
    QByteArray out = "[";
    for (qsizetype i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + item(items[i]);
    return out + ']';
}

QByteArray Json(const ExportedResult& item) {
    const TResultTest& r = item.record;
    QList<std::pair<const char*, QByteArray>> f;
    auto text = [&](const char* name, const QByteArray& v) { f.append({name, JsonString(Utf8(v))}); };
    auto integer = [&](const char* name, qint64 v) { f.append({name, QByteArray::number(v)}); };
    auto date = [&](const char* name, const char* textName, double v) {
        f.append({name, JsonNumber(v)});
        f.append({textName, JsonString(DateText(v))});
    };
    auto ints = [](const QList<qint32>& a) {
        return JsonArray(a, [](qint32 v) { return QByteArray::number(v); });
    };
    if (item.sessionId)
        text("SessionId", *item.sessionId);
    text("UserName", r.UserName);
    text("UserGroup", r.UserGroup);
    text("ComputerName", r.ComputerName);
    text("LoginName", r.LoginName);
    text("Reserved1", r.Reserved1);
    date("StartTime", "StartTimeText", r.StartTime);
    date("EndTime", "EndTimeText", r.EndTime);
    integer("ElapsedSeconds", r.ElapsedSeconds);
    date("RecordedTime", "RecordedTimeText", r.RecordedTime);
    text("TestTitle", r.TestTitle);
    text("TestFileName", r.TestFileName);
    f.append({"TestCrc", JsonString(Crc(r.TestCrc))});
    text("TestUId", r.TestUId);
    f.append({"TaskPoints", ints(r.TaskPoints)});
    f.append({"TaskSeconds", ints(r.TaskSeconds)});
    f.append(
        {"TaskAnswers", JsonArray(r.TaskAnswers, [](const QByteArray& a) { return JsonString(Utf8(a)); })});
    f.append({"TaskHintPenalty", ints(r.TaskHintPenalty)});
    integer("EndReason", r.EndReason);
    integer("Mark", r.Mark);
    text("MarkName", r.MarkName);
    integer("MarkCount", r.MarkCount);
    integer("AskCount", r.AskCount);
    integer("AskedCount", r.AskedCount);
    integer("RightCount", r.RightCount);
    integer("WrongCount", r.WrongCount);
    integer("DontKnowCount", r.DontKnowCount);
    integer("HintCount", r.HintCount);
    integer("MaxScore", r.MaxScore);
    f.append({"Score", JsonNumber(r.Score)});
    text("Reserved2", r.Reserved2);

    QByteArray out = "  {\n";
    for (qsizetype i = 0; i < f.size(); ++i)
        out += "    \"" + QByteArray(f[i].first) + "\": " + f[i].second + (i + 1 < f.size() ? ",\n" : "\n");
    return out + "  }";
}

// ---- CSV (RFC 4180, UTF-8 with a byte-order mark so that spreadsheets pick the encoding) ------

QByteArray CsvText(const QByteArray& utf8) {
    QByteArray v = utf8;
    // A cell a spreadsheet would run as a formula is kept as text.
    if (!v.isEmpty() && QByteArrayView("=+-@").contains(v[0]))
        v.prepend('\'');
    if (v.contains(',') || v.contains('"') || v.contains('\n') || v.contains('\r'))
        return '"' + v.replace("\"", "\"\"") + '"';
    return v;
}

QByteArray CsvRow(const ExportedResult& item, bool sessionColumn) {
    const TResultTest& r = item.record;
    QList<QByteArray> cells = {
        CsvText(Utf8(r.UserName)),
        CsvText(Utf8(r.UserGroup)),
        CsvText(Utf8(r.ComputerName)),
        CsvText(Utf8(r.LoginName)),
        CsvText(Utf8(r.TestTitle)),
        CsvText(Utf8(r.TestFileName)),
        CsvText(DateText(r.StartTime)),
        CsvText(DateText(r.EndTime)),
        QByteArray::number(r.ElapsedSeconds),
        QByteArray::number(r.AskedCount),
        QByteArray::number(r.RightCount),
        QByteArray::number(r.WrongCount),
        QByteArray::number(r.DontKnowCount),
        QByteArray::number(r.HintCount),
        std::isfinite(r.Score) ? QByteArray::number(r.Score, 'g', QLocale::FloatingPointShortest)
                               : QByteArray(),
        QByteArray::number(r.MaxScore),
        QByteArray::number(r.Mark),
        CsvText(Utf8(r.MarkName)),
        QByteArray::number(r.EndReason),
    };
    if (sessionColumn)
        cells.append(CsvText(Utf8(item.sessionId.value_or(QByteArray()))));
    return cells.join(',') + "\r\n";
}
} // namespace

QByteArray ResultsJson(const QList<ExportedResult>& results) {
    QByteArray out = "[\n";
    for (qsizetype i = 0; i < results.size(); ++i)
        out += Json(results[i]) + (i + 1 < results.size() ? ",\n" : "\n");
    return out + "]\n";
}

QByteArray ResultsCsv(const QList<ExportedResult>& results, bool sessionColumn) {
    QByteArray out = "\xEF\xBB\xBF"
                     "name,group,computer,login,test title,file,start,end,elapsed seconds,asked,right,wrong,"
                     "don't know,hints,score,max score,mark,mark name,end reason";
    out += sessionColumn ? ",session\r\n" : "\r\n";
    for (const ExportedResult& r : results)
        out += CsvRow(r, sessionColumn);
    return out;
}
