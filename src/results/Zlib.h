#pragma once
// Whole-buffer zlib (RFC 1950) streams for the protected results file.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <initializer_list>

namespace Zlib {

// Inflates one complete zlib stream that starts at the beginning of `in`. Fails on a damaged or
// truncated stream and when the output would exceed maxOut bytes. Bytes after the end of the
// stream are ignored.
bool Inflate(QByteArrayView in, QByteArray& out, qint64 maxOut, QString* error = nullptr);

// Deflates the concatenation of `pieces` as one zlib stream at `level`, handing the compressed
// bytes to `sink` chunk by chunk; stops and fails as soon as the sink refuses a chunk.
bool Deflate(std::initializer_list<QByteArrayView> pieces, int level,
             const std::function<bool(QByteArrayView)>& sink, QString* error = nullptr);

} // namespace Zlib
