#include "Zlib.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>

namespace Zlib {
namespace {
// The sink gets the compressed bytes in slices of this size, so that a gate in front of the disk
// can stop the write part-way as it could with a streaming compressor.
constexpr qsizetype Chunk = 256 * 1024;
// The stream does not say how much it inflates to. Result records shrink about tenfold; a first
// guess well above that is only address space until it is written, and each miss doubles it.
constexpr qint64 FirstGuessRatio = 32;
constexpr qint64 SmallestGuess = 64 * 1024;

struct FreeDecompressor {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};
struct FreeCompressor {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
} // namespace

Status Inflate(QByteArrayView in, QByteArray& out, qint64 maxOut) {
    out.clear();
    const std::unique_ptr<libdeflate_decompressor, FreeDecompressor> inflater(
        libdeflate_alloc_decompressor());
    if (!inflater)
        return Status::Failed(Fault::Corrupt, QStringLiteral("not enough memory to inflate"));
    qint64 capacity = std::min(std::max(qint64(in.size()) * FirstGuessRatio, SmallestGuess), maxOut);
    for (;;) {
        out.resize(qsizetype(capacity));
        size_t used = 0;
        size_t produced = 0;
        const libdeflate_result rc = libdeflate_zlib_decompress_ex(
            inflater.get(), in.data(), size_t(in.size()), out.data(), size_t(capacity), &used, &produced);
        if (rc == LIBDEFLATE_SUCCESS) {
            out.resize(qsizetype(produced));
            return {};
        }
        if (rc == LIBDEFLATE_INSUFFICIENT_SPACE && capacity < maxOut) {
            capacity = std::min(capacity * 2, maxOut);
            continue;
        }
        out.clear();
        if (rc == LIBDEFLATE_INSUFFICIENT_SPACE)
            return Status::Failed(Fault::Corrupt, QStringLiteral("compressed data expands beyond the limit"));
        return Status::Failed(Fault::Corrupt, QStringLiteral("damaged or truncated compressed data"));
    }
}

Status Deflate(std::initializer_list<QByteArrayView> pieces, int level,
               const std::function<bool(QByteArrayView)>& sink) {
    const std::unique_ptr<libdeflate_compressor, FreeCompressor> deflater(
        libdeflate_alloc_compressor(std::clamp(level, 0, HighestLevel)));
    if (!deflater)
        return Status::Failed(Fault::WriteFailed, QStringLiteral("not enough memory to compress"));
    // One buffer in, one buffer out.
    qsizetype total = 0;
    for (const QByteArrayView piece : pieces)
        total += piece.size();
    QByteArray joined;
    joined.reserve(total);
    for (const QByteArrayView piece : pieces)
        joined.append(piece);
    QByteArray packed(qsizetype(libdeflate_zlib_compress_bound(deflater.get(), size_t(total))),
                      Qt::Uninitialized);
    const size_t size = libdeflate_zlib_compress(deflater.get(), joined.constData(), size_t(total),
                                                 packed.data(), size_t(packed.size()));
    if (size == 0)
        return Status::Failed(Fault::WriteFailed, QStringLiteral("deflate failed"));
    for (qsizetype at = 0; at < qsizetype(size); at += Chunk) {
        if (!sink(QByteArrayView(packed).sliced(at, std::min(Chunk, qsizetype(size) - at))))
            return Status::Failed(Fault::WriteFailed, QStringLiteral("could not write the compressed data"));
    }
    return {};
}

} // namespace Zlib
