#pragma once
// The byte-stream cipher over a whole test file. The state is 16 bits, but only its low byte ever
// reaches the output or the next state, so the update reduces to a 256-entry table.
#include <QByteArray>
#include <QString>

#include <array>

struct KeyRecord {
    quint16 Multiplier = 0;
    quint16 Addend = 0;
    quint16 InitialState = 0;
    // The six stored bytes: multiplier, addend, initial state, each little-endian.
    QByteArray ToBytes() const;
};

// The key of this program's test files (stored as 6D 4E 39 30 DE C0).
inline constexpr KeyRecord ProgramKey{0x4E6D, 0x3039, 0xC0DE};

// Deciphers or enciphers a stream in pieces; the state carries over from one call to the next.
class CipherState {
public:
    explicit CipherState(const KeyRecord& key);
    void Decipher(const char* src, char* dst, qint64 n);
    void Encipher(const char* src, char* dst, qint64 n);

private:
    std::array<quint8, 256> m_next{};
    quint8 m_state;
};

// Deciphers srcLen bytes into dst; false, doing nothing, when the two lengths differ.
bool DecipherBuffer(const char* src, qint64 srcLen, char* dst, const KeyRecord& key, qint64 dstLen);
// Deciphers source from `position` to its end into destination, resized to exactly that many bytes.
bool DecipherStream(const QByteArray& source, qint64 position, QByteArray& destination, const KeyRecord& key);
// Reads the whole file and deciphers it into destination; false when the file cannot be read.
bool DecipherFile(const QString& path, QByteArray& destination, const KeyRecord& key);
// The inverse, for our own writer.
QByteArray EncipherBuffer(QByteArrayView plain, const KeyRecord& key);
