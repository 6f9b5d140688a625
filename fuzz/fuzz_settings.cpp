// Feeds arbitrary bytes to the settings file's reader, as the program finds
// QuizarStudent_Config.txt beside it. Any crash, leak or unbounded allocation is a fault. Whatever
// the file holds, writing the settings read from it and reading them again must give the same
// settings (the program saves them at exit and reads them at the next start), and the lines the
// program does not own must come through a save unchanged. The name dialog's expressions are the
// file's too, and are tried on its examples.
#include "FuzzInput.h"
#include "session/NameRules.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
bool Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static QTemporaryDir dir(FuzzTempPattern());
    static const QString path = dir.filePath(QStringLiteral("QuizarStudent_Config.txt"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const IniFile ini(bytes);
    FUZZ_CHECK(IniFile(ini.ToBytes()).ToBytes() == ini.ToBytes());

    FUZZ_CHECK(Write(path, bytes));
    TSettings read;
    FUZZ_CHECK(ReadConfig(read, path).Ok());
    FUZZ_CHECK(WriteConfig(read, path).Ok());
    TSettings again;
    FUZZ_CHECK(ReadConfig(again, path).Ok());
    FUZZ_CHECK(again == read);

    // The name dialog's rules come from the file too: the expressions are the teacher's.
    NameRules::CheckNameAndGroup(read.UserNameExample, read.UserGroupExample, read.UserNameExpression,
                                 read.UserGroupExpression);

    // A key the program does not know keeps its line.
    IniFile saved;
    FUZZ_CHECK(saved.Load(path).Ok());
    for (const QByteArray& key : ini.Keys("Extra"))
        FUZZ_CHECK(saved.Value("Extra", key) == ini.Value("Extra", key));
    return 0;
}
