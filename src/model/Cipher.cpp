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
    // Each byte's state depends on the one before, so a plain loop waits on every step. The state
    // forgets its past within a few bytes (the top bit and every bit under a set bit of the input
    // are dropped at each step), so four segments are deciphered side by side from a guessed
    // state, and each later segment is then re-run from its true state only until the two runs
    // meet. The result is exact for every input; only the speed depends on how soon they meet.
    constexpr int Lanes = 4;
    if (n < 4096 || src == dst) {
        quint8 s = m_state;
        for (qint64 i = 0; i < n; ++i) {
            const quint8 p = quint8(src[i]) ^ s;
            dst[i] = char(p);
            s = m_next[quint8(p + s)];
        }
        m_state = s;
        return;
    }
    const qint64 len = n / Lanes;
    qint64 begin[Lanes], end[Lanes];
    quint8 state[Lanes];
    for (int k = 0; k < Lanes; ++k) {
        begin[k] = k * len;
        end[k] = k + 1 < Lanes ? (k + 1) * len : n;
        state[k] = k == 0 ? m_state : 0;
    }
    const auto* in = reinterpret_cast<const quint8*>(src);
    auto* out = reinterpret_cast<quint8*>(dst);
    for (qint64 i = 0; i < len; ++i) {
        for (int k = 0; k < Lanes; ++k) {
            const quint8 p = in[begin[k] + i] ^ state[k];
            out[begin[k] + i] = p;
            state[k] = m_next[quint8(p + state[k])];
        }
    }
    for (qint64 i = begin[Lanes - 1] + len; i < n; ++i) { // the last segment's remainder
        const quint8 p = in[i] ^ state[Lanes - 1];
        out[i] = p;
        state[Lanes - 1] = m_next[quint8(p + state[Lanes - 1])];
    }
    for (int k = 1; k < Lanes; ++k) {
        quint8 s = state[k - 1]; // the true state where segment k begins
        qint64 i = begin[k];
        // The guessed run's state at i is recovered from its output: p = c ^ state.
        while (i < end[k] && s != quint8(out[i] ^ in[i])) {
            const quint8 p = in[i] ^ s;
            out[i] = p;
            s = m_next[quint8(p + s)];
            ++i;
        }
        if (i == end[k])
            state[k] = s;
    }
    m_state = state[Lanes - 1];
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

bool DecipherStream(const QByteArray& source, qint64 position, QByteArray& destination,
                    const KeyRecord& key) {
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
