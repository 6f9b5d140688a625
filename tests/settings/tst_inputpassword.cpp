// The password dialog: masking, the check box and its focus, and what it remembers however it
// closes.
#include "WidgetTesting.h"
#include "settings/gui/InputPasswordForm.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

class TestInputPassword : public QObject {
    Q_OBJECT

    QLineEdit* Edit(TInputPasswordForm& form) { return form.findChild<QLineEdit*>("EditInputPassword"); }
    QCheckBox* Check(TInputPasswordForm& form) { return form.findChild<QCheckBox*>("CheckBoxPasswordChar"); }

private slots:
    void ShowingResetsAndCheckBoxTogglesMasking() {
        QWidget owner;
        owner.resize(600, 400);
        owner.show();
        TInputPasswordForm form(&owner);
        QCOMPARE(form.windowTitle(), QStringLiteral("Введіть пароль"));
        QCOMPARE(Check(form)->text(), QStringLiteral("Показувати символи"));

        // Leave the dialog in a used state, then show it again: it starts over.
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClicks(Edit(form), QStringLiteral("old"));
        QTest::mouseClick(Check(form), Qt::LeftButton);
        form.hide();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(Edit(form)->text(), QString());
        QCOMPARE(Edit(form)->echoMode(), QLineEdit::Password);
        QVERIFY(!Check(form)->isChecked());
        // The dialog's focus child: what has the focus once the window is active.
        QCOMPARE(form.focusWidget(), Edit(form));

        Type(Edit(form), QStringLiteral("сЕкр 1"));
        QCOMPARE(Edit(form)->displayText(), QStringLiteral("******"));
        Edit(form)->setCursorPosition(0);
        QTest::mouseClick(Check(form), Qt::LeftButton);
        QCOMPARE(Edit(form)->echoMode(), QLineEdit::Normal);
        QCOMPARE(form.focusWidget(), Edit(form));
        QCOMPARE(Edit(form)->cursorPosition(), Edit(form)->text().size());
        QVERIFY(!Edit(form)->hasSelectedText());

        Edit(form)->setCursorPosition(1);
        QTest::mouseClick(Check(form), Qt::LeftButton);
        QCOMPARE(Edit(form)->echoMode(), QLineEdit::Password);
        QCOMPARE(form.focusWidget(), Edit(form));
        QCOMPARE(Edit(form)->cursorPosition(), Edit(form)->text().size());
    }

    void EnteredPasswordHoweverItCloses_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << "OKButton" << int(QDialog::Accepted);
        QTest::newRow("Cancel") << "CancelButton" << int(QDialog::Rejected);
        QTest::newRow("close box") << "close" << int(QDialog::Rejected);
        QTest::newRow("Escape") << "escape" << int(QDialog::Rejected);
    }
    void EnteredPasswordHoweverItCloses() {
        QFETCH(QString, how);
        QFETCH(int, result);
        TInputPasswordForm form;
        form.EnteredPassword = QStringLiteral("stale");
        const QString typed = QStringLiteral("  пароль 7 ");
        QTimer::singleShot(0, &form, [&] {
            Type(Edit(form), typed);
            if (how == QLatin1String("close"))
                form.close();
            else if (how == QLatin1String("escape"))
                QTest::keyClick(Edit(form), Qt::Key_Escape);
            else
                QTest::mouseClick(form.findChild<QPushButton*>(how), Qt::LeftButton);
        });
        // Should the dialog fail to close, this ends the loop instead of hanging the test.
        QTimer::singleShot(5000, &form, [&] { form.done(-1); });
        QCOMPARE(form.exec(), result);
        QCOMPARE(form.EnteredPassword, typed);
    }
};

QTEST_MAIN(TestInputPassword)
#include "tst_inputpassword.moc"
