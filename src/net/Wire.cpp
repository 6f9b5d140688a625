#include "Wire.h"

#include <limits>

namespace Wire {

QByteArray Line(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size() + 2);
    out.append(text);
    out.append("\r\n", 2);
    return out;
}

QByteArray Block(QByteArrayView bytes) {
    QByteArray out = Line(QByteArray::number(bytes.size()));
    out.append(bytes);
    return out;
}

bool ParseDecimal(QByteArrayView text, qint64& value) {
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == '-';
    if (negative)
        ++i;
    if (i == text.size())
        return false;
    // Accumulated as a negative number, whose range is the larger one.
    qint64 v = 0;
    constexpr qint64 min = std::numeric_limits<qint64>::min();
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        const int digit = c - '0';
        if (v < (min + digit) / 10)
            return false;
        v = v * 10 - digit;
    }
    if (!negative) {
        if (v == min)
            return false;
        v = -v;
    }
    value = v;
    return true;
}

} // namespace Wire

WireReader::WireReader(qint64 maxBlockBytes) : m_maxBlock(maxBlockBytes) {}

void WireReader::Append(QByteArrayView bytes) {
    if (!m_error.isEmpty())
        return;
    Compact();
    m_buffer.append(bytes);
}

void WireReader::Compact() {
    // Taken bytes are dropped in bulk, so taking many short lines stays linear.
    if (m_pos > 0 && (m_pos == m_buffer.size() || m_pos >= 65536)) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
}

WireReader::Take WireReader::Fail(QString text) {
    if (m_error.isEmpty())
        m_error = std::move(text);
    m_buffer.clear();
    m_pos = 0;
    return Take::Error;
}

WireReader::Take WireReader::TakeLine(QByteArray& line) {
    if (!m_error.isEmpty())
        return Take::Error;
    const qsizetype lf = m_buffer.indexOf('\n', m_pos);
    if (lf < 0) {
        // The text may still end with a CR that will be dropped, but cannot grow any further.
        const qsizetype pending = m_buffer.size() - m_pos;
        const bool endsWithCr = pending > 0 && m_buffer.back() == '\r';
        if (pending > Wire::MaxLineBytes + (endsWithCr ? 1 : 0))
            return Fail(QStringLiteral("a received line is longer than %1 bytes").arg(Wire::MaxLineBytes));
        return Take::NeedMore;
    }
    qsizetype end = lf;
    if (end > m_pos && m_buffer[end - 1] == '\r')
        --end;
    if (end - m_pos > Wire::MaxLineBytes)
        return Fail(QStringLiteral("a received line is longer than %1 bytes").arg(Wire::MaxLineBytes));
    line = m_buffer.sliced(m_pos, end - m_pos);
    m_pos = lf + 1;
    Compact();
    return Take::Ready;
}

WireReader::Take WireReader::TakeBlock(QByteArray& block) {
    if (!m_error.isEmpty())
        return Take::Error;
    if (m_blockLength < 0) {
        QByteArray lengthLine;
        const Take took = TakeLine(lengthLine);
        if (took != Take::Ready)
            return took;
        qint64 length = 0;
        if (!Wire::ParseDecimal(lengthLine, length))
            return Fail(QStringLiteral("the length line of a block is not a decimal number"));
        if (length < 0)
            return Fail(QStringLiteral("a block announces a negative length (%1)").arg(length));
        if (length > m_maxBlock)
            return Fail(
                QStringLiteral("a block of %1 bytes exceeds the limit of %2").arg(length).arg(m_maxBlock));
        m_blockLength = length;
    }
    if (Buffered() < m_blockLength)
        return Take::NeedMore;
    if (m_pos == 0 && m_buffer.size() == m_blockLength) {
        // The usual end of a download: the block is all there is, and is handed over uncopied.
        block = std::move(m_buffer);
        m_buffer = QByteArray();
        m_blockLength = -1;
        return Take::Ready;
    }
    block = m_buffer.sliced(m_pos, qsizetype(m_blockLength));
    m_pos += qsizetype(m_blockLength);
    m_blockLength = -1;
    Compact();
    return Take::Ready;
}
