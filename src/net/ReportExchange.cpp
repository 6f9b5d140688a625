#include "ReportExchange.h"

ReportExchange::ReportExchange(Endpoint endpoint, ExchangeLimits limits, QByteArray message, QObject* parent)
    : Exchange(std::move(endpoint), limits, 0, parent), m_message(std::move(message)) {}

QByteArray ReportExchange::SessionStartMessage(const SessionStartRecord& record) {
    return Wire::Line("INFOBEGIN") + Wire::Block(EncodeStartRecord(record));
}

QByteArray ReportExchange::ProgressMessage(const ProgressRecord& record) {
    return Wire::Line("INFOPROCESS") + Wire::Block(EncodeProgressRecord(record));
}

QByteArray ReportExchange::ResultMessage(const QByteArray& sessionId, QByteArrayView resultRecord) {
    return Wire::Line("RESULT") + Wire::Line(sessionId) + Wire::Block(resultRecord);
}

void ReportExchange::Connected() {
    Send(m_message);
    SendQuit();
}

void ReportExchange::Received() {
    // What the server says is not read; that it says anything once the whole report is out shows
    // that it has the report, just as closing the connection does.
    DiscardReceived();
    if (QuitSent() && AllWritten())
        Close({});
}

void ReportExchange::PeerClosed() {
    if (QuitSent() && AllWritten())
        Close({});
    else
        Fail(Fault::Network, QStringLiteral("the server closed the connection before the report was sent"));
}
