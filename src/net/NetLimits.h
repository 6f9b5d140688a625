#pragma once
// Every bound of the conversation with the teacher's server, in one place. The window and the
// session never wait on the network; these bounds make sure an exchange also ends by itself when
// the other computer stops answering.
#include <QtGlobal>

namespace NetLimits {

// From the start of an exchange until the connection stands.
constexpr int ConnectTimeoutMs = 5000;
// From the start of an exchange until its last reply, and for the server to close the connection
// after "QUIT". The time the pupil spends choosing a test does not count.
constexpr int ExchangeTimeoutMs = 15000;
// A downloaded test file may take longer in a busy classroom: its bytes must keep coming, with no
// gap longer than this, and the whole download must end within DownloadTimeoutMs.
constexpr int TransferStallMs = 15000;
constexpr int DownloadTimeoutMs = 180000;
// How long the last bytes and the close may take once the outcome is known.
constexpr int CloseGraceMs = 2000;

// Largest test file accepted from the server.
constexpr qint64 MaxTestFileBytes = qint64(128) << 20;
// Largest result record; the result stream of any real session is far smaller.
constexpr qint64 MaxResultBytes = qint64(16) << 20;
// Largest start or progress record (a few short texts).
constexpr qint64 MaxReportBytes = qint64(1) << 20;
// Most tests a server may offer in one list.
constexpr int MaxTestEntries = 10000;

// How long a closing program lets the reports under way finish; a result that does not make it
// waits in the outbox.
constexpr int ClosingWaitMs = 3000;

// How often the results waiting in the outbox are offered again while the window is open.
constexpr int OutboxRetryMs = 5 * 60 * 1000;

} // namespace NetLimits

// The bounds one exchange works with; tests shorten them.
struct ExchangeLimits {
    int connectMs = NetLimits::ConnectTimeoutMs;
    int exchangeMs = NetLimits::ExchangeTimeoutMs;
    int stallMs = NetLimits::TransferStallMs;
    int downloadMs = NetLimits::DownloadTimeoutMs;
    int closeGraceMs = NetLimits::CloseGraceMs;
};
