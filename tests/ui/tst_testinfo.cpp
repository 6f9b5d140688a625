#include "model/TextCodec.h"
#include "ui/gui/RichTextControl.h"
#include "ui/gui/TestInfo.h"
#include "ui/gui/TestInfoForm.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>

namespace {

QByteArray Cp(const QString& s) {
    return TextCodec::ToCp1251(s);
}

TestInfoData SampleTest() {
    TestInfoData t;
    t.Title = Cp(u"Алгебра"_qs);
    t.LoadedTaskCount = 12;
    t.Marks = {{2, 0, {}}, {3, 50, {}}, {4, 70, {}}, {5, 85, {}}};
    t.UId = "{GUID}";
    t.Created = 45000.5; // 15.03.2023 12:00:00
    t.Saved = 45001.25;
    return t;
}

QStringList Texts(const QList<InfoLine>& lines) {
    QStringList texts;
    for (const InfoLine& l : lines)
        texts.append(l.text);
    return texts;
}

} // namespace

class TestTestInfo : public QObject {
    Q_OBJECT
private slots:
    void loadedTestSummary() {
        TestInfoData t = SampleTest();
        const QList<InfoLine> lines = LoadedTestLines(t);
        QCOMPARE(
            Texts(lines),
            (QStringList{u"Открыт тест: \"Алгебра\""_qs, u"Всего заданий в тесте: 12."_qs,
                         u"Критерии оценивания:"_qs, u"  \"5\" не менее 85% макс. баллов;"_qs,
                         u"  \"4\" не менее 70% макс. баллов;"_qs, u"  \"3\" не менее 50% макс. баллов;"_qs,
                         u"Желаем выполнить все задания правильно..."_qs,
                         u"Для начала прохождения теста дайте команду Тест -> Начать..."_qs}));
        QVERIFY(lines[0].bold && !lines[1].bold);
        QVERIFY(lines[2].italic && lines[5].italic && !lines[6].italic);
    }

    void taskCount_data() {
        QTest::addColumn<bool>("useThemes");
        QTest::addColumn<int>("askTaskCount");
        QTest::addColumn<int>("summary");
        QTest::addColumn<int>("info");
        // 12 tasks loaded; topics on with 7 to ask in all.
        QTest::newRow("topics: the summary counts the topics, the window does not") << true << 5 << 7 << 5;
        QTest::newRow("a part of the tasks") << false << 5 << 5 << 5;
        QTest::newRow("zero means all") << false << 0 << 12 << 12;
        QTest::newRow("as many as loaded means all") << false << 12 << 12 << 12;
        QTest::newRow("more than loaded means all") << false << 40 << 12 << 12;
    }
    void taskCount() {
        QFETCH(bool, useThemes);
        QFETCH(int, askTaskCount);
        QFETCH(int, summary);
        QFETCH(int, info);
        TestInfoData t = SampleTest();
        t.UseThemes = useThemes;
        t.AskTaskCount = askTaskCount;
        t.TotalAskCount = 7;
        QCOMPARE(LoadedTestLines(t)[1].text, u"Всего заданий в тесте: %1."_qs.arg(summary));
        QCOMPARE(TestInfoLines(t)[1].text, u"Всего заданий в тесте: %1."_qs.arg(info));
    }

    void criteria() {
        TestInfoData t = SampleTest();
        t.Marks = {{1, 0, "x"}, {2, -5, {}}};
        QStringList texts = Texts(LoadedTestLines(t));
        QCOMPARE(texts[2], u"Критерии оценивания:"_qs);
        QCOMPARE(texts[3], u"Желаем выполнить все задания правильно..."_qs);
        t.Marks = {{4, 70, Cp(u"Хорошо"_qs)}};
        QCOMPARE(Texts(TestInfoLines(t))[3], u"  \"Хорошо\" не менее 70% макс. баллов;"_qs);
        t.Marks = {{4, 70, "A%2"}}; // a name is text, never a placeholder
        QCOMPARE(Texts(TestInfoLines(t))[3], u"  \"A%2\" не менее 70% макс. баллов;"_qs);
    }

    void informationLines() {
        TestInfoData t = SampleTest();
        QList<InfoLine> lines = TestInfoLines(t);
        QCOMPARE(Texts(lines).mid(6),
                 (QStringList{u"Порядок следования заданий: нормальный."_qs,
                              u"Порядок следования вариантов: нормальный."_qs, QString(),
                              u"UId теста: {GUID}"_qs, u"Тест создан: 15.03.2023 12:00:00."_qs,
                              u"Тест сохранен: 16.03.2023 06:00:00."_qs}));
        QVERIFY(!lines[8].hidden && lines[9].hidden && lines[10].hidden && lines[11].hidden);

        t.Author = Cp(u"Иванова"_qs);
        t.Description = "{\\rtf1 {\\b About} http://example.org/page.}";
        t.RandomTaskOrder = true;
        t.RandomVariantOrder = true;
        t.TestTimeLimit = 3725;
        QCOMPARE(
            Texts(TestInfoLines(t)).mid(6, 6),
            (QStringList{u"Автор теста: Иванова"_qs, u"Описание теста:"_qs,
                         u"About http://example.org/page."_qs, u"Порядок следования заданий: случайный."_qs,
                         u"Порядок следования вариантов: случайный."_qs,
                         u"Ограничение по времени для всего теста: 01:02:05."_qs}));
        t.TestTimeLimit = 25 * 3600 + 61;
        QVERIFY(Texts(TestInfoLines(t)).contains(u"Ограничение по времени для всего теста: 01:01:01."_qs));
    }

    void windowHidesTheLastLinesAndOpensLinks() {
        TestInfoData t = SampleTest();
        t.Description = "see www.example.org/a, please";
        TTestInfoForm form;
        QList<QUrl> opened;
        form.OpenUrl = [&](const QUrl& u) { opened.append(u); };
        form.Fill(t);
        QCOMPARE(form.windowTitle(), u"Інформація про тест"_qs);
        QCOMPARE(form.OkButton()->text(), u"ОК"_qs);
        const QColor background = form.Info()->palette().color(QPalette::Base);
        QCOMPARE(background, form.Info()->palette().color(QPalette::Button));
        QTextDocument* doc = form.Info()->document();
        const QTextCursor uid = doc->find(u"UId теста"_qs);
        QVERIFY(!uid.isNull());
        QCOMPARE(uid.charFormat().foreground().color(), background);
        const QTextCursor title = doc->find(u"Алгебра"_qs);
        QVERIFY(title.charFormat().foreground().color() != background);

        form.resize(600, 500);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTextCursor link = doc->find(u"example"_qs);
        QVERIFY(link.charFormat().isAnchor());
        QCOMPARE(link.charFormat().anchorHref(), u"http://www.example.org/a"_qs);
        const QPoint at = form.Info()->cursorRect(link).center();
        QTest::mouseClick(form.Info()->viewport(), Qt::RightButton, {}, at);
        QVERIFY(opened.isEmpty());
        QTest::mouseClick(form.Info()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(opened, QList<QUrl>{QUrl(u"http://www.example.org/a"_qs)});

        // The text, the unseen lines included, can be selected and copied.
        QGuiApplication::clipboard()->clear();
        form.Info()->selectAll();
        QTest::keySequence(form.Info(), QKeySequence::Copy);
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY2(copied.contains(u"Алгебра"_qs) && copied.contains(u"UId теста: {GUID}"_qs),
                 qPrintable(copied));
    }

    void showLoadedTestInTheQuestionArea() {
        QWidget window;
        RichTextControl question(&window);
        WriteUnderlined(question);
        bool zoomedWhileSuspended = false;
        ShowLoadedTest(SampleTest(), question, window,
                       [&] { zoomedWhileSuspended = !window.updatesEnabled(); });
        QVERIFY(zoomedWhileSuspended);
        QVERIFY(
            question.toPlainText().startsWith(u"Открыт тест: \"Алгебра\"\nВсего заданий в тесте: 12."_qs));
        QCOMPARE(question.textCursor().position(), 0);
        QTextCursor c(question.document());
        c.setPosition(3);
        QCOMPARE(c.charFormat().fontWeight(), int(QFont::Bold));
        c.setPosition(question.document()->findBlockByNumber(1).position() + 1);
        QVERIFY(c.charFormat().fontWeight() != QFont::Bold);
        QVERIFY(!c.charFormat().fontUnderline()); // nothing of the previous text carries over
        QVERIFY(window.updatesEnabled());
    }

    void instruction() {
        TestInfoData t = SampleTest();
        int opened = 0;
        QString caption;
        auto closeViewer = [&] {
            QTimer::singleShot(0, [&] {
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    ++opened;
                    caption = modal->windowTitle();
                    modal->close();
                }
            });
        };
        closeViewer();
        ShowTestInstruction(t, nullptr);
        QApplication::processEvents();
        QCOMPARE(opened, 0);
        t.Instruction = "{\\rtf1 Read carefully}";
        closeViewer();
        ShowTestInstruction(t, nullptr);
        QCOMPARE(opened, 1);
        QCOMPARE(caption, u"Инструкция к тесту \"Алгебра\""_qs);
    }

private:
    static void WriteUnderlined(RichTextControl& c) {
        QTextCursor cur(c.document());
        QTextCharFormat f;
        f.setFontUnderline(true);
        cur.insertText(u"old"_qs, f);
        c.setCurrentCharFormat(f);
    }
};

QTEST_MAIN(TestTestInfo)
#include "tst_testinfo.moc"
