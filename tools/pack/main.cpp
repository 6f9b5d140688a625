// quizar-pack: the teachers' and the tests' companion. Builds test files from a readable source
// and prints test files and protected results files in readable forms.
#include "RenderCommand.h"
#include "ResultsCommand.h"
#include "TestCommands.h"
#include "TextCommand.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

namespace {
const char Usage[] =
    "usage:\n"
    "  quizar-pack dump TEST.qzf [--attachments DIR]   print a test as JSON\n"
    "  quizar-pack build SOURCE.json -o TEST.qzf       make a test file from JSON\n"
    "  quizar-pack results FILE.qzpr [--csv]           print a protected results file\n"
    "  quizar-pack text FRAGMENT-FILE                  print a text fragment's visible text\n"
    "  quizar-pack render INPUT -o OUT.png [--width N] draw a picture or a text fragment as shown\n";
} // namespace

int main(int argc, char** argv) {
    // Drawing needs the GUI half of Qt, but never a display: it draws into images.
    const bool draws = argc > 1 && std::strcmp(argv[1], "render") == 0;
    if (draws && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app = draws ? std::make_unique<QGuiApplication>(argc, argv)
                                                  : std::make_unique<QCoreApplication>(argc, argv);
    QStringList args = app->arguments().mid(1);
    const std::map<QString, std::function<int(const QStringList&)>> commands = {
        {"dump", DumpCommand}, {"build", BuildCommand},   {"results", ResultsCommand},
        {"text", TextCommand}, {"render", RenderCommand},
    };
    const auto it = args.isEmpty() ? commands.end() : commands.find(args.first());
    if (it == commands.end()) {
        std::fputs(Usage, stderr);
        return 2;
    }
    return it->second(args.mid(1));
}
