#pragma once
// One client of the journal: reads its requests line by line and block by block, answers them,
// and hands its reports to the commit queue. While a report waits for its commit nothing more is
// read from the client, so "QUIT" is answered (by closing) only after the report is stored.
#include "JournalStore.h"
#include "net/Wire.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class JournalServer;
class QTcpSocket;

class JournalConnection : public QObject {
    Q_OBJECT
public:
    // Longest session identifier taken; the pupil's program makes 38-character GUIDs.
    static constexpr qsizetype MaxSessionIdBytes = 64;

    JournalConnection(JournalServer& server, QTcpSocket* socket);
    ~JournalConnection() override;

    // Ends the connection at once (the server is stopping).
    void Drop();

private:
    enum class Step {
        Request,
        TestComputer,
        ListComputer,
        GetComputer,
        GetEntry,
        StartBlock,
        ProgressBlock,
        ResultSession,
        ResultBlock,
        Committing,
        Withheld, // the database refused the report: no answer, so that the client sends it again
        Closing,
    };

    void Pump();
    // Handles one complete line or block in the current step; false ends the connection.
    bool HandleLine(const QByteArray& line);
    bool HandleBlock(const QByteArray& block);
    void Submit(JournalReport report);
    void Send(const QByteArray& bytes);
    void Fail(const QString& why);
    void Finish();
    void Rearm();
    QString Peer() const;

    JournalServer& m_server;
    QTcpSocket* m_socket;
    WireReader m_reader;
    Step m_step = Step::Request;
    QByteArray m_sessionId;
    QTimer m_deadline;
    QElapsedTimer m_lastInput;   // since the last complete line or block
    QElapsedTimer m_partialFrom; // since the first byte of the line or block under way
    QElapsedTimer m_lastOutput;  // since the reply last moved
    bool m_peerGone = false;
    bool m_finished = false;
};
