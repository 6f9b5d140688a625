// A stand-in for the program in the hand-off tests: the program's own start over folders that the
// test hands in through the environment, with scripted prompts. It reports on standard output
// when its window is up and after each hand-off it handled: "ready" and
// "handled <state> <caption>".
#include "ScriptedPrompts.h"
#include "app/ProgramEntry.h"
#include "app/StudentMainForm.h"

#include <QProcessEnvironment>
#include <QSettings>

#include <cstdio>

namespace {
void Report(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv) {
    const QString root = qEnvironmentVariable("QUIZAR_PEER_ROOT");
    if (root.isEmpty())
        return 2;
    ScriptedPrompts prompts;
    std::unique_ptr<QSettings> store;
    ProgramEnvironment env;
    env.instanceFolder = root + QStringLiteral("/run");
    env.adjustServices = [&](MainFormServices& s) {
        store = std::make_unique<QSettings>(root + QStringLiteral("/store.ini"), QSettings::IniFormat);
        s.store = store.get();
        s.prompts = &prompts;
        s.paths.programFolder = root + QStringLiteral("/program");
        s.paths.tempFolder = root + QStringLiteral("/temp");
        s.openUrl = [](const QUrl&) { return true; };
        s.startProgram = [](const QString&) { return false; };
    };
    env.windowReady = [](TStudentMainForm& w) {
        QObject::connect(&w, &TStudentMainForm::HandOffHandled, &w, [&w] {
            Report(QStringLiteral("handled %1 %2").arg(int(w.State())).arg(w.windowTitle()));
        });
        QMetaObject::invokeMethod(
            &w, [] { Report(QStringLiteral("ready")); }, Qt::QueuedConnection);
    };
    return RunStudentProgram(argc, argv, env);
}
