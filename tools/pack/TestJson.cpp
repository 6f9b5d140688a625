#include "TestJson.h"

#include "model/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QSet>

#include <functional>
#include <map>

namespace {

QJsonValue Text(const QByteArray& bytes) {
    return TextCodec::FromCp1251(bytes);
}

// An option kept as its stored byte: a boolean for 0 and 1, the number for anything else.
QJsonValue Flag(quint8 stored) {
    return stored <= 1 ? QJsonValue(stored == 1) : QJsonValue(int(stored));
}

JNode TextArray(const std::array<QByteArray, TTask::SlotCount>& slots_) {
    JNode a = JNode::Array();
    for (const QByteArray& s : slots_)
        a.Append(Text(s));
    return a;
}

JNode TaskToJson(const TTask& t) {
    JNode keys = JNode::Array();
    for (qint32 k : t.Keys)
        keys.Append(k);
    JNode area = JNode::Object();
    area.Add("Left", t.Area.Left)
        .Add("Top", t.Area.Top)
        .Add("Width", t.Area.Width)
        .Add("Height", t.Area.Height);
    JNode o = JNode::Object();
    o.Add("Kind", int(t.Kind))
        .Add("Question", Text(t.Question))
        .Add("Picture", Text(t.Picture))
        .Add("Weight", t.Weight)
        .Add("TimeLimit", t.TimeLimit)
        .Add("Hint", Text(t.Hint))
        .Add("HintPenalty", t.HintPenalty)
        .Add("Explanation", Text(t.Explanation))
        .Add("ThemeId", t.ThemeId)
        .Add("Variants", TextArray(t.Variants))
        .Add("Matches", TextArray(t.Matches))
        .Add("Keys", keys)
        .Add("NumValue", t.NumValue)
        .Add("NumFrom", t.NumFrom)
        .Add("NumTo", t.NumTo)
        .Add("NumIsRange", t.NumIsRange)
        .Add("TextAnswers", Text(t.TextAnswers))
        .Add("CaseSensitive", t.CaseSensitive)
        .Add("Area", area);
    return o;
}

// Reads the keys of one JSON object into fields, refusing keys it does not know.
class FieldReader {
public:
    FieldReader(const QJsonObject& obj, QString path, QString& error)
        : m_obj(obj), m_path(std::move(path)), m_error(error) {}

    void Text(const char* key, QByteArray& out) {
        Take(key, [&](const QJsonValue& v) {
            if (!v.isString())
                return Fail(key, "a string");
            const QString s = v.toString();
            const QByteArray bytes = TextCodec::ToCp1251(s);
            if (TextCodec::FromCp1251(bytes) != s)
                return Fail(key, "text that code page 1251 can hold");
            out = bytes;
            return true;
        });
    }
    void Int(const char* key, qint32& out) {
        Take(key, [&](const QJsonValue& v) {
            const double d = v.toDouble();
            if (!v.isDouble() || d != double(qint32(d)))
                return Fail(key, "a 32-bit integer");
            out = qint32(d);
            return true;
        });
    }
    void Double(const char* key, double& out) {
        Take(key, [&](const QJsonValue& v) {
            if (!v.isDouble())
                return Fail(key, "a number");
            out = v.toDouble();
            return true;
        });
    }
    void Bool(const char* key, bool& out) {
        Take(key, [&](const QJsonValue& v) {
            if (!v.isBool())
                return Fail(key, "true or false");
            out = v.toBool();
            return true;
        });
    }
    // An option kept as its stored byte: true, false, or the byte's value when it is neither.
    void Flag(const char* key, quint8& out) {
        Take(key, [&](const QJsonValue& v) {
            if (v.isBool()) {
                out = v.toBool() ? 1 : 0;
                return true;
            }
            const double d = v.toDouble();
            if (!v.isDouble() || d != double(quint8(d)))
                return Fail(key, "true, false or a number from 0 to 255");
            out = quint8(d);
            return true;
        });
    }
    void Array(const char* key, const std::function<bool(const QJsonArray&, const QString&)>& read) {
        Take(key, [&](const QJsonValue& v) {
            if (!v.isArray())
                return Fail(key, "an array");
            return read(v.toArray(), Name(key));
        });
    }
    void Object(const char* key, const std::function<bool(const QJsonObject&, const QString&)>& read) {
        Take(key, [&](const QJsonValue& v) {
            if (!v.isObject())
                return Fail(key, "an object");
            return read(v.toObject(), Name(key));
        });
    }
    // Keys that are printed for the reader but computed on loading.
    void Ignore(const char* key) { m_seen.insert(QString::fromLatin1(key)); }

    bool Finish() {
        if (!m_error.isEmpty())
            return false;
        for (auto it = m_obj.begin(); it != m_obj.end(); ++it) {
            if (!m_seen.contains(it.key())) {
                m_error = QStringLiteral("unknown key \"%1\"").arg(Name(it.key()));
                return false;
            }
        }
        return true;
    }

    QString Name(const QString& key) const { return m_path.isEmpty() ? key : m_path + "." + key; }

private:
    void Take(const char* key, const std::function<bool(const QJsonValue&)>& read) {
        const QString k = QString::fromLatin1(key);
        m_seen.insert(k);
        if (!m_error.isEmpty() || !m_obj.contains(k))
            return;
        read(m_obj.value(k));
    }
    bool Fail(const char* key, const char* what) {
        if (m_error.isEmpty())
            m_error =
                QStringLiteral("\"%1\" must be %2").arg(Name(QString::fromLatin1(key)), QLatin1String(what));
        return false;
    }

    const QJsonObject& m_obj;
    QString m_path;
    QString& m_error;
    QSet<QString> m_seen;
};

bool ElementError(QString& error, const QString& name, const char* what) {
    error = QStringLiteral("\"%1\" must be %2").arg(name, QLatin1String(what));
    return false;
}

bool ReadTextSlots(const QJsonArray& a, const QString& name, std::array<QByteArray, TTask::SlotCount>& out,
                   QString& error) {
    if (a.size() > TTask::SlotCount)
        return ElementError(error, name, "an array of at most 10 texts");
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!a[i].isString())
            return ElementError(error, QStringLiteral("%1[%2]").arg(name).arg(i), "a string");
        out[size_t(i)] = TextCodec::ToCp1251(a[i].toString());
        if (TextCodec::FromCp1251(out[size_t(i)]) != a[i].toString())
            return ElementError(error, QStringLiteral("%1[%2]").arg(name).arg(i),
                                "text that code page 1251 can hold");
    }
    return true;
}

bool ReadTask(const QJsonObject& o, const QString& path, TTask& t, QString& error) {
    FieldReader r(o, path, error);
    qint32 kind = 0;
    r.Int("Kind", kind);
    if (kind < 0 || kind > 255)
        return ElementError(error, r.Name("Kind"), "a number from 0 to 255");
    t = TTask(kind);
    t.Kind = quint8(kind);
    r.Text("Question", t.Question);
    r.Text("Picture", t.Picture);
    r.Int("Weight", t.Weight);
    r.Int("TimeLimit", t.TimeLimit);
    r.Text("Hint", t.Hint);
    r.Int("HintPenalty", t.HintPenalty);
    r.Text("Explanation", t.Explanation);
    r.Int("ThemeId", t.ThemeId);
    r.Array("Variants",
            [&](const QJsonArray& a, const QString& n) { return ReadTextSlots(a, n, t.Variants, error); });
    r.Array("Matches",
            [&](const QJsonArray& a, const QString& n) { return ReadTextSlots(a, n, t.Matches, error); });
    r.Array("Keys", [&](const QJsonArray& a, const QString& n) {
        if (a.size() > TTask::SlotCount)
            return ElementError(error, n, "an array of at most 10 integers");
        for (qsizetype i = 0; i < a.size(); ++i) {
            const double d = a[i].toDouble();
            if (!a[i].isDouble() || d != double(qint32(d)))
                return ElementError(error, QStringLiteral("%1[%2]").arg(n).arg(i), "a 32-bit integer");
            t.Keys[size_t(i)] = qint32(d);
        }
        return true;
    });
    r.Double("NumValue", t.NumValue);
    r.Double("NumFrom", t.NumFrom);
    r.Double("NumTo", t.NumTo);
    r.Bool("NumIsRange", t.NumIsRange);
    r.Text("TextAnswers", t.TextAnswers);
    r.Bool("CaseSensitive", t.CaseSensitive);
    r.Object("Area", [&](const QJsonObject& a, const QString& n) {
        FieldReader ar(a, n, error);
        ar.Int("Left", t.Area.Left);
        ar.Int("Top", t.Area.Top);
        ar.Int("Width", t.Area.Width);
        ar.Int("Height", t.Area.Height);
        return ar.Finish();
    });
    return r.Finish();
}

template <typename F> bool ForEachObject(const QJsonArray& a, const QString& name, QString& error, F read) {
    for (qsizetype i = 0; i < a.size(); ++i) {
        const QString item = QStringLiteral("%1[%2]").arg(name).arg(i);
        if (!a[i].isObject())
            return ElementError(error, item, "an object");
        if (!read(a[i].toObject(), item))
            return false;
    }
    return true;
}

} // namespace

JNode TestToJson(const LoadedTest& loaded) {
    const TTest& t = *loaded.test;
    JNode marks = JNode::Array();
    for (const TMark& m : t.Marks) {
        JNode o = JNode::Object();
        o.Add("Number", m.Number).Add("Percent", m.Percent).Add("Name", Text(m.Name));
        marks.Append(o);
    }
    JNode themes = JNode::Array();
    for (const TTheme& th : t.Themes) {
        JNode o = JNode::Object();
        o.Add("Id", th.Id)
            .Add("Name", Text(th.Name))
            .Add("Comment", Text(th.Comment))
            .Add("AskCount", th.AskCount)
            .Add("AskLimited", th.AskLimited)
            .Add("TaskCount", th.TaskCount);
        themes.Append(o);
    }
    JNode tasks = JNode::Array();
    for (const TTask& task : loaded.tasks)
        tasks.Append(TaskToJson(task));
    JNode files = JNode::Array();
    for (const AttachedFile& f : loaded.files) {
        JNode o = JNode::Object();
        o.Add("Name", Text(f.name)).Add("Size", double(f.size));
        files.Append(o);
    }
    JNode o = JNode::Object();
    o.Add("Title", Text(t.Title))
        .Add("Author", Text(t.Author))
        .Add("Description", Text(t.Description))
        .Add("Instruction", Text(t.Instruction))
        .Add("SpareText1", Text(t.SpareText1))
        .Add("RandomTaskOrder", Flag(t.RandomTaskOrder))
        .Add("RandomVariantOrder", Flag(t.RandomVariantOrder))
        .Add("TestTimeLimit", t.TestTimeLimit)
        .Add("AskTaskCount", t.AskTaskCount)
        .Add("EducationMode", t.EducationMode)
        .Add("PenaliseWrong", t.PenaliseWrong)
        .Add("AllowSkipping", t.AllowSkipping)
        .Add("AllowSendResults", t.AllowSendResults)
        .Add("SpareText2", Text(t.SpareText2))
        .Add("OpenPassword", Text(t.OpenPassword))
        .Add("StartPassword", Text(t.StartPassword))
        .Add("Marks", marks)
        .Add("WholeAnswerOnly", t.WholeAnswerOnly)
        .Add("Created", t.Created)
        .Add("Saved", t.Saved)
        .Add("UId", Text(t.UId))
        .Add("Themes", themes)
        .Add("UseThemes", t.UseThemes)
        .Add("MaxRuns", t.MaxRuns)
        .Add("ReportInEducationMode", t.ReportInEducationMode)
        .Add("ReportInNormalMode", t.ReportInNormalMode)
        .Add("MonoMode", t.MonoMode)
        .Add("Crc", QStringLiteral("%1").arg(t.Crc, 8, 16, QLatin1Char('0')).toUpper())
        .Add("TotalAskCount", t.TotalAskCount)
        .Add("Tasks", tasks)
        .Add("Attachments", files);
    return o;
}

bool TestFromJson(const QJsonObject& json, const QString& baseDir, TestSource& out, QString& error) {
    error.clear();
    out.Test = std::make_unique<TTest>(QString(), QString(), QDateTime::currentDateTime());
    out.Tasks.clear();
    out.Files.clear();
    TTest& t = *out.Test;
    FieldReader r(json, QString(), error);
    r.Text("Title", t.Title);
    r.Text("Author", t.Author);
    r.Text("Description", t.Description);
    r.Text("Instruction", t.Instruction);
    r.Text("SpareText1", t.SpareText1);
    r.Flag("RandomTaskOrder", t.RandomTaskOrder);
    r.Flag("RandomVariantOrder", t.RandomVariantOrder);
    r.Int("TestTimeLimit", t.TestTimeLimit);
    r.Int("AskTaskCount", t.AskTaskCount);
    r.Bool("EducationMode", t.EducationMode);
    r.Bool("PenaliseWrong", t.PenaliseWrong);
    r.Bool("AllowSkipping", t.AllowSkipping);
    r.Bool("AllowSendResults", t.AllowSendResults);
    r.Text("SpareText2", t.SpareText2);
    r.Text("OpenPassword", t.OpenPassword);
    r.Text("StartPassword", t.StartPassword);
    r.Array("Marks", [&](const QJsonArray& a, const QString& name) {
        t.Marks.clear();
        return ForEachObject(a, name, error, [&](const QJsonObject& o, const QString& item) {
            TMark m;
            FieldReader mr(o, item, error);
            mr.Int("Number", m.Number);
            mr.Int("Percent", m.Percent);
            mr.Text("Name", m.Name);
            t.Marks.append(m);
            return mr.Finish();
        });
    });
    r.Bool("WholeAnswerOnly", t.WholeAnswerOnly);
    r.Double("Created", t.Created);
    r.Double("Saved", t.Saved);
    r.Text("UId", t.UId);
    r.Array("Themes", [&](const QJsonArray& a, const QString& name) {
        return ForEachObject(a, name, error, [&](const QJsonObject& o, const QString& item) {
            TTheme th;
            FieldReader tr(o, item, error);
            tr.Int("Id", th.Id);
            tr.Text("Name", th.Name);
            tr.Text("Comment", th.Comment);
            tr.Int("AskCount", th.AskCount);
            tr.Bool("AskLimited", th.AskLimited);
            tr.Ignore("TaskCount");
            if (!tr.Finish())
                return false;
            t.AddTheme(th.Id, th.Name, th.AskLimited, th.AskCount, th.Comment);
            return true;
        });
    });
    r.Bool("UseThemes", t.UseThemes);
    r.Int("MaxRuns", t.MaxRuns);
    r.Bool("ReportInEducationMode", t.ReportInEducationMode);
    r.Bool("ReportInNormalMode", t.ReportInNormalMode);
    r.Bool("MonoMode", t.MonoMode);
    r.Ignore("Crc");
    r.Ignore("TotalAskCount");
    r.Array("Tasks", [&](const QJsonArray& a, const QString& name) {
        return ForEachObject(a, name, error, [&](const QJsonObject& o, const QString& item) {
            TTask task;
            if (!ReadTask(o, item, task, error))
                return false;
            out.Tasks.push_back(task);
            return true;
        });
    });
    r.Array("Attachments", [&](const QJsonArray& a, const QString& name) {
        return ForEachObject(a, name, error, [&](const QJsonObject& o, const QString& item) {
            Attachment file;
            QByteArray source;
            qint32 size = -1;
            FieldReader fr(o, item, error);
            fr.Text("Name", file.name);
            fr.Text("File", source);
            fr.Int("Size", size);
            if (!fr.Finish())
                return false;
            if (!IsSafeAttachmentName(file.name))
                return ElementError(error, fr.Name("Name"), "a plain file name");
            const QString path =
                QDir(baseDir).filePath(TextCodec::FromCp1251(source.isEmpty() ? file.name : source));
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly)) {
                error = QStringLiteral("%1: cannot read %2: %3").arg(item, path, f.errorString());
                return false;
            }
            file.data = f.readAll();
            if (size >= 0 && size != file.data.size()) {
                error = QStringLiteral("%1: %2 holds %3 bytes, not %4")
                            .arg(item, path)
                            .arg(file.data.size())
                            .arg(size);
                return false;
            }
            out.Files.push_back(file);
            return true;
        });
    });
    return r.Finish();
}
