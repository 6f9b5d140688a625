// Feeds arbitrary text to `quizar-pack build` as the readable source of a test. Any crash, leak or
// unbounded allocation is a fault; a source that builds must give a test file that loads again
// with the same header, tasks and attached files (the teacher's tool must never make a test the
// pupil's program refuses). Attached files are read beside the source, where two small ones lie.
#include "FuzzInput.h"
#include "TestJson.h"
#include "model/ByteWriter.h"
#include "model/TestLoader.h"
#include "model/TestWriter.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace {
struct Folder {
    QTemporaryDir dir{FuzzTempPattern()};
    QTemporaryDir temp{FuzzTempPattern()};
    Folder() {
        for (const char* name : {"pic.png", "map.png"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            FUZZ_CHECK(f.open(QIODevice::WriteOnly) && f.write(QByteArray(name).repeated(20)) > 0);
        }
    }
};

QByteArray Header(const TTest& t) {
    QByteArray bytes;
    ByteWriter w(bytes);
    t.WriteHeader(w);
    return bytes;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static Folder folder;
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!doc.isObject())
        return 0;
    TestSource source;
    QString error;
    if (!TestFromJson(doc.object(), folder.dir.path(), source, error)) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    const QByteArray file = WriteTestFile(*source.Test, source.Tasks, source.Files);
    LoadOptions options;
    options.tempRoot = folder.temp.path();
    options.skipPassword = true;
    const LoadTestResult loaded = LoadTest(QStringLiteral("built.qzf"), &file, options);
    FUZZ_CHECK(loaded.Ok());
    FUZZ_CHECK(Header(*loaded.loaded->test) == Header(*source.Test));
    FUZZ_CHECK(loaded.loaded->tasks.size() == source.Tasks.size());
    FUZZ_CHECK(loaded.loaded->files.size() == source.Files.size());
    FUZZ_CHECK(BuildPayload(*loaded.loaded->test, loaded.loaded->tasks, source.Files) ==
               BuildPayload(*source.Test, source.Tasks, source.Files));
    return 0;
}
