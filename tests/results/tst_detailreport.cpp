#include "DocumentLines.h"
#include "ScriptedPrompts.h"
#include "model/ResultTest.h"
#include "model/Task.h"
#include "model/Test.h"
#include "model/TextCodec.h"
#include "results/gui/DetailReport.h"
#include "session/RandomGenerator.h"
#include "ui/gui/RichTextControl.h"
#include "ui/gui/TextViewForm.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <vector>

namespace {

const QLocale Comma(QLocale::Ukrainian, QLocale::Ukraine);
const QString Picture = QString(QChar::ObjectReplacementCharacter);
const QColor Green(0, 128, 0);
const QColor DarkRed(128, 0, 0);

TTask Task(int kind, const QByteArray& question, std::initializer_list<QByteArray> variants = {},
           std::initializer_list<qint32> keys = {}) {
    TTask t(kind);
    t.Question = question;
    int i = 0;
    for (const QByteArray& v : variants)
        t.Variants[size_t(i++)] = v;
    i = 0;
    for (qint32 k : keys)
        t.Keys[size_t(i++)] = k;
    return t;
}

// A small test with one task of every kind, plus a point task whose picture is missing.
std::vector<TTask> EveryKind() {
    std::vector<TTask> tasks;
    TTask single = Task(SingleChoice, "{\\rtf1 {\\b Q1}}", {"a", "b", "c"}, {0, 1, 0});
    single.Picture = "pic.png";
    single.Weight = 2;
    tasks.push_back(single);
    tasks.push_back(Task(MultipleChoice, "Q2", {"a", "b", "c", "d"}, {0, 1, 0, 1}));
    tasks.push_back(Task(Ordering, "Q3", {"o1", "o2", "o3"}, {2, 3, 1}));
    TTask matching = Task(Matching, "Q4", {"x", "y"}, {2, 1});
    matching.Matches[0] = "X";
    matching.Matches[1] = "Y";
    matching.Matches[2] = "Z";
    tasks.push_back(matching);
    tasks.push_back(Task(TrueFalse, "Q5", {"s1", "s2", "s3"}, {1, 2, 0}));
    TTask number = Task(InputNum, "Q6");
    number.NumIsRange = true;
    number.NumFrom = 1.5;
    number.NumTo = 2;
    tasks.push_back(number);
    TTask text = Task(InputText, "Q7");
    text.TextAnswers = TextCodec::ToCp1251(u"Київ\r\nKyiv");
    tasks.push_back(text);
    TTask point = Task(PointOnPicture, "Q8");
    point.Picture = "map.png";
    point.Area = {10, 5, 20, 10};
    point.Weight = 4;
    tasks.push_back(point);
    TTask lost = Task(PointOnPicture, "Q9");
    lost.Picture = "gone.png";
    tasks.push_back(lost);
    return tasks;
}

QImage Blank(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

struct Fixture {
    TTest test{QString(), QString(), QDateTime()};
    std::vector<TTask> tasks = EveryKind();
    TResultTest result{int(EveryKind().size())};
    ScriptedPrompts prompts;
    RandomGenerator random{[] { return 12345u; }};
    QStringList loaded;
    QTextDocument doc;

    Fixture() {
        test.FileName = QStringLiteral("/tests/algebra.qzf");
        test.Title = TextCodec::ToCp1251(u"Алгебра");
        test.TempFolder = QStringLiteral("/att/");
        for (int t = 0; t < int(tasks.size()); ++t)
            result.Order.append(t);
        // The report control's font, which the size steps start from.
        QFont font(QStringLiteral("Times New Roman"));
        font.setPointSize(12);
        doc.setDefaultFont(font);
    }

    QList<DocLine> Write() {
        DetailReportSources sources{random, prompts, Comma, [this](const QString& path) {
                                        loaded.append(path);
                                        if (path.endsWith(QLatin1String("pic.png")))
                                            return Blank(30, 20);
                                        if (path.endsWith(QLatin1String("map.png")))
                                            return Blank(40, 30);
                                        return QImage();
                                    }};
        WriteDetailReport(doc, test, tasks, result, sources);
        return LinesOf(doc);
    }
};

QStringList Heading(int n, const char16_t* verdict, const QString& question) {
    return {QString(), QStringLiteral("Задание # %1 - %2!").arg(n).arg(QString::fromUtf16(verdict)),
            u"Вопрос:"_qs, question};
}

} // namespace

class TestDetailReport : public QObject {
    Q_OBJECT
private slots:
    void everyKindInOrder() {
        Fixture f;
        f.result.TaskPoints = {2, 0, -1, 1, 0, 1, 0, 4, -1};
        const QList<DocLine> lines = f.Write();

        QStringList expected{u"Тест: /tests/algebra.qzf"_qs, u"Алгебра"_qs};
        expected << Heading(1, u"верно", u"Q1"_qs) << u"Изображение:"_qs << Picture << QString() << QString()
                 << u"Оберіть один із 3 варіантів відповіді:"_qs << u"1) a"_qs << u"2) b"_qs << u"3) c"_qs
                 << QString() << u"Верный ответ (2 б.): 2;"_qs << QString();
        expected << Heading(2, u"ошибка", u"Q2"_qs) << QString()
                 << u"Оберіть декілька із 4 варіантів відповіді:"_qs << u"1) a"_qs << u"2) b"_qs << u"3) c"_qs
                 << u"4) d"_qs << QString() << u"Верные ответы (1 б.): 2; 4; "_qs << QString();
        expected << Heading(3, u"ошибка", u"Q3"_qs) << QString()
                 << u"Вкажіть порядок слідування всіх 3 варіантів відповіді:"_qs << u"__ o1"_qs << u"__ o2"_qs
                 << u"__ o3"_qs << QString() << u"Верные ответы (1 б.): "_qs << u"\t2; "_qs << u"\t3; "_qs
                 << u"\t1; "_qs << QString();
        expected << Heading(4, u"верно", u"Q4"_qs) << QString()
                 << u"Вкажіть відповідність для всіх 2 варіантів відповіді:"_qs << u"1) X"_qs << u"2) Y"_qs
                 << u"3) Z"_qs << QString() << u"__ x"_qs << u"__ y"_qs << QString()
                 << u"Верные ответы (1 б.): "_qs << u"\t2; "_qs << u"\t1; "_qs << QString();
        expected << Heading(5, u"ошибка", u"Q5"_qs) << QString()
                 << u"Вкажіть істинність або хибність для 3 варіантів відповіді:"_qs << u"__ s1"_qs
                 << u"__ s2"_qs << u"__ s3"_qs << QString() << u"Верные ответы (1 б.): "_qs << u"\tДа; "_qs
                 << u"\tНет; "_qs << u"\t; "_qs << QString();
        expected << Heading(6, u"верно", u"Q6"_qs) << QString() << u"Запишіть число:"_qs << QString(42, u'_')
                 << QString() << u"Верный ответ (1 б.) в диапазоне от 1,5 до 2."_qs << QString();
        expected << Heading(7, u"ошибка", u"Q7"_qs) << QString() << u"Запишіть відповідь:"_qs
                 << QString(42, u'_') << QString() << u"Верный ответ (1 б.): \"Київ\"."_qs << QString();
        expected << Heading(8, u"верно", u"Q8"_qs) << QString() << u"Вкажіть місце на малюнку:"_qs << Picture
                 << QString() << QString() << u"Верный ответ (4 б.):"_qs << Picture << QString() << QString();
        // The missing picture: heading, question and prompt only.
        expected << Heading(9, u"ошибка", u"Q9"_qs) << QString() << u"Вкажіть місце на малюнку:"_qs
                 << QString();
        expected << u"Кінець"_qs << QString();
        QCOMPARE(TextsOf(lines), expected);

        // Pictures come from the test's folder; the one that fails is reported once.
        QCOMPARE(f.loaded, (QStringList{u"/att/pic.png"_qs, u"/att/map.png"_qs, u"/att/gone.png"_qs}));
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages[0].text, u"Ошибка загрузки изображения!"_qs);

        // Looks: grey italic file line, centred title, dark red bold underlined headings, green
        // right answers (every line of a multi-line one), the question fragment in its own format.
        QCOMPARE(ColourOf(lines[0].format), QColor(128, 128, 128));
        QVERIFY(lines[0].format.fontItalic());
        QCOMPARE(lines[1].alignment & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QVERIFY(IsBold(lines[1].format) && lines[1].format.fontItalic());
        QCOMPARE(lines[1].format.fontPointSize(), 12.0);
        for (const DocLine& l : lines) {
            if (l.text.startsWith(u"Задание #")) {
                QCOMPARE(ColourOf(l.format), DarkRed);
                QVERIFY(IsBold(l.format) && l.format.fontUnderline());
                QCOMPARE(l.alignment & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
            }
            if (l.text.startsWith(u"Верн") || l.text.startsWith(u'\t'))
                QCOMPARE(ColourOf(l.format), Green);
        }
        const qsizetype q1 = expected.indexOf(u"Q1"_qs);
        QVERIFY(IsBold(lines[q1].format));
        QVERIFY(!lines[q1].format.fontUnderline());
        QCOMPARE(ColourOf(lines[q1].format), QColor());
        QCOMPARE(lines.last().alignment & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(lines[lines.size() - 2].text, u"Кінець"_qs);
    }

    void pointTaskShowsTheAreaOnACopy() {
        Fixture f;
        f.result.Order = {7};
        f.Write();
        QList<QImage> pictures;
        for (QTextBlock b = f.doc.begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it)
                if (it.fragment().charFormat().isImageFormat())
                    pictures.append(f.doc
                                        .resource(QTextDocument::ImageResource,
                                                  QUrl(it.fragment().charFormat().toImageFormat().name()))
                                        .value<QImage>());
        QCOMPARE(pictures.size(), 2);
        QCOMPARE(pictures[0].pixelColor(10, 5), QColor(Qt::white)); // the original stays clean
        QCOMPARE(pictures[1].size(), QSize(40, 30));
        QCOMPARE(pictures[1].pixelColor(10, 5), QColor(255, 0, 0)); // outline on the area's edges
        QCOMPARE(pictures[1].pixelColor(30, 15), QColor(255, 0, 0));
        QCOMPARE(pictures[1].pixelColor(5, 20), QColor(Qt::white)); // outside the area
        int hatch = 0, visible = 0;
        for (int y = 6; y < 15; ++y)
            for (int x = 11; x < 30; ++x)
                (pictures[1].pixelColor(x, y) == QColor(0, 128, 0) ? hatch : visible)++;
        QVERIFY(hatch > 0 && visible > 0); // the picture shows between the hatch lines
    }

    void shuffledVariantsKeepTheirAnswers() {
        Fixture f;
        f.test.RandomVariantOrder = true;
        f.result.Order = {1};
        const QStringList texts = TextsOf(f.Write());
        // The report draws its own order from the shared generator.
        QList<qint32> order{0, 1, 2, 3};
        RandomGenerator same([] { return 12345u; });
        ShuffleIndexes(order, same);
        QString right = u"Верные ответы (1 б.): "_qs;
        for (int j = 0; j < 4; ++j) {
            const QString variant = QString(QChar(u'a' + order[j]));
            QCOMPARE(texts.at(texts.indexOf(u"Оберіть декілька із 4 варіантів відповіді:"_qs) + 1 + j),
                     QStringLiteral("%1) %2").arg(j + 1).arg(variant));
            if (order[j] == 1 || order[j] == 3)
                right += QStringLiteral("%1; ").arg(j + 1);
        }
        QVERIFY(order != QList<qint32>({0, 1, 2, 3}));
        QVERIFY(texts.contains(right));
    }

    void shownInTheViewerWithoutTheClipboard() {
        Fixture f;
        f.result.Order = {0, 7};
        QApplication::clipboard()->setText(u"the pupil's own text"_qs);
        QWidget main;
        RichTextControl questionText(&main);
        QString caption, firstLine;
        int caret = -1;
        QTimer::singleShot(0, [&] {
            auto* viewer = qobject_cast<TTextViewForm*>(QApplication::activeModalWidget());
            QVERIFY(viewer);
            caption = viewer->windowTitle();
            firstLine = viewer->Viewer()->document()->firstBlock().text();
            caret = viewer->Viewer()->textCursor().position();
            QTest::mouseClick(viewer->OkButton(), Qt::LeftButton);
        });
        DetailReportSources sources{f.random, f.prompts, Comma, [](const QString&) { return Blank(8, 8); }};
        ShowDetailReport(main, questionText, f.test, f.tasks, f.result, sources);
        QCOMPARE(caption, u"Отчет по прохождению теста"_qs);
        QCOMPARE(firstLine, u"Тест: /tests/algebra.qzf"_qs);
        QCOMPARE(caret, 0);
        QCOMPARE(QApplication::clipboard()->text(), u"the pupil's own text"_qs);
        // The hidden report control is gone with the viewer.
        QCOMPARE(main.findChildren<RichTextControl*>().size(), 1);
    }
};

QTEST_MAIN(TestDetailReport)
#include "tst_detailreport.moc"
