#pragma once
// The mirror of ByteReader: little-endian integers, int32-counted strings, one-byte booleans.
#include <QByteArray>
#include <QByteArrayView>

class ByteWriter {
public:
    explicit ByteWriter(QByteArray& out) : m_out(out) {}

    void WriteUInt8(quint8 v) { m_out.append(char(v)); }
    void WriteBool(bool v) { WriteUInt8(v ? 1 : 0); }
    void WriteInt16(qint16 v) { WriteUInt16(quint16(v)); }
    void WriteUInt16(quint16 v) {
        WriteUInt8(quint8(v & 0xFF));
        WriteUInt8(quint8(v >> 8));
    }
    void WriteInt32(qint32 v) { WriteUInt32(quint32(v)); }
    void WriteUInt32(quint32 v);
    void WriteDouble(double v);
    void WriteFloat(float v);
    void WriteString(QByteArrayView s);
    void WriteBytes(QByteArrayView s) { m_out.append(s); }

private:
    QByteArray& m_out;
};
