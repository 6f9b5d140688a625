#include "Task.h"

#include "ByteReader.h"
#include "ByteWriter.h"

namespace {
template <typename A> int LastFilled(const A& items) {
    for (int i = int(items.size()) - 1; i >= 0; --i)
        if (!items[size_t(i)].isEmpty())
            return i + 1;
    return 0;
}

// A count of slots, from 0 to 10; anything else marks the record as damaged.
int ReadSlotCount(ByteReader& in) {
    const qint32 n = in.ReadInt32();
    if (n < 0 || n > TTask::SlotCount)
        in.Fail();
    return in.Ok() ? n : 0;
}
} // namespace

TTask::TTask(int kind)
    : Kind(kind >= SingleChoice && kind <= PointOnPicture ? quint8(kind) : quint8(NoKind)) {}

int TTask::LastVariant() const {
    return LastFilled(Variants);
}
int TTask::LastMatch() const {
    return LastFilled(Matches);
}

bool TTask::ReadTask(ByteReader& in) {
    Kind = in.ReadUInt8();
    Question = in.ReadString();
    Picture = in.ReadString();
    Weight = in.ReadInt32();
    TimeLimit = in.ReadInt32();
    Hint = in.ReadString();
    HintPenalty = in.ReadInt32();
    Explanation = in.ReadString();
    ThemeId = in.ReadInt32();
    if (HasVariants(Kind)) {
        const int v = ReadSlotCount(in);
        for (int i = 0; i < v; ++i)
            Variants[size_t(i)] = in.ReadString();
        const int k = ReadSlotCount(in);
        for (int i = 0; i < k; ++i)
            Keys[size_t(i)] = in.ReadInt32();
    }
    if (Kind == Matching) {
        const int w = ReadSlotCount(in);
        for (int i = 0; i < w; ++i)
            Matches[size_t(i)] = in.ReadString();
    }
    if (Kind == InputNum) {
        NumValue = in.ReadDouble();
        NumFrom = in.ReadDouble();
        NumTo = in.ReadDouble();
        NumIsRange = in.ReadBool();
    }
    if (Kind == InputText) {
        TextAnswers = in.ReadString();
        CaseSensitive = in.ReadBool();
    }
    if (Kind == PointOnPicture) {
        Area.Left = in.ReadInt32();
        Area.Top = in.ReadInt32();
        Area.Width = in.ReadInt32();
        Area.Height = in.ReadInt32();
    }
    in.ReadInt32();
    in.ReadUInt8();
    return in.Ok();
}

void TTask::WriteTask(ByteWriter& out) const {
    out.WriteUInt8(Kind);
    out.WriteString(Question);
    out.WriteString(Picture);
    out.WriteInt32(Weight);
    out.WriteInt32(TimeLimit);
    out.WriteString(Hint);
    out.WriteInt32(HintPenalty);
    out.WriteString(Explanation);
    out.WriteInt32(ThemeId);
    if (HasVariants(Kind)) {
        out.WriteInt32(SlotCount);
        for (const QByteArray& v : Variants)
            out.WriteString(v);
        out.WriteInt32(SlotCount);
        for (qint32 k : Keys)
            out.WriteInt32(k);
    }
    if (Kind == Matching) {
        out.WriteInt32(SlotCount);
        for (const QByteArray& m : Matches)
            out.WriteString(m);
    }
    if (Kind == InputNum) {
        out.WriteDouble(NumValue);
        out.WriteDouble(NumFrom);
        out.WriteDouble(NumTo);
        out.WriteBool(NumIsRange);
    }
    if (Kind == InputText) {
        out.WriteString(TextAnswers);
        out.WriteBool(CaseSensitive);
    }
    if (Kind == PointOnPicture) {
        out.WriteInt32(Area.Left);
        out.WriteInt32(Area.Top);
        out.WriteInt32(Area.Width);
        out.WriteInt32(Area.Height);
    }
    out.WriteInt32(0);
    out.WriteUInt8(0);
}
