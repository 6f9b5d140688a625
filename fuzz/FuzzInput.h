#pragma once
// What the entry points share: taking the fuzzer's bytes apart into the pieces a harness needs
// (a choice, a length, a chunk), the same way every time, so that a saved input replays exactly.
#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, size_t size)
        : m_bytes(reinterpret_cast<const char*>(data), qsizetype(size)) {}

    bool Empty() const { return m_pos >= m_bytes.size(); }
    qsizetype Left() const { return m_bytes.size() - m_pos; }

    // The next byte, 0 once everything is taken.
    quint8 Byte() { return Empty() ? 0 : quint8(m_bytes[m_pos++]); }
    // Up to n bytes.
    QByteArray Take(qsizetype n) {
        const qsizetype k = std::min(n, Left());
        const QByteArray out = m_bytes.sliced(m_pos, k).toByteArray();
        m_pos += k;
        return out;
    }
    // The bytes up to the next `separator` (which is dropped), or all that is left.
    QByteArray Part(QByteArrayView separator) {
        const qsizetype at = m_bytes.indexOf(separator, m_pos);
        if (at < 0)
            return Rest();
        const QByteArray out = m_bytes.sliced(m_pos, at - m_pos).toByteArray();
        m_pos = at + separator.size();
        return out;
    }
    QByteArray Rest() { return Take(Left()); }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

// One zlib stream of the bytes, at the fastest level: inputs stay quick to frame.
inline QByteArray Compress(QByteArrayView bytes) {
    uLongf bound = compressBound(uLong(bytes.size()));
    QByteArray out(qsizetype(bound), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &bound, reinterpret_cast<const Bytef*>(bytes.data()),
                  uLong(bytes.size()), 1) != Z_OK)
        return {};
    out.resize(qsizetype(bound));
    return out;
}

// A folder for the files a harness writes, in memory where the system has such a folder: the
// safe writes force every file to the disk, which would cost more than the rest of a run.
inline QString FuzzTempPattern() {
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    const QString root = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    return root + QStringLiteral("/quizar-fuzz-XXXXXX");
}

// A Qt application object for the harnesses that need an event loop; made once, kept for the
// fuzzer's life.
inline void MakeCoreApplication(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
}

// A harness's own check failed: the code under test broke a promise without crashing. Aborting
// makes libFuzzer keep the input as a crash.
[[noreturn]] inline void FuzzCheckFailed(const char* what) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            FuzzCheckFailed(#condition);                                                                     \
    } while (false)
