// The settings dialog's association and shortcut pages as a user works them: what they show when
// they are shown, what apply does and says, inside temporary desktop folders.
#include "DesktopSandbox.h"
#include "ScriptedPrompts.h"
#include "settings/DesktopNames.h"
#include "settings/FileAssociation.h"
#include "settings/gui/AdditionConfigServices.h"
#include "settings/gui/AssociationSheet.h"
#include "settings/gui/LnkSheet.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

namespace {

const QString Program = QStringLiteral("/opt/quizar/QuizarStudent");

struct PageFixture {
    DesktopSandbox box;
    ScriptedPrompts prompts;

    AdditionConfigServices services;

    PageFixture() {
        services.prompts = &prompts;
        services.desktop = box.Context(Program);
    }
    QString Data(const QString& relative) const {
        return box.Path(QStringLiteral("home/.local/share/") + relative);
    }
};

template <typename T> T* Child(QWidget& page, const char* name) {
    T* child = page.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

// A click where a user clicks a check box: on its box. Its middle may lie beyond a short caption,
// where a click does nothing.
void Click(QCheckBox* box) {
    QStyleOptionButton option;
    option.initFrom(box);
    QTest::mouseClick(box, Qt::LeftButton, {},
                      box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).center());
}

} // namespace

class TestDesktopPages : public QObject {
    Q_OBJECT

private slots:
    void associationPageLooksAtTheDesktopEachTimeItIsShown() {
        QUIZAR_REQUIRE_TOOL("update-mime-database");
        PageFixture f;
        AssociationSheet page(f.services);
        QCOMPARE(page.objectName(), QStringLiteral("tsAssociation"));
        auto* box = Child<QCheckBox>(page, "cbExtQZF");
        auto* apply = Child<QPushButton>(page, "bbSetAssociation");
        QCOMPARE(box->text(), QStringLiteral("Асоціювати файли тестів  Quizar (.QZF) з програмою"));
        QCOMPARE(apply->text(), QStringLiteral("Застосувати"));
        page.show();
        QVERIFY(box->isEnabled() && !box->isChecked());
        QVERIFY(!apply->isEnabled());

        // Associated meanwhile (by another copy of the program): shown again, the box is checked
        // and disabled, so the association cannot be undone from here.
        page.hide();
        QVERIFY(FileAssociation(f.box.Context(Program)).WriteAssociation().Ok());
        page.show();
        QVERIFY(box->isChecked() && !box->isEnabled());
        QVERIFY(!apply->isEnabled());
        QVERIFY(f.prompts.messages.isEmpty());
    }

    // The program was moved: the association no longer names it, so the page offers it again,
    // and applying points every part of it to the new place.
    void movedProgramIsOfferedAndApplyRewritesAll() {
        QUIZAR_REQUIRE_TOOL("update-mime-database");
        PageFixture f;
        QVERIFY(FileAssociation(f.box.Context(QStringLiteral("/old/QuizarStudent"))).WriteAssociation().Ok());
        // Spoil a second fact as well: applying rewrites everything, not only what differs.
        QVERIFY(QDir(f.Data(QStringLiteral("icons"))).removeRecursively());
        AssociationSheet page(f.services);
        page.show();
        auto* box = Child<QCheckBox>(page, "cbExtQZF");
        auto* apply = Child<QPushButton>(page, "bbSetAssociation");
        QVERIFY(box->isEnabled() && !box->isChecked());
        Click(box);
        QVERIFY(apply->isEnabled());
        QTest::mouseClick(apply, Qt::LeftButton);

        QVERIFY(box->isChecked() && !box->isEnabled());
        // The button itself stays as it was; pressing it again does nothing.
        QVERIFY(apply->isEnabled());
        const FileAssociation now(f.box.Context(Program));
        QCOMPARE(int(now.Check()), int(AssociationFact::Associated));
        QVERIFY(DesktopSandbox::Read(now.HandlerEntryPath()).contains("Exec=/opt/quizar/QuizarStudent %f"));
        QVERIFY(f.box.Ran().last().startsWith(QLatin1String("update-desktop-database")));
        const qsizetype ran = f.box.Ran().size();
        QTest::mouseClick(apply, Qt::LeftButton);
        QCOMPARE(f.box.Ran().size(), ran);
        QVERIFY(f.prompts.messages.isEmpty());
    }

    void applyWithTheBoxClearedDoesNothing() {
        PageFixture f;
        AssociationSheet page(f.services);
        page.show();
        auto* box = Child<QCheckBox>(page, "cbExtQZF");
        auto* apply = Child<QPushButton>(page, "bbSetAssociation");
        Click(box);
        Click(box);
        QVERIFY(apply->isEnabled() && !box->isChecked());
        QTest::mouseClick(apply, Qt::LeftButton);
        QVERIFY(f.box.Ran().isEmpty());
        QVERIFY(!QFileInfo::exists(f.Data(QStringLiteral("mime"))));
        QVERIFY(!QFileInfo::exists(f.Data(QStringLiteral("applications"))));
        QVERIFY(f.prompts.messages.isEmpty());
    }

    // A write that fails is reported; the page is not refreshed and the desktop is not told.
    void failedWriteIsReported() {
        PageFixture f;
        QDir(f.Data(QStringLiteral("applications"))).removeRecursively();
        QVERIFY(DesktopSandbox::Write(f.Data(QStringLiteral("applications")), "not a folder"));
        f.services.desktop.run = f.box.Pretender();
        AssociationSheet page(f.services);
        page.show();
        auto* box = Child<QCheckBox>(page, "cbExtQZF");
        Click(box);
        QTest::mouseClick(Child<QPushButton>(page, "bbSetAssociation"), Qt::LeftButton);
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages[0].caption, QStringLiteral("QuizarStudent"));
        QCOMPARE(f.prompts.messages[0].icon, MsgIcon::Error);
        QVERIFY(f.prompts.messages[0].text.contains(f.Data(QStringLiteral("applications"))));
        QVERIFY(box->isChecked() && box->isEnabled());
        // The button keeps its state, so the user may try again.
        QVERIFY(Child<QPushButton>(page, "bbSetAssociation")->isEnabled());
        QCOMPARE(f.box.Ran(), QStringList{"update-mime-database " + f.Data(QStringLiteral("mime"))});
        // The type was written before the failure, and stays.
        QVERIFY(QFileInfo::exists(f.Data(QStringLiteral("mime/packages/quizar3-test.xml"))));
    }

    void shortcutsTwoMessagesDesktopFirstAndAgain() {
        PageFixture f;
        const QString desktop = f.box.Path(QStringLiteral("home/Desktop"));
        QVERIFY(QDir().mkpath(desktop));
        LnkSheet page(f.services);
        QCOMPARE(page.objectName(), QStringLiteral("tsLnk"));
        auto* onDesktop = Child<QCheckBox>(page, "cbLnkDesktop");
        auto* inMenu = Child<QCheckBox>(page, "cbLnkStart");
        auto* apply = Child<QPushButton>(page, "bbLnk");
        QCOMPARE(onDesktop->text(), QStringLiteral("На робочому столі"));
        QCOMPARE(inMenu->text(), QStringLiteral("В меню \"Пуск\""));
        page.show();
        QVERIFY(!onDesktop->isChecked() && !inMenu->isChecked() && !apply->isEnabled());
        Click(inMenu);
        QVERIFY(apply->isEnabled());
        Click(onDesktop);
        QTest::mouseClick(apply, Qt::LeftButton);

        const QStringList expected{QStringLiteral("Ярлык на Рабочем столе создан."),
                                   QStringLiteral("Ярлык в меню \"ПУСК\" создан.")};
        QCOMPARE(f.prompts.messages.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(f.prompts.messages[i].text, expected[i]);
            QCOMPARE(f.prompts.messages[i].caption, QStringLiteral("QuizarStudent"));
            QCOMPARE(f.prompts.messages[i].icon, MsgIcon::None);
        }
        QVERIFY(!apply->isEnabled());
        const QString onDesk = desktop + QStringLiteral("/QuizarStudent.desktop");
        const QString menuEntry = f.Data(QStringLiteral("applications/Quizar3/QuizarStudent.desktop"));
        const QByteArray entry = DesktopSandbox::Read(onDesk);
        QVERIFY(entry.contains("Exec=/opt/quizar/QuizarStudent\n"));
        QCOMPARE(DesktopSandbox::Read(menuEntry), entry);

        // Once more: both are written over and announced again.
        QVERIFY(DesktopSandbox::Write(onDesk, "changed"));
        QVERIFY(QFile::remove(menuEntry));
        Click(inMenu);
        Click(inMenu);
        QTest::mouseClick(apply, Qt::LeftButton);
        QCOMPARE(f.prompts.messages.size(), 4);
        QCOMPARE(f.prompts.messages[2].text, expected[0]);
        QCOMPARE(f.prompts.messages[3].text, expected[1]);
        QCOMPARE(DesktopSandbox::Read(onDesk), entry);
        QCOMPARE(DesktopSandbox::Read(menuEntry), entry);

        // Shown again, the page starts with both boxes cleared.
        page.hide();
        page.show();
        QVERIFY(!onDesktop->isChecked() && !inMenu->isChecked() && !apply->isEnabled());
    }

    // A shortcut that cannot be written says nothing; the other one is still made.
    void failedShortcutIsSilent() {
        PageFixture f; // no desktop folder
        LnkSheet page(f.services);
        page.show();
        Click(Child<QCheckBox>(page, "cbLnkDesktop"));
        Click(Child<QCheckBox>(page, "cbLnkStart"));
        QTest::mouseClick(Child<QPushButton>(page, "bbLnk"), Qt::LeftButton);
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Ярлык в меню \"ПУСК\" создан."));
        QVERIFY(!Child<QPushButton>(page, "bbLnk")->isEnabled());
    }
};

QTEST_MAIN(TestDesktopPages)
#include "tst_desktoppages.moc"
