#pragma once
// CRC-32 (the one zlib computes) of a file or a memory block; identifies the exact test file a
// result belongs to.
#include <QByteArrayView>
#include <QString>

// 0 when the file cannot be opened. Read in blocks of 65521 bytes.
quint32 FileCrc32(const QString& path);
quint32 BufferCrc32(const void* data, qint64 length);
inline quint32 BufferCrc32(QByteArrayView bytes) {
    return BufferCrc32(bytes.data(), bytes.size());
}
// Continues a running CRC-32 over more bytes (start with 0).
quint32 UpdateCrc32(quint32 crc, const void* data, qint64 length);
