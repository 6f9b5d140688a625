#include "SafeFile.h"

#include "FileSync.h"

#include <QFile>
#include <QFileInfo>

SafeFileWriter::SafeFileWriter(const QString& path) : m_path(path), m_file(path) {}

SafeFileWriter::~SafeFileWriter() {
    if (!m_done)
        Cancel();
}

void SafeFileWriter::Fail(const QString& what) {
    if (m_failed)
        return;
    m_failed = true;
    m_error = QStringLiteral("%1 %2: %3").arg(what, m_path, m_file.errorString());
}

Status SafeFileWriter::Open() {
    // Unbuffered: a write that does not reach the file fails here, where it can be seen.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        Fail(QStringLiteral("cannot create"));
        return Status::Failed(Fault::WriteFailed, m_error);
    }
    return {};
}

bool SafeFileWriter::Write(QByteArrayView bytes) {
    if (m_failed || m_done || !m_file.isOpen())
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = m_file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            Fail(QStringLiteral("cannot write"));
            return false;
        }
        done += qsizetype(n);
    }
    return true;
}

Status SafeFileWriter::Commit() {
    if (m_done)
        return Status::Failed(Fault::WriteFailed, QStringLiteral("%1 was already written").arg(m_path));
    if (!m_failed && !m_file.isOpen())
        Fail(QStringLiteral("cannot create"));
    if (!m_failed && m_file.error() != QFileDevice::NoError)
        Fail(QStringLiteral("cannot write"));
    if (!m_failed && !m_file.flush())
        Fail(QStringLiteral("cannot write"));
    if (!m_failed && !SyncFileData(m_file.handle()))
        Fail(QStringLiteral("cannot force to disk"));
    if (m_failed) {
        Cancel();
        return Status::Failed(Fault::WriteFailed, m_error);
    }
    m_done = true;
    if (!m_file.commit()) {
        m_failed = true;
        m_error = QStringLiteral("cannot replace %1: %2").arg(m_path, m_file.errorString());
        return Status::Failed(Fault::WriteFailed, m_error);
    }
    // The rename itself must survive a power cut too.
    SyncFolder(QFileInfo(m_path).absolutePath());
    return {};
}

void SafeFileWriter::Cancel() {
    if (m_done)
        return;
    m_done = true;
    if (m_file.isOpen())
        m_file.cancelWriting();
    // Closing a cancelled QSaveFile removes its temporary file.
    m_file.commit();
}

Status ReplaceFileContents(const QString& path, QByteArrayView bytes) {
    SafeFileWriter file(path);
    if (Status opened = file.Open(); !opened.Ok())
        return opened;
    file.Write(bytes);
    return file.Commit();
}

Status AppendToFile(const QString& path, QByteArrayView bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return Status::Failed(Fault::WriteFailed,
                              QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    const qint64 oldSize = file.size();
    qsizetype done = 0;
    QString why;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            why = file.errorString();
            break;
        }
        done += qsizetype(n);
    }
    if (why.isEmpty() && !SyncFileData(file.handle()))
        why = QStringLiteral("cannot force to disk");
    if (!why.isEmpty()) {
        // What did get written is only part of the entry: take it back.
        if (done > 0)
            file.resize(oldSize);
        file.close();
        return Status::Failed(Fault::WriteFailed, QStringLiteral("cannot write %1: %2").arg(path, why));
    }
    file.close();
    return {};
}
