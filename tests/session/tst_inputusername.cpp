// The name dialog: greeting by the clock, the first click clearing a default, the checks on OK with
// the balloon tip at the refused field, and what goes back to the caller.
#include "WidgetTesting.h"
#include "session/gui/InputUserNameForm.h"
#include "ui/gui/BalloonTip.h"

#include "ScriptedPrompts.h"
#include "model/TextCodec.h"
#include "ports/Clock.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <cstdlib>

namespace {
QByteArray Cp(const QString& text) {
    return TextCodec::ToCp1251(text);
}

// The dialog as a session hands it over with the default settings.
NameDialogData DefaultData() {
    const TSettings settings;
    NameDialogData data;
    data.userName = Cp(QStringLiteral("Коваль Олена"));
    data.userGroup = Cp(QStringLiteral("9 Б"));
    data.titleUserName = Cp(QStringLiteral("Прізвище та ім’я:"));
    data.titleUserGroup = Cp(QStringLiteral("Група:"));
    data.nameExpression = settings.UserNameExpression;
    data.groupExpression = settings.UserGroupExpression;
    data.nameExample = settings.UserNameExample;
    data.groupExample = settings.UserGroupExample;
    return data;
}

QRect GlobalRect(QWidget* w) {
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}
} // namespace

class TestInputUserName : public QObject {
    Q_OBJECT

    FixedClock m_clock{QDateTime(QDate(2026, 9, 1), QTime(8, 30))};
    ScriptedPrompts m_prompts;

    template <class T> static T* Child(QWidget& form, const char* name) {
        T* w = form.findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }
    static QLineEdit* Name(QWidget& form) { return Child<QLineEdit>(form, "UserName"); }
    static QLineEdit* Group(QWidget& form) { return Child<QLineEdit>(form, "UserGroup"); }

    void OpenAndWait(TInputUserNameForm& form, const NameDialogData& data) {
        form.Open(data);
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

private slots:
    void init() { m_prompts.messages.clear(); }

    void GreetingByHour_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("greeting");
        QTest::newRow("05:59") << QTime(5, 59, 59) << QStringLiteral("Доброй ночи!");
        QTest::newRow("06:00") << QTime(6, 0) << QStringLiteral("Доброе утро!");
        QTest::newRow("12:00") << QTime(12, 0) << QStringLiteral("Добрый день!");
        QTest::newRow("18:00") << QTime(18, 0) << QStringLiteral("Добрый вечер!");
    }
    void GreetingByHour() {
        QFETCH(QTime, time);
        QFETCH(QString, greeting);
        TInputUserNameForm form(m_clock, m_prompts);
        auto* hello = Child<QLabel>(form, "HelloLabel");
        QCOMPARE(hello->text(), QStringLiteral("Як Вас звати?"));
        QVERIFY(hello->font().bold());
        m_clock.Set(QDateTime(QDate(2026, 9, 1), time));
        OpenAndWait(form, DefaultData());
        QCOMPARE(hello->text(), greeting + QStringLiteral(" Как Вас Зовут?"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Почнемо тест?!"));
        // The titles come from the settings of this session.
        QCOMPARE(Child<QLabel>(form, "TitleUserName")->text(), QStringLiteral("Прізвище та ім’я:"));
        QCOMPARE(Child<QLabel>(form, "TitleUserGroup")->text(), QStringLiteral("Група:"));
    }

    void FirstClickClearsTheDefaultOnly() {
        TInputUserNameForm form(m_clock, m_prompts);
        OpenAndWait(form, DefaultData());
        QCOMPARE(Name(form)->text(), QStringLiteral("Коваль Олена"));

        QTest::mouseClick(Name(form), Qt::LeftButton);
        QCOMPARE(Name(form)->text(), QString());
        Type(Name(form), QStringLiteral("Ткач"));
        QTest::mouseClick(Name(form), Qt::LeftButton);
        QCOMPARE(Name(form)->text(), QStringLiteral("Ткач"));

        // Typing first counts as touching: a later click keeps what was typed.
        Group(form)->setFocus();
        QTest::keyClick(Group(form), Qt::Key_End);
        Type(Group(form), QStringLiteral("1"));
        QTest::mouseClick(Group(form), Qt::LeftButton);
        QCOMPARE(Group(form)->text(), QStringLiteral("9 Б1"));

        // Shown again, the dialog forgets that the fields were touched.
        form.reject();
        OpenAndWait(form, DefaultData());
        QVERIFY(!form.NameTouched && !form.GroupTouched);
        QTest::mouseClick(Group(form), Qt::LeftButton);
        QCOMPARE(Group(form)->text(), QString());
        QCOMPARE(Name(form)->text(), QStringLiteral("Коваль Олена"));
    }

    void RefusedFieldKeepsTheDialogOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("example");
        QTest::addColumn<bool>("byMouse");
        for (bool byMouse : {false, true}) {
            const char* how = byMouse ? "click" : "Enter";
            QTest::addRow("name of one word, %s", how) << "Коваль"
                                                       << "9 Б"
                                                       << "UserName"
                                                       << "Иванов Иван" << byMouse;
            QTest::addRow("name refused whatever the group, %s", how) << "коваль олена"
                                                                      << "99"
                                                                      << "UserName"
                                                                      << "Иванов Иван" << byMouse;
            QTest::addRow("group without a letter, %s", how) << "Коваль Олена"
                                                             << "12"
                                                             << "UserGroup"
                                                             << "10 А" << byMouse;
            QTest::addRow("the built-in group, %s", how) << "Коваль Олена"
                                                         << "Класс"
                                                         << "UserGroup"
                                                         << "10 А" << byMouse;
        }
    }
    void RefusedFieldKeepsTheDialogOpen() {
        QFETCH(QString, name);
        QFETCH(QString, group);
        QFETCH(QString, refused);
        QFETCH(QString, example);
        QFETCH(bool, byMouse);
        TInputUserNameForm form(m_clock, m_prompts);
        QSignalSpy accepted(&form, &QDialog::accepted);
        NameDialogData data = DefaultData();
        data.userName = Cp(name);
        data.userGroup = Cp(group);
        OpenAndWait(form, data);
        auto* ok = Child<QPushButton>(form, "OKButton");
        if (byMouse)
            QTest::mouseClick(ok, Qt::LeftButton);
        else
            QTest::keyClick(Name(form), Qt::Key_Return);

        QVERIFY(form.isVisible());
        QCOMPARE(accepted.count(), 0);
        BalloonTip* tip = form.RefusalTip();
        QTest::qWait(50); // what follows the click must not take the tip away
        QVERIFY(tip->isVisible());
        QCOMPARE(tip->Title(), QStringLiteral("Помилка введення!"));
        QCOMPARE(tip->Text(), QStringLiteral("Не відповідає шаблону!\nЗразок: \"%1\".").arg(example));
        // The tip lies against the refused field and leaves OK free.
        QLineEdit* target = Child<QLineEdit>(form, refused.toLatin1().constData());
        QVERIFY(tip->geometry().adjusted(-6, -6, 6, 6).intersects(GlobalRect(target)));
        QVERIFY(!tip->geometry().intersects(GlobalRect(ok)));
        QCOMPARE(form.focusWidget(), target);
        QVERIFY(m_prompts.messages.isEmpty());
    }

    // The dialog's own rewriting of a refused field counts as a change: the next click into it
    // keeps what the pupil typed.
    void ClickAfterRefusalKeepsTheText() {
        TInputUserNameForm form(m_clock, m_prompts);
        NameDialogData data = DefaultData();
        data.userName = Cp(QStringLiteral("коваль  олена"));
        OpenAndWait(form, data);
        QTest::mouseClick(Child<QPushButton>(form, "OKButton"), Qt::LeftButton);
        QVERIFY(form.isVisible());
        QTest::mouseClick(Name(form), Qt::LeftButton);
        QCOMPARE(Name(form)->text(), QStringLiteral("коваль олена"));
    }

    void AcceptedPairIsCollapsedAndWrittenBack() {
        TInputUserNameForm form(m_clock, m_prompts);
        NameDialogData data = DefaultData();
        data.userName = Cp(QStringLiteral("  Шевченко    Тарас "));
        data.userGroup = Cp(QStringLiteral(" 10   а  "));
        QTimer::singleShot(0, &form,
                           [&] { QTest::mouseClick(Child<QPushButton>(form, "OKButton"), Qt::LeftButton); });
        QTimer::singleShot(5000, &form, [&] { form.done(-1); }); // never hang
        QVERIFY(form.Run(data));
        QCOMPARE(data.userName, Cp(QStringLiteral("Шевченко Тарас")));
        QCOMPARE(data.userGroup, Cp(QStringLiteral("10 а")));
        QCOMPARE(Name(form)->text(), QStringLiteral("Шевченко Тарас"));
        // The settings' copies are not the caller's to lose.
        QCOMPARE(data.nameExample, TSettings().UserNameExample);
    }

    void ClosedWithoutOkKeepsWhatThePupilTyped() {
        TInputUserNameForm form(m_clock, m_prompts);
        NameDialogData data = DefaultData();
        QTimer::singleShot(0, &form, [&] {
            QTest::mouseClick(Name(form), Qt::LeftButton);
            Type(Name(form), QStringLiteral("Ткач  Ір"));
            form.close();
        });
        QTimer::singleShot(5000, &form, [&] { form.done(-1); });
        QVERIFY(!form.Run(data));
        QCOMPARE(data.userName, Cp(QStringLiteral("Ткач  Ір")));
        QCOMPARE(data.userGroup, Cp(QStringLiteral("9 Б")));
    }

    void BadExpressionIsReportedAndTheDialogStays() {
        TInputUserNameForm form(m_clock, m_prompts);
        NameDialogData data = DefaultData();
        data.groupExpression = "([0-9";
        OpenAndWait(form, data);
        QTest::mouseClick(Child<QPushButton>(form, "OKButton"), Qt::LeftButton);
        QVERIFY(form.isVisible());
        QCOMPARE(m_prompts.messages.size(), 1);
        QCOMPARE(m_prompts.messages.first().icon, MsgIcon::Error);
        QVERIFY(!m_prompts.messages.first().text.isEmpty());
        QVERIFY(!form.RefusalTip()->isVisible());
        // Mended settings let the same pupil through.
        form.reject();
        data.groupExpression.clear();
        OpenAndWait(form, data);
        QSignalSpy accepted(&form, &QDialog::accepted);
        QTest::keyClick(Group(form), Qt::Key_Return);
        QCOMPARE(accepted.count(), 1);
    }
};

QTEST_MAIN(TestInputUserName)
#include "tst_inputusername.moc"
