#include "Scoring.h"

void ScoreTask(TResultTest& result, const TTask& task, int taskNumber, bool answered, bool right, int matches,
               int mismatches, ScoringRules rules) {
    const qint32 hintPenalty = result.GetTaskHintPenalty(taskNumber);
    if (hintPenalty >= 0)
        ++result.HintCount;
    if (hintPenalty > 0)
        result.Score -= hintPenalty;
    result.CheckedMax += task.Weight;

    if (!answered) {
        result.SetTaskPoints(taskNumber, 0);
        ++result.DontKnowCount;
        return;
    }
    if (right) {
        ++result.RightCount;
        result.SetTaskPoints(taskNumber, task.Weight);
        result.Score += task.Weight;
        return;
    }
    ++result.WrongCount;
    result.SetTaskPoints(taskNumber, 0);
    const bool rowKind = task.Kind >= MultipleChoice && task.Kind <= TrueFalse;
    if (!rules.wholeAnswerOnly && rowKind) {
        const int variants = task.LastVariant();
        if (variants <= 0)
            return; // nothing to share the weight among: no partial credit, no penalty
        const double share = double(task.Weight) / variants;
        result.Score += matches * share;
        if (rules.penaliseWrong)
            result.Score -= mismatches * share;
    } else if (rules.penaliseWrong) {
        result.Score -= task.Weight;
    }
}

double ScorePercent(double score, qint32 maxScore) {
    return maxScore == 0 ? 0.0 : score * 100.0 / maxScore;
}

void GradeResult(TResultTest& result, const QList<TMark>& marks) {
    const double percent = ScorePercent(result.Score, result.MaxScore);
    for (const TMark& mark : marks) {
        if (percent >= mark.Percent) {
            result.Mark = mark.Number;
            result.MarkName = mark.Name;
        }
    }
    result.MarkCount = qint32(marks.size());
}

QString PointsWord(qint32 n) {
    const qint32 hundreds = n % 100;
    const qint32 tens = n % 10;
    if (hundreds >= 11 && hundreds <= 20)
        return QStringLiteral("баллов");
    if (tens == 1)
        return QStringLiteral("балл");
    if (tens >= 2 && tens <= 4)
        return QStringLiteral("балла");
    return QStringLiteral("баллов");
}
