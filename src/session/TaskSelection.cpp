#include "TaskSelection.h"

#include "RandomGenerator.h"

#include <algorithm>

QList<qint32> ChooseTaskOrder(const TTest& test, std::span<const TTask> tasks, RandomGenerator& random) {
    QList<qint32> order;
    if (!test.UseThemes) {
        order.reserve(qsizetype(tasks.size()));
        for (size_t i = 0; i < tasks.size(); ++i)
            order.append(qint32(i));
        if (test.RandomTaskOrder == 1)
            ShuffleIndexes(order, random);
        return order;
    }

    // The header's total only sizes the list up front; the list itself grows with what the topics
    // really contribute, so a stale total neither pads the order with task 0 nor overruns it.
    order.reserve(std::max<qint32>(0, std::min<qint32>(test.TotalAskCount, qint32(tasks.size()))));
    for (const TTheme& theme : test.Themes) {
        if (theme.AskLimited && theme.AskCount == 0)
            continue;
        QList<qint32> own;
        for (size_t i = 0; i < tasks.size() && own.size() < theme.TaskCount; ++i) {
            if (tasks[i].ThemeId == theme.Id)
                own.append(qint32(i));
        }
        ShuffleIndexes(own, random);
        qsizetype take =
            theme.AskLimited ? std::min<qsizetype>(theme.TaskCount, theme.AskCount) : theme.TaskCount;
        take = std::clamp<qsizetype>(take, 0, own.size());
        const qsizetype first = order.size();
        order.append(own.first(take));
        if (test.RandomTaskOrder == 0)
            std::sort(order.begin() + first, order.end());
    }
    // Exactly 1 mixes the topics; any other stored value keeps each topic's random choice as drawn.
    if (test.RandomTaskOrder == 1)
        ShuffleIndexes(order, random);
    return order;
}
