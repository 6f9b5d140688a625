// Feeds arbitrary bytes to the test loader as a test received in memory. Any crash, hang, leak or
// unbounded allocation is a fault; a clean refusal is the expected outcome for almost every input.
//
// The first byte chooses what the rest is: even, the container behind the signature (the prefix
// and the compressed stream, as the file holds them); odd, the payload itself, which the harness
// compresses and wraps, so that the fuzzer reaches the header, the tasks and the attached files
// instead of spending its time on the compressed stream.
#include "FuzzInput.h"
#include "model/Cipher.h"
#include "model/TestLoader.h"
#include "model/TestWriter.h"

#include <QDir>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static QTemporaryDir dir(FuzzTempPattern());
    FuzzInput in(data, size);
    const bool payload = in.Byte() & 1;
    const QByteArray rest = in.Rest();
    // Enciphered, so that the fuzzer explores what lies behind the signature too.
    const QByteArray stored =
        payload ? WrapPayload(rest) : EncipherBuffer(QByteArray("Quizar") + rest, ProgramKey);
    LoadOptions options;
    options.tempRoot = dir.path();
    LoadTestResult result = LoadTest(QStringLiteral("fuzz.qzf"), &stored, options);
    if (result.Ok()) {
        // Everything the loader kept lies in the test's folder, and goes with it.
        const QString folder = result.loaded->test->TempFolder;
        for (const AttachedFile& f : result.loaded->files)
            FUZZ_CHECK(QFileInfo(AttachmentPath(*result.loaded->test, f.name)).isFile());
        result.loaded.reset();
        FUZZ_CHECK(!QFileInfo::exists(folder));
    }
    FUZZ_CHECK(QDir(dir.path()).isEmpty());
    return 0;
}
