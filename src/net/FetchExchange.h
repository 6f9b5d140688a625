#pragma once
// Fetching a test from the teacher's server: the list of tests it offers ("GETLIST"), the pupil's
// choice, and the chosen test file ("GETTEST"), then "QUIT".
//
// The pupil may take as long as he likes to choose, so the exchange's clock stops meanwhile; the
// list's connection is kept for "GETTEST" when it still stands. A server that drops idle clients
// may close it in the meantime, or just as "GETTEST" goes out: then "GETTEST" is sent once more on
// a new connection, which is safe because asking for a test changes nothing on the server.
#include "Exchange.h"
#include "NetTexts.h"

#include <QList>

#include <functional>
#include <optional>

// Asks the pupil to choose one of the entries (two or more, as the server sent them) and calls
// `choose` once with the chosen index, or -1 for none. It may call back at once or much later;
// the exchange is called again only from the event loop.
using TestChooser = std::function<void(const QList<QByteArray>& entries, std::function<void(int)> choose)>;

enum class FetchEnd {
    Loaded,    // a test came: its name and bytes
    NotChosen, // the pupil chose none: nothing is shown
    Refused,   // the server said no (or offered no test)
    Failed,    // the connection or the protocol failed
};

struct FetchOutcome {
    FetchEnd end = FetchEnd::Failed;
    QByteArray testName; // the name line: the loaded test's file name
    QByteArray testFile; // the test file's bytes, as stored on disk
    Status status;       // what went wrong, for diagnostics

    // The message box for the outcome, none when a test came or none was chosen.
    std::optional<Notice> NoticeToShow() const;
};

class FetchExchange : public Exchange {
    Q_OBJECT
public:
    FetchExchange(Endpoint endpoint, QByteArray computerName, TestChooser chooser, ExchangeLimits limits = {},
                  QObject* parent = nullptr);

    // Meaningful once finished.
    FetchOutcome Result() const;
    // The entries the server offered.
    const QList<QByteArray>& Entries() const { return m_entries; }

protected:
    void Connected() override;
    void Received() override;
    void PeerClosed() override;
    void ConnectionFailed(const QString& why) override;

private:
    enum class Step { ListReply, Count, Entries, Choosing, TestReply, TestName, TestFile, Done };

    bool TakeLine(QByteArray& line);
    void EntriesComplete();
    void Chosen(int index);
    void SendGetTest();
    // True when "GETTEST" went out on the list's connection and may be sent again on a new one.
    bool RetryOnNewConnection();

    QByteArray m_computerName;
    TestChooser m_chooser;
    Step m_step = Step::ListReply;
    qint64 m_count = 0;
    QList<QByteArray> m_entries;
    int m_chosen = -1;
    bool m_onListConnection = false; // GETTEST went out on the connection GETLIST used
    bool m_retried = false;
    qint64 m_downloadStarted = -1;
    FetchEnd m_end = FetchEnd::Failed;
    QByteArray m_testName;
    QByteArray m_testFile;
};
