#pragma once
// The three records the pupil's program reports to the teacher's server, as the blocks of
// INFOBEGIN, INFOPROCESS and RESULT. The result record is the result stream form itself, byte for
// byte the record of the protected results file.
//
// The decoders are used by the journal server on what arrives from the network: they read through
// the bounded ByteReader, so no announced length makes them allocate more than the block holds,
// and they refuse a block that ends early, holds an impossible count or has bytes left over.
#include "model/ResultTest.h"
#include "model/Status.h"

#include <QByteArray>
#include <QByteArrayView>

struct SessionStartRecord {
    QByteArray SessionId;
    QByteArray UserName;
    QByteArray UserGroup;
    QByteArray ComputerName;
    QByteArray LoginName;
    QByteArray TestTitle;
    QByteArray TestFileName;
    qint32 TestCrc = 0; // the 32 bits of the CRC-32
    QByteArray TestUId;
    qint32 AskCount = 0; // tasks the session will ask
    qint32 MaxScore = 0;

    bool operator==(const SessionStartRecord&) const = default;
};

struct ProgressRecord {
    QByteArray SessionId;
    qint32 AskedCount = 0;
    qint32 RightCount = 0;
    qint32 WrongCount = 0;
    qint32 DontKnowCount = 0;
    double Score = 0;
    qint32 CheckedMax = 0; // points possible over the tasks checked so far

    bool operator==(const ProgressRecord&) const = default;
};

SessionStartRecord StartRecordOf(const TResultTest& result, const QByteArray& sessionId);
ProgressRecord ProgressRecordOf(const TResultTest& result, const QByteArray& sessionId);

QByteArray EncodeStartRecord(const SessionStartRecord& record);
Status DecodeStartRecord(QByteArrayView bytes, SessionStartRecord& record);

QByteArray EncodeProgressRecord(const ProgressRecord& record);
Status DecodeProgressRecord(QByteArrayView bytes, ProgressRecord& record);

// The result stream form (TResultTest::SaveToStream).
QByteArray EncodeResultRecord(const TResultTest& result);
// Replaces the stored fields of `result`; the fields held in memory only are left alone.
Status DecodeResultRecord(QByteArrayView bytes, TResultTest& result);
