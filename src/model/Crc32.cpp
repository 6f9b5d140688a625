#include "Crc32.h"

#include <QFile>

#include <zlib.h>

#include <algorithm>
#include <vector>

quint32 UpdateCrc32(quint32 crc, const void* data, qint64 length) {
    auto p = static_cast<const Bytef*>(data);
    while (length > 0) {
        const uInt n = uInt(std::min<qint64>(length, 1 << 30));
        crc = quint32(crc32(crc, p, n));
        p += n;
        length -= n;
    }
    return crc;
}

quint32 BufferCrc32(const void* data, qint64 length) {
    return UpdateCrc32(0, data, length);
}

quint32 FileCrc32(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    constexpr qint64 Block = 65521;
    std::vector<char> buf(Block);
    quint32 crc = 0;
    for (;;) {
        const qint64 n = f.read(buf.data(), Block);
        if (n <= 0)
            break;
        crc = UpdateCrc32(crc, buf.data(), n);
    }
    return crc;
}
