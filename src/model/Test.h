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
    //
    // The folder is always a new one that only this user may enter (mode 0700), under a name
    // nobody can guess: the temporary folder is shared by every user of the computer, and another
    // user who could foresee the name, or slip a folder or a link in its place, could change a
    // task's picture during a test. A folder that cannot be made leaves TempFolder empty and says
    // why in TempFolderError; the load fails at the first attached file.
    TTest(const QString& tempRoot, const QString& programFolder, const QDateTime& now);
    ~TTest();
    TTest(const TTest&) = delete;
    TTest& operator=(const TTest&) = delete;

    QString FileName;
    QString TempFolder;      // ends with '/'; empty when there is none
    QString TempFolderError; // why a folder that was asked for could not be made
    QByteArray Title;
    QByteArray Author;
    QByteArray Description;
    QByteArray Instruction;
    QByteArray SpareText1;
    // Kept as the stored byte: a session shuffles only for 1 (and keeps a topic's tasks in file order
    // only for 0), the descriptions call anything but 0 random.
    quint8 RandomTaskOrder = 0;
    quint8 RandomVariantOrder = 0;
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
// Makes a new folder under `root` that only this user may enter, named by `newName` (a new GUID by
// default); a name that is taken, even by a link, is never used, and another one is tried. Returns
// the folder's path with a '/' at its end, or an empty path and the reason in `error`.
QString MakePrivateFolder(const QString& root, QString& error, const std::function<QString()>& newName = {});
// Deletes a folder with all its contents. Returns false when anything could not be removed; every
// call that fails, the nested ones for subfolders included, gives `onFailure` the system's text for
// its last failure.
bool DeleteFolder(const QString& path, const std::function<void(const QString&)>& onFailure = {});
