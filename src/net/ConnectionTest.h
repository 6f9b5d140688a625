#pragma once
// The settings dialog's check of the server: "TEST" and the computer's name, one reply line,
// "QUIT". It works with the host and port typed in the dialog, whatever the settings say.
#include "Exchange.h"
#include "NetTexts.h"

#include <optional>

enum class ConnectionTestResult {
    Ok,         // the server answered "OK"
    OtherReply, // the server answered something else: nothing is shown
    Failed,     // no connection, or no reply line
};

class ConnectionTest : public Exchange {
    Q_OBJECT
public:
    ConnectionTest(Endpoint endpoint, QByteArray computerName, ExchangeLimits limits = {},
                   QObject* parent = nullptr);

    // Meaningful once finished.
    ConnectionTestResult Result() const;
    const QByteArray& Reply() const { return m_reply; }
    // The message box for the result, none for another reply.
    std::optional<Notice> NoticeToShow() const;

protected:
    void Connected() override;
    void Received() override;

private:
    QByteArray m_computerName;
    QByteArray m_reply;
};

// The port as the dialog's edit holds it: a decimal integer, 0 when it is not one.
qint32 PortFromText(const QString& text);
