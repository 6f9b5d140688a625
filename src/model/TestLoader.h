#pragma once
// Turns a test file, or the same bytes received in memory, into a loaded test: the header, the
// task list and the attached files written into the test's own folder.
#include "Cipher.h"
#include "Task.h"
#include "Test.h"
#include "model/Status.h"
#include "ports/Prompts.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct AttachedFile {
    QByteArray name;
    qint64 size = 0;
};

struct LoadedTest {
    std::unique_ptr<TTest> test;
    std::vector<TTask> tasks;
    std::vector<AttachedFile> files; // in stored order, written into the test's folder
    bool fromFile = false;           // loaded from disk (the caller adds it to the recent files)
};

// A load fails as
//   NotFound      — an empty path, or no file at the path (no message);
//   Cancelled     — the open password was not given (no message);
//   WrongType     — not a test file;
//   WrongPassword — the open password given is not the test's;
//   Corrupt, ReadFailed, WriteFailed — the file is damaged, cannot be read, or its attached files
//                   cannot be written.
// The status's detail says exactly what went wrong, for tools; the pupil sees only the message.
struct LoadTestResult {
    Status status;
    std::unique_ptr<LoadedTest> loaded;
    bool Ok() const { return status.Ok(); }
};

// The attached files of one test may take at most this much, whatever the disk holds: a real
// test's pictures take a few megabytes, and a damaged or hostile file must not fill the disk.
constexpr qint64 MaxAttachedBytes = qint64(4) << 30;
// What the attached files must leave free on their disk, for the results and settings that the
// session writes (the temporary folder is often on the same disk as the user's files).
constexpr qint64 AttachedFilesReserve = qint64(64) << 20;

struct LoadOptions {
    QString tempRoot;       // where the attached-files folder is made
    QString programFolder;  // its fallback when tempRoot is empty
    Prompts* ask = nullptr; // asks the open password; without it a protected test is cancelled
    QDateTime now;          // Created of the new header before it is read
    KeyRecord key = ProgramKey;
    bool skipPassword = false; // for tools that inspect a test without opening a session
    // Told, on the thread that loads, each time another piece of the container is taken: the
    // bytes taken so far and the container's size.
    std::function<void(qint64 done, qint64 total)> progress;
    // A test whose attached files would need more than this, or more than the free space of the
    // folder's disk minus AttachedFilesReserve, is refused before the file that would not fit is
    // written. Tests lower the cap and stand in for the disk; freeBytes returns -1 when unknown.
    qint64 maxAttachedBytes = MaxAttachedBytes;
    std::function<qint64(const QString& folder)> freeBytes;
};

// With `stream` null, `path` names the file to read; otherwise `stream` holds the container and
// `path` is only the name the test is known by. On failure no test and no folder are left.
LoadTestResult LoadTest(const QString& path, const QByteArray* stream, const LoadOptions& options);

// The message box of a failed load, none for the silent ones.
std::optional<Notice> LoadFailureNotice(Fault failure);

// Counts the tasks of each topic and the number of tasks a session asks.
void CountTasks(TTest& test, const std::vector<TTask>& tasks);

// An attached file's name must stay inside the test's folder.
bool IsSafeAttachmentName(QByteArrayView name);
// Where an attached file (or a task's picture) of the test lives on disk; empty when the test has
// no folder.
QString AttachmentPath(const TTest& test, QByteArrayView name);
