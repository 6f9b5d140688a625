#pragma once
// One step of a running session as its journal keeps it: what the engine decided (the order of the
// tasks, each presentation's variant order), what the pupil gave it (each confirmed answer, a hint
// taken, a task left for later) and what it stored in return, so that the engine can do the same
// steps again after a crash and check that it arrives at the same record.
#include "Evaluation.h"
#include "model/ResultTest.h"
#include "model/Test.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <variant>

// The session began: everything needed to find its test again, to rebuild it, and to finish it
// without the test when the test is gone.
struct JournalBegin {
    QString testPath;
    quint32 testCrc = 0;
    QByteArray testUId;
    QByteArray testTitle;
    qint32 testTimeLimit = 0;
    bool allowSendResults = true;
    QList<TMark> marks;
    QByteArray sessionId;
    TResultTest result{0}; // the new record as it stood before the first task
    QList<qint32> order;
};

// A task is put before the pupil at `position`, its variants in `variantOrder`.
struct JournalPresent {
    qint32 position = 0;
    QList<qint32> variantOrder;
    qint32 weight = 0; // for finishing without the test
};

// What CheckAnswer and the scoring left in the record for one task.
struct CheckOutcome {
    QByteArray answerText;
    qint32 taskPoints = -1;
    double score = 0;
    qint32 checkedMax = 0;
    qint32 rightCount = 0;
    qint32 wrongCount = 0;
    qint32 dontKnowCount = 0;
    qint32 hintCount = 0;
    bool operator==(const CheckOutcome&) const = default;
};
CheckOutcome OutcomeOf(const TResultTest& result, qint32 taskNumber);

// The task at `position` was evaluated; `answered` is false for "Я не знаю..." and for closing.
struct JournalCheck {
    qint32 position = 0;
    qint32 taskNumber = 0;
    bool answered = true;
    TaskAnswer answer;
    CheckOutcome outcome;
};

// The pupil left the task on screen unconfirmed for the one at `position` (skipping or the task
// list); `draft` is what he had chosen or typed on it, shown again on coming back.
struct JournalMove {
    qint32 position = 0;
    std::optional<TaskAnswer> draft;
};

// A hint was opened for the first time and charged.
struct JournalHint {
    qint32 taskNumber = 0;
    qint32 penalty = 0;
};

// Only the clocks of the record's head: the seconds go by.
struct JournalClock {};

// The session is ending for `reason`; `answer` is what the task on screen showed at that moment.
struct JournalEnd {
    TestEnd reason = TestEnd::Running;
    TaskAnswer answer;
};

// What a finished session leaves behind, in the order they are written.
enum class JournalOutput : quint8 { ResultBlock = 1, ProtectedResult = 2, ServerResult = 3 };

// The record is final (graded, with its end time); the outputs in `due` are still to be written.
struct JournalFinish {
    TResultTest result{0};
    QList<JournalOutput> due;
};

// An output is about to be written (`done` false) or has been written (`done` true).
struct JournalOutputMark {
    JournalOutput output = JournalOutput::ResultBlock;
    bool done = false;
};

using JournalStep = std::variant<JournalBegin, JournalPresent, JournalCheck, JournalMove, JournalHint,
                                 JournalClock, JournalEnd, JournalFinish, JournalOutputMark>;

struct JournalRecord {
    // The wall clock when the step was taken, and the session's clocks at that moment: the test's
    // elapsed seconds and the seconds of one task (clockTask -1 when none is concerned). The clocks
    // are set from here before the step is done again.
    qint64 wallMs = 0;
    qint32 elapsedSeconds = 0;
    qint32 clockTask = -1;
    qint32 clockTaskSeconds = -1;
    JournalStep step;

    template <typename T> const T* As() const { return std::get_if<T>(&step); }
};

// The payload of a record, and back; false when the bytes are not a record.
QByteArray EncodeJournalRecord(const JournalRecord& record);
bool DecodeJournalRecord(QByteArrayView bytes, JournalRecord& record);
