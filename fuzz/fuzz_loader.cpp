// Feeds arbitrary bytes to the test loader as a test received in memory. Any crash, hang, leak or
// unbounded allocation is a fault; a clean refusal is the expected outcome for almost every input.
#include "model/Cipher.h"
#include "model/TestLoader.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    // Encipher the input so that the fuzzer explores what lies behind the signature too.
    const QByteArray plain(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray stored = EncipherBuffer(QByteArray("Quizar") + plain, ProgramKey);
    LoadOptions options;
    options.tempRoot = dir.path();
    LoadTestResult result = LoadTest(QStringLiteral("fuzz.qzf"), &stored, options);
    return 0;
}
