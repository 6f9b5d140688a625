#include "Records.h"

#include "model/ByteReader.h"
#include "model/ByteWriter.h"

namespace {
// A record is taken only when it was read completely and nothing follows it.
Status Finished(ByteReader& in, const char* what) {
    if (!in.Ok())
        return Status::Failed(
            Fault::Corrupt, QStringLiteral("the %1 record is damaged or cut short").arg(QLatin1String(what)));
    if (in.KnownRemaining() != 0)
        return Status::Failed(Fault::Corrupt, QStringLiteral("%1 bytes follow the %2 record")
                                                  .arg(in.KnownRemaining())
                                                  .arg(QLatin1String(what)));
    return {};
}
} // namespace

SessionStartRecord StartRecordOf(const TResultTest& result, const QByteArray& sessionId) {
    SessionStartRecord r;
    r.SessionId = sessionId;
    r.UserName = result.UserName;
    r.UserGroup = result.UserGroup;
    r.ComputerName = result.ComputerName;
    r.LoginName = result.LoginName;
    r.TestTitle = result.TestTitle;
    r.TestFileName = result.TestFileName;
    r.TestCrc = result.TestCrc;
    r.TestUId = result.TestUId;
    r.AskCount = result.AskCount;
    r.MaxScore = result.MaxScore;
    return r;
}

ProgressRecord ProgressRecordOf(const TResultTest& result, const QByteArray& sessionId) {
    ProgressRecord r;
    r.SessionId = sessionId;
    r.AskedCount = result.AskedCount;
    r.RightCount = result.RightCount;
    r.WrongCount = result.WrongCount;
    r.DontKnowCount = result.DontKnowCount;
    r.Score = result.Score;
    r.CheckedMax = result.CheckedMax;
    return r;
}

QByteArray EncodeStartRecord(const SessionStartRecord& record) {
    QByteArray out;
    ByteWriter w(out);
    w.WriteString(record.SessionId);
    w.WriteString(record.UserName);
    w.WriteString(record.UserGroup);
    w.WriteString(record.ComputerName);
    w.WriteString(record.LoginName);
    w.WriteString(record.TestTitle);
    w.WriteString(record.TestFileName);
    w.WriteInt32(record.TestCrc);
    w.WriteString(record.TestUId);
    w.WriteInt32(record.AskCount);
    w.WriteInt32(record.MaxScore);
    return out;
}

Status DecodeStartRecord(QByteArrayView bytes, SessionStartRecord& record) {
    ByteReader in(bytes);
    SessionStartRecord r;
    r.SessionId = in.ReadString();
    r.UserName = in.ReadString();
    r.UserGroup = in.ReadString();
    r.ComputerName = in.ReadString();
    r.LoginName = in.ReadString();
    r.TestTitle = in.ReadString();
    r.TestFileName = in.ReadString();
    r.TestCrc = in.ReadInt32();
    r.TestUId = in.ReadString();
    r.AskCount = in.ReadInt32();
    r.MaxScore = in.ReadInt32();
    if (Status s = Finished(in, "session start"); !s.Ok())
        return s;
    record = std::move(r);
    return {};
}

QByteArray EncodeProgressRecord(const ProgressRecord& record) {
    QByteArray out;
    ByteWriter w(out);
    w.WriteString(record.SessionId);
    w.WriteInt32(record.AskedCount);
    w.WriteInt32(record.RightCount);
    w.WriteInt32(record.WrongCount);
    w.WriteInt32(record.DontKnowCount);
    w.WriteDouble(record.Score);
    w.WriteInt32(record.CheckedMax);
    return out;
}

Status DecodeProgressRecord(QByteArrayView bytes, ProgressRecord& record) {
    ByteReader in(bytes);
    ProgressRecord r;
    r.SessionId = in.ReadString();
    r.AskedCount = in.ReadInt32();
    r.RightCount = in.ReadInt32();
    r.WrongCount = in.ReadInt32();
    r.DontKnowCount = in.ReadInt32();
    r.Score = in.ReadDouble();
    r.CheckedMax = in.ReadInt32();
    if (Status s = Finished(in, "progress"); !s.Ok())
        return s;
    record = std::move(r);
    return {};
}

QByteArray EncodeResultRecord(const TResultTest& result) {
    QByteArray out;
    ByteWriter w(out);
    result.SaveToStream(w);
    return out;
}

Status DecodeResultRecord(QByteArrayView bytes, TResultTest& result) {
    ByteReader in(bytes);
    TResultTest r(0);
    r.LoadFromStream(in);
    if (Status s = Finished(in, "result"); !s.Ok())
        return s;
    // Only the stored fields come from the block; the caller's in-memory fields stay.
    result.CopyFrom(r);
    return {};
}
