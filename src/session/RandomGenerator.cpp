#include "RandomGenerator.h"

#include <QElapsedTimer>

#include <utility>

namespace {
quint32 CounterSeed() {
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    // The low 32 bits of a fast counter change on every call.
    return quint32(quint64(timer.nsecsElapsed()) & 0xFFFFFFFFu);
}
} // namespace

RandomGenerator::RandomGenerator(SeedSource seedSource) : m_seedSource(std::move(seedSource)) {
    if (!m_seedSource)
        m_seedSource = CounterSeed;
}

void RandomGenerator::Randomize() {
    m_seed = m_seedSource();
}

quint32 RandomGenerator::Random(quint32 n) {
    m_seed = m_seed * 134775813u + 1u; // wraps modulo 2^32
    return quint32((quint64(m_seed) * n) >> 32);
}

void ShuffleIndexes(QList<qint32>& items, RandomGenerator& random) {
    random.Randomize();
    const qsizetype high = items.size() - 1;
    if (high < 0)
        return;
    const quint32 n = quint32(high + 1);
    for (qsizetype k = 0; k < 2 * high + 1; ++k) {
        const quint32 i = random.Random(n);
        const quint32 j = random.Random(n);
        std::swap(items[i], items[j]);
    }
}
