#pragma once
// Deciding whether the answer on screen is right, the answer as text for the record, and what the
// window paints in education mode when it is not. The window turns its widgets into a TaskAnswer;
// rows are display rows, and the presentation's variant order maps them to variant slots.
#include "model/Task.h"
#include "settings/Settings.h"

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QPoint>
#include <QString>

#include <optional>

struct TaskAnswer {
    int chosenRow = -1;          // single choice: the row whose button is on, -1 none
    QList<bool> ticked;          // multiple choice: per row
    QList<int> chosenIndex;      // ordering, matching, true/false: chosen list index per row, -1 none
    QByteArray text;             // number or text, as typed
    std::optional<QPoint> point; // point on the picture, only when the pupil set one for this task
};

struct Evaluation {
    bool right = false;
    int matches = 0;    // rows answered as the key says (kinds 2 to 5)
    int mismatches = 0; // rows answered against the key (kinds 2 to 5)
    QByteArray answerText;
};

// `locale` is the pupil's: a typed number is read with its decimal separator.
Evaluation EvaluateAnswer(const TTask& task, const QList<qint32>& variantOrder, const TaskAnswer& answer,
                          const QLocale& locale);

// A number in the general format: up to 15 significant digits, no trailing zeros, the locale's
// decimal separator and no group separators.
QString FormatNumber(double x, const QLocale& locale);

// The accepted answers of a text task, one per line; a final line break adds no empty line.
QList<QByteArray> AnswerLines(const QByteArray& textAnswers);

struct RowFeedback {
    QString sign;                         // mark column: "+", "-" or the right rank or number
    std::optional<quint32> variantColour; // background of the variant text
    std::optional<quint32> listColour;    // background of the drop-down list
};

// What education mode shows for a wrong answer. Colours are 0x00BBGGRR, as in the settings.
struct Feedback {
    QList<RowFeedback> rows;                    // per display row, kinds 1 to 5
    QList<std::optional<quint32>> matchColours; // matching: right-hand items of the variants' rows
    std::optional<TArea> area;                  // point on picture: the right area to outline
    QString rightAnswer;                        // number and text tasks
    QString message;                            // the box's text, without the explanation question
    bool offerExplanation = false;              // ask whether to show the explanation
};

Feedback BuildFeedback(const TTask& task, const QList<qint32>& variantOrder, const TaskAnswer& answer,
                       const TSettings& settings, const QLocale& locale);

// The box text when an explanation is offered.
QString ExplanationQuestion(const QString& message);
