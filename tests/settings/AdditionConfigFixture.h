#pragma once
// The settings dialog over a per-user store in a temporary folder, scripted prompts and scripted
// pickers: every folder, colour and file choice comes from a queue filled by the test (an empty
// queue answers Cancel), every sound and beep is recorded instead of heard.
#include "DesktopSandbox.h"
#include "ScriptedPrompts.h"
#include "settings/Settings.h"
#include "settings/gui/ConfigSheet.h"
#include "settings/gui/StudentAdditionConfigForm.h"

#include <QPushButton>
#include <QQueue>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct AdditionConfigFixture {
    QTemporaryDir dir;
    std::unique_ptr<QSettings> store;
    ScriptedPrompts prompts;
    TSettings settings;
    QWidget owner;

    QQueue<FolderChoice> folders;
    QStringList folderStarts;
    // Each colour request takes the next answer; `editSlots` may change the custom colours as a
    // user of the picker would.
    QQueue<std::optional<quint32>> colors;
    QList<quint32> colorInitials;
    QList<CustomColorList::Slots> slotsSeen;
    std::function<void(CustomColorList::Slots&)> editSlots;
    QQueue<QString> soundFiles;
    QList<EndSoundChoice> played;
    int beeps = 0;

    // The desktop that the association and shortcut pages look at, never the real home.
    DesktopSandbox desktop;

    std::unique_ptr<TStudentAdditionConfigForm> form;

    AdditionConfigFixture() {
        store = std::make_unique<QSettings>(StorePath(), QSettings::IniFormat);
        owner.resize(800, 600);
    }

    QString StorePath() const { return dir.filePath(QStringLiteral("Student.conf")); }
    QString ProgramFolder() const { return dir.filePath(QStringLiteral("program")); }

    AdditionConfigServices Services() {
        AdditionConfigServices s;
        s.prompts = &prompts;
        s.store = store.get();
        s.programFolder = ProgramFolder();
        s.browseForFolder = [this](QWidget*, const QString& start) {
            folderStarts.append(start);
            return folders.isEmpty() ? FolderChoice{} : folders.dequeue();
        };
        s.pickColor = [this](QWidget*, quint32 initial,
                             CustomColorList::Slots& custom) -> std::optional<quint32> {
            colorInitials.append(initial);
            slotsSeen.append(custom);
            if (editSlots)
                editSlots(custom);
            return colors.isEmpty() ? std::nullopt : colors.dequeue();
        };
        s.openSoundFile = [this](QWidget*) {
            return soundFiles.isEmpty() ? QString() : soundFiles.dequeue();
        };
        s.playSound = [this](const EndSoundChoice& choice) { played.append(choice); };
        s.beep = [this] { ++beeps; };
        s.computerName = [] { return QByteArray("CLASS-7"); };
        s.desktop = {desktop.Folders(), ProgramFolder() + QStringLiteral("/QuizarStudent"),
                     desktop.Pretender()};
        return s;
    }

    // A new dialog, not yet shown.
    TStudentAdditionConfigForm& Make() {
        form = std::make_unique<TStudentAdditionConfigForm>(settings, Services(), &owner);
        return *form;
    }

    // A new dialog on screen (not modal), on its first page.
    TStudentAdditionConfigForm& Show() {
        owner.show();
        Make();
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qWarning("the settings dialog was not shown");
        return *form;
    }

    void ShowPage(const QString& page) {
        QTabWidget* pages = form->PageControl();
        pages->setCurrentWidget(form->Page(page));
    }

    template <class T> T* W(const char* name) const {
        T* w = form->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }

    QPushButton* Apply(const QString& page) const { return form->Page(page)->ApplyButton(); }
};
