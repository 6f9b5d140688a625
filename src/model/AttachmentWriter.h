#pragma once
// Writes a test's attached files on a worker thread while the loader goes on inflating, so that
// on two cores the disk writes cost almost nothing beside the inflate. Memory stays bounded: a
// few fixed buffers circulate between the loader and the worker.
#include "Status.h"
#include <QSet>

#include <QString>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QFile;

class AttachmentWriter {
public:
    AttachmentWriter();
    // Waits for every queued write, so no file is still open when the caller removes the folder.
    ~AttachmentWriter();
    AttachmentWriter(const AttachmentWriter&) = delete;
    AttachmentWriter& operator=(const AttachmentWriter&) = delete;

    // Creates the file on the calling thread, so that a file that cannot be made fails at once.
    Status Open(const QString& path);
    // Queues bytes of the file opened last; waits while every buffer is in use. False once any
    // write has failed.
    bool Write(const char* data, qint64 size);
    // Queues the closing of the file opened last.
    void Close();
    // Waits until everything queued is on disk; the first failure when a write failed.
    Status Finish();

private:
    struct Job {
        QFile* file = nullptr;
        int buffer = -1; // -1: close the file
        qint64 size = 0;
    };
    void Run();

    static constexpr int Buffers = 8;
    static constexpr qint64 BufferSize = qint64(256) << 10;

    std::vector<std::vector<char>> m_buffers;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    std::vector<int> m_free;
    bool m_stop = false;
    bool m_busy = false; // the worker holds a job
    QString m_error;
    QFile* m_current = nullptr; // loader side: the file being written
    QSet<QString> m_opened;     // loader side: every path opened so far
    std::thread m_worker;
};
