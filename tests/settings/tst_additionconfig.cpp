// The settings dialog driven through its controls: the password that guards it, the pages and
// their apply rules, the pickers and the trial sound, the connection check, the keyboard, and that
// every page fits the window.
#include "AdditionConfigFixture.h"
#include "FakeJournal.h"
#include "ModalWatcher.h"
#include "WidgetTesting.h"

#include "settings/gui/ColorSwatch.h"
#include "settings/gui/MultiRowTabWidget.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QSignalSpy>

namespace {
const QString Net = QStringLiteral("TabSheetNetConfig");
const QString Folder = QStringLiteral("TabSheetFolder");
const QString SaveResult = QStringLiteral("tsSaveResult");
const QString Colors = QStringLiteral("TabSheetColors");
const QString UserName = QStringLiteral("tsDefaultUserName");
const QString Sound = QStringLiteral("tsSound");
const QString Password = QStringLiteral("tbPassword");
} // namespace

class TestAdditionConfig : public QObject {
    Q_OBJECT

private slots:
    void windowPagesAndTexts() {
        AdditionConfigFixture f;
        TStudentAdditionConfigForm& form = f.Show();
        QCOMPARE(form.windowTitle(), QStringLiteral("Додаткові налаштування"));
        QCOMPARE(form.size(), QSize(428, 397));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QTabWidget* pages = form.PageControl();
        QCOMPARE(pages->objectName(), QStringLiteral("PageControl"));
        QStringList names, captions;
        for (int i = 0; i < pages->count(); ++i) {
            names.append(pages->widget(i)->objectName());
            captions.append(pages->tabText(i));
        }
        QCOMPARE(names, QStringList({"tsAssociation", "tsLnk", "TabSheetNetConfig", "TabSheetFolder",
                                     "tsSaveResult", "tsShowResult", "TabSheetColors", "tsDefaultUserName",
                                     "tsSound", "tbPassword"}));
        QCOMPARE(captions, QStringList({"Асоціація", "Ярлики", "Мережа", "Папки", "Збер. рез.", "Вивід рез.",
                                        "Кольори", "Ім’я", "Звук", "Пароль"}));
        QCOMPARE(pages->currentIndex(), 0);
        // The texts keep their own blanks, line break and spellings.
        auto text = [&](const char* page) { return form.Page(QLatin1String(page))->TextLabel()->text(); };
        QVERIFY(text("TabSheetNetConfig").contains(QStringLiteral("на сервер.  Також з сервера")));
        QVERIFY(text("tsShowResult").contains(QStringLiteral("«результати можна взнати у вчителя».  Також")));
        QVERIFY(text("TabSheetColors").startsWith(QStringLiteral("Ви можете вказати кольори  якими")));
        QVERIFY(text("tsSound").contains(QStringLiteral("відьворювати")));
        QVERIFY(text("tsAssociation").contains(QStringLiteral("менеджері. \r\nАсоціація")));
        QVERIFY(text("tsLnk").contains(QStringLiteral("меню\"Пуск\". Тоді")));
        // Nothing is associated in the test's own desktop: the box is offered, unticked, and so are
        // the shortcuts; no apply button is enabled before a box is clicked.
        for (const char* name : {"cbExtQZF", "cbLnkDesktop", "cbLnkStart"}) {
            QVERIFY2(f.W<QCheckBox>(name)->isEnabled(), name);
            QVERIFY2(!f.W<QCheckBox>(name)->isChecked(), name);
        }
        for (const char* name : {"bbSetAssociation", "bbLnk"})
            QVERIFY2(!f.W<QWidget>(name)->isEnabled(), name);
        QCOMPARE(f.W<QCheckBox>("cbLnkStart")->text(), QStringLiteral("В меню \"Пуск\""));
    }

    // Every page, the tabs and each control lie inside the window at its fixed size: nothing is
    // squeezed below what it needs, and no tab covers another.
    void nothingIsCutOff() {
        AdditionConfigFixture f;
        TStudentAdditionConfigForm& form = f.Show();
        MultiRowTabWidget* tabs = form.PageTabs();
        QTabWidget* pages = form.PageControl();
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QWidget* page = pages->widget(i);
            QCoreApplication::processEvents();
            const QString name = page->objectName();
            QVERIFY2(page->layout()->totalHeightForWidth(page->width()) <= page->height(), qPrintable(name));
            QVERIFY2(page->layout()->totalMinimumSize().width() <= page->width(), qPrintable(name));
            for (QWidget* w : page->findChildren<QWidget*>()) {
                if (!w->isVisibleTo(page) || w->width() == 0)
                    continue;
                const QRect r(w->mapTo(page, QPoint(0, 0)), w->size());
                QVERIFY2(page->rect().contains(r), qPrintable(name + u' ' + w->objectName()));
                QVERIFY2(w->width() >= w->minimumSizeHint().width() || w->minimumSizeHint().width() <= 0,
                         qPrintable(name + u' ' + w->metaObject()->className()));
            }
            for (int a = 0; a < pages->count(); ++a) {
                const QRect ra = tabs->TabRect(a);
                QVERIFY(tabs->rect().contains(ra));
                QVERIFY(ra.width() >= tabs->fontMetrics().horizontalAdvance(pages->tabText(a)));
                for (int b = a + 1; b < pages->count(); ++b)
                    QVERIFY(!ra.intersects(tabs->TabRect(b)));
            }
        }
        QCOMPARE(tabs->RowCount(), 2);
    }

    void openWithPassword_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QList<std::optional<QByteArray>>>("answers");
        QTest::addColumn<int>("asked");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("wrongMessage");
        using Answers = QList<std::optional<QByteArray>>;
        QTest::newRow("no password") << QString() << Answers{} << 0 << true << false;
        QTest::newRow("empty value") << QStringLiteral("") << Answers{} << 0 << true << false;
        QTest::newRow("right") << QStringLiteral("abc") << Answers{QByteArray("abc")} << 1 << true << false;
        QTest::newRow("letter case counts")
            << QStringLiteral("abc") << Answers{QByteArray("ABC")} << 1 << false << true;
        QTest::newRow("a trailing blank counts")
            << QStringLiteral("abc") << Answers{QByteArray("abc ")} << 1 << false << true;
        QTest::newRow("Cancel") << QStringLiteral("abc") << Answers{std::nullopt} << 1 << false << false;
        QTest::newRow("Cyrillic") << QStringLiteral("пароль")
                                  << Answers{QByteArray("\xEF\xE0\xF0\xEE\xEB\xFC")} << 1 << true << false;
    }
    void openWithPassword() {
        QFETCH(QString, stored);
        QFETCH(QList<std::optional<QByteArray>>, answers);
        QFETCH(int, asked);
        QFETCH(bool, opens);
        QFETCH(bool, wrongMessage);
        AdditionConfigFixture f;
        if (!stored.isNull())
            f.store->setValue(QStringLiteral("Password"), stored);
        for (const auto& a : answers)
            f.prompts.passwords.enqueue(a);
        TStudentAdditionConfigForm& form = f.Make();
        QString page;
        ModalWatcher watcher([&](QWidget& modal) {
            if (&modal == &form)
                page = form.PageControl()->currentWidget()->objectName();
        });
        form.OpenWithPassword();
        QCOMPARE(f.prompts.passwordRequests, asked);
        QCOMPARE(watcher.titles,
                 opens ? QStringList{QStringLiteral("Додаткові налаштування")} : QStringList{});
        if (opens)
            QCOMPARE(page, QStringLiteral("tsAssociation"));
        QCOMPARE(f.prompts.messages.size(), wrongMessage ? 1 : 0);
        if (wrongMessage) {
            QCOMPARE(f.prompts.messages[0].caption, QStringLiteral("QuizarStudent"));
            QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Неправильний пароль..."));
            QCOMPARE(f.prompts.messages[0].icon, MsgIcon::None);
        }
    }

    void storedPasswordOfAnotherKind() {
        AdditionConfigFixture f;
        f.store->setValue(QStringLiteral("Password"), QStringList{"a", "b"});
        TStudentAdditionConfigForm& form = f.Make();
        ModalWatcher watcher;
        form.OpenWithPassword();
        QCOMPARE(watcher.titles, QStringList());
        QCOMPARE(f.prompts.passwordRequests, 0);
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages[0].icon, MsgIcon::Error);
    }

    void passwordPage_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QVariant>("after"); // invalid: the value is gone
        QTest::newRow("new password, trimmed")
            << QString() << true << QStringLiteral("  ключ 1 ") << QVariant("ключ 1");
        QTest::newRow("ticked but blank means none")
            << QString() << true << QStringLiteral("   ") << QVariant("");
        QTest::newRow("unticked with the edit filled deletes it")
            << QStringLiteral("abc") << false << QString() << QVariant();
        QTest::newRow("unticked and emptied writes none")
            << QStringLiteral("abc") << false << QStringLiteral("") << QVariant("");
    }
    void passwordPage() {
        QFETCH(QString, stored);
        QFETCH(bool, tick);
        QFETCH(QString, typed);
        QFETCH(QVariant, after);
        AdditionConfigFixture f;
        if (!stored.isEmpty())
            f.store->setValue(QStringLiteral("Password"), stored);
        f.Show();
        f.ShowPage(Password);
        auto* box = f.W<QCheckBox>("cbUsePassword");
        auto* edit = f.W<QLineEdit>("txtPassword");
        // Shown in clear, as stored.
        QCOMPARE(box->isChecked(), !stored.isEmpty());
        QCOMPARE(edit->text(), stored);
        QCOMPARE(edit->isEnabled(), !stored.isEmpty());
        QCOMPARE(edit->echoMode(), QLineEdit::Normal);
        // The box is ticked before typing and unticked after, as the edit is enabled only while
        // the box is ticked.
        auto toggle = [&] {
            if (box->isChecked() != tick)
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        };
        if (tick)
            toggle();
        if (!typed.isNull()) {
            edit->clear();
            Type(edit, typed);
        }
        if (!tick)
            toggle();
        QCOMPARE(edit->isEnabled(), tick);
        QVERIFY(f.Apply(Password)->isEnabled());
        QTest::mouseClick(f.Apply(Password), Qt::LeftButton);
        QVERIFY(!f.Apply(Password)->isEnabled());

        QSettings reread(f.StorePath(), QSettings::IniFormat);
        QCOMPARE(reread.contains(QStringLiteral("Password")), after.isValid());
        if (after.isValid())
            QCOMPARE(reread.value(QStringLiteral("Password")).toString(), after.toString());
        // Only its user may read the store, also after the store is written again for other values.
        const auto othersMayRead = [&] {
            return QFileInfo(f.StorePath()).permissions() & (QFile::ReadGroup | QFile::ReadOther);
        };
        QCOMPARE(othersMayRead(), QFile::Permissions());
        f.store->setValue(QStringLiteral("PreviousFiles/1"), QStringLiteral("/t/a.qzf"));
        f.store->sync();
        QCOMPARE(othersMayRead(), QFile::Permissions());
        // The open dialog is not locked again; the next opening asks only if a password is left.
        f.form.reset();
        f.store = std::make_unique<QSettings>(f.StorePath(), QSettings::IniFormat);
        ModalWatcher watcher;
        f.Make().OpenWithPassword();
        QCOMPARE(f.prompts.passwordRequests, after.toString().isEmpty() ? 0 : 1);
    }

    void unappliedEditsAreDroppedWhenThePageIsShownAgain() {
        AdditionConfigFixture f;
        f.settings.RemoteHost = "teacher";
        f.Show();
        f.ShowPage(Net);
        auto* host = f.W<QLineEdit>("Edit_RemoteHost");
        QCOMPARE(host->text(), QStringLiteral("teacher"));
        QVERIFY(!f.Apply(Net)->isEnabled());
        Type(host, QStringLiteral("-2"));
        QVERIFY(f.Apply(Net)->isEnabled());
        f.ShowPage(Folder);
        f.ShowPage(Net);
        QCOMPARE(host->text(), QStringLiteral("teacher"));
        QVERIFY(!f.Apply(Net)->isEnabled());
        QCOMPARE(f.settings.RemoteHost, QByteArray("teacher"));
    }

    void netPageApply_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QByteArray>("remoteHost");
        QTest::addColumn<int>("remotePort");
        QTest::newRow("port cleared")
            << QStringLiteral("10.0.0.5") << QString() << QByteArray("10.0.0.5") << 0;
        QTest::newRow("host as typed") << QStringLiteral(" школа ") << QStringLiteral("6000")
                                       << QByteArray(" \xF8\xEA\xEE\xEB\xE0 ") << 6000;
        QTest::newRow("port too large for a number")
            << QStringLiteral("h") << QStringLiteral("99999999999") << QByteArray("h") << 0;
    }
    void netPageApply() {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QByteArray, remoteHost);
        QFETCH(int, remotePort);
        AdditionConfigFixture f;
        f.Show();
        f.ShowPage(Net);
        f.W<QLineEdit>("Edit_RemoteHost")->setText(host);
        auto* portEdit = f.W<QLineEdit>("Edit_RemotePort");
        portEdit->clear();
        Type(portEdit, port);
        // A keyboard user applies with Enter on the focused button.
        QPushButton* apply = f.Apply(Net);
        apply->setFocus();
        QTest::keyClick(apply, Qt::Key_Return);
        QCOMPARE(f.settings.RemoteHost, remoteHost);
        QCOMPARE(f.settings.RemotePort, remotePort);
        QVERIFY(!apply->isEnabled());
    }

    void portTakesDigitsOnly() {
        AdditionConfigFixture f;
        f.Show();
        f.ShowPage(Net);
        auto* port = f.W<QLineEdit>("Edit_RemotePort");
        port->clear();
        QTest::keyClicks(port, QStringLiteral("5a0 0-5"));
        QCOMPARE(port->text(), QStringLiteral("5005"));
        QCOMPARE(f.beeps, 3);
        QTest::keyClick(port, Qt::Key_Backspace);
        QTest::keyClick(port, Qt::Key_Left);
        QTest::keyClick(port, Qt::Key_Delete);
        QCOMPARE(port->text(), QStringLiteral("50"));
        QCOMPARE(f.beeps, 3);
    }

    void autoFetchFollowsSendingResults() {
        AdditionConfigFixture f;
        f.settings.IsSendResult = false;
        f.settings.IsAutoGetTestFromStart = true;
        f.Show();
        f.ShowPage(Net);
        auto* send = f.W<QCheckBox>("CheckBox_SendResult");
        auto* autoGet = f.W<QCheckBox>("cbAutoGetTestFromStart");
        QVERIFY(!autoGet->isEnabled());
        QVERIFY(autoGet->isChecked());
        Type(f.W<QLineEdit>("Edit_RemoteHost"), QStringLiteral("x"));
        QVERIFY(!autoGet->isEnabled());
        QTest::mouseClick(send, Qt::LeftButton, {}, QPoint(4, send->height() / 2));
        QVERIFY(autoGet->isEnabled());
        QTest::mouseClick(send, Qt::LeftButton, {}, QPoint(4, send->height() / 2));
        QVERIFY(!autoGet->isEnabled());
        QVERIFY(autoGet->isChecked());
        // Disabled but ticked is applied as ticked.
        QTest::mouseClick(f.Apply(Net), Qt::LeftButton);
        QVERIFY(!f.settings.IsSendResult);
        QVERIFY(f.settings.IsAutoGetTestFromStart);
    }

    void connectionCheckNeedsHostAndPort() {
        AdditionConfigFixture f;
        f.Show();
        f.ShowPage(Net);
        auto* host = f.W<QLineEdit>("Edit_RemoteHost");
        auto* port = f.W<QLineEdit>("Edit_RemotePort");
        auto* test = f.W<QPushButton>("bbTestNet");
        auto* note = f.W<QLabel>("lTestNet");
        QVERIFY(test->isEnabled() && note->isEnabled());
        host->setText(QStringLiteral("   "));
        QVERIFY(!test->isEnabled() && !note->isEnabled());
        host->setText(QStringLiteral("h"));
        port->clear();
        QVERIFY(!test->isEnabled() && !note->isEnabled());
        Type(port, QStringLiteral("1"));
        QVERIFY(test->isEnabled() && note->isEnabled());
    }

    void connectionCheck_data() {
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::newRow("server answers OK")
            << true << QStringLiteral("QuizarStudent") << QStringLiteral("Соединение прошло успешно...")
            << int(MsgIcon::None);
        QTest::newRow("no server") << false << QStringLiteral("Ошибка!")
                                   << QStringLiteral("Нет связи с сервером!") << int(MsgIcon::Error);
    }
    void connectionCheck() {
        QFETCH(bool, listening);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QFETCH(int, icon);
        FakeJournal journal;
        if (!listening)
            journal.Stop();
        AdditionConfigFixture f;
        f.settings.RemoteHost = "192.0.2.1"; // the settings are not what is checked
        f.Show();
        f.ShowPage(Net);
        f.W<QLineEdit>("Edit_RemoteHost")->setText(QStringLiteral("127.0.0.1"));
        f.W<QLineEdit>("Edit_RemotePort")->setText(QString::number(journal.Port()));
        auto* test = f.W<QPushButton>("bbTestNet");
        QTest::mouseClick(test, Qt::LeftButton);
        // One check at a time.
        QVERIFY(!test->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(f.prompts.messages.size(), 1, 30000);
        QCOMPARE(f.prompts.messages[0].caption, caption);
        QCOMPARE(f.prompts.messages[0].text, text);
        QCOMPARE(int(f.prompts.messages[0].icon), icon);
        QVERIFY(test->isEnabled());
        if (listening) {
            QCOMPARE(journal.Commands(), QList<QByteArray>({"TEST", "QUIT"}));
            QCOMPARE(journal.Requests("TEST").value(0).lines, QList<QByteArray>({"CLASS-7"}));
        }
        QCOMPARE(f.settings.RemoteHost, QByteArray("192.0.2.1"));
    }

    void folderPage() {
        AdditionConfigFixture f;
        f.settings.InitialDirOpenTest = "/srv/tests";
        f.Show();
        f.ShowPage(Folder);
        auto* initial = f.W<QLineEdit>("Edit_InitialDirOpenTest");
        auto* results = f.W<QLineEdit>("Edit_DirForResult");
        // A cancelled picker leaves the edit as it was.
        QTest::mouseClick(f.W<QPushButton>("Button_SelectInitialDirOpenTest"), Qt::LeftButton);
        QCOMPARE(f.folderStarts, QStringList{QStringLiteral("/srv/tests")});
        QCOMPARE(initial->text(), QStringLiteral("/srv/tests"));
        QVERIFY(!f.Apply(Folder)->isEnabled());
        // "Очистити" on an empty edit changes nothing.
        QTest::mouseClick(f.W<QPushButton>("Button_ClearDirForResult"), Qt::LeftButton);
        QVERIFY(!f.Apply(Folder)->isEnabled());
        f.folders.enqueue({true, QStringLiteral("/home/t/результати ")});
        QTest::mouseClick(f.W<QPushButton>("Button_SelectDirForResult"), Qt::LeftButton);
        QCOMPARE(results->text(), QStringLiteral("/home/t/результати "));
        QVERIFY(f.Apply(Folder)->isEnabled());
        QTest::mouseClick(f.W<QPushButton>("Button_ClearInitialDirOpenTest"), Qt::LeftButton);
        QCOMPARE(initial->text(), QString());
        QTest::mouseClick(f.Apply(Folder), Qt::LeftButton);
        QCOMPARE(f.settings.InitialDirOpenTest, QByteArray());
        QCOMPARE(f.settings.DirForResult, QByteArray("/home/t/\xF0\xE5\xE7\xF3\xEB\xFC\xF2\xE0\xF2\xE8"));
    }

    void resultFileNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QByteArray>("protectedFile");
        QTest::newRow("emptied") << QString() << QByteArray("QuizarStudent_Result.txt")
                                 << QByteArray("QuizarStudent_ProtectionResult.qzpr");
        QTest::newRow("blanks only") << QStringLiteral("   ") << QByteArray("QuizarStudent_Result.txt")
                                     << QByteArray("QuizarStudent_ProtectionResult.qzpr");
        QTest::newRow("a name, kept as typed")
            << QStringLiteral(" 7a.txt") << QByteArray(" 7a.txt") << QByteArray(" 7a.txt");
    }
    void resultFileNames() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, log);
        QFETCH(QByteArray, protectedFile);
        AdditionConfigFixture f;
        f.Show();
        f.ShowPage(SaveResult);
        QTest::mouseClick(f.W<QCheckBox>("cbIsSaveProtectionResult"), Qt::LeftButton, {}, QPoint(4, 8));
        for (const char* name : {"txtIsSaveResult", "txtIsSaveProtectionResult"}) {
            auto* edit = f.W<QLineEdit>(name);
            edit->clear();
            Type(edit, typed);
        }
        QTest::mouseClick(f.Apply(SaveResult), Qt::LeftButton);
        QCOMPARE(f.settings.ResultFileName, log);
        QCOMPARE(f.settings.ProtectionResultFileName, protectedFile);
        QVERIFY(f.settings.IsSaveResult);
        QVERIFY(f.settings.IsSaveProtectionResult);
        // The page shows what is now in force.
        QCOMPARE(f.W<QLineEdit>("txtIsSaveResult")->text(), QString::fromLatin1(log));
        QVERIFY(!f.Apply(SaveResult)->isEnabled());
    }

    void colourPicker() {
        AdditionConfigFixture f;
        f.settings.ColorCollation[6] = 0x123456;
        f.Show();
        f.ShowPage(Colors);
        auto* correct = f.W<ColorSwatch>("ColorCorrect");
        QCOMPARE(correct->Color(), f.settings.ColorCorrect);

        // The same colour again: nothing changes.
        f.colors.enqueue(f.settings.ColorCorrect);
        QTest::mouseClick(f.W<QPushButton>("bbColorCorrect"), Qt::LeftButton);
        QCOMPARE(f.colorInitials, QList<quint32>{f.settings.ColorCorrect});
        QVERIFY(!f.Apply(Colors)->isEnabled());
        // The picker's custom colours: A and B the answers, C to L the pairs, the rest unset.
        CustomColorList::Slots seeded{};
        seeded.fill(CustomColorList::EmptySlot);
        seeded[0] = f.settings.ColorCorrect;
        seeded[1] = f.settings.ColorError;
        for (size_t i = 0; i < 10; ++i)
            seeded[i + 2] = f.settings.ColorCollation[i];
        QCOMPARE(f.slotsSeen.value(0), seeded);

        // Cancelled: nothing changes. The user left a custom colour in slot A, which the picker
        // keeps for the rest of this opening even when the page is shown again.
        f.editSlots = [](CustomColorList::Slots& custom) { custom[0] = 0x00FF00; };
        QTest::mouseClick(f.W<QPushButton>("bbColorError"), Qt::LeftButton);
        QVERIFY(!f.Apply(Colors)->isEnabled());
        f.editSlots = nullptr;
        f.ShowPage(Folder);
        f.ShowPage(Colors);

        // The matching buttons each reach their own swatch.
        f.colors.enqueue(0xABCDEF);
        QTest::mouseClick(f.W<QPushButton>("bbColorCollation7"), Qt::LeftButton);
        QCOMPARE(f.colorInitials.last(), quint32(0x123456));
        QCOMPARE(f.slotsSeen.last()[0], quint32(0x00FF00));
        QCOMPARE(f.slotsSeen.last()[8], quint32(0x123456));
        QCOMPARE(f.W<ColorSwatch>("ColorCollation7")->Color(), quint32(0xABCDEF));
        QCOMPARE(f.W<ColorSwatch>("ColorCollation6")->Color(), f.settings.ColorCollation[5]);
        QVERIFY(f.Apply(Colors)->isEnabled());
        QCOMPARE(f.settings.ColorCollation[6], quint32(0x123456));
        QTest::mouseClick(f.Apply(Colors), Qt::LeftButton);
        QCOMPARE(f.settings.ColorCollation[6], quint32(0xABCDEF));
        QCOMPARE(f.settings.ColorCorrect, TSettings().ColorCorrect);
    }

    void userNamePageTakesTextsAsTyped() {
        AdditionConfigFixture f;
        f.Show();
        f.ShowPage(UserName);
        const QStringList edits = {"txtDefaultUserName",  "txtUserNameExpression", "txtUserNameExample",
                                   "txtTitleUserName",    "txtDefaultUserGroup",   "txtUserGroupExpression",
                                   "txtUserGroupExample", "txtTitleUserGroup"};
        QCOMPARE(f.W<QLineEdit>("txtUserNameExample")->text(), QStringLiteral("Иванов Иван"));
        for (const QString& name : edits) {
            auto* edit = f.W<QLineEdit>(qPrintable(name));
            edit->setText(u' ' + name + QStringLiteral(" [ "));
        }
        QTest::mouseClick(f.W<QCheckBox>("cbIsSaveLastUser"), Qt::LeftButton, {}, QPoint(4, 8));
        QTest::mouseClick(f.Apply(UserName), Qt::LeftButton);
        const TSettings& s = f.settings;
        const QList<QByteArray> got = {s.DefaultUserName,  s.UserNameExpression, s.UserNameExample,
                                       s.TitleUserName,    s.DefaultUserGroup,   s.UserGroupExpression,
                                       s.UserGroupExample, s.TitleUserGroup};
        for (qsizetype i = 0; i < edits.size(); ++i)
            QCOMPARE(got[i], (u' ' + edits[i] + QStringLiteral(" [ ")).toLatin1());
        QVERIFY(!s.IsSaveLastUser);
    }

    void soundPageShowsTheSettings_data() {
        QTest::addColumn<bool>("useSound");
        QTest::addColumn<bool>("useDefault");
        QTest::addColumn<bool>("userFileEnabled");
        QTest::addColumn<bool>("userFileChecked");
        QTest::addColumn<bool>("fileControls");
        QTest::newRow("built-in sound") << true << true << true << false << false;
        QTest::newRow("own file") << true << false << true << true << true;
        QTest::newRow("no sound") << false << true << false << false << false;
    }
    void soundPageShowsTheSettings() {
        QFETCH(bool, useSound);
        QFETCH(bool, useDefault);
        QFETCH(bool, userFileEnabled);
        QFETCH(bool, userFileChecked);
        QFETCH(bool, fileControls);
        AdditionConfigFixture f;
        f.settings.IsUseSound = useSound;
        f.settings.IsUseDefaultSound = useDefault;
        f.settings.SoundFileName = "bell.wav";
        f.Show();
        f.ShowPage(Sound);
        QCOMPARE(f.W<QCheckBox>("cbUseSound")->isChecked(), useSound);
        QCOMPARE(f.W<QCheckBox>("cbUserSoundFile")->isEnabled(), userFileEnabled);
        QCOMPARE(f.W<QCheckBox>("cbUserSoundFile")->isChecked(), userFileChecked);
        for (const char* name :
             {"txtUserSoundFile", "bbSelectUserSoundFile", "txtUserSoundDir", "bbSelectUserSoundDir"})
            QCOMPARE(f.W<QWidget>(name)->isEnabled(), fileControls);
        QCOMPARE(f.W<QLineEdit>("txtUserSoundFile")->text(), QStringLiteral("bell.wav"));
        QVERIFY(f.W<QPushButton>("bbSoundProba")->isEnabled());
        QVERIFY(!f.Apply(Sound)->isEnabled());
    }

    void soundPageTrialAndApply() {
        AdditionConfigFixture f;
        f.settings.SoundFileName = "old.wav";
        f.settings.SoundFileDir = "/old/";
        f.Show();
        f.ShowPage(Sound);
        auto* useSound = f.W<QCheckBox>("cbUseSound");
        auto* userFile = f.W<QCheckBox>("cbUserSoundFile");
        auto* proba = f.W<QPushButton>("bbSoundProba");
        // The user's file is not ticked: the built-in chime, whatever the edits hold.
        QTest::mouseClick(proba, Qt::LeftButton);
        QCOMPARE(f.played.size(), 1);
        QCOMPARE(f.played[0].kind, EndSoundChoice::BuiltIn);

        QTest::mouseClick(userFile, Qt::LeftButton, {}, QPoint(4, 8));
        QVERIFY(f.W<QLineEdit>("txtUserSoundFile")->isEnabled());
        f.soundFiles.enqueue(QStringLiteral("/home/t/Звуки/Дзвін.WAV"));
        QTest::mouseClick(f.W<QPushButton>("bbSelectUserSoundFile"), Qt::LeftButton);
        QCOMPARE(f.W<QLineEdit>("txtUserSoundFile")->text(), QStringLiteral("Дзвін.WAV"));
        QCOMPARE(f.W<QLineEdit>("txtUserSoundDir")->text(), QStringLiteral("/home/t/Звуки/"));
        // A cancelled folder picker keeps the folder; an emptied folder is the program's.
        QTest::mouseClick(f.W<QPushButton>("bbSelectUserSoundDir"), Qt::LeftButton);
        QCOMPARE(f.W<QLineEdit>("txtUserSoundDir")->text(), QStringLiteral("/home/t/Звуки/"));
        QTest::mouseClick(proba, Qt::LeftButton);
        QCOMPARE(f.played.last().kind, EndSoundChoice::WaveFile);
        QCOMPARE(f.played.last().path, QStringLiteral("/home/t/Звуки/Дзвін.WAV"));
        f.W<QLineEdit>("txtUserSoundDir")->setText(QStringLiteral("  "));
        QTest::mouseClick(proba, Qt::LeftButton);
        QCOMPARE(f.played.last().path, f.ProgramFolder() + QStringLiteral("/Дзвін.WAV"));

        QTest::mouseClick(f.Apply(Sound), Qt::LeftButton);
        QVERIFY(f.settings.IsUseSound);
        QVERIFY(!f.settings.IsUseDefaultSound);
        QCOMPARE(f.settings.SoundFileName, QByteArray("\xC4\xE7\xE2\xB3\xED.WAV"));
        QCOMPARE(f.settings.SoundFileDir, QByteArray());

        // Sound off: the trial goes, the rest is disabled, and applying empties the file.
        QTest::mouseClick(useSound, Qt::LeftButton, {}, QPoint(4, 8));
        QVERIFY(!proba->isEnabled());
        QVERIFY(!userFile->isEnabled());
        QVERIFY(!f.W<QLineEdit>("txtUserSoundFile")->isEnabled());
        QTest::mouseClick(f.Apply(Sound), Qt::LeftButton);
        QVERIFY(!f.settings.IsUseSound);
        QVERIFY(f.settings.IsUseDefaultSound);
        QCOMPARE(f.settings.SoundFileName, QByteArray());
    }

    void keyboardAlone() {
        AdditionConfigFixture f;
        TStudentAdditionConfigForm& form = f.Show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QWidget* tabs = form.PageTabs()->Tabs();
        tabs->setFocus();
        QTabWidget* pages = form.PageControl();
        // Arrows move along the tabs; Ctrl+Tab goes round the pages from anywhere.
        QTest::keyClick(tabs, Qt::Key_Right);
        QTest::keyClick(tabs, Qt::Key_Right);
        QCOMPARE(pages->currentWidget()->objectName(), Net);
        // Tab goes through the page's controls in order and back to the tabs; disabled ones are
        // passed over.
        QStringList order;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(order, QStringList({"Edit_RemoteHost", "Edit_RemotePort", "CheckBox_SendResult", "bbTestNet",
                                     "PageTabs", "Edit_RemoteHost"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pages->currentWidget()->objectName(), Folder);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("tsLnk"));
        tabs->setFocus();
        QTest::keyClick(tabs, Qt::Key_End);
        QCOMPARE(pages->currentWidget()->objectName(), Password);
        QTest::keyClick(tabs, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pages->currentIndex(), 0);
        // Escape closes the dialog, as the close box does.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    }

    void tabsTakeClicks() {
        AdditionConfigFixture f;
        TStudentAdditionConfigForm& form = f.Show();
        MultiRowTabWidget* tabs = form.PageTabs();
        QTabWidget* pages = form.PageControl();
        for (int i : {8, 3, 0, 5}) {
            const QPoint at = tabs->Tabs()->mapFrom(tabs, tabs->TabRect(i).center());
            QTest::mouseClick(tabs->Tabs(), Qt::LeftButton, {}, at);
            QCOMPARE(pages->currentIndex(), i);
            // The current tab's row lies next to the pages.
            int lowest = 0;
            for (int t = 0; t < pages->count(); ++t)
                lowest = std::max(lowest, tabs->TabRect(t).bottom());
            QCOMPARE(tabs->TabRect(i).bottom(), lowest);
        }
    }
};

QTEST_MAIN(TestAdditionConfig)
#include "tst_additionconfig.moc"
