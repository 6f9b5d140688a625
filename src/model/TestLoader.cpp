#include "TestLoader.h"

#include "AttachmentWriter.h"
#include "ByteReader.h"
#include "Crc32.h"
#include "TextCodec.h"
#include "ports/Prompts.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <zlib.h>

#include <array>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr qint64 Chunk = qint64(256) << 10;
// Far beyond any real test; a larger count is damage, refused before anything is allocated.
constexpr qint32 MaxTasks = 100000;
constexpr qint32 MaxAttachments = 100000;
// Total text (questions, variants, names) one test may hold in memory.
constexpr qint64 TextBudget = qint64(1) << 30;
const char Signature[6] = {'Q', 'u', 'i', 'z', 'a', 'r'};

// The container's bytes, deciphered in pieces as they are read from the file or from memory; the
// CRC-32 of the stored bytes is taken on the way. Reading, checking and deciphering run on a worker
// thread a few chunks ahead of the inflater, so that on two cores they cost almost nothing beside
// the inflate. The worker always reads to the end of the container, because the CRC covers every
// stored byte, even those after the payload.
class DecipheredInput {
public:
    DecipheredInput(QFile* file, QByteArrayView memory, const KeyRecord& key,
                    const std::function<void(qint64, qint64)>& progress)
        : m_file(file), m_memory(memory), m_cipher(key), m_raw(file ? size_t(Chunk) : 0),
          m_progress(progress), m_total(file ? file->size() : memory.size()) {
        for (auto& slot : m_slots)
            slot.resize(size_t(Chunk));
        m_worker = std::thread([this] { Produce(); });
    }
    ~DecipheredInput() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_worker.join();
    }
    DecipheredInput(const DecipheredInput&) = delete;
    DecipheredInput& operator=(const DecipheredInput&) = delete;

    bool ReadExact(char* dst, qint64 n) {
        while (n > 0) {
            if (!Fill())
                return false;
            const qint64 take = std::min(n, m_len - m_pos);
            std::memcpy(dst, m_cur + m_pos, size_t(take));
            m_pos += take;
            dst += take;
            n -= take;
        }
        return true;
    }

    bool Skip(qint64 n) {
        while (n > 0) {
            if (!Fill())
                return false;
            const qint64 take = std::min(n, m_len - m_pos);
            m_pos += take;
            n -= take;
        }
        return true;
    }

    bool NextChunk(const char*& data, qint64& size) {
        if (!Fill())
            return false;
        data = m_cur + m_pos;
        size = m_len - m_pos;
        m_pos = m_len;
        return true;
    }

    // The CRC of every stored byte: lets the worker finish what the loader did not need.
    quint32 FinishCrc() {
        m_pos = m_len;
        while (Fill())
            m_pos = m_len;
        std::lock_guard lock(m_mutex);
        return m_crc;
    }

    bool ReadError() {
        std::lock_guard lock(m_mutex);
        return m_readError;
    }

private:
    static constexpr int Slots = 4;

    // Worker thread: fills free slots in turn until the container ends or the loader stops.
    void Produce() {
        quint32 crc = 0;
        for (qint64 index = 0;; ++index) {
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return m_stop || m_filled < Slots; });
                if (m_stop)
                    return;
            }
            qint64 n = 0;
            const char* raw = nullptr;
            bool readError = false;
            if (m_file) {
                n = m_file->read(m_raw.data(), Chunk);
                readError = n < 0;
                raw = m_raw.data();
            } else {
                n = std::min<qint64>(Chunk, m_memory.size() - m_memPos);
                raw = m_memory.data() + m_memPos;
                m_memPos += n;
            }
            std::vector<char>& slot = m_slots[size_t(index % Slots)];
            if (n > 0) {
                crc = UpdateCrc32(crc, raw, n);
                m_cipher.Decipher(raw, slot.data(), n);
            }
            {
                std::lock_guard lock(m_mutex);
                m_crc = crc;
                if (n <= 0) {
                    m_readError = readError;
                    m_done = true;
                } else {
                    m_lengths[size_t(index % Slots)] = n;
                    ++m_filled;
                }
            }
            m_changed.notify_all();
            if (n <= 0)
                return;
        }
    }

    // Loader thread: gives back the chunk in hand and takes the next one.
    bool Fill() {
        if (m_pos < m_len)
            return true;
        std::unique_lock lock(m_mutex);
        if (m_holding) {
            m_holding = false;
            ++m_taken;
            --m_filled;
            m_changed.notify_all();
        }
        m_changed.wait(lock, [this] { return m_filled > 0 || m_done; });
        if (m_filled == 0)
            return false;
        const size_t slot = size_t(m_taken % Slots);
        m_cur = m_slots[slot].data();
        m_len = m_lengths[slot];
        m_pos = 0;
        m_holding = true;
        m_consumed += m_len;
        if (m_progress) {
            lock.unlock();
            m_progress(m_consumed, m_total);
        }
        return true;
    }

    // Owned by the worker.
    QFile* m_file;
    QByteArrayView m_memory;
    qint64 m_memPos = 0;
    CipherState m_cipher;
    std::vector<char> m_raw;
    // Shared, under m_mutex (the slots' bytes pass from worker to loader through m_filled).
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::array<std::vector<char>, Slots> m_slots;
    std::array<qint64, Slots> m_lengths{};
    int m_filled = 0; // slots holding bytes the loader has not given back, the one in hand included
    bool m_done = false;
    bool m_stop = false;
    bool m_readError = false;
    quint32 m_crc = 0;
    // Owned by the loader.
    const std::function<void(qint64, qint64)>& m_progress;
    qint64 m_total;
    qint64 m_consumed = 0;
    qint64 m_taken = 0;
    bool m_holding = false;
    const char* m_cur = nullptr;
    qint64 m_pos = 0;
    qint64 m_len = 0;
    std::thread m_worker;
};

// The payload, inflated in pieces as the reader asks for it.
class InflateSource : public ByteSource {
public:
    explicit InflateSource(DecipheredInput& in) : m_in(in), m_out(size_t(Chunk)) {
        std::memset(&m_zs, 0, sizeof m_zs);
        m_initialised = inflateInit(&m_zs) == Z_OK;
        m_failed = !m_initialised;
    }
    ~InflateSource() override {
        if (m_initialised)
            inflateEnd(&m_zs);
    }
    InflateSource(const InflateSource&) = delete;
    InflateSource& operator=(const InflateSource&) = delete;

    bool Next(const char*& data, qint64& size) override {
        if (m_failed || m_ended)
            return false;
        m_zs.next_out = reinterpret_cast<Bytef*>(m_out.data());
        m_zs.avail_out = uInt(m_out.size());
        while (m_zs.avail_out > 0) {
            if (m_zs.avail_in == 0) {
                const char* p = nullptr;
                qint64 n = 0;
                if (!m_in.NextChunk(p, n)) {
                    // The container ended inside the compressed stream.
                    m_failed = true;
                    break;
                }
                m_zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(p));
                m_zs.avail_in = uInt(n);
            }
            const int ret = inflate(&m_zs, Z_NO_FLUSH);
            if (ret == Z_STREAM_END) {
                m_ended = true;
                break;
            }
            if (ret != Z_OK && ret != Z_BUF_ERROR) {
                m_failed = true;
                break;
            }
        }
        size = qint64(m_out.size()) - m_zs.avail_out;
        data = m_out.data();
        if (size > 0)
            return true;
        return false;
    }
    bool Failed() const override { return m_failed; }

private:
    DecipheredInput& m_in;
    std::vector<char> m_out;
    z_stream m_zs;
    bool m_initialised = false;
    bool m_failed = false;
    bool m_ended = false;
};

// Free bytes of the disk that holds `folder`, for this user; -1 when the system does not say.
qint64 FreeBytes(const QString& folder) {
    const QStorageInfo disk(folder);
    return disk.isValid() && disk.isReady() ? disk.bytesAvailable() : -1;
}

QString Where(ByteReader& r, InflateSource& src) {
    return src.Failed() ? QStringLiteral("damaged compressed data")
                        : QStringLiteral("data ends or is damaged at payload offset %1").arg(r.Position());
}

Status ReadPayload(DecipheredInput& input, LoadedTest& loaded, const LoadOptions& options) {
    TTest& test = *loaded.test;
    InflateSource inflater(input);
    ByteReader in(inflater);
    in.SetStringBudget(TextBudget);

    if (!test.ReadHeader(in))
        return Status::Failed(Fault::Corrupt, QStringLiteral("test header: ") + Where(in, inflater));

    if (!test.OpenPassword.isEmpty() && !options.skipPassword) {
        QByteArray entered;
        if (!options.ask || !options.ask->AskPassword(entered))
            return Status::Failed(Fault::Cancelled, QStringLiteral("password not given"));
        if (entered != test.OpenPassword)
            return Status::Failed(Fault::WrongPassword, QStringLiteral("wrong password"));
    }

    const qint32 taskCount = in.ReadInt32();
    if (!in.Ok() || taskCount < 0 || taskCount > MaxTasks)
        return Status::Failed(Fault::Corrupt, QStringLiteral("impossible task count %1").arg(taskCount));
    loaded.tasks.reserve(size_t(std::min(taskCount, 4096)));
    for (qint32 i = 0; i < taskCount; ++i) {
        TTask task;
        if (!task.ReadTask(in))
            return Status::Failed(Fault::Corrupt,
                                  QStringLiteral("task %1: ").arg(i + 1) + Where(in, inflater));
        loaded.tasks.push_back(std::move(task));
    }

    const qint32 fileCount = in.ReadInt32();
    AttachmentWriter writer;
    if (!in.Ok() || fileCount < 0 || fileCount > MaxAttachments)
        return Status::Failed(Fault::Corrupt,
                              QStringLiteral("impossible attached-file count %1").arg(fileCount));
    if (fileCount > 0 && test.TempFolder.isEmpty())
        return Status::Failed(
            Fault::WriteFailed,
            QStringLiteral("no folder for the attached files: %1").arg(test.TempFolderError));
    // Measured once, before anything is written: what the files may take of the disk.
    qint64 room = options.maxAttachedBytes;
    if (fileCount > 0) {
        const qint64 free =
            options.freeBytes ? options.freeBytes(test.TempFolder) : FreeBytes(test.TempFolder);
        if (free >= 0)
            room = std::min(room, free - AttachedFilesReserve);
    }
    qint64 needed = 0;
    for (qint32 i = 0; i < fileCount; ++i) {
        const QByteArray name = in.ReadString();
        const qint32 size = in.ReadInt32();
        if (!in.Ok() || size < 0)
            return Status::Failed(Fault::Corrupt,
                                  QStringLiteral("attached file %1: ").arg(i + 1) + Where(in, inflater));
        if (!IsSafeAttachmentName(name))
            return Status::Failed(Fault::Corrupt, QStringLiteral("attached file %1 has an unsafe name \"%2\"")
                                                      .arg(i + 1)
                                                      .arg(TextCodec::FromCp1251(name)));
        needed += size;
        if (needed > room)
            return Status::Failed(
                Fault::WriteFailed,
                QStringLiteral("the attached files need more than the %1 bytes there is room "
                               "for in %2 (%3 bytes up to file %4)")
                    .arg(std::max<qint64>(room, 0))
                    .arg(test.TempFolder)
                    .arg(needed)
                    .arg(i + 1));
        if (Status opened = writer.Open(AttachmentPath(test, name)); !opened.Ok())
            return opened;
        bool written = true;
        const bool copied = in.CopyTo(size, [&](const char* p, qint64 n) {
            written = writer.Write(p, n);
            return written;
        });
        writer.Close();
        if (!written) {
            if (Status finished = writer.Finish(); !finished.Ok())
                return finished;
        }
        if (!copied)
            return Status::Failed(Fault::Corrupt,
                                  QStringLiteral("attached file %1: ").arg(i + 1) + Where(in, inflater));
        loaded.files.push_back({name, size});
    }
    if (Status finished = writer.Finish(); !finished.Ok())
        return finished;
    if (input.ReadError())
        return Status::Failed(Fault::ReadFailed, QStringLiteral("the file could not be read"));
    return {};
}

} // namespace

bool IsSafeAttachmentName(QByteArrayView name) {
    if (name.isEmpty() || name == "." || name == "..")
        return false;
    for (char c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '\0')
            return false;
    return true;
}

QString AttachmentPath(const TTest& test, QByteArrayView name) {
    // Without a folder there are no attached files: never a name relative to the working folder.
    if (test.TempFolder.isEmpty())
        return {};
    return test.TempFolder + TextCodec::FromCp1251(name);
}

void CountTasks(TTest& test, const std::vector<TTask>& tasks) {
    for (TTheme& theme : test.Themes)
        theme.TaskCount = 0;
    if (!test.UseThemes) {
        test.TotalAskCount = qint32(tasks.size());
        return;
    }
    qint64 total = 0;
    for (TTheme& theme : test.Themes) {
        for (const TTask& task : tasks)
            if (task.ThemeId == theme.Id)
                ++theme.TaskCount;
        // A negative AskCount of a limited topic contributes nothing rather than subtracting from
        // the other topics' shares.
        total += theme.AskLimited ? std::max(0, std::min(theme.AskCount, theme.TaskCount)) : theme.TaskCount;
    }
    test.TotalAskCount = qint32(std::min<qint64>(total, std::numeric_limits<qint32>::max()));
}

LoadTestResult LoadTest(const QString& path, const QByteArray* stream, const LoadOptions& options) {
    LoadTestResult result;
    if (path.isEmpty() || (!stream && !QFileInfo(path).isFile())) {
        result.status =
            Status::Failed(Fault::NotFound, QStringLiteral("nothing to load at \"%1\"").arg(path));
        return result;
    }

    auto loaded = std::make_unique<LoadedTest>();
    loaded->test = std::make_unique<TTest>(options.tempRoot, options.programFolder, options.now);
    loaded->test->FileName = path;
    loaded->fromFile = stream == nullptr;

    QFile file(path);
    if (!stream && !file.open(QIODevice::ReadOnly)) {
        result.status = Status::Failed(Fault::ReadFailed, file.errorString());
        return result;
    }
    DecipheredInput input(stream ? nullptr : &file, stream ? QByteArrayView(*stream) : QByteArrayView(),
                          options.key, options.progress);

    char signature[6];
    if (!input.ReadExact(signature, 6) || std::memcmp(signature, Signature, 6) != 0) {
        result.status = Status::Failed(Fault::WrongType, QStringLiteral("not a test file"));
        return result;
    }
    char lenBytes[4];
    if (!input.ReadExact(lenBytes, 4)) {
        result.status = Status::Failed(Fault::Corrupt, QStringLiteral("the file ends after its signature"));
        return result;
    }
    qint32 skipped = 0;
    for (int i = 3; i >= 0; --i)
        skipped = qint32((quint32(skipped) << 8) | quint8(lenBytes[i]));
    if (skipped < 0 || !input.Skip(skipped)) {
        result.status = Status::Failed(Fault::Corrupt, QStringLiteral("the file ends inside its prefix"));
        return result;
    }

    result.status = ReadPayload(input, *loaded, options);
    if (!result.status.Ok())
        return result; // `loaded` goes out of scope here and its folder with it

    loaded->test->Crc = input.FinishCrc();
    CountTasks(*loaded->test, loaded->tasks);
    result.loaded = std::move(loaded);
    return result;
}

std::optional<Notice> LoadFailureNotice(Fault failure) {
    const QString caption = QStringLiteral("Помилка!");
    switch (failure) {
    case Fault::None:
    case Fault::NotFound:
    case Fault::Cancelled:
        return std::nullopt;
    case Fault::WrongType:
        return Notice{caption, QStringLiteral("Неправильний тип файлу з тестом!"), MsgIcon::Error};
    case Fault::WrongPassword:
        return Notice{caption, QStringLiteral("Неправильний пароль!"), MsgIcon::Error};
    default:
        return Notice{caption, QStringLiteral("Помилка завантаження тесту!"), MsgIcon::Error};
    }
}
