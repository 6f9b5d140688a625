#pragma once
// A teacher's server in the test's own event loop, on 127.0.0.1 and a free port. It reads requests
// the way the protocol lays them out, records every request and every raw byte per connection, and
// answers from a script; it can also stop listening, keep silent, or hang on one kind of request.
#include "net/Wire.h"

#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

struct FakeRequest {
    int connection = 0;
    QByteArray command;
    QList<QByteArray> lines; // what follows the command as lines
    QByteArray block;        // the block of a report
};

class FakeJournal : public QObject {
public:
    FakeJournal() {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                Accept(socket);
        });
        Listen(0);
    }

    quint16 Port() const { return m_port; }
    // Stops listening: connections are refused until Restart.
    void Stop() { m_server.close(); }
    bool Restart() { return Listen(m_port); }

    // Raw replies, sent after the request's lines have arrived.
    QByteArray testReply = "OK\r\n";
    QByteArray listReply = "NO\r\n";
    QByteArray getTestReply = "NO\r\n";
    // Accept connections and read, but never answer nor close.
    bool silent = false;
    // Go silent on the first request with this command (and stay silent on that connection).
    QByteArray hangOnce;
    // Close the connection as soon as the list has been sent (a server that drops idle clients).
    bool closeAfterList = false;
    // Answer "QUIT" with a line and leave the connection open, instead of closing it.
    bool stayOpenAfterQuit = false;

    QList<FakeRequest> requests;
    QList<QByteArray> raw; // per connection
    int Connections() const { return int(raw.size()); }

    QList<QByteArray> Commands() const {
        QList<QByteArray> out;
        for (const FakeRequest& r : requests)
            out.append(r.command);
        return out;
    }
    QList<FakeRequest> Requests(const QByteArray& command) const {
        QList<FakeRequest> out;
        for (const FakeRequest& r : requests)
            if (r.command == command)
                out.append(r);
        return out;
    }

private:
    struct Peer {
        int index = 0;
        QPointer<QTcpSocket> socket;
        WireReader reader{WireReader(qint64(64) << 20)};
        FakeRequest pending;
        int linesNeeded = -1; // -1: waiting for a command
        bool blockNeeded = false;
        bool hung = false;
    };

    bool Listen(quint16 port) {
        if (!m_server.listen(QHostAddress::LocalHost, port))
            return false;
        m_port = m_server.serverPort();
        return true;
    }

    void Accept(QTcpSocket* socket) {
        socket->setParent(this);
        auto peer = std::make_shared<Peer>();
        peer->index = int(raw.size());
        peer->socket = socket;
        raw.append(QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, peer] { Read(*peer); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    void Read(Peer& peer) {
        const QByteArray bytes = peer.socket->readAll();
        raw[peer.index] += bytes;
        if (silent || peer.hung)
            return;
        peer.reader.Append(bytes);
        while (peer.socket && !peer.hung && Step(peer)) {
        }
    }

    // Takes one piece of the request in progress; false when more bytes are needed.
    bool Step(Peer& peer) {
        QByteArray line;
        if (peer.linesNeeded < 0) {
            if (peer.reader.TakeLine(line) != WireReader::Take::Ready)
                return false;
            peer.pending = {peer.index, line, {}, {}};
            if (!hangOnce.isEmpty() && line == hangOnce) {
                hangOnce.clear();
                peer.hung = true;
                requests.append(peer.pending);
                return false;
            }
            peer.linesNeeded = line == "TEST" || line == "GETLIST" || line == "RESULT" ? 1
                               : line == "GETTEST"                                     ? 2
                                                                                       : 0;
            peer.blockNeeded = line == "INFOBEGIN" || line == "INFOPROCESS" || line == "RESULT";
        } else if (peer.linesNeeded > 0) {
            if (peer.reader.TakeLine(line) != WireReader::Take::Ready)
                return false;
            peer.pending.lines.append(line);
            --peer.linesNeeded;
        } else if (peer.blockNeeded) {
            if (peer.reader.TakeBlock(peer.pending.block) != WireReader::Take::Ready)
                return false;
            peer.blockNeeded = false;
        }
        if (peer.linesNeeded > 0 || peer.blockNeeded)
            return true;
        Answer(peer);
        return true;
    }

    void Answer(Peer& peer) {
        const FakeRequest request = peer.pending;
        peer.linesNeeded = -1;
        requests.append(request);
        QTcpSocket* socket = peer.socket;
        if (request.command == "TEST") {
            socket->write(testReply);
        } else if (request.command == "GETLIST") {
            socket->write(listReply);
            if (closeAfterList)
                socket->disconnectFromHost();
        } else if (request.command == "GETTEST") {
            socket->write(getTestReply);
        } else if (request.command == "QUIT") {
            if (stayOpenAfterQuit)
                socket->write("BYE\r\n");
            else
                socket->disconnectFromHost();
        }
    }

    QTcpServer m_server;
    quint16 m_port = 0;
};
