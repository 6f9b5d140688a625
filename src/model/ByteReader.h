#pragma once
// The one bounded little-endian reader for every stored and transmitted format (test file, result
// record, protocol blocks). Every read can fail; after the first failure the reader stays failed
// and returns zeros, so a parser reads a whole record and checks Ok() once. No declared length or
// count is trusted: it is checked against the bytes that can still follow before anything is
// allocated, and no single string may exceed MaxStringLength.
#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <functional>

// A supplier of bytes in chunks, for streams whose length is not known in advance (the inflater).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Gives the next chunk; the pointer stays valid until the next call. Returns false at the end
    // of the data or on an error (Failed() tells which).
    virtual bool Next(const char*& data, qint64& size) = 0;
    virtual bool Failed() const = 0;
};

class ByteReader {
public:
    static constexpr qint64 MaxStringLength = qint64(128) << 20;

    explicit ByteReader(QByteArrayView data);
    explicit ByteReader(ByteSource& source);

    // Caps the total bytes that ReadString may allocate over the reader's life, for streams whose
    // size is not known in advance (a small compressed file can claim gigabytes of text).
    void SetStringBudget(qint64 bytes) { m_budget = bytes; }

    bool Ok() const { return m_ok; }
    void Fail() { m_ok = false; }
    // True when the data ended, as opposed to a source error.
    bool AtEnd();

    // Bytes left when the data is all in memory; -1 for a streaming source.
    qint64 KnownRemaining() const { return m_source ? -1 : m_end - m_cur; }
    qint64 Position() const { return m_consumed + (m_cur - m_chunk); }

    quint8 ReadUInt8();
    bool ReadBool();
    qint16 ReadInt16();
    quint16 ReadUInt16();
    qint32 ReadInt32();
    quint32 ReadUInt32();
    double ReadDouble();
    float ReadFloat();
    // int32 byte count, then the bytes. A negative count, a count beyond the bytes that can follow,
    // or one above MaxStringLength fails the read.
    QByteArray ReadString();
    // An int32 element count for an array whose elements take at least minElementSize bytes each;
    // fails for a negative count or one that cannot fit in what can follow.
    qint32 ReadCount(qint64 minElementSize);
    bool ReadBytes(char* dst, qint64 n);
    bool Skip(qint64 n);
    // Hands exactly n bytes to sink in pieces as they arrive; fails when fewer follow or the sink
    // refuses a piece. Nothing is buffered beyond one chunk.
    bool CopyTo(qint64 n, const std::function<bool(const char*, qint64)>& sink);

private:
    bool Refill();
    template <typename T> T ReadLE();

    ByteSource* m_source = nullptr;
    const char* m_chunk = nullptr;
    const char* m_cur = nullptr;
    const char* m_end = nullptr;
    qint64 m_consumed = 0;
    qint64 m_budget = -1;
    bool m_ok = true;
};
