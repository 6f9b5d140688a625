#pragma once
// One session of one pupil with one test. The stored fields have one stream form, used by the
// protected results file and by the messages to the teacher's server.
#include <QByteArray>
#include <QList>

class ByteReader;
class ByteWriter;

// How a session ended, as EndReason stores it (0 while it runs).
enum class TestEnd : quint8 { Running = 0, AllAnswered = 1, Stopped = 2, TimeUp = 3, ProgramClosed = 4 };

// A position of the order of asking, as Visited keeps it in a session that allows skipping.
enum VisitState : qint32 { NeverShown = -1, ShownOpen = 0, Answered = 1 };

class TResultTest {
public:
    explicit TResultTest(int taskCount = 0);

    // Stored fields, in stream order.
    QByteArray UserName;
    QByteArray UserGroup;
    QByteArray ComputerName;
    QByteArray LoginName;
    QByteArray Reserved1;
    double StartTime = 0;
    double EndTime = 0;
    qint32 ElapsedSeconds = 0;
    double RecordedTime = 0;
    QByteArray TestTitle;
    QByteArray TestFileName;
    qint32 TestCrc = 0;
    QByteArray TestUId;
    QList<qint32> TaskPoints;
    QList<qint32> TaskSeconds;
    QList<QByteArray> TaskAnswers;
    QList<qint32> TaskHintPenalty;
    quint8 EndReason = 0; // a TestEnd
    void SetEndReason(TestEnd end) { EndReason = quint8(end); }
    qint32 Mark = 0;
    QByteArray MarkName;
    qint32 MarkCount = 0;
    qint32 AskCount = 0;
    qint32 AskedCount = 0;
    qint32 RightCount = 0;
    qint32 WrongCount = 0;
    qint32 DontKnowCount = 0;
    qint32 HintCount = 0;
    qint32 MaxScore = 0;
    double Score = 0;
    QByteArray Reserved2;

    // Held in memory only.
    qint32 CheckedMax = 0;
    QList<qint32> Order;
    qint32 Position = 0;
    QList<qint32> VariantOrder;
    QList<qint32> Visited;

    void SaveToStream(ByteWriter& out) const;
    // Replaces every stored field; false when the data ends early or holds an impossible count
    // (the fields read so far are then unspecified).
    bool LoadFromStream(ByteReader& in);
    // Copies the stored fields only, through the stream form.
    void CopyFrom(const TResultTest& other);

    int TaskCount() const { return int(TaskPoints.size()); }
    qint32 GetTaskPoints(int task) const { return TaskPoints.value(task, -1); }
    void SetTaskPoints(int task, qint32 v);
    qint32 GetTaskSeconds(int task) const { return TaskSeconds.value(task, -1); }
    void SetTaskSeconds(int task, qint32 v);
    qint32 GetTaskHintPenalty(int task) const { return TaskHintPenalty.value(task, -1); }
    void SetTaskHintPenalty(int task, qint32 v);
    QByteArray GetTaskAnswer(int task) const { return TaskAnswers.value(task); }
    void SetTaskAnswer(int task, const QByteArray& v);
    void AddSecond() { ++ElapsedSeconds; }

    // "1) + 2) - 3) * " and so on, for the results log.
    QByteArray ResultMask() const;
    QByteArray TimeMask() const;
    QByteArray AnswerMask() const;
    QByteArray HintMask() const;

    // True when the stored fields of the two records are equal.
    bool SameStoredFields(const TResultTest& other) const;
};
