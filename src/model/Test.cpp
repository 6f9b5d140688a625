#include "Test.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "DateTime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>

namespace {
// No test has more grades or topics than fit in a few kilobytes; a larger count is damage.
constexpr qint32 MaxMarks = 10000;
constexpr qint32 MaxThemes = 100000;
} // namespace

QByteArray NewGuidString() {
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper().toLatin1();
}

QString MakePrivateFolder(const QString& root, QString& error, const std::function<QString()>& newName) {
    error.clear();
    if (!QDir().mkpath(root)) {
        error = QStringLiteral("cannot create %1").arg(root);
        return {};
    }
    const QDir parent(root);
    // A taken name is someone's doing (or a miracle): a few more tries, then give up.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString path = parent.filePath(newName ? newName() : QString::fromLatin1(NewGuidString()));
        // mkdir makes the folder or fails; it never follows a link in the name's place, and the
        // mode is set as it is made, so there is no moment when others may enter.
        errno = 0;
        if (parent.mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
            error.clear();
            return path + QLatin1Char('/');
        }
        error = QStringLiteral("cannot create %1: %2").arg(path, qt_error_string(errno));
        const QFileInfo taken(path);
        if (!taken.exists() && !taken.isSymLink())
            return {}; // the disk refuses, not a name that is taken
    }
    return {};
}

bool DeleteFolder(const QString& path, const std::function<void(const QString&)>& onFailure) {
    QDir dir(path);
    if (!dir.exists())
        return false;
    bool ok = true;
    QString lastError;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entries) {
        if (e.isDir() && !e.isSymLink()) {
            // Once anything failed, later folders are not entered and count as failed.
            if (ok)
                ok = DeleteFolder(e.absoluteFilePath(), onFailure);
            continue;
        }
        QFile file(e.absoluteFilePath());
        file.setPermissions(file.permissions() | QFile::WriteOwner);
        if (!file.remove()) {
            ok = false;
            lastError = QStringLiteral("%1: %2").arg(e.absoluteFilePath(), file.errorString());
        }
    }
    if (!QDir().rmdir(dir.absolutePath())) {
        ok = false;
        lastError = QStringLiteral("%1: %2").arg(dir.absolutePath(), qt_error_string(errno));
    }
    // Each call that fails tells of its own last failure, the nested ones included.
    if (!ok && onFailure)
        onFailure(lastError);
    return ok;
}

QList<TMark> TTest::DefaultMarks() {
    return {{1, 0, {}}, {2, 0, {}}, {3, 50, {}}, {4, 70, {}}, {5, 85, {}}};
}

TTheme TTest::DefaultTheme() {
    TTheme t;
    t.Id = 0;
    t.Name = QByteArray("\xCE\xE1\xF9\xE8\xE9 \xF1\xEF\xE8\xF1\xEE\xEA \xE7\xE0\xE4\xE0\xED\xE8\xE9 "
                        "(\xE1\xE5\xE7 \xF2\xE5\xEC\xFB)"); // "Общий список заданий (без темы)"
    t.Comment =
        QByteArray("\xCE\xF1\xED\xEE\xE2\xED\xE0\xFF \xF2\xE5\xEC\xE0. \xC5\xE5 \xF3\xE4\xE0\xEB\xE8\xF2\xFC "
                   "\xED\xE5\xEB\xFC\xE7\xFF."); // "Основная тема. Ее удалить нельзя."
    return t;
}

TTest::TTest(const QString& tempRoot, const QString& programFolder, const QDateTime& now)
    : Marks(DefaultMarks()), Themes({DefaultTheme()}) {
    const QString root = tempRoot.isEmpty() ? programFolder : tempRoot;
    Created = DateTimeToDouble(now);
    if (root.isEmpty())
        return; // a header only, for tools that write tests
    // A folder that cannot be made is not an error here: writing the attached files fails later
    // and the load reports it.
    TempFolder = MakePrivateFolder(root, TempFolderError);
}

TTest::~TTest() {
    // Only ever a folder this object made.
    if (!TempFolder.isEmpty() && QDir(TempFolder).exists())
        DeleteFolder(TempFolder, OnDeleteFolderFailure);
}

void TTest::SetMarkCount(int k) {
    if (k == MarkCount() || k < 0)
        return;
    Marks.resize(k);
    for (int i = 0; i < k; ++i)
        Marks[i] = TMark{i + 1, 0, {}};
}

void TTest::SetMark(int n, qint32 percent, const QByteArray& name) {
    if (n < 1 || n > MarkCount())
        return;
    Marks[n - 1].Percent = percent;
    Marks[n - 1].Name = name;
}

void TTest::AddTheme(qint32 id, const QByteArray& name, bool limited, qint32 count,
                     const QByteArray& comment) {
    TTheme* target = nullptr;
    for (TTheme& t : Themes) {
        if (t.Id == id) {
            target = &t;
            break;
        }
    }
    if (!target) {
        Themes.append(TTheme{});
        target = &Themes.last();
        target->Id = id;
    }
    target->Name = name;
    target->Comment = comment;
    target->AskLimited = limited;
    target->AskCount = limited ? count : 0;
}

bool TTest::ReadHeader(ByteReader& in) {
    Title = in.ReadString();
    Author = in.ReadString();
    Description = in.ReadString();
    Instruction = in.ReadString();
    in.Skip(1);
    SpareText1 = in.ReadString();
    RandomTaskOrder = in.ReadUInt8();
    RandomVariantOrder = in.ReadUInt8();
    TestTimeLimit = in.ReadInt32();
    AskTaskCount = in.ReadInt32();
    EducationMode = in.ReadBool();
    PenaliseWrong = in.ReadBool();
    AllowSkipping = in.ReadBool();
    AllowSendResults = in.ReadBool();
    SpareText2 = in.ReadString();
    OpenPassword = in.ReadString();
    StartPassword = in.ReadString();
    const qint32 markCount = in.ReadCount(12);
    if (!in.Ok() || markCount > MaxMarks)
        return false;
    QList<TMark> marks(markCount);
    for (TMark& m : marks) {
        m.Number = in.ReadInt32();
        m.Percent = in.ReadInt32();
        m.Name = in.ReadString();
    }
    Marks = marks;
    WholeAnswerOnly = in.ReadBool();
    Created = in.ReadDouble();
    Saved = in.ReadDouble();
    UId = in.ReadString();
    const qint32 themeCount = in.ReadCount(17);
    if (!in.Ok() || themeCount > MaxThemes)
        return false;
    for (qint32 i = 0; i < themeCount && in.Ok(); ++i) {
        const qint32 id = in.ReadInt32();
        const QByteArray name = in.ReadString();
        const QByteArray comment = in.ReadString();
        const qint32 count = in.ReadInt32();
        const bool limited = in.ReadBool();
        if (in.Ok())
            AddTheme(id, name, limited, count, comment);
    }
    UseThemes = in.ReadBool();
    MaxRuns = in.ReadInt32();
    in.ReadInt32();
    in.ReadInt32();
    ReportInEducationMode = in.ReadBool();
    ReportInNormalMode = in.ReadBool();
    MonoMode = in.ReadBool();
    return in.Ok();
}

void TTest::WriteHeader(ByteWriter& out) const {
    out.WriteString(Title);
    out.WriteString(Author);
    out.WriteString(Description);
    out.WriteString(Instruction);
    out.WriteUInt8(0);
    out.WriteString(SpareText1);
    out.WriteUInt8(RandomTaskOrder);
    out.WriteUInt8(RandomVariantOrder);
    out.WriteInt32(TestTimeLimit);
    out.WriteInt32(AskTaskCount);
    out.WriteBool(EducationMode);
    out.WriteBool(PenaliseWrong);
    out.WriteBool(AllowSkipping);
    out.WriteBool(AllowSendResults);
    out.WriteString(SpareText2);
    out.WriteString(OpenPassword);
    out.WriteString(StartPassword);
    out.WriteInt32(qint32(Marks.size()));
    for (const TMark& m : Marks) {
        out.WriteInt32(m.Number);
        out.WriteInt32(m.Percent);
        out.WriteString(m.Name);
    }
    out.WriteBool(WholeAnswerOnly);
    out.WriteDouble(Created);
    out.WriteDouble(Saved);
    out.WriteString(UId);
    out.WriteInt32(qint32(Themes.size()));
    for (const TTheme& t : Themes) {
        out.WriteInt32(t.Id);
        out.WriteString(t.Name);
        out.WriteString(t.Comment);
        out.WriteInt32(t.AskCount);
        out.WriteBool(t.AskLimited);
    }
    out.WriteBool(UseThemes);
    out.WriteInt32(MaxRuns);
    out.WriteInt32(0);
    out.WriteInt32(0);
    out.WriteBool(ReportInEducationMode);
    out.WriteBool(ReportInNormalMode);
    out.WriteBool(MonoMode);
}
