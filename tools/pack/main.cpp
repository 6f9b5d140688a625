// quizar-pack: the teachers' and the tests' companion. Builds test files from a readable source
// and prints test files and protected results files in readable forms.
#include "ResultsCommand.h"
#include "TestCommands.h"
#include "TextCommand.h"

#include <QCoreApplication>

#include <cstdio>
#include <functional>
#include <map>

namespace {
const char Usage[] =
    "usage:\n"
    "  quizar-pack dump TEST.qzf [--attachments DIR]   print a test as JSON\n"
    "  quizar-pack build SOURCE.json -o TEST.qzf       make a test file from JSON\n"
    "  quizar-pack results FILE.qzpr [--csv]           print a protected results file\n"
    "  quizar-pack text FRAGMENT-FILE                  print a text fragment's visible text\n";
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const std::map<QString, std::function<int(const QStringList&)>> commands = {
        {"dump", DumpCommand},
        {"build", BuildCommand},
        {"results", ResultsCommand},
        {"text", TextCommand},
    };
    const auto it = args.isEmpty() ? commands.end() : commands.find(args.first());
    if (it == commands.end()) {
        std::fputs(Usage, stderr);
        return 2;
    }
    return it->second(args.mid(1));
}
