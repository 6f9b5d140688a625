#pragma once
// What the program does at start-up, before anything else is loaded, with the journals of sessions
// that an earlier run did not finish (the program was killed, crashed, or the computer lost power):
//
// - a session that had finished but not written all it leaves behind gets the missing outputs
//   (results log block, protected record, result to the server), each once;
// - a session that was ending (all answered, stopped, out of time, closing) is finished;
// - an unfinished session whose test file is still there with the same CRC-32 is offered to the
//   pupil: continue (the time away counts as used), continue without losing that time (behind the
//   settings password, for the teacher), or refuse, which finishes it as closing the program does;
// - a session whose test is gone or changed is finished from what its journal stored, and the
//   pupil is told;
// - a journal that does not hold is moved aside, and the pupil is told.
#include "JournalRecord.h"
#include "SessionPorts.h"
#include "model/Status.h"
#include "ports/Prompts.h"
#include "settings/Settings.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

class Clock;
class Session;
class SessionJournal;
struct JournalFile;

// What the dialog "Незавершене тестування" shows.
struct ResumeOffer {
    QByteArray userName;
    QByteArray userGroup;
    QByteArray testTitle;
    qint32 answered = 0;               // tasks evaluated so far
    qint32 askCount = 0;               // tasks the session asks
    qint32 elapsedSeconds = 0;         // with the time away counted
    std::optional<qint32> secondsLeft; // when the test has a time limit
    bool offerKeepingTime = false;     // the settings password is set
};

enum class ResumeChoice { Continue, ContinueKeepingTime, Refuse };

// The offer for a journal at `now`, the time since its last step counted as used.
ResumeOffer DescribeJournal(const JournalFile& journal, const QDateTime& now);

// The journal's session finished from what the journal stored, without its test: every evaluated
// task as it was scored, the one on screen not answered, ended for the reason it was ending for
// or else as closing the program (EndReason 4), at `now`, and graded.
TResultTest RebuildWithoutTest(const JournalFile& journal, const QDateTime& now);

struct RecoveryServices {
    Session& session;
    Prompts& prompts;
    ResultsSink& results;
    ServerLink& server;
    const TSettings& settings;
    const Clock& clock;
    QString journalFolder;
    // The settings password; empty when none is set.
    std::function<QByteArray()> settingsPassword;
    // The dialog "Незавершене тестування"; it may be closed only by one of its choices.
    std::function<ResumeChoice(const ResumeOffer&)> askResume;
    // Loads the test file and gives it to the session; false when no test came of it.
    std::function<bool(const QString& path)> loadTest;
};

class SessionRecovery {
public:
    explicit SessionRecovery(RecoveryServices services);

    // Deals with every journal in the folder, oldest first. True when a session was resumed and
    // runs now; the journals after it wait for the next start.
    bool Run();

private:
    // True when the session of the journal was resumed.
    bool Recover(const QString& path);
    bool Offer(const JournalFile& journal);
    void CompleteOutputs(const JournalFile& journal);
    void FinishWithoutTest(const JournalFile& journal);
    // The outputs of the finished session that the journal does not note as written, each noted
    // before and after; then the journal goes.
    void WriteOutputs(const JournalFile& journal, SessionJournal& writer, const JournalFinish& finish);
    // The test of the journal, loaded and unchanged.
    bool LoadTest(const JournalFile& journal);

    RecoveryServices m_services;
};
