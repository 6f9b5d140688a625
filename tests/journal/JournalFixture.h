#pragma once
// What the journal's tests share: a raw protocol client that sends exactly the bytes of the pupil's
// program and collects everything the server answers until it closes, and records to send.
#include "model/ResultTest.h"
#include "net/Records.h"
#include "net/Wire.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

// One connection: sends `bytes` (optionally in pieces), then waits, with the event loop running so
// that an in-process server can answer, until the server closes or `timeoutMs` pass.
struct Talked {
    QByteArray received;
    bool closedByServer = false;
};

inline Talked Talk(quint16 port, const QByteArray& bytes, int timeoutMs = 10000) {
    Talked result;
    QTcpSocket socket;
    QEventLoop loop;
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] { result.received += socket.readAll(); });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, [&] {
        result.received += socket.readAll();
        result.closedByServer = true;
        loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, [&](QAbstractSocket::SocketError e) {
        if (e != QAbstractSocket::RemoteHostClosedError)
            loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::connected, &loop, [&] { socket.write(bytes); });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    socket.connectToHost(QHostAddress::LocalHost, port);
    loop.exec();
    if (socket.state() == QAbstractSocket::UnconnectedState)
        result.closedByServer = true;
    return result;
}

// Runs the event loop until `done` holds or the time is up.
template <typename F> bool WaitFor(F done, int timeoutMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

// The pupil program's three reports, request line, data, "QUIT".
inline QByteArray StartBytes(const SessionStartRecord& r) {
    return Wire::Line("INFOBEGIN") + Wire::Block(EncodeStartRecord(r)) + Wire::Line("QUIT");
}
inline QByteArray ProgressBytes(const ProgressRecord& r) {
    return Wire::Line("INFOPROCESS") + Wire::Block(EncodeProgressRecord(r)) + Wire::Line("QUIT");
}
inline QByteArray ResultBytes(const QByteArray& sessionId, const TResultTest& r) {
    return Wire::Line("RESULT") + Wire::Line(sessionId) + Wire::Block(EncodeResultRecord(r)) +
           Wire::Line("QUIT");
}

inline QByteArray SessionIdOf(int n) {
    return "{" + QByteArray::number(0x10000000 + n, 16).toUpper() + "-1111-2222-3333-444455556666}";
}

// A finished session of `tasks` tasks, the first `right` of them answered right (one point each).
inline TResultTest FinishedResult(const QByteArray& name, const QByteArray& group, int tasks, int right) {
    TResultTest r(tasks);
    r.UserName = name;
    r.UserGroup = group;
    r.ComputerName = "PC-" + name.left(4);
    r.LoginName = "pupil";
    r.StartTime = 46364.4;
    r.EndTime = r.RecordedTime = 46364.41;
    r.ElapsedSeconds = 864;
    r.TestTitle = "Fractions";
    r.TestFileName = "fractions.qzf";
    r.TestCrc = qint32(0xCAFEBABE);
    r.TestUId = "{TEST-UID}";
    for (int t = 0; t < tasks; ++t) {
        r.TaskPoints[t] = t < right ? 1 : 0;
        r.TaskSeconds[t] = 20 + t;
        r.TaskAnswers[t] = QByteArray::number(t);
    }
    r.EndReason = 1;
    r.Mark = right * 12 / qMax(1, tasks);
    r.MarkName = QByteArray::number(r.Mark);
    r.MarkCount = 12;
    r.AskCount = r.AskedCount = tasks;
    r.RightCount = right;
    r.WrongCount = tasks - right;
    r.MaxScore = tasks;
    r.Score = right;
    return r;
}
