#pragma once
// The program's one random generator: a 32-bit linear congruential generator. Every shuffle
// re-seeds it from a fast-running counter first, so shuffles do not repeat between sessions;
// tests inject the seed source to get a known sequence.
#include <QList>
#include <QtGlobal>

#include <functional>

class RandomGenerator {
public:
    using SeedSource = std::function<quint32()>;

    // Without a seed source the generator re-seeds from the system's monotonic clock, in
    // nanoseconds since the computer started.
    explicit RandomGenerator(SeedSource seedSource = {});

    quint32 Seed() const { return m_seed; }
    void SetSeed(quint32 seed) { m_seed = seed; }
    // Takes a new seed from the seed source.
    void Randomize();
    // A number from 0 to n - 1 (0 when n is 0): the upper half of the 64-bit product of the
    // advanced seed and n.
    quint32 Random(quint32 n);

private:
    SeedSource m_seedSource;
    quint32 m_seed = 0;
};

// Re-seeds the generator, then swaps 2h + 1 random pairs of the array whose highest index is h.
// An empty array is left alone; a one-element array swaps its element with itself once.
void ShuffleIndexes(QList<qint32>& items, RandomGenerator& random);
