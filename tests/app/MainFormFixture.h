#pragma once
// A main window over temporary folders: its own per-user store, program folder and temporary
// folder, scripted prompts, a clock that stands still, and launchers that only record.
#include "DesktopSandbox.h"
#include "ScriptedPrompts.h"
#include "app/SessionArea.h"
#include "app/SingleInstance.h"
#include "app/StudentMainForm.h"
#include "model/TestWriter.h"
#include "ports/Clock.h"
#include "session/RandomGenerator.h"
#include "session/SessionPorts.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

struct MainFormFixture {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    FixedClock clock{QDateTime(QDate(2026, 3, 7), QTime(9, 5, 41))};
    std::unique_ptr<QSettings> store;
    std::unique_ptr<TStudentMainForm> window;
    QList<QUrl> opened;
    QStringList started;
    QStringList installed; // programs that findProgram finds
    bool startWorks = true;
    SingleInstance* instance = nullptr; // hand-offs reach the window through it when set
    DesktopSandbox desktop;             // what the settings dialog's desktop pages look at
    NoServerLink server;
    SystemWorkstation workstation;
    RandomGenerator random;
    // The teacher's server, when a test gives one.
    std::function<std::unique_ptr<NetServerLink>(const TSettings&)> makeServerLink;
    // How the name dialog answers; without an answer it is confirmed as it stands.
    std::function<bool(NameDialogData&)> nameDialog;
    // Where sessions keep their journals; none when empty.
    QString journalFolder;

    MainFormFixture() {
        QDir(dir.path()).mkpath(QStringLiteral("program"));
        QDir(dir.path()).mkpath(QStringLiteral("temp"));
        store = std::make_unique<QSettings>(dir.filePath(QStringLiteral("store.ini")), QSettings::IniFormat);
    }

    QString ProgramFolder() const { return dir.filePath(QStringLiteral("program")); }

    TStudentMainForm& Open(const QStringList& arguments = {}) {
        window.reset();
        MainFormServices s;
        s.prompts = &prompts;
        s.store = store.get();
        s.paths.programFolder = ProgramFolder();
        s.paths.tempFolder = dir.filePath(QStringLiteral("temp"));
        s.paths.journalFolder = journalFolder;
        s.clock = &clock;
        s.arguments = arguments;
        s.instance = instance;
        s.server = &server;
        s.makeServerLink = makeServerLink;
        s.workstation = &workstation;
        s.random = &random;
        s.askUserName = [this](NameDialogData& d) { return nameDialog ? nameDialog(d) : true; };
        s.helpFolder = ProgramFolder();
        s.desktop = {desktop.Folders(), ProgramFolder() + QStringLiteral("/QuizarStudent"),
                     desktop.Pretender()};
        s.openUrl = [this](const QUrl& url) {
            opened.append(url);
            return true;
        };
        s.startProgram = [this](const QString& program) {
            started.append(program);
            return startWorks;
        };
        s.findProgram = [this](const QString& name) {
            return installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        };
        window = std::make_unique<TStudentMainForm>(std::move(s));
        return *window;
    }

    // Closes the window as the pupil would; true when it closed.
    bool Close() { return window->close(); }

    // Saves a test file in the fixture's folder; its path.
    QString SaveTest(const QString& name, const TTest& test, const std::vector<TTask>& tasks,
                     const std::vector<Attachment>& files = {}) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(WriteTestFile(test, tasks, files));
        return path;
    }

    // The name dialog answers at once with this pupil.
    void AnswerNameDialog(const QByteArray& name = "Ivan Petrenko", const QByteArray& group = "7-A") {
        nameDialog = [name, group](NameDialogData& d) {
            d.userName = name;
            d.userGroup = group;
            return true;
        };
    }

    // A small test file in the fixture's folder.
    QString WriteTest(const QString& name, const QByteArray& instruction = {}) {
        TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
        test.Title = "Algebra";
        test.Instruction = instruction;
        test.EducationMode = true;
        std::vector<TTask> tasks;
        TTask task(SingleChoice);
        task.Question = "2 + 2?";
        task.Variants[0] = "3";
        task.Variants[1] = "4";
        task.Keys[1] = 1;
        tasks.push_back(task);
        return SaveTest(name, test, tasks);
    }

    QByteArray ResultLog() const {
        QFile f(QDir(ProgramFolder()).filePath(QStringLiteral("QuizarStudent_Result.txt")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};
