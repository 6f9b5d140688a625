#include "JournalRecord.h"

#include "model/ByteReader.h"
#include "model/ByteWriter.h"

namespace {

// The kind byte of each step, in the order of the variant's alternatives.
enum Kind : quint8 { Begin = 1, Present, Check, Move, Hint, Clock, End, Finish, Output, KindEnd };

void WriteInt64(ByteWriter& w, qint64 v) {
    w.WriteUInt32(quint32(quint64(v) & 0xFFFFFFFFu));
    w.WriteUInt32(quint32(quint64(v) >> 32));
}

qint64 ReadInt64(ByteReader& r) {
    const quint64 low = r.ReadUInt32();
    const quint64 high = r.ReadUInt32();
    return qint64(low | (high << 32));
}

void WriteInts(ByteWriter& w, const QList<qint32>& v) {
    w.WriteInt32(qint32(v.size()));
    for (qint32 x : v)
        w.WriteInt32(x);
}

QList<qint32> ReadInts(ByteReader& r) {
    const qint32 n = r.ReadCount(4);
    QList<qint32> v;
    v.reserve(n);
    for (qint32 i = 0; i < n && r.Ok(); ++i)
        v.append(r.ReadInt32());
    return v;
}

void WriteAnswer(ByteWriter& w, const TaskAnswer& a) {
    w.WriteInt32(a.chosenRow);
    w.WriteInt32(qint32(a.ticked.size()));
    for (bool t : a.ticked)
        w.WriteBool(t);
    WriteInts(w, QList<qint32>(a.chosenIndex.begin(), a.chosenIndex.end()));
    w.WriteString(a.text);
    w.WriteBool(a.point.has_value());
    w.WriteInt32(a.point ? a.point->x() : 0);
    w.WriteInt32(a.point ? a.point->y() : 0);
}

TaskAnswer ReadAnswer(ByteReader& r) {
    TaskAnswer a;
    a.chosenRow = r.ReadInt32();
    const qint32 ticked = r.ReadCount(1);
    for (qint32 i = 0; i < ticked && r.Ok(); ++i)
        a.ticked.append(r.ReadBool());
    for (qint32 x : ReadInts(r))
        a.chosenIndex.append(x);
    a.text = r.ReadString();
    const bool hasPoint = r.ReadBool();
    const qint32 x = r.ReadInt32();
    const qint32 y = r.ReadInt32();
    if (hasPoint)
        a.point = QPoint(x, y);
    return a;
}

void WriteOutputs(ByteWriter& w, const QList<JournalOutput>& outputs) {
    w.WriteInt32(qint32(outputs.size()));
    for (JournalOutput o : outputs)
        w.WriteUInt8(quint8(o));
}

bool IsOutput(quint8 v) {
    return v >= quint8(JournalOutput::ResultBlock) && v <= quint8(JournalOutput::ServerResult);
}

struct Encoder {
    ByteWriter& w;
    void operator()(const JournalBegin& b) const {
        w.WriteString(b.testPath.toUtf8());
        w.WriteUInt32(b.testCrc);
        w.WriteString(b.testUId);
        w.WriteString(b.testTitle);
        w.WriteInt32(b.testTimeLimit);
        w.WriteBool(b.allowSendResults);
        w.WriteInt32(qint32(b.marks.size()));
        for (const TMark& m : b.marks) {
            w.WriteInt32(m.Number);
            w.WriteInt32(m.Percent);
            w.WriteString(m.Name);
        }
        w.WriteString(b.sessionId);
        b.result.SaveToStream(w);
        WriteInts(w, b.order);
    }
    void operator()(const JournalPresent& p) const {
        w.WriteInt32(p.position);
        WriteInts(w, p.variantOrder);
        w.WriteInt32(p.weight);
    }
    void operator()(const JournalCheck& c) const {
        w.WriteInt32(c.position);
        w.WriteInt32(c.taskNumber);
        w.WriteBool(c.answered);
        WriteAnswer(w, c.answer);
        const CheckOutcome& o = c.outcome;
        w.WriteString(o.answerText);
        w.WriteInt32(o.taskPoints);
        w.WriteDouble(o.score);
        for (qint32 v : {o.checkedMax, o.rightCount, o.wrongCount, o.dontKnowCount, o.hintCount})
            w.WriteInt32(v);
    }
    void operator()(const JournalMove& m) const {
        w.WriteInt32(m.position);
        w.WriteBool(m.draft.has_value());
        WriteAnswer(w, m.draft.value_or(TaskAnswer{}));
    }
    void operator()(const JournalHint& h) const {
        w.WriteInt32(h.taskNumber);
        w.WriteInt32(h.penalty);
    }
    void operator()(const JournalClock&) const {}
    void operator()(const JournalEnd& e) const {
        w.WriteUInt8(quint8(e.reason));
        WriteAnswer(w, e.answer);
    }
    void operator()(const JournalFinish& f) const {
        f.result.SaveToStream(w);
        WriteOutputs(w, f.due);
    }
    void operator()(const JournalOutputMark& o) const {
        w.WriteUInt8(quint8(o.output));
        w.WriteBool(o.done);
    }
};

bool DecodeStep(Kind kind, ByteReader& r, JournalRecord& record) {
    switch (kind) {
    case Begin: {
        JournalBegin b;
        b.testPath = QString::fromUtf8(r.ReadString());
        b.testCrc = r.ReadUInt32();
        b.testUId = r.ReadString();
        b.testTitle = r.ReadString();
        b.testTimeLimit = r.ReadInt32();
        b.allowSendResults = r.ReadBool();
        const qint32 marks = r.ReadCount(12);
        for (qint32 i = 0; i < marks && r.Ok(); ++i) {
            TMark m;
            m.Number = r.ReadInt32();
            m.Percent = r.ReadInt32();
            m.Name = r.ReadString();
            b.marks.append(m);
        }
        b.sessionId = r.ReadString();
        if (!b.result.LoadFromStream(r))
            return false;
        b.order = ReadInts(r);
        record.step = std::move(b);
        return true;
    }
    case Present: {
        JournalPresent p;
        p.position = r.ReadInt32();
        p.variantOrder = ReadInts(r);
        p.weight = r.ReadInt32();
        record.step = std::move(p);
        return true;
    }
    case Check: {
        JournalCheck c;
        c.position = r.ReadInt32();
        c.taskNumber = r.ReadInt32();
        c.answered = r.ReadBool();
        c.answer = ReadAnswer(r);
        CheckOutcome& o = c.outcome;
        o.answerText = r.ReadString();
        o.taskPoints = r.ReadInt32();
        o.score = r.ReadDouble();
        for (qint32* v : {&o.checkedMax, &o.rightCount, &o.wrongCount, &o.dontKnowCount, &o.hintCount})
            *v = r.ReadInt32();
        record.step = std::move(c);
        return true;
    }
    case Move: {
        JournalMove m;
        m.position = r.ReadInt32();
        const bool hasDraft = r.ReadBool();
        const TaskAnswer draft = ReadAnswer(r);
        if (hasDraft)
            m.draft = draft;
        record.step = std::move(m);
        return true;
    }
    case Hint:
        record.step = JournalHint{r.ReadInt32(), r.ReadInt32()};
        return true;
    case Clock:
        record.step = JournalClock{};
        return true;
    case End: {
        JournalEnd e;
        const quint8 reason = r.ReadUInt8();
        if (reason < quint8(TestEnd::AllAnswered) || reason > quint8(TestEnd::ProgramClosed))
            return false;
        e.reason = TestEnd(reason);
        e.answer = ReadAnswer(r);
        record.step = std::move(e);
        return true;
    }
    case Finish: {
        JournalFinish f;
        if (!f.result.LoadFromStream(r))
            return false;
        const qint32 n = r.ReadCount(1);
        for (qint32 i = 0; i < n && r.Ok(); ++i) {
            const quint8 o = r.ReadUInt8();
            if (!IsOutput(o))
                return false;
            f.due.append(JournalOutput(o));
        }
        record.step = std::move(f);
        return true;
    }
    case Output: {
        const quint8 o = r.ReadUInt8();
        if (!IsOutput(o))
            return false;
        record.step = JournalOutputMark{JournalOutput(o), r.ReadBool()};
        return true;
    }
    default:
        return false;
    }
}

} // namespace

CheckOutcome OutcomeOf(const TResultTest& result, qint32 taskNumber) {
    return {result.GetTaskAnswer(taskNumber),
            result.GetTaskPoints(taskNumber),
            result.Score,
            result.CheckedMax,
            result.RightCount,
            result.WrongCount,
            result.DontKnowCount,
            result.HintCount};
}

QByteArray EncodeJournalRecord(const JournalRecord& record) {
    QByteArray out;
    ByteWriter w(out);
    w.WriteUInt8(quint8(Begin + record.step.index()));
    WriteInt64(w, record.wallMs);
    w.WriteInt32(record.elapsedSeconds);
    w.WriteInt32(record.clockTask);
    w.WriteInt32(record.clockTaskSeconds);
    std::visit(Encoder{w}, record.step);
    return out;
}

bool DecodeJournalRecord(QByteArrayView bytes, JournalRecord& record) {
    ByteReader r(bytes);
    const quint8 kind = r.ReadUInt8();
    if (kind < Begin || kind >= KindEnd)
        return false;
    record.wallMs = ReadInt64(r);
    record.elapsedSeconds = r.ReadInt32();
    record.clockTask = r.ReadInt32();
    record.clockTaskSeconds = r.ReadInt32();
    if (!r.Ok() || !DecodeStep(Kind(kind), r, record))
        return false;
    // A record is read to its last byte: anything left over means it is not what it claims.
    return r.Ok() && r.KnownRemaining() == 0;
}
