#pragma once
// The loaded test's header: texts, options, time limit, passwords, grading scale and topics. Each
// TTest owns a private folder for the test's attached files, made with the object and deleted with it.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

class ByteReader;
class ByteWriter;

struct TMark {
    qint32 Number = 0;
    qint32 Percent = 0;
    QByteArray Name;
    bool operator==(const TMark&) const = default;
};

struct TTheme {
    qint32 Id = 0;
    QByteArray Name;
    QByteArray Comment;
    qint32 AskCount = 0;
    bool AskLimited = false;
    qint32 TaskCount = 0; // computed after loading, not stored
    bool operator==(const TTheme&) const = default;
};

class TTest {
public:
    // Makes the attached-files folder under tempRoot ("temp" of the environment); when tempRoot is
    // empty, beside the program (programFolder); with both empty, no folder at all (a header for
    // a writer). `now` becomes Created.
    TTest(const QString& tempRoot, const QString& programFolder, const QDateTime& now);
    ~TTest();
    TTest(const TTest&) = delete;
    TTest& operator=(const TTest&) = delete;

    QString FileName;
    QString TempFolder; // ends with '/'
    QByteArray Title;
    QByteArray Author;
    QByteArray Description;
    QByteArray Instruction;
    QByteArray SpareText1;
    bool RandomTaskOrder = false;
    bool RandomVariantOrder = false;
    qint32 TestTimeLimit = 0;
    qint32 AskTaskCount = 0;
    bool EducationMode = false;
    bool PenaliseWrong = false;
    bool AllowSkipping = false;
    bool AllowSendResults = true;
    QByteArray SpareText2;
    QByteArray OpenPassword;
    QByteArray StartPassword;
    QList<TMark> Marks;
    bool WholeAnswerOnly = true;
    double Created = 0;
    double Saved = 0;
    QByteArray UId;
    QList<TTheme> Themes;
    bool UseThemes = false;
    qint32 MaxRuns = 0;
    bool ReportInEducationMode = false;
    bool ReportInNormalMode = false;
    bool MonoMode = false;
    quint32 Crc = 0;
    qint32 TotalAskCount = 0;

    // Reads the stored header; false when the data ends early or holds an impossible count.
    bool ReadHeader(ByteReader& in);
    // Writes the header in the same layout, reserved items as zeros.
    void WriteHeader(ByteWriter& out) const;

    TMark GetMark(int i) const { return Marks.value(i); }
    int MarkCount() const { return int(Marks.size()); }
    void SetMarkCount(int k);
    void SetMark(int n, qint32 percent, const QByteArray& name);

    int ThemeCount() const { return int(Themes.size()); }
    void AddTheme(qint32 id, const QByteArray& name, bool limited, qint32 count, const QByteArray& comment);

    // Called with the system's error text for each folder (the attached-files folder or one inside
    // it) that cannot be removed.
    std::function<void(const QString&)> OnDeleteFolderFailure;

    static QList<TMark> DefaultMarks();
    static TTheme DefaultTheme();
};

// A new GUID in the registry form: braces, upper-case hex, 38 characters.
QByteArray NewGuidString();
// Deletes a folder with all its contents. Returns false when anything could not be removed; every
// call that fails, the nested ones for subfolders included, gives `onFailure` the system's text for
// its last failure.
bool DeleteFolder(const QString& path, const std::function<void(const QString&)>& onFailure = {});
