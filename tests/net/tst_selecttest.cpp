// The choice of a test the server offers: the item texts, the dialog's rules, and the dialog as
// the chooser of a real fetch.
#include "FakeJournal.h"
#include "NetTesting.h"

#include "model/TextCodec.h"
#include "net/FetchExchange.h"
#include "net/TestEntries.h"
#include "net/gui/SelectTestForm.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

class TestSelectTest : public QObject {
    Q_OBJECT

    template <class T> static T* Child(QWidget& form, const char* name) {
        T* w = form.findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }

private slots:
    void itemTexts_data() {
        QTest::addColumn<QList<QByteArray>>("entries");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("backslash and colon")
            << QList<QByteArray>{"C:\\Tests\\a.qzf", "D:\\b.qzf"} << QStringList{"1) a.qzf", "2) b.qzf"};
        QTest::newRow("colon after the last backslash")
            << QList<QByteArray>{"C:\\dir\\x:y.qzf"} << QStringList{"1) y.qzf"};
        QTest::newRow("drive only") << QList<QByteArray>{"D:b.qzf"} << QStringList{"1) b.qzf"};
        QTest::newRow("no separator") << QList<QByteArray>{"plain.qzf"} << QStringList{"1) plain.qzf"};
        QTest::newRow("forward slashes stay")
            << QList<QByteArray>{"tests/a.qzf"} << QStringList{"1) tests/a.qzf"};
        QTest::newRow("ends with a separator") << QList<QByteArray>{"C:\\Tests\\"} << QStringList{"1) "};
        QTest::newRow("cp1251 name") << QList<QByteArray>{"C:\\\xD2\xE5\xF1\xF2.qzf"}
                                     << QStringList{QStringLiteral("1) Тест.qzf")};
    }
    void itemTexts() {
        QFETCH(QList<QByteArray>, entries);
        QFETCH(QStringList, items);
        QCOMPARE(SelectTestItems(entries), items);
    }

    void dialogChoosesTheSelectedItemOrNone_data() {
        QTest::addColumn<int>("row");   // row clicked before closing, -1 none
        QTest::addColumn<int>("close"); // 0 OK, 1 Cancel, 2 Escape
        QTest::addColumn<int>("chosen");
        QTest::newRow("OK on the first item") << -1 << 0 << 0;
        QTest::newRow("OK on the second item") << 1 << 0 << 1;
        QTest::newRow("Cancel") << 1 << 1 << -1;
        QTest::newRow("Escape") << 1 << 2 << -1;
    }
    void dialogChoosesTheSelectedItemOrNone() {
        QFETCH(int, row);
        QFETCH(int, close);
        QFETCH(int, chosen);
        TSelectTestForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Вибір тесту ..."));
        auto* list = Child<QListWidget>(form, "ListTest");
        // A list left from the previous fetch is replaced.
        form.Prepare({"old"});
        QList<int> answers;
        form.Ask({"C:\\Tests\\a.qzf", "D:\\b.qzf"}, [&](int index) { answers.append(index); });
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("2) b.qzf"));
        QCOMPARE(list->currentRow(), 0);
        if (row >= 0)
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(row)).center());
        if (close == 0)
            QTest::mouseClick(Child<QPushButton>(form, "bbOK"), Qt::LeftButton);
        else if (close == 1)
            QTest::mouseClick(Child<QPushButton>(form, "bbCancel"), Qt::LeftButton);
        else
            QTest::keyClick(&form, Qt::Key_Escape);
        QCOMPARE(answers, QList<int>{chosen});
        QVERIFY(!form.isVisible());
    }

    void emptyListOffersOnlyCancel() {
        TSelectTestForm form;
        QList<int> answers;
        form.Ask({}, [&](int index) { answers.append(index); });
        QVERIFY(!Child<QPushButton>(form, "bbOK")->isEnabled());
        QCOMPARE(form.SelectedIndex(), -1);
        // Enter on the default button does nothing while it is disabled.
        QTest::keyClick(&form, Qt::Key_Return);
        QVERIFY(answers.isEmpty());
        QTest::mouseClick(Child<QPushButton>(form, "bbCancel"), Qt::LeftButton);
        QCOMPARE(answers, QList<int>{-1});
    }

    // The dialog as a fetch's chooser: the pupil picks the second test and the server is asked for
    // exactly that entry.
    void dialogDrivesAFetch() {
        FakeJournal journal;
        journal.listReply = "YES\r\n2\r\nC:\\Tests\\a.qzf\r\nD:\\b.qzf\r\n";
        journal.getTestReply = "YES\r\nD:\\b.qzf\r\n4\r\nQZF!";
        TSelectTestForm form;
        FetchExchange fetch(
            Local(journal.Port()), "PC04",
            [&form](const QList<QByteArray>& entries, std::function<void(int)> choose) {
                form.Ask(entries, std::move(choose));
            },
            AnsweringLimits());
        QSignalSpy finished(&fetch, &Exchange::Finished);
        fetch.Start();
        QTRY_VERIFY_WITH_TIMEOUT(form.isVisible(), 30000);
        auto* list = Child<QListWidget>(form, "ListTest");
        QCOMPARE(list->count(), 2);
        list->setCurrentRow(1);
        QTest::mouseClick(Child<QPushButton>(form, "bbOK"), Qt::LeftButton);
        QVERIFY(finished.wait(30000));
        QCOMPARE(fetch.Result().end, FetchEnd::Loaded);
        QCOMPARE(fetch.Result().testFile, QByteArray("QZF!"));
        QCOMPARE(journal.Requests("GETTEST").value(0).lines, (QList<QByteArray>{"PC04", "D:\\b.qzf"}));
    }
};

QTEST_MAIN(TestSelectTest)
#include "tst_selecttest.moc"
