#include "ByteWriter.h"

#include <cstdint>
#include <cstring>

void ByteWriter::WriteUInt32(quint32 v) {
    const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
    m_out.append(b, 4);
}

void ByteWriter::WriteDouble(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = char((bits >> (8 * i)) & 0xFF);
    m_out.append(b, 8);
}

void ByteWriter::WriteFloat(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    WriteUInt32(bits);
}

void ByteWriter::WriteString(QByteArrayView s) {
    WriteInt32(qint32(s.size()));
    m_out.append(s);
}
