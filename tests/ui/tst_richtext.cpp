#include "MetafileWriter.h"
#include "WidgetTesting.h"
#include "model/TextCodec.h"
#include "ui/RtfReader.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <QUrl>

namespace {

QByteArray Cp(const QString& s) {
    return TextCodec::ToCp1251(s);
}

// The size in points of every character of the control, as one list.
QList<double> Sizes(const RichTextControl& c) {
    QList<double> sizes;
    for (QTextBlock b = c.document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            for (int i = 0; i < it.fragment().length(); ++i)
                sizes.append(c.BasePointSize(it.fragment().charFormat()));
    return sizes;
}

const QByteArray Mixed =
    "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}}\\f0\\fs2 ab\\fs24 "
    "cd\\fs23 e\\par}";

} // namespace

class TestRichText : public QObject {
    Q_OBJECT
private slots:
    void richTextToPlain_data() {
        QTest::addColumn<QByteArray>("fragment");
        QTest::addColumn<QByteArray>("plain");
        QTest::newRow("rtf gives its visible text")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1251 {\\b \\'cf\\'f0\\'e8}\\par \\'e2\\'e5\\'f2\\par}")
            << Cp(u"При\r\nвет"_qs);
        QTest::newRow("upper-case header is rtf") << QByteArray("{\\RTF1 {\\b x}}") << QByteArray("x");
        QTest::newRow("a blank before the header makes it plain")
            << QByteArray(" {\\rtf1 x}") << QByteArray("{\\rtf1 x}");
        QTest::newRow("rtf of blanks and breaks is empty")
            << QByteArray("{\\rtf1 \\par  \\line \\tab \\par}") << QByteArray();
        QTest::newRow("plain is trimmed") << QByteArray("  abc  ") << QByteArray("abc");
        QTest::newRow("plain keeps its inner lines") << Cp(u"\r\n а\r\nб \r\n"_qs) << Cp(u"а\r\nб"_qs);
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("pictures have no text")
            << QByteArray("{\\rtf1 a{\\pict\\wmetafile8\\picwgoal100\\pichgoal100 01}b}") << QByteArray("ab");
        QTest::newRow("characters beyond code page 1251 take a look-alike")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}{\\f1\\fcharset2 "
                          "Symbol;}}\\f0 "
                          "a{\\f1 \\'b3}b\\_c\\'85{\\f1 \\'bc}{\\f1 \\'a3}}")
            << QByteArray("a>b-c\x85\x85<");
        QTest::newRow("tables: cells by tabs, rows by line breaks")
            << QByteArray("{\\rtf1 \\trowd\\cellx1000\\cellx2000\\intbl a\\cell "
                          "b\\cell\\row\\trowd\\cellx1000\\cellx2000"
                          "\\intbl c\\cell d\\cell\\row\\pard after}")
            << QByteArray("a\tb\r\nc\td\r\nafter");
        QTest::newRow("no-break spaces stay") << QByteArray("{\\rtf1 a\\~b}")
                                              << QByteArray("a\xA0"
                                                            "b");
        QTest::newRow("list markers kept as text are left out")
            << QByteArray(
                   "{\\rtf1 {\\pntext 3)\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart3{\\pntxta )}}a\\par b}")
            << QByteArray("a\r\nb");
    }

    void noBreakSpaceKeepsWordsTogether() {
        auto lines = [](const QByteArray& fragment) {
            QTextDocument doc;
            ReadFragment(fragment, doc);
            doc.setTextWidth(1); // every break that may be taken is taken
            doc.documentLayout();
            return doc.begin().layout()->lineCount();
        };
        // One break fewer where the space does not break.
        QCOMPARE(lines("{\\rtf1 aaaa\\~bbbb cc}"), lines("{\\rtf1 aaaa bbbb cc}") - 1);
    }
    void richTextToPlain() {
        QFETCH(QByteArray, fragment);
        QFETCH(QByteArray, plain);
        QCOMPARE(RichTextToPlain(fragment), plain);
    }

    void plainTextModeShowsMarkup() {
        RichTextControl c;
        LoadRichText("{\\rtf1 {\\b x}}", c, true);
        QVERIFY(c.PlainTextMode());
        QCOMPARE(c.toPlainText(), u"{\\rtf1 {\\b x}}"_qs);
        LoadRichText("{\\rtf1 {\\b x}}", c, false);
        QVERIFY(!c.PlainTextMode());
        QCOMPARE(c.toPlainText(), u"x"_qs);
    }

    void clearRichTextResetsFormatting() {
        RichTextControl c;
        LoadRichText("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs40\\b bold}", c, false);
        c.moveCursor(QTextCursor::End);
        QVERIFY(c.currentCharFormat().fontWeight() == QFont::Bold);
        ClearRichText(c);
        QVERIFY(c.toPlainText().isEmpty());
        QVERIFY(c.currentCharFormat().fontWeight() != QFont::Bold);
        LoadRichText("plain", c, false);
        QTextCursor cur(c.document());
        cur.setPosition(1);
        const QFont shown = cur.charFormat().font();
        QCOMPARE(shown.family(), u"Times New Roman"_qs);
        QCOMPARE(shown.pointSizeF(), 12.0);
        QVERIFY(shown.weight() != QFont::Bold);
    }

    void getRichPlainText() {
        RichTextControl c;
        LoadRichText("{\\rtf1 \\par \\par}", c, false);
        QCOMPARE(GetRichPlainText(c, true), QByteArray());
        QCOMPARE(GetRichPlainText(c, false), QByteArray());

        LoadRichText(
            Cp(u"{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}{\\colortbl ;\\red255\\green0"
               "\\blue0;}\\f0\\fs28 \\qc {\\b Жирный} {\\cf1 red}\\par x\\{y\\}\\par}"_qs),
            c, false);
        QCOMPARE(GetRichPlainText(c, true), Cp(u"Жирный red\r\nx{y}"_qs));
        QVERIFY(c.PlainTextMode());
        // Saved as RTF, the content reads back the same.
        const QByteArray rtf = GetRichPlainText(c, false);
        QVERIFY(rtf.startsWith("{\\rtf1"));
        RichTextControl back;
        LoadRichText(rtf, back, false);
        QCOMPARE(back.toPlainText(), c.toPlainText());
        QTextCursor cur(back.document());
        cur.setPosition(2);
        QCOMPARE(cur.charFormat().fontWeight(), int(QFont::Bold));
        QCOMPARE(cur.charFormat().fontPointSize(), 14.0);
        QCOMPARE(cur.charFormat().fontFamilies().toStringList(), QStringList{"Arial"});
        QCOMPARE(back.document()->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
        cur.setPosition(back.toPlainText().indexOf(u"red"_qs) + 1);
        QCOMPARE(cur.charFormat().foreground().color(), QColor(255, 0, 0));
    }

    void savedRtfKeepsPicturesAndCharactersBeyondTheCodePage() {
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QByteArray png = Encoded(image, "PNG");
        RichTextControl c;
        LoadRichText("{\\rtf1 \\li300\\tqr\\tx1500 a\\u257?{\\pict\\pngblip\\picwgoal300\\pichgoal150 " +
                         png.toHex() + "}{\\pict\\wmetafile8\\picwgoal150\\pichgoal150 0102}b}",
                     c, false);
        c.SetZoom(200); // saved at the unzoomed size
        RichTextControl back;
        LoadRichText(GetRichPlainText(c, false), back, false);
        QCOMPARE(back.toPlainText(), u"a\u0101\uFFFC\uFFFCb"_qs);
        const QTextBlockFormat para = back.document()->begin().blockFormat();
        QCOMPARE(para.leftMargin(), 20.0);
        QCOMPARE(para.tabPositions().value(0).position, 100.0);
        QCOMPARE(para.tabPositions().value(0).type, QTextOption::RightTab);
        QTextCursor cur(back.document());
        cur.setPosition(3);
        const QTextImageFormat picture = cur.charFormat().toImageFormat();
        QCOMPARE(QSizeF(picture.width(), picture.height()), QSizeF(20, 10));
        const QImage read =
            back.document()->resource(QTextDocument::ImageResource, QUrl(picture.name())).value<QImage>();
        QCOMPARE(read.size(), QSize(3, 2));
        cur.setPosition(4);
        QCOMPARE(cur.charFormat().property(Rtf::PictureDataProperty).toByteArray(), QByteArray("\x01\x02"));
    }

    void copiedMetafileIsDrawnAsVectors() {
        MfWrite::Wmf w(QRect(0, 0, 100, 50), 96);
        w.Pen(0, 0, 0).Select(0).MoveTo(0, 25).LineTo(100, 25);
        RichTextControl source, target;
        LoadRichText("{\\rtf1{\\pict\\wmetafile8 " + w.Bytes().toHex() + "}}", source, false);
        CopyRichText(source, target);
        QImage big(800, 400, QImage::Format_RGB32);
        big.fill(Qt::white);
        QPainter painter(&big);
        painter.scale(4, 4);
        target.document()->drawContents(&painter);
        painter.end();
        int dark = 0;
        for (int y = 0; y < big.height(); ++y)
            dark += qGray(big.pixel(200, y)) < 200;
        QVERIFY2(dark >= 1 && dark <= 2, qPrintable(QString::number(dark)));
    }

    void copyRichTextKeepsContentAndSelection() {
        RichTextControl source;
        RichTextControl target;
        LoadRichText("{\\rtf1 one {\\b two} three{\\pict\\wmetafile8\\picwgoal150\\pichgoal150 01}}", source,
                     false);
        LoadRichText("old", target, true);
        QTextCursor sel(source.document());
        sel.setPosition(4);
        sel.setPosition(7, QTextCursor::KeepAnchor);
        source.setTextCursor(sel);
        CopyRichText(source, target);
        QVERIFY(!target.PlainTextMode());
        QCOMPARE(target.toPlainText(), source.toPlainText());
        QCOMPARE(target.textCursor().selectionStart(), 4);
        QCOMPARE(target.textCursor().selectionEnd(), 7);
        QCOMPARE(target.textCursor().selectedText(), u"two"_qs);
        QCOMPARE(target.textCursor().charFormat().fontWeight(), int(QFont::Bold));
        // Decoded pictures come along with the copy.
        QImage image(2, 2, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        RichTextControl pictured;
        LoadRichText("{\\rtf1 {\\pict\\pngblip " + png.toHex() + "}}", pictured, false);
        CopyRichText(pictured, target);
        QTextCursor p(target.document());
        p.setPosition(1);
        const QString name = p.charFormat().toImageFormat().name();
        QCOMPARE(target.document()->resource(QTextDocument::ImageResource, QUrl(name)).value<QImage>().size(),
                 QSize(2, 2));
        // The copy is shown at the target's zoom, not at the source's.
        RichTextControl zoomed;
        LoadRichText("{\\rtf1 \\fs20 z}", zoomed, false);
        zoomed.SetZoom(200);
        CopyRichText(zoomed, target);
        QTextCursor z(target.document());
        z.setPosition(1);
        QCOMPARE(z.charFormat().fontPointSize(), 10.0);
        // The copy is the target's own: changing it leaves the source alone.
        ChangeRichTextSize(target, 5);
        QCOMPARE(Sizes(source).first(), 12.0);
    }

    void changeRichTextSize_data() {
        QTest::addColumn<int>("delta");
        QTest::addColumn<QList<double>>("sizes");
        // "ab" at 1 pt, "cd" at 12 pt, "e" at 11.5 pt (whole points: 11).
        QTest::newRow("zero does nothing") << 0 << QList<double>{1, 1, 12, 12, 11.5};
        QTest::newRow("minus one keeps 1 pt") << -1 << QList<double>{1, 1, 11, 11, 10};
        QTest::newRow("plus one") << 1 << QList<double>{2, 2, 13, 13, 12};
        QTest::newRow("no size below 1 pt") << -20 << QList<double>{1, 1, 1, 1, 1};
    }
    void changeRichTextSize() {
        QFETCH(int, delta);
        QFETCH(QList<double>, sizes);
        RichTextControl c;
        LoadRichText(Mixed, c, false);
        QTextCursor sel(c.document());
        sel.setPosition(1);
        sel.setPosition(3, QTextCursor::KeepAnchor);
        c.setTextCursor(sel);
        ChangeRichTextSize(c, delta);
        QCOMPARE(Sizes(c), sizes);
        if (delta != 0) {
            QCOMPARE(c.textCursor().position(), 0);
            QVERIFY(!c.textCursor().hasSelection());
        }
    }

    void sizeStepsUndoUnderZoom() {
        // Steps of +1 undone by one call of the sum give the sizes back, zoomed or not.
        RichTextControl c;
        LoadRichText(Mixed, c, false);
        QVERIFY(c.SetZoom(150));
        for (int i = 0; i < 3; ++i)
            ChangeRichTextSize(c, 1);
        ChangeRichTextSize(c, -3);
        QCOMPARE(Sizes(c), (QList<double>{1, 1, 12, 12, 11}));
        QTextCursor cur(c.document());
        cur.setPosition(4);
        QCOMPARE(cur.charFormat().fontPointSize(), 18.0); // shown at 150 per cent
    }

    void zoom() {
        RichTextControl c;
        LoadRichText("{\\rtf1 \\fs20 a{\\pict\\wmetafile8\\picwgoal1500\\pichgoal750 01}}", c, false);
        QCOMPARE(c.Zoom(), 100);
        QVERIFY(c.SetZoom(200));
        QTextCursor cur(c.document());
        cur.setPosition(1);
        QCOMPARE(cur.charFormat().fontPointSize(), 20.0);
        cur.setPosition(2);
        QCOMPARE(cur.charFormat().toImageFormat().width(), 200.0);
        QCOMPARE(c.document()->defaultFont().pointSizeF(), 24.0);
        QCOMPARE(c.document()->begin().blockFormat().leftMargin(), 0.0);
        QVERIFY(!c.SetZoom(6401));
        QCOMPARE(c.Zoom(), 200);
        QVERIFY(c.SetZoom(6400));
        QVERIFY(c.SetZoom(0));
        QCOMPARE(c.Zoom(), 100);
        cur.setPosition(1);
        QCOMPARE(cur.charFormat().fontPointSize(), 10.0);
        // Indents and tab stops grow with the text.
        LoadRichText("{\\rtf1 \\li300\\tx1500 x\\par}", c, false);
        c.SetZoom(300);
        QCOMPARE(c.document()->begin().blockFormat().leftMargin(), 60.0);
        QCOMPARE(c.document()->begin().blockFormat().tabPositions().value(0).position, 300.0);
        c.SetZoom(100);
        QCOMPARE(c.document()->begin().blockFormat().leftMargin(), 20.0);
        // New content under a zoom is shown zoomed.
        c.SetZoom(50);
        LoadRichText("{\\rtf1 \\fs40 b}", c, false);
        cur = QTextCursor(c.document());
        cur.setPosition(1);
        QCOMPARE(cur.charFormat().fontPointSize(), 10.0);
    }

    void applyZoom() {
        QWidget window;
        RichTextControl question(&window);
        RichTextControl v0(&window);
        RichTextControl v1(&window);
        ApplyZoom(120, window, question, {&v0, &v1});
        QCOMPARE(question.Zoom(), 120);
        QCOMPARE(v1.Zoom(), 120);
        v1.SetZoom(100);
        ApplyZoom(120, window, question, {&v0, &v1}); // the question text already has it
        QCOMPARE(v1.Zoom(), 100);
        QVERIFY(window.updatesEnabled());
    }

    void noClipboardCommands() {
        RichTextControl c;
        LoadRichText("secret", c, false);
        c.selectAll();
        QGuiApplication::clipboard()->setText(u"before"_qs);
        QTest::keyClick(&c, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(&c, Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"before"_qs);
        QVERIFY(c.isReadOnly());
    }
};

QTEST_MAIN(TestRichText)
#include "tst_richtext.moc"
