#pragma once
// Turns a test file, or the same bytes received in memory, into a loaded test: the header, the
// task list and the attached files written into the test's own folder.
#include "Cipher.h"
#include "Task.h"
#include "Test.h"

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <vector>

class Prompts;

enum class LoadFailure {
    None,
    NothingToLoad, // empty path, or no file at the path: no message
    Cancelled,     // the open password was not given: no message
    WrongFileType,
    WrongPassword,
    LoadError,
};

struct AttachedFile {
    QByteArray Name;
    qint64 Size = 0;
};

struct LoadedTest {
    std::unique_ptr<TTest> Test;
    std::vector<TTask> Tasks;
    std::vector<AttachedFile> Files; // in stored order, written into the test's folder
    bool FromFile = false;           // loaded from disk (the caller adds it to the recent files)
};

struct LoadTestResult {
    LoadFailure Failure = LoadFailure::None;
    QString Detail; // what exactly went wrong, for tools; the pupil sees only the message
    std::unique_ptr<LoadedTest> Loaded;
    bool Ok() const { return Failure == LoadFailure::None; }
};

struct LoadOptions {
    QString TempRoot;       // where the attached-files folder is made
    QString ProgramFolder;  // its fallback when TempRoot is empty
    Prompts* Ask = nullptr; // asks the open password; without it a protected test is cancelled
    QDateTime Now;          // Created of the new header before it is read
    KeyRecord Key = kProgramKey;
    bool SkipPassword = false; // for tools that inspect a test without opening a session
};

// With `stream` null, `path` names the file to read; otherwise `stream` holds the container and
// `path` is only the name the test is known by. On failure no test and no folder are left.
LoadTestResult LoadTest(const QString& path, const QByteArray* stream, const LoadOptions& options);

// The message box text of a failure, empty for the silent ones; the caption is LoadFailureCaption.
QString LoadFailureText(LoadFailure failure);
QString LoadFailureCaption();

// Counts the tasks of each topic and the number of tasks a session asks.
void CountTasks(TTest& test, const std::vector<TTask>& tasks);

// An attached file's name must stay inside the test's folder.
bool IsSafeAttachmentName(QByteArrayView name);
// Where an attached file (or a task's picture) of the test lives on disk.
QString AttachmentPath(const TTest& test, QByteArrayView name);
