#pragma once
// Whole-buffer zlib (RFC 1950) streams for the protected results file.
#include "model/Status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <initializer_list>

namespace Zlib {

// Inflates one complete zlib stream that starts at the beginning of `in`. Fails on a damaged or
// truncated stream and when the output would exceed maxOut bytes. Bytes after the end of the
// stream are ignored.
Status Inflate(QByteArrayView in, QByteArray& out, qint64 maxOut);

// Deflates the concatenation of `pieces` as one zlib stream at `level`, handing the compressed
// bytes to `sink` chunk by chunk; stops and fails as soon as the sink refuses a chunk.
Status Deflate(std::initializer_list<QByteArrayView> pieces, int level,
               const std::function<bool(QByteArrayView)>& sink);

} // namespace Zlib
