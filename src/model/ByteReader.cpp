#include "ByteReader.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

ByteReader::ByteReader(QByteArrayView data)
    : m_chunk(data.data()), m_cur(data.data()), m_end(data.data() + data.size()) {}

ByteReader::ByteReader(ByteSource& source) : m_source(&source) {}

bool ByteReader::Refill() {
    if (!m_source)
        return false;
    const char* data = nullptr;
    qint64 size = 0;
    while (m_cur == m_end) {
        m_consumed += m_cur - m_chunk;
        if (!m_source->Next(data, size))
            return false;
        m_chunk = m_cur = data;
        m_end = data + size;
    }
    return true;
}

bool ByteReader::AtEnd() {
    return m_cur == m_end && !Refill() && !(m_source && m_source->Failed());
}

bool ByteReader::ReadBytes(char* dst, qint64 n) {
    if (!m_ok || n < 0)
        return m_ok = false;
    while (n > 0) {
        if (m_cur == m_end && !Refill())
            return m_ok = false;
        const qint64 take = std::min<qint64>(n, m_end - m_cur);
        std::memcpy(dst, m_cur, size_t(take));
        m_cur += take;
        dst += take;
        n -= take;
    }
    return true;
}

template <typename T> T ByteReader::ReadLE() {
    unsigned char b[sizeof(T)];
    if (m_ok && m_end - m_cur >= qint64(sizeof(T))) {
        std::memcpy(b, m_cur, sizeof(T));
        m_cur += sizeof(T);
    } else if (!ReadBytes(reinterpret_cast<char*>(b), sizeof(T))) {
        return T{};
    }
    std::uint64_t v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v |= std::uint64_t(b[i]) << (8 * i);
    T out;
    if constexpr (sizeof(T) == 8) {
        std::memcpy(&out, &v, 8);
    } else if constexpr (sizeof(T) == 4 && std::is_floating_point_v<T>) {
        const auto bits = static_cast<std::uint32_t>(v);
        std::memcpy(&out, &bits, 4);
    } else {
        out = static_cast<T>(v);
    }
    return out;
}

quint8 ByteReader::ReadUInt8() {
    return ReadLE<quint8>();
}
bool ByteReader::ReadBool() {
    return ReadLE<quint8>() != 0;
}
qint16 ByteReader::ReadInt16() {
    return static_cast<qint16>(ReadLE<quint16>());
}
quint16 ByteReader::ReadUInt16() {
    return ReadLE<quint16>();
}
qint32 ByteReader::ReadInt32() {
    return static_cast<qint32>(ReadLE<quint32>());
}
quint32 ByteReader::ReadUInt32() {
    return ReadLE<quint32>();
}
double ByteReader::ReadDouble() {
    return ReadLE<double>();
}
float ByteReader::ReadFloat() {
    return ReadLE<float>();
}

QByteArray ByteReader::ReadString() {
    const qint32 n = ReadInt32();
    if (!m_ok)
        return {};
    if (n < 0 || n > MaxStringLength || (KnownRemaining() >= 0 && n > KnownRemaining())) {
        m_ok = false;
        return {};
    }
    if (m_budget >= 0) {
        if (n > m_budget) {
            m_ok = false;
            return {};
        }
        m_budget -= n;
    }
    if (n == 0)
        return {};
    if (m_end - m_cur >= n) {
        QByteArray s(m_cur, n);
        m_cur += n;
        return s;
    }
    // Streaming: grow only as bytes actually arrive, so a false length in a short stream cannot
    // make us allocate what the stream does not hold.
    QByteArray s;
    s.reserve(std::min<qint64>(n, qint64(1) << 20));
    if (!CopyTo(n, [&s](const char* p, qint64 k) {
            s.append(p, k);
            return true;
        }))
        return {};
    return s;
}

qint32 ByteReader::ReadCount(qint64 minElementSize) {
    const qint32 n = ReadInt32();
    if (!m_ok)
        return 0;
    if (n < 0 || (KnownRemaining() >= 0 && qint64(n) * minElementSize > KnownRemaining())) {
        m_ok = false;
        return 0;
    }
    return n;
}

bool ByteReader::Skip(qint64 n) {
    return CopyTo(n, [](const char*, qint64) { return true; });
}

bool ByteReader::CopyTo(qint64 n, const std::function<bool(const char*, qint64)>& sink) {
    if (!m_ok || n < 0)
        return m_ok = false;
    while (n > 0) {
        if (m_cur == m_end && !Refill())
            return m_ok = false;
        const qint64 take = std::min<qint64>(n, m_end - m_cur);
        if (!sink(m_cur, take))
            return m_ok = false;
        m_cur += take;
        n -= take;
    }
    return true;
}
