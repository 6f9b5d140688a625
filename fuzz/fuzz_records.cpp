// Feeds arbitrary bytes to the readers of the records that pass between the pupil's program and
// the teacher's server and wait in the outbox: the result record (the block of RESULT, a record of
// the protected results file), the session start and progress records, and an outbox file. The
// first byte chooses the reader. Any crash, leak or unbounded allocation is a fault; so is a
// record that reads but is not written back byte for byte, since the server and the outbox keep a
// record's bytes as they came and a reader that accepts what its writer never makes has drifted
// from it.
#include "FuzzInput.h"
#include "model/ByteWriter.h"
#include "model/Crc32.h"
#include "model/ResultTest.h"
#include "net/Outbox.h"
#include "net/Records.h"
#include "results/ResultExport.h"
#include "results/ResultFiles.h"

#include <QLocale>

namespace {

void ResultRecord(const QByteArray& bytes) {
    TResultTest r(0);
    if (!DecodeResultRecord(bytes, r).Ok())
        return;
    FUZZ_CHECK(EncodeResultRecord(r) == bytes);
    // What the teacher's tools and the results log make of a record that came from outside.
    ComposeLogBlock(r, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QLocale::c());
    ResultsJson({{r, QByteArray("{S}")}});
    ResultsCsv({{r, std::nullopt}}, false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const quint8 which = in.Byte() % 5;
    const QByteArray bytes = in.Rest();
    switch (which) {
    case 0:
        ResultRecord(bytes);
        break;
    case 1: {
        SessionStartRecord r;
        if (DecodeStartRecord(bytes, r).Ok())
            FUZZ_CHECK(EncodeStartRecord(r) == bytes);
        break;
    }
    case 2: {
        ProgressRecord r;
        if (DecodeProgressRecord(bytes, r).Ok())
            FUZZ_CHECK(EncodeProgressRecord(r) == bytes);
        break;
    }
    case 3:
    case 4: {
        // An outbox file as it lies on disk (4), or with its checksum made by the harness (3), or
        // the fuzzer would hardly ever get past it.
        QByteArray file = bytes;
        if (which == 3) {
            QByteArray crc;
            ByteWriter(crc).WriteUInt32(BufferCrc32(file));
            file += crc;
        }
        QByteArray id, record;
        if (Outbox::Decode(file, id, record).Ok())
            FUZZ_CHECK(Outbox::Encode(id, record) == file);
        break;
    }
    }
    return 0;
}
