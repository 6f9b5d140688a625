#include "ConnectionTest.h"

ConnectionTest::ConnectionTest(Endpoint endpoint, QByteArray computerName, ExchangeLimits limits,
                               QObject* parent)
    : Exchange(std::move(endpoint), limits, 0, parent), m_computerName(std::move(computerName)) {}

void ConnectionTest::Connected() {
    Send(Wire::Line("TEST") + Wire::Line(m_computerName));
}

void ConnectionTest::Received() {
    QByteArray line;
    switch (Reader().TakeLine(line)) {
    case WireReader::Take::NeedMore:
        return;
    case WireReader::Take::Error:
        Fail(Fault::Corrupt, Reader().ErrorText());
        return;
    case WireReader::Take::Ready:
        m_reply = line;
        Close({});
        return;
    }
}

ConnectionTestResult ConnectionTest::Result() const {
    if (!IsFinished() || !Outcome().Ok())
        return ConnectionTestResult::Failed;
    return m_reply == "OK" ? ConnectionTestResult::Ok : ConnectionTestResult::OtherReply;
}

std::optional<Notice> ConnectionTest::NoticeToShow() const {
    switch (Result()) {
    case ConnectionTestResult::Ok:
        return NetNotice::ConnectionOk();
    case ConnectionTestResult::OtherReply:
        return std::nullopt;
    case ConnectionTestResult::Failed:
        break;
    }
    return NetNotice::NoConnection();
}

qint32 PortFromText(const QString& text) {
    bool ok = false;
    const qint32 port = text.toInt(&ok, 10);
    return ok ? port : 0;
}
