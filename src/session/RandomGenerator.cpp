#include "RandomGenerator.h"

#include <QDeadlineTimer>

#include <utility>

namespace {
quint32 CounterSeed() {
    // The low 32 bits of a nanosecond clock that runs since the computer started: they differ
    // from one call to the next and from one computer (or one start of the program) to another.
    // A clock started by the program itself would give every fresh start nearly the same seed.
    return quint32(quint64(QDeadlineTimer::current(Qt::PreciseTimer).deadlineNSecs()) & 0xFFFFFFFFu);
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
