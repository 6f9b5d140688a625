// Feeds arbitrary bytes to the protected results file's reader, as the pupil's program finds the
// file before it adds a session, `quizar-pack results` dumps it and the journal imports it. Any
// crash, leak or unbounded allocation is a fault. A file that reads must take one more record and
// then read back as its old records followed by the new one; a file that does not read must be
// left exactly as it was.
//
// The first byte chooses what the rest is: even, the file as it lies on disk; odd, the stream
// inside it, which the harness compresses and puts behind the signature, so that the fuzzer
// reaches the records instead of spending its time on the compressed stream.
#include "FuzzInput.h"
#include "model/ResultTest.h"
#include "results/ResultExport.h"
#include "results/ResultFiles.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

namespace {
bool Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static QTemporaryDir dir(FuzzTempPattern());
    static const QString path = dir.filePath(QStringLiteral("fuzz.qzpr"));
    FuzzInput in(data, size);
    const bool stream = in.Byte() & 1;
    QByteArray file = in.Rest();
    if (stream)
        file = ProtectionSignature() + Compress(file);
    FUZZ_CHECK(Write(path, file));

    QList<TResultTest> records;
    if (!ReadProtectedResults(path, records).Ok()) {
        FUZZ_CHECK(records.isEmpty());
        FUZZ_CHECK(!AppendProtectedResult(path, TResultTest(2)).Ok());
        FUZZ_CHECK(Read(path) == file);
        return 0;
    }
    QList<ExportedResult> exported;
    for (const TResultTest& r : records) {
        ComposeLogBlock(r, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QLocale::c());
        exported.append({r, std::nullopt});
    }
    ResultsJson(exported);
    ResultsCsv(exported, false);

    TResultTest added(2);
    added.UserName = "fuzz";
    FUZZ_CHECK(AppendProtectedResult(path, added).Ok());
    QList<TResultTest> after;
    FUZZ_CHECK(ReadProtectedResults(path, after).Ok());
    FUZZ_CHECK(after.size() == records.size() + 1);
    for (qsizetype i = 0; i < records.size(); ++i)
        FUZZ_CHECK(after[i].SameStoredFields(records[i]));
    FUZZ_CHECK(after.last().SameStoredFields(added));
    return 0;
}
