#include "TestCommands.h"

#include "TestJson.h"
#include "model/AppPaths.h"
#include "model/SafeFile.h"
#include "model/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <cstdio>

namespace {
int Fail(const QString& message) {
    std::fprintf(stderr, "quizar-pack: %s\n", message.toLocal8Bit().constData());
    return 1;
}
} // namespace

int DumpCommand(const QStringList& args) {
    QString input, attachments;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == "--attachments" && i + 1 < args.size())
            attachments = args[++i];
        else if (input.isEmpty() && !args[i].startsWith("--"))
            input = args[i];
        else
            return Fail(QStringLiteral("usage: quizar-pack dump TEST.qzf [--attachments DIR]"));
    }
    if (input.isEmpty())
        return Fail(QStringLiteral("usage: quizar-pack dump TEST.qzf [--attachments DIR]"));
    if (!QFileInfo(input).isFile())
        return Fail(QStringLiteral("%1: no such file").arg(input));

    QTemporaryDir temp;
    LoadOptions options;
    options.tempRoot = temp.path();
    options.now = QDateTime::currentDateTime();
    options.skipPassword = true;
    const LoadTestResult result = LoadTest(input, nullptr, options);
    if (!result.Ok())
        return Fail(QStringLiteral("%1: %2 (%3)")
                        .arg(input, LoadFailureNotice(result.status.Failure()).value_or(Notice{}).text,
                             result.status.Detail()));

    if (!attachments.isEmpty()) {
        QDir().mkpath(attachments);
        for (const AttachedFile& f : result.loaded->files) {
            const QString target = QDir(attachments).filePath(TextCodec::FromCp1251(f.name));
            QFile::remove(target);
            if (!QFile::copy(AttachmentPath(*result.loaded->test, f.name), target))
                return Fail(QStringLiteral("cannot write %1").arg(target));
        }
    }
    const QByteArray json = TestToJson(*result.loaded).ToJson() + "\n";
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return 0;
}

int BuildCommand(const QStringList& args) {
    QString input, output;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size())
            output = args[++i];
        else if (input.isEmpty() && !args[i].startsWith("-"))
            input = args[i];
        else
            return Fail(QStringLiteral("usage: quizar-pack build SOURCE.json -o TEST.qzf"));
    }
    if (input.isEmpty() || output.isEmpty())
        return Fail(QStringLiteral("usage: quizar-pack build SOURCE.json -o TEST.qzf"));
    QFile f(input);
    if (!f.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("%1: %2").arg(input, f.errorString()));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &parseError);
    if (doc.isNull())
        return Fail(QStringLiteral("%1: offset %2: %3")
                        .arg(input)
                        .arg(parseError.offset)
                        .arg(parseError.errorString()));
    if (!doc.isObject())
        return Fail(QStringLiteral("%1: the test must be a JSON object").arg(input));
    TestSource source;
    QString error;
    if (!TestFromJson(doc.object(), QFileInfo(input).absolutePath(), source, error))
        return Fail(QStringLiteral("%1: %2").arg(input, error));
    const QByteArray bytes = WriteTestFile(*source.Test, source.Tasks, source.Files);
    if (const Status written = ReplaceFileContents(output, bytes); !written.Ok())
        return Fail(written.Detail());
    return 0;
}
