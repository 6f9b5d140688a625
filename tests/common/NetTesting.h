#pragma once
// What the network tests share: bounds for the exchanges and a bounded wait for their end.
#include "net/Exchange.h"

#include <QSignalSpy>

// Generous bounds for exchanges with an answering server, so a loaded machine does not fail them.
inline ExchangeLimits AnsweringLimits() {
    return {5000, 10000, 10000, 20000, 1000};
}
// Short bounds for a server that never answers: the exchange must give up by itself.
inline ExchangeLimits SilentLimits() {
    return {5000, 300, 300, 1000, 200};
}

// Starts the exchange and waits (bounded) until it has finished.
inline bool RunToEnd(Exchange& exchange) {
    QSignalSpy finished(&exchange, &Exchange::Finished);
    exchange.Start();
    return finished.wait(30000);
}

inline Endpoint Local(quint16 port) {
    return {QStringLiteral("127.0.0.1"), port};
}
