#pragma once
// A report to the teacher's server: the start of a session (INFOBEGIN), its progress after an
// answer (INFOPROCESS) or its result (RESULT). The client sends the request, its block and "QUIT"
// and reads no reply. The report counts as delivered once every byte has gone out and the server
// has then closed the connection (as it does after "QUIT") or sent anything at all; a server that
// takes the connection and then neither answers nor closes it fails the report within the
// exchange's bound.
#include "Exchange.h"
#include "Records.h"

class ReportExchange : public Exchange {
    Q_OBJECT
public:
    // `message` is everything before "QUIT" (see the builders below).
    ReportExchange(Endpoint endpoint, ExchangeLimits limits, QByteArray message, QObject* parent = nullptr);

    // "INFOBEGIN", the start record as a block.
    static QByteArray SessionStartMessage(const SessionStartRecord& record);
    // "INFOPROCESS", the progress record as a block.
    static QByteArray ProgressMessage(const ProgressRecord& record);
    // "RESULT", the session id as a line, the result record as a block.
    static QByteArray ResultMessage(const QByteArray& sessionId, QByteArrayView resultRecord);

protected:
    void Connected() override;
    void Received() override;
    void PeerClosed() override;

private:
    QByteArray m_message;
};
