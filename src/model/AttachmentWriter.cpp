#include "AttachmentWriter.h"

#include <QFile>

#include <algorithm>
#include <cstring>

AttachmentWriter::AttachmentWriter() : m_buffers(Buffers) {
    for (int i = 0; i < Buffers; ++i) {
        m_buffers[size_t(i)].resize(size_t(BufferSize));
        m_free.push_back(i);
    }
    m_worker = std::thread([this] { Run(); });
}

AttachmentWriter::~AttachmentWriter() {
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
        m_stop = true;
    }
    m_changed.notify_all();
    m_worker.join();
    delete m_current; // opened but never handed over for closing
}

Status AttachmentWriter::Open(const QString& path) {
    // A later attached file of the same name replaces the earlier one. The earlier one's pieces may
    // still be queued: they must reach the disk before the file is cut for the later one, or the
    // file ends with the second file's bytes at its start and the first one's after them.
    if (m_opened.contains(path)) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    }
    m_opened.insert(path);
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return Status::Failed(Fault::WriteFailed,
                              QStringLiteral("cannot create %1: %2").arg(path, file->errorString()));
    m_current = file.release();
    return {};
}

bool AttachmentWriter::Write(const char* data, qint64 size) {
    while (size > 0) {
        int buffer = -1;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_free.empty() || !m_error.isEmpty(); });
            if (!m_error.isEmpty())
                return false;
            buffer = m_free.back();
            m_free.pop_back();
        }
        const qint64 take = std::min(size, BufferSize);
        std::memcpy(m_buffers[size_t(buffer)].data(), data, size_t(take));
        {
            std::lock_guard lock(m_mutex);
            m_jobs.push_back({m_current, buffer, take});
        }
        m_changed.notify_all();
        data += take;
        size -= take;
    }
    return true;
}

void AttachmentWriter::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back({m_current, -1, 0});
    }
    m_current = nullptr;
    m_changed.notify_all();
}

Status AttachmentWriter::Finish() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    if (!m_error.isEmpty())
        return Status::Failed(Fault::WriteFailed, m_error);
    return {};
}

void AttachmentWriter::Run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_jobs.empty())
                return; // stopped with nothing left
            job = m_jobs.front();
            m_jobs.pop_front();
            m_busy = true;
        }
        QString failure;
        if (job.buffer < 0) {
            job.file->close();
            delete job.file;
        } else if (job.file->isOpen() &&
                   job.file->write(m_buffers[size_t(job.buffer)].data(), job.size) != job.size) {
            failure =
                QStringLiteral("cannot write %1: %2").arg(job.file->fileName(), job.file->errorString());
            job.file->close(); // later pieces of this file are dropped
        }
        {
            std::lock_guard lock(m_mutex);
            if (job.buffer >= 0)
                m_free.push_back(job.buffer);
            if (!failure.isEmpty() && m_error.isEmpty())
                m_error = failure;
            m_busy = false;
        }
        m_changed.notify_all();
    }
}
