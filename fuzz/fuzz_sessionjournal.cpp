// Feeds arbitrary bytes to the session journal's reader, as the pupil's program finds a journal at
// start-up that a crash, a full disk or a pupil's editor left behind. Any crash, leak or unbounded
// allocation is a fault, and so is a journal that reads but does not read back the same once
// written again.
//
// The first byte chooses what the rest is: even, the file as it lies on disk; odd, record payloads
// separated by "\n--\n", which the harness writes as a real, sealed journal (when the first one
// decodes as a session's start), so that the fuzzer reaches the record decoder behind the seals.
#include "FuzzInput.h"
#include "session/JournalRecord.h"
#include "session/SessionJournal.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
bool Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A record that decodes is encoded to the same bytes the second time round.
bool Stable(const JournalRecord& record) {
    const QByteArray once = EncodeJournalRecord(record);
    JournalRecord again;
    return DecodeJournalRecord(once, again) && EncodeJournalRecord(again) == once;
}

// A journal that reads takes one more record and reads back as its records followed by the new one.
void Grow(const JournalFile& file) {
    for (const JournalRecord& r : file.records)
        FUZZ_CHECK(Stable(r));
    Status status;
    std::unique_ptr<SessionJournal> journal = SessionJournal::Continue(file, status);
    FUZZ_CHECK(journal && status.Ok());
    JournalRecord clock;
    clock.step = JournalClock{};
    FUZZ_CHECK(journal->Append(clock).Ok());
    JournalFile after;
    FUZZ_CHECK(SessionJournal::Read(file.path, after).Ok());
    FUZZ_CHECK(!after.TailCut() && after.records.size() == file.records.size() + 1);
    for (qsizetype i = 0; i < file.records.size(); ++i)
        FUZZ_CHECK(EncodeJournalRecord(after.records[i]) == EncodeJournalRecord(file.records[i]));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static QTemporaryDir dir(FuzzTempPattern());
    static const QString path = dir.filePath(QStringLiteral("fuzz.qzj"));
    QFile::remove(path);
    FuzzInput in(data, size);
    if (!(in.Byte() & 1)) {
        FUZZ_CHECK(Write(path, in.Rest()));
        JournalFile file;
        if (SessionJournal::Read(path, file).Ok()) {
            FUZZ_CHECK(!file.records.isEmpty() && file.records.first().As<JournalBegin>());
            Grow(file);
        }
        return 0;
    }
    QList<JournalRecord> records;
    while (!in.Empty()) {
        JournalRecord r;
        if (DecodeJournalRecord(in.Part("\n--\n"), r)) {
            FUZZ_CHECK(Stable(r));
            records.append(std::move(r));
        }
    }
    if (records.isEmpty() || !records.first().As<JournalBegin>())
        return 0;
    Status status;
    std::unique_ptr<SessionJournal> journal = SessionJournal::Create(path, records.first(), status);
    FUZZ_CHECK(journal && status.Ok());
    for (qsizetype i = 1; i < records.size(); ++i)
        FUZZ_CHECK(journal->Append(records[i]).Ok());
    journal.reset();
    JournalFile file;
    // A journal of our own making reads, unless a later record is a second session start.
    if (SessionJournal::Read(path, file).Ok())
        Grow(file);
    return 0;
}
