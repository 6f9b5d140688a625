#include "FetchExchange.h"

#include <QPointer>
#include <QTimer>

#include <memory>

std::optional<Notice> FetchOutcome::NoticeToShow() const {
    switch (end) {
    case FetchEnd::Loaded:
    case FetchEnd::NotChosen:
        return std::nullopt;
    case FetchEnd::Refused:
        return NetNotice::FetchRefused();
    case FetchEnd::Failed:
        break;
    }
    return NetNotice::FetchFailed();
}

FetchExchange::FetchExchange(Endpoint endpoint, QByteArray computerName, TestChooser chooser,
                             ExchangeLimits limits, QObject* parent)
    : Exchange(std::move(endpoint), limits, NetLimits::MaxTestFileBytes, parent),
      m_computerName(std::move(computerName)), m_chooser(std::move(chooser)) {}

FetchOutcome FetchExchange::Result() const {
    FetchOutcome out;
    out.status = Outcome();
    if (!IsFinished() || !Outcome().Ok()) {
        out.end = FetchEnd::Failed;
        return out;
    }
    out.end = m_end;
    if (m_end == FetchEnd::Loaded) {
        out.testName = m_testName;
        out.testFile = m_testFile;
    }
    return out;
}

void FetchExchange::Connected() {
    if (m_step == Step::ListReply) {
        Send(Wire::Line("GETLIST") + Wire::Line(m_computerName));
        return;
    }
    SendGetTest();
}

void FetchExchange::SendGetTest() {
    m_step = Step::TestReply;
    Send(Wire::Line("GETTEST") + Wire::Line(m_computerName) + Wire::Line(m_entries.at(m_chosen)));
}

bool FetchExchange::TakeLine(QByteArray& line) {
    switch (Reader().TakeLine(line)) {
    case WireReader::Take::Ready:
        return true;
    case WireReader::Take::NeedMore:
        return false;
    case WireReader::Take::Error:
        break;
    }
    Fail(Fault::Corrupt, Reader().ErrorText());
    return false;
}

void FetchExchange::Received() {
    QByteArray line;
    while (!IsFinished() && m_step != Step::Done) {
        switch (m_step) {
        case Step::ListReply:
        case Step::TestReply:
            if (!TakeLine(line))
                return;
            if (line != "YES") {
                m_end = FetchEnd::Refused;
                m_step = Step::Done;
                Close({});
                return;
            }
            m_step = m_step == Step::ListReply ? Step::Count : Step::TestName;
            break;
        case Step::Count:
            if (!TakeLine(line))
                return;
            // A count that is not a number offers nothing.
            if (!Wire::ParseDecimal(line, m_count))
                m_count = -1;
            if (m_count > NetLimits::MaxTestEntries) {
                Fail(Fault::Corrupt, QStringLiteral("the server offers %1 tests").arg(m_count));
                return;
            }
            m_step = Step::Entries;
            if (m_count <= 0) {
                EntriesComplete();
                return;
            }
            break;
        case Step::Entries:
            if (!TakeLine(line))
                return;
            m_entries.append(line);
            if (m_entries.size() == m_count) {
                EntriesComplete();
                return;
            }
            break;
        case Step::Choosing:
            // Nothing is expected meanwhile.
            DiscardReceived();
            return;
        case Step::TestName:
            if (!TakeLine(line))
                return;
            m_testName = line;
            m_step = Step::TestFile;
            m_downloadStarted = Elapsed();
            break;
        case Step::TestFile: {
            QByteArray block;
            switch (Reader().TakeBlock(block)) {
            case WireReader::Take::Error:
                Fail(Fault::Corrupt, Reader().ErrorText());
                return;
            case WireReader::Take::NeedMore: {
                // A large file may take its time while its bytes keep coming.
                const qint64 left = m_downloadStarted + Limits().downloadMs - Elapsed();
                if (Reader().PendingBlock() >= 0 && left > 0)
                    RestartClock(int(std::min<qint64>(Limits().stallMs, left)));
                return;
            }
            case WireReader::Take::Ready:
                m_testFile = std::move(block);
                m_end = FetchEnd::Loaded;
                m_step = Step::Done;
                Close({});
                return;
            }
            break;
        }
        case Step::Done:
            return;
        }
    }
}

void FetchExchange::EntriesComplete() {
    if (m_entries.isEmpty()) {
        // Nothing to choose from: no dialog, and certainly no "GETTEST".
        m_end = FetchEnd::Refused;
        m_step = Step::Done;
        Close(Status());
        return;
    }
    if (m_entries.size() == 1) {
        Chosen(0);
        return;
    }
    m_step = Step::Choosing;
    StopClock();
    if (!m_chooser) {
        Chosen(-1);
        return;
    }
    // The chooser may open a modal dialog; it is not called from inside the socket's signal, and
    // its answer comes back through the event loop, so nothing here runs re-entrantly.
    QPointer<FetchExchange> self(this);
    QTimer::singleShot(0, this, [self] {
        if (!self || self->IsFinished() || self->m_step != Step::Choosing)
            return;
        auto answered = std::make_shared<bool>(false);
        self->m_chooser(self->m_entries, [self, answered](int index) {
            if (*answered || !self)
                return;
            *answered = true;
            QTimer::singleShot(0, self, [self, index] {
                if (self && !self->IsFinished() && self->m_step == Step::Choosing)
                    self->Chosen(index);
            });
        });
    });
}

void FetchExchange::Chosen(int index) {
    if (index < 0 || index >= m_entries.size()) {
        m_end = FetchEnd::NotChosen;
        m_step = Step::Done;
        Close({});
        return;
    }
    m_chosen = index;
    // Whatever the server sent after its list is not the answer to "GETTEST".
    DiscardReceived();
    RestartClock(Limits().exchangeMs);
    if (IsConnected()) {
        m_onListConnection = true;
        SendGetTest();
    } else {
        m_onListConnection = false;
        m_step = Step::TestReply;
        Connect();
    }
}

bool FetchExchange::RetryOnNewConnection() {
    // Only a "GETTEST" that got no answer at all on the list's old connection is sent again.
    if (m_step != Step::TestReply || !m_onListConnection || m_retried || Reader().Buffered() > 0)
        return false;
    m_retried = true;
    m_onListConnection = false;
    Connect();
    return true;
}

void FetchExchange::PeerClosed() {
    if (m_step == Step::Choosing) {
        // A server that drops idle clients; "GETTEST" will go out on a new connection.
        DropConnection();
        return;
    }
    if (!RetryOnNewConnection())
        Exchange::PeerClosed();
}

void FetchExchange::ConnectionFailed(const QString& why) {
    if (m_step == Step::Choosing)
        return;
    if (!RetryOnNewConnection())
        Exchange::ConnectionFailed(why);
}
