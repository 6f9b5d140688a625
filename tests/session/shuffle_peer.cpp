// Prints the order of ten tasks as a fresh start of the program shuffles it first.
#include "session/RandomGenerator.h"

#include <cstdio>

int main() {
    RandomGenerator random;
    QList<qint32> order;
    for (qint32 i = 0; i < 10; ++i)
        order.append(i);
    ShuffleIndexes(order, random);
    for (qint32 v : order)
        std::printf("%d ", int(v));
    std::printf("\n");
    return 0;
}
