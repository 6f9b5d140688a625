#pragma once
// Writing the files a user would miss (protected results, settings, outbox, session journal).
//
// A replaced file is written beside the old one, every write and the final flush are checked, the
// new file is forced to the disk, and only then is it renamed over the old one. Anything that fails
// leaves the old file exactly as it was. QSaveFile alone is not enough: with Qt 6.4 its commit()
// reports success after its last buffered write failed on a full disk and renames the empty file
// over the old one, so the writes here go to the file unbuffered and each one is checked.
#include "Status.h"

#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

class SafeFileWriter {
public:
    explicit SafeFileWriter(const QString& path);
    // Drops the new file unless it was committed.
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    Status Open();
    // False from the first failed write on; every later write is refused, and Commit fails.
    bool Write(QByteArrayView bytes);
    // Forces the new file to the disk and puts it in place of the old one.
    Status Commit();
    // Drops the new file; the old one stays.
    void Cancel();
    // What the first failure was, for a write refused through Write.
    QString ErrorString() const { return m_error; }

private:
    void Fail(const QString& what);

    QString m_path;
    QSaveFile m_file;
    QString m_error;
    bool m_failed = false;
    bool m_done = false;
};

// The whole new content of a file, written as above.
Status ReplaceFileContents(const QString& path, QByteArrayView bytes);

// Appends bytes to a file, creating it when missing, and forces them to the disk. When the bytes
// cannot all be written the file is cut back to its old length, so a reader never finds half an
// entry.
Status AppendToFile(const QString& path, QByteArrayView bytes);
