#pragma once
// The encoding of the conversation with the teacher's server: text lines ended by CR LF, and blocks
// of raw bytes announced by a line that holds their length. The records inside the blocks are
// written and read with ByteWriter and ByteReader (Records.h).
//
// WireReader is the receiving side for both the pupil's program and the journal server: bytes are
// appended as the socket delivers them, and lines and blocks are taken out once they are complete.
// Nothing the peer announces is trusted: a line may not grow beyond MaxLineBytes even before its
// end arrives, and a block longer than the reader's limit fails before any memory is set aside.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Wire {

// The longest text a received line may hold, without its line end.
constexpr qsizetype MaxLineBytes = 16384;

// The text followed by CR LF.
QByteArray Line(QByteArrayView text);
// The length of the bytes as a decimal line, then the bytes themselves.
QByteArray Block(QByteArrayView bytes);

// The value of a line that must hold a plain decimal integer: an optional minus sign and digits,
// nothing else. False for anything else, including blanks around the digits and values beyond
// qint64.
bool ParseDecimal(QByteArrayView text, qint64& value);

} // namespace Wire

class WireReader {
public:
    explicit WireReader(qint64 maxBlockBytes);

    void Append(QByteArrayView bytes);

    enum class Take { Ready, NeedMore, Error };
    // A line ends at the first LF; one CR directly before it is dropped. Error when the line's text
    // is, or can only become, longer than Wire::MaxLineBytes.
    Take TakeLine(QByteArray& line);
    // A length line (a plain decimal integer between 0 and the reader's limit), then exactly that
    // many bytes. Once the length line has been taken, NeedMore means the bytes are still coming and
    // the next call goes on with the same block.
    Take TakeBlock(QByteArray& block);

    // After the first Error every take fails again with the same text.
    QString ErrorText() const { return m_error; }
    // Bytes received and not yet taken (the length line of a block in progress is already taken).
    qsizetype Buffered() const { return m_buffer.size() - m_pos; }
    // The length announced for the block in progress, -1 while none is.
    qint64 PendingBlock() const { return m_blockLength; }

private:
    Take Fail(QString text);
    void Compact();

    qint64 m_maxBlock;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_blockLength = -1;
    QString m_error;
};
