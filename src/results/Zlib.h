#pragma once
// Whole-buffer zlib (RFC 1950) streams for the protected results file. The file is read and written
// whole, so the compressor works on one buffer (libdeflate) rather than a stream; what it writes is
// an ordinary zlib stream that any inflater reads.
#include "model/Status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <initializer_list>

namespace Zlib {

// Levels run from 0 (stored) to 12; every level from 8 up marks the stream, in its header, as
// compressed at the highest level, as zlib's 9 does. The results file is written at 9: within a few
// percent of zlib's 9 in size at a fraction of its time, where 10 to 12 save a few percent more at
// up to five times the time.
inline constexpr int MaxCompression = 9;
inline constexpr int HighestLevel = 12;

// Inflates one complete zlib stream that starts at the beginning of `in`. Fails on a damaged or
// truncated stream and when the output would exceed maxOut bytes. Bytes after the end of the
// stream are ignored.
Status Inflate(QByteArrayView in, QByteArray& out, qint64 maxOut);

// Deflates the concatenation of `pieces` as one zlib stream at `level`, handing the compressed
// bytes to `sink` chunk by chunk; stops and fails as soon as the sink refuses a chunk.
Status Deflate(std::initializer_list<QByteArrayView> pieces, int level,
               const std::function<bool(QByteArrayView)>& sink);

} // namespace Zlib
