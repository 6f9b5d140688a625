// "Додаткові налаштування..." of the main window: the dialog guarded by the stored password, and
// what it applies is in force in the window at once, without the settings file being written.
#include "MainFormFixture.h"
#include "ModalWatcher.h"
#include "settings/gui/ConfigSheet.h"
#include "settings/gui/StudentAdditionConfigForm.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

class TestSettingsDialog : public QObject {
    Q_OBJECT

private slots:
    void opensAndAppliesIntoTheWindow() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.Settings().IsShowUserResult);
        QString firstPage;
        QWidget* parent = nullptr;
        ModalWatcher watcher([&](QWidget& modal) {
            auto* form = qobject_cast<TStudentAdditionConfigForm*>(&modal);
            if (!form)
                return;
            parent = form->parentWidget();
            firstPage = form->PageControl()->currentWidget()->objectName();
            form->PageControl()->setCurrentWidget(form->Page(QStringLiteral("tsShowResult")));
            form->findChild<QCheckBox*>(QStringLiteral("cbIsShowUserResult"))->click();
            form->Page(QStringLiteral("tsShowResult"))->ApplyButton()->click();
        });
        w.Action(QStringLiteral("AAdditionConfig"))->trigger();
        QCOMPARE(watcher.titles, QStringList{QStringLiteral("Додаткові налаштування")});
        QCOMPARE(firstPage, QStringLiteral("tsAssociation"));
        QCOMPARE(parent, &w);
        QCOMPARE(f.prompts.passwordRequests, 0);
        QVERIFY(!w.Settings().IsShowUserResult);
        // Gone after closing, and nothing written to the settings file.
        QVERIFY(w.findChildren<TStudentAdditionConfigForm*>().isEmpty());
        QVERIFY(
            !QFileInfo::exists(QDir(f.ProgramFolder()).filePath(QStringLiteral("QuizarStudent_Config.txt"))));
    }

    void aWrongPasswordKeepsItClosed() {
        MainFormFixture f;
        f.store->setValue(QStringLiteral("Password"), QStringLiteral("Вчитель"));
        TStudentMainForm& w = f.Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        f.prompts.passwords.enqueue(QByteArray("\xE2\xF7\xE8\xF2\xE5\xEB\xFC")); // "вчитель"
        ModalWatcher watcher;
        w.Action(QStringLiteral("AAdditionConfig"))->trigger();
        QCOMPARE(watcher.titles, QStringList());
        QCOMPARE(f.prompts.passwordRequests, 1);
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Неправильний пароль..."));
        // Each opening asks anew.
        f.prompts.passwords.enqueue(QByteArray("\xC2\xF7\xE8\xF2\xE5\xEB\xFC"));
        w.Action(QStringLiteral("AAdditionConfig"))->trigger();
        QCOMPARE(watcher.titles, QStringList{QStringLiteral("Додаткові налаштування")});
        QCOMPARE(f.prompts.messages.size(), 1);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
