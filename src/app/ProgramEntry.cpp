#include "ProgramEntry.h"

#include "session/gui/InputUserNameForm.h"

#include "GuiPrompts.h"
#include "QtTranslations.h"
#include "SingleInstance.h"
#include "StudentMainForm.h"
#include "net/NetServerLink.h"
#include "ports/Clock.h"
#include "session/RandomGenerator.h"
#include "session/SessionPorts.h"
#include "settings/UserStore.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTranslator>

namespace {

// The argument as the running copy must read it: its working folder may differ from ours.
QByteArray HandOffText(const QStringList& arguments) {
    if (arguments.size() < 2 || arguments[1].isEmpty())
        return {};
    return QFileInfo(arguments[1]).absoluteFilePath().toUtf8();
}

} // namespace

int RunStudentProgram(int argc, char** argv, const ProgramEnvironment& env) {
    SingleInstance instance(SingleInstance::DefaultName, env.instanceFolder);
    switch (instance.TakeLock()) {
    case SingleInstance::Role::Later: {
        QCoreApplication app(argc, argv);
        // A copy that cannot reach the first one ends silently: there is nobody to tell.
        instance.SendMessage(HandOffText(QCoreApplication::arguments()));
        return 0;
    }
    case SingleInstance::Role::Failed:
        return 0;
    case SingleInstance::Role::First:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(UserStore::Organisation);
    QApplication::setApplicationName(QStringLiteral("QuizarStudent"));
    // The installed desktop entry, by which Wayland desktops find the window's icon and name.
    QApplication::setDesktopFileName(QStringLiteral("org.quizar3.QuizarStudent"));
    if (!instance.Listen())
        return 0;
    QTranslator qtTexts;
    InstallQtTranslations(app, qtTexts, QLocale::system());

    SystemClock clock;
    std::unique_ptr<QSettings> store = UserStore::OpenDefault();
    // Only when a test replaces the real link with nothing.
    NoServerLink noServer;
    SystemWorkstation workstation;
    RandomGenerator random;
    // Created once the window exists (it is the dialog's owner) and kept, so the fields keep the
    // last pupil's name within a run.
    std::unique_ptr<TInputUserNameForm> nameForm;
    // The prompts need the window as their owner, the window needs the prompts from its creation.
    GuiPrompts prompts(nullptr);
    MainFormServices services;
    services.prompts = &prompts;
    services.store = store.get();
    services.paths = AppPaths::Default();
    services.clock = &clock;
    services.arguments = QApplication::arguments().mid(1, 1);
    services.instance = &instance;
    services.server = &noServer;
    services.makeServerLink = [](const TSettings& settings) {
        return std::make_unique<NetServerLink>(settings, Outbox::DefaultFolder());
    };
    services.workstation = &workstation;
    services.random = &random;
    services.askUserName = [&nameForm](NameDialogData& data) { return nameForm && nameForm->Run(data); };
    services.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    services.startProgram = [](const QString& program) { return QProcess::startDetached(program, {}); };
    services.findProgram = [](const QString& name) { return QStandardPaths::findExecutable(name); };
    if (env.adjustServices)
        env.adjustServices(services);

    TStudentMainForm window(std::move(services));
    prompts.SetOwner(&window);
    nameForm = std::make_unique<TInputUserNameForm>(clock, prompts, &window);
    if (env.windowReady)
        env.windowReady(window);
    window.show();
    const int exitCode = app.exec();
    window.WaitForServer(NetLimits::ClosingWaitMs);
    return exitCode;
}
