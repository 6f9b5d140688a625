#pragma once
// The arithmetic after each evaluated task and the grade at the end of a session.
#include "model/ResultTest.h"
#include "model/Task.h"
#include "model/Test.h"

#include <QList>
#include <QString>

struct ScoringRules {
    bool wholeAnswerOnly = true;
    bool penaliseWrong = false;
};

// Counts one evaluated task: the hint charge, the weight checked so far, right, wrong or not
// answered, and partial credit for the row kinds when the test allows it.
void ScoreTask(TResultTest& result, const TTask& task, int taskNumber, bool answered, bool right, int matches,
               int mismatches, ScoringRules rules);

// The percentage the grades are compared with; 0 when nothing could be earned.
double ScorePercent(double score, qint32 maxScore);

// Sets Mark, MarkName and MarkCount: the last grade in stored order whose Percent is reached.
void GradeResult(TResultTest& result, const QList<TMark>& marks);

// "балл", "балла" or "баллов" to agree with n.
QString PointsWord(qint32 n);
