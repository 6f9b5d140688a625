#pragma once
// Which tasks a session asks and in which order.
#include "model/Task.h"
#include "model/Test.h"

#include <QList>

#include <span>

class RandomGenerator;

// Task numbers (0-based places in the test's task list) in the order of asking.
//
// Without topics every task is asked, in file order or shuffled. With topics each topic in turn
// contributes its tasks (a random choice of them when the topic is limited), in file order within
// the topic unless the test asks for random order, in which case everything is mixed at the end.
// The result holds exactly the chosen tasks, even when the header's total disagrees with them.
QList<qint32> ChooseTaskOrder(const TTest& test, std::span<const TTask> tasks, RandomGenerator& random);
