#pragma once
// One short conversation with the teacher's server over its own connection: connect, send a
// request, read what it expects, send "QUIT", close. An exchange is a state machine driven by the
// socket's signals on the event loop: nothing here waits, and every wait is bounded (NetLimits.h),
// so a server that stops answering ends the exchange with a failure instead of holding anyone.
//
// The base class owns the socket, the receive buffer and the clocks; each kind of exchange says
// what to send once connected and what to do with the lines and blocks that arrive.
#include "NetLimits.h"
#include "Wire.h"

#include "model/Status.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class QTcpSocket;
struct TSettings;

// Where the server listens. The host is a name or an IPv4 address.
struct Endpoint {
    QString host;
    qint32 port = 0;

    static Endpoint FromSettings(const TSettings& settings);
};

class Exchange : public QObject {
    Q_OBJECT
public:
    Exchange(Endpoint endpoint, ExchangeLimits limits, qint64 maxBlockBytes, QObject* parent = nullptr);
    ~Exchange() override;

    // Starts the exchange once; Finished follows later, always from the event loop.
    void Start();
    // Ends the exchange at once with Fault::Cancelled, unless it has ended already.
    void Abort();

    bool IsFinished() const { return m_finished; }
    // Success, or what went wrong; meaningful once finished.
    const Status& Outcome() const { return m_outcome; }

signals:
    void Finished();

protected:
    // The connection stands: send the request.
    virtual void Connected() = 0;
    // New bytes are in Reader().
    virtual void Received() = 0;
    // The server closed the connection before the outcome was known. The default fails.
    virtual void PeerClosed();
    // The connection broke (or could not be made) before the outcome was known. The default fails.
    virtual void ConnectionFailed(const QString& why);

    void Send(QByteArrayView bytes);
    // Sends "QUIT" unless it was sent already.
    void SendQuit();
    // The outcome is known: sends "QUIT" when the connection still stands and it was not sent yet,
    // lets the bytes go out, closes, and finishes.
    void Close(Status outcome);
    // Close with a failure.
    void Fail(Fault fault, const QString& why);
    // Opens a new connection (dropping the current one silently) with a fresh receive buffer; the
    // connect bound starts again.
    void Connect();
    // Drops the connection without a word and without finishing (the server may have gone idle).
    void DropConnection();

    // The whole-exchange clock: stopped while the pupil chooses, restarted with a new bound.
    void StopClock();
    void RestartClock(int ms);
    // How long since the exchange started.
    qint64 Elapsed() const { return m_started.elapsed(); }

    WireReader& Reader() { return m_reader; }
    bool IsConnected() const;
    bool QuitSent() const { return m_quitSent; }
    // Every byte given to Send has been handed to the system.
    bool AllWritten() const { return m_written == m_sent; }
    // Forgets what arrived and was not taken (replies that are never read).
    void DiscardReceived() { m_reader = WireReader(m_maxBlock); }
    const ExchangeLimits& Limits() const { return m_limits; }

private:
    void OnConnected();
    void OnReadyRead();
    void OnDisconnected();
    void OnError();
    void OnBytesWritten(qint64 bytes);
    void OnDeadline();
    void OnConnectTimeout();
    void Complete();
    void ReleaseSocket();

    Endpoint m_endpoint;
    ExchangeLimits m_limits;
    qint64 m_maxBlock;
    QTcpSocket* m_socket = nullptr;
    WireReader m_reader;
    QTimer m_deadline;
    QTimer m_connectTimer;
    QElapsedTimer m_started;
    Status m_outcome = Status::Failed(Fault::Network, QStringLiteral("not finished"));
    bool m_startedOnce = false;
    bool m_closing = false;
    bool m_finished = false;
    bool m_quitSent = false;
    qint64 m_sent = 0;
    qint64 m_written = 0;
};
