#include "Cipher.h"

#include <QFile>

QByteArray KeyRecord::ToBytes() const {
    const quint16 v[3] = {Multiplier, Addend, InitialState};
    QByteArray out;
    for (quint16 x : v) {
        out.append(char(x & 0xFF));
        out.append(char(x >> 8));
    }
    return out;
}

CipherState::CipherState(const KeyRecord& key) : m_state(quint8(key.InitialState & 0xFF)) {
    for (int t = 0; t < 256; ++t)
        m_next[size_t(t)] = quint8((unsigned(t) * key.Multiplier + key.Addend) & 0xFF);
}

void CipherState::Decipher(const char* src, char* dst, qint64 n) {
    quint8 s = m_state;
    for (qint64 i = 0; i < n; ++i) {
        const quint8 p = quint8(src[i]) ^ s;
        dst[i] = char(p);
        s = m_next[quint8(p + s)];
    }
    m_state = s;
}

void CipherState::Encipher(const char* src, char* dst, qint64 n) {
    quint8 s = m_state;
    for (qint64 i = 0; i < n; ++i) {
        const quint8 p = quint8(src[i]);
        dst[i] = char(p ^ s);
        s = m_next[quint8(p + s)];
    }
    m_state = s;
}

bool DecipherBuffer(const char* src, qint64 srcLen, char* dst, const KeyRecord& key, qint64 dstLen) {
    if (srcLen != dstLen)
        return false;
    CipherState(key).Decipher(src, dst, srcLen);
    return true;
}

bool DecipherStream(const QByteArray& source, qint64 position, QByteArray& destination, const KeyRecord& key) {
    position = std::clamp<qint64>(position, 0, source.size());
    destination.resize(source.size() - position);
    CipherState(key).Decipher(source.constData() + position, destination.data(), destination.size());
    return true;
}

bool DecipherFile(const QString& path, QByteArray& destination, const KeyRecord& key) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray raw = f.readAll();
    destination.resize(raw.size());
    return DecipherBuffer(raw.constData(), raw.size(), destination.data(), key, destination.size());
}

QByteArray EncipherBuffer(QByteArrayView plain, const KeyRecord& key) {
    QByteArray out(plain.size(), Qt::Uninitialized);
    CipherState(key).Encipher(plain.data(), out.data(), plain.size());
    return out;
}
