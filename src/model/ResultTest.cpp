#include "ResultTest.h"

#include "ByteReader.h"
#include "ByteWriter.h"

#include <algorithm>

namespace {
template <typename T, typename F> QByteArray Mask(const QList<T>& items, F symbol) {
    QByteArray out;
    for (qsizetype i = 0; i < items.size(); ++i) {
        out += QByteArray::number(i + 1);
        out += ") ";
        out += symbol(items[i]);
        out += ' ';
    }
    return out;
}

QByteArray NumberOrStar(qint32 v) {
    return v < 0 ? QByteArray("*") : QByteArray::number(v);
}

void WriteInts(ByteWriter& out, const QList<qint32>& a) {
    out.WriteInt32(qint32(a.size()));
    for (qint32 v : a)
        out.WriteInt32(v);
}

bool ReadInts(ByteReader& in, QList<qint32>& a) {
    const qint32 n = in.ReadCount(4);
    QList<qint32> v;
    v.reserve(in.KnownRemaining() >= 0 ? n : std::min<qint32>(n, 4096));
    for (qint32 i = 0; i < n && in.Ok(); ++i)
        v.append(in.ReadInt32());
    a = std::move(v);
    return in.Ok();
}

template <typename T> void Put(QList<T>& a, int i, const T& v) {
    if (i >= 0 && i < a.size())
        a[i] = v;
}
} // namespace

TResultTest::TResultTest(int taskCount) {
    const qsizetype n = std::max(taskCount, 0);
    TaskPoints = QList<qint32>(n, -1);
    TaskSeconds = QList<qint32>(n, -1);
    TaskAnswers = QList<QByteArray>(n);
    TaskHintPenalty = QList<qint32>(n, -1);
}

void TResultTest::SetTaskPoints(int task, qint32 v) {
    Put(TaskPoints, task, v);
}
void TResultTest::SetTaskSeconds(int task, qint32 v) {
    Put(TaskSeconds, task, v);
}
void TResultTest::SetTaskHintPenalty(int task, qint32 v) {
    Put(TaskHintPenalty, task, v);
}
void TResultTest::SetTaskAnswer(int task, const QByteArray& v) {
    Put(TaskAnswers, task, v);
}

void TResultTest::SaveToStream(ByteWriter& out) const {
    out.WriteString(UserName);
    out.WriteString(UserGroup);
    out.WriteString(ComputerName);
    out.WriteString(LoginName);
    out.WriteString(Reserved1);
    out.WriteDouble(StartTime);
    out.WriteDouble(EndTime);
    out.WriteInt32(ElapsedSeconds);
    out.WriteDouble(RecordedTime);
    out.WriteString(TestTitle);
    out.WriteString(TestFileName);
    out.WriteInt32(TestCrc);
    out.WriteString(TestUId);
    WriteInts(out, TaskPoints);
    WriteInts(out, TaskSeconds);
    out.WriteInt32(qint32(TaskAnswers.size()));
    for (const QByteArray& a : TaskAnswers)
        out.WriteString(a);
    WriteInts(out, TaskHintPenalty);
    out.WriteUInt8(EndReason);
    out.WriteInt32(Mark);
    out.WriteString(MarkName);
    out.WriteInt32(MarkCount);
    out.WriteInt32(AskCount);
    out.WriteInt32(AskedCount);
    out.WriteInt32(RightCount);
    out.WriteInt32(WrongCount);
    out.WriteInt32(DontKnowCount);
    out.WriteInt32(HintCount);
    out.WriteInt32(MaxScore);
    out.WriteDouble(Score);
    out.WriteString(Reserved2);
}

bool TResultTest::LoadFromStream(ByteReader& in) {
    UserName = in.ReadString();
    UserGroup = in.ReadString();
    ComputerName = in.ReadString();
    LoginName = in.ReadString();
    Reserved1 = in.ReadString();
    StartTime = in.ReadDouble();
    EndTime = in.ReadDouble();
    ElapsedSeconds = in.ReadInt32();
    RecordedTime = in.ReadDouble();
    TestTitle = in.ReadString();
    TestFileName = in.ReadString();
    TestCrc = in.ReadInt32();
    TestUId = in.ReadString();
    ReadInts(in, TaskPoints);
    ReadInts(in, TaskSeconds);
    const qint32 answers = in.ReadCount(4);
    QList<QByteArray> texts;
    texts.reserve(in.KnownRemaining() >= 0 ? answers : std::min<qint32>(answers, 4096));
    for (qint32 i = 0; i < answers && in.Ok(); ++i)
        texts.append(in.ReadString());
    TaskAnswers = std::move(texts);
    ReadInts(in, TaskHintPenalty);
    EndReason = in.ReadUInt8();
    Mark = in.ReadInt32();
    MarkName = in.ReadString();
    MarkCount = in.ReadInt32();
    AskCount = in.ReadInt32();
    AskedCount = in.ReadInt32();
    RightCount = in.ReadInt32();
    WrongCount = in.ReadInt32();
    DontKnowCount = in.ReadInt32();
    HintCount = in.ReadInt32();
    MaxScore = in.ReadInt32();
    Score = in.ReadDouble();
    Reserved2 = in.ReadString();
    return in.Ok();
}

void TResultTest::CopyFrom(const TResultTest& other) {
    QByteArray bytes;
    ByteWriter w(bytes);
    other.SaveToStream(w);
    ByteReader r(bytes);
    LoadFromStream(r);
}

bool TResultTest::SameStoredFields(const TResultTest& other) const {
    QByteArray a, b;
    ByteWriter wa(a), wb(b);
    SaveToStream(wa);
    other.SaveToStream(wb);
    return a == b;
}

QByteArray TResultTest::ResultMask() const {
    // A right answer stores the task's weight, which may exceed 100; anything below -1 is not a
    // state the session produces and is shown like an unchecked task.
    return Mask(TaskPoints, [](qint32 v) { return QByteArray(v < 0 ? "*" : v == 0 ? "-" : "+"); });
}
QByteArray TResultTest::TimeMask() const {
    return Mask(TaskSeconds, NumberOrStar);
}
QByteArray TResultTest::AnswerMask() const {
    return Mask(TaskAnswers, [](const QByteArray& a) { return a; });
}
QByteArray TResultTest::HintMask() const {
    return Mask(TaskHintPenalty, NumberOrStar);
}
