#include "Zlib.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace Zlib {
namespace {
constexpr qsizetype Chunk = 256 * 1024;
// zlib counts in uInt; feed larger buffers in slices.
constexpr qsizetype MaxSlice = std::numeric_limits<uInt>::max() / 2;

Status Failed(Fault fault, const char* what, const z_stream& zs) {
    return Status::Failed(fault,
                          QString::fromLatin1(what) +
                              (zs.msg ? QStringLiteral(": ") + QString::fromLatin1(zs.msg) : QString()));
}
} // namespace

Status Inflate(QByteArrayView in, QByteArray& out, qint64 maxOut) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return Failed(Fault::Corrupt, "inflateInit failed", zs);
    out.clear();
    const char* next = in.data();
    qsizetype left = in.size();
    int rc = Z_OK;
    bool outputFull = false;
    QByteArray buffer(Chunk, Qt::Uninitialized);
    while (rc != Z_STREAM_END) {
        if (zs.avail_in == 0) {
            // With no input left, one more call is only worth it to drain output already decoded.
            if (left == 0 && !outputFull)
                break;
            const qsizetype slice = std::min(left, MaxSlice);
            zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(next));
            zs.avail_in = uInt(slice);
            next += slice;
            left -= slice;
        }
        zs.next_out = reinterpret_cast<Bytef*>(buffer.data());
        zs.avail_out = uInt(Chunk);
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            const Status damaged = Failed(Fault::Corrupt, "damaged compressed data", zs);
            inflateEnd(&zs);
            return damaged;
        }
        const qsizetype produced = Chunk - qsizetype(zs.avail_out);
        outputFull = zs.avail_out == 0;
        if (out.size() + produced > maxOut) {
            const Status tooLarge = Failed(Fault::Corrupt, "compressed data expands beyond the limit", zs);
            inflateEnd(&zs);
            return tooLarge;
        }
        out.append(buffer.constData(), produced);
    }
    inflateEnd(&zs);
    if (rc != Z_STREAM_END)
        return Status::Failed(Fault::Corrupt, QStringLiteral("compressed data ends early"));
    return {};
}

Status Deflate(std::initializer_list<QByteArrayView> pieces, int level,
               const std::function<bool(QByteArrayView)>& sink) {
    z_stream zs{};
    if (deflateInit(&zs, level) != Z_OK)
        return Failed(Fault::WriteFailed, "deflateInit failed", zs);
    Status failure;
    QByteArray buffer(Chunk, Qt::Uninitialized);
    // Runs deflate until it has taken all of its input (or, when finishing, until the stream end),
    // handing every filled output chunk to the sink.
    auto pump = [&](int flush) {
        for (;;) {
            zs.next_out = reinterpret_cast<Bytef*>(buffer.data());
            zs.avail_out = uInt(Chunk);
            const int rc = deflate(&zs, flush);
            if (rc == Z_STREAM_ERROR) {
                failure = Failed(Fault::WriteFailed, "deflate failed", zs);
                return false;
            }
            const qsizetype produced = Chunk - qsizetype(zs.avail_out);
            if (produced > 0 && !sink(QByteArrayView(buffer.constData(), produced))) {
                failure =
                    Status::Failed(Fault::WriteFailed, QStringLiteral("could not write the compressed data"));
                return false;
            }
            if (flush == Z_FINISH ? rc == Z_STREAM_END : (zs.avail_in == 0 && zs.avail_out != 0))
                return true;
        }
    };
    bool ok = true;
    for (const QByteArrayView piece : pieces) {
        const char* next = piece.data();
        qsizetype left = piece.size();
        while (ok && left > 0) {
            const qsizetype slice = std::min(left, MaxSlice);
            zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(next));
            zs.avail_in = uInt(slice);
            next += slice;
            left -= slice;
            ok = pump(Z_NO_FLUSH);
        }
        if (!ok)
            break;
    }
    if (ok)
        ok = pump(Z_FINISH);
    deflateEnd(&zs);
    return failure;
}

} // namespace Zlib
