#include "MetafileWriter.h"
#include "WidgetTesting.h"
#include "ui/PictureTextObject.h"
#include "ui/RtfReader.h"
#include "ui/RtfTokenizer.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

namespace {

// The header rich-edit writes on a Cyrillic system.
const QByteArray Head =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 Times New "
    "Roman;}{\\f1\\fswiss\\fcharset0 Arial;}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
    "{\\*\\generator Editor 1.0;}\\viewkind4\\uc1\\pard\\f0\\fs24 ";

// The document's characters as stored (no-break spaces and line separators kept), paragraphs as LF.
QString Text(const QTextDocument& doc) {
    return doc.toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

// The character format at the first occurrence of `needle`.
QTextCharFormat FormatAt(const QTextDocument& doc, const QString& needle) {
    const QTextCursor found = doc.find(needle);
    if (found.isNull())
        return QTextCharFormat();
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

QList<QTextImageFormat> Images(const QTextDocument& doc) {
    QList<QTextImageFormat> images;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                images.append(it.fragment().charFormat().toImageFormat());
    return images;
}

QImage TestImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w / 2; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return image;
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private slots:
    void visibleText_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        QTest::newRow("cyrillic under ansicpg1251 and fcharset204")
            << Head + "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2, \\'ec\\'e8\\'f0!\\par\r\n}" << u"Привет, мир!"_qs;
        QTest::newRow("fcharset0 font inside a 1251 document")
            << Head + "\\'e9 {\\f1 caf\\'e9} \\'e9\\par\r\n}" << u"й café й"_qs;
        QTest::newRow("cpg overrides the charset")
            << QByteArray(
                   "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fnil\\fcharset0\\cpg1251 X;}}\\f0 \\'c0}")
            << u"А"_qs;
        QTest::newRow("default charset follows ansicpg")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fnil\\fcharset1 X;}}\\f0 \\'c0}")
            << u"А"_qs;
        QTest::newRow("symbol bullet") << Head + "{\\f2\\'b7}\\par}" << u"\u2022"_qs;
        QTest::newRow("uc0") << Head + "\\uc0\\u1055\\u1088\\u1080 x}" << u"Приx"_qs;
        QTest::newRow("uc1") << Head + "\\u1055?\\u1088?\\u1080?}" << u"При"_qs;
        QTest::newRow("uc2 skips escapes") << Head + "\\uc2\\u1055\\'cf\\'cfx}" << u"Пx"_qs;
        QTest::newRow("uc2 skip counts a control word") << Head + "\\uc2\\u1055\\'cf\\tab x}" << u"Пx"_qs;
        QTest::newRow("uc is kept per group") << Head + "{\\uc2\\u1055??}\\u1088?}" << u"Пр"_qs;
        QTest::newRow("skip ends at a group") << Head + "\\uc3\\u1055a{b}}" << u"Пb"_qs;
        QTest::newRow("negative u and a surrogate pair") << Head + "\\u-10179?\\u-8704?}" << u"\U0001F600"_qs;
        QTest::newRow("lone surrogate") << Head + "a\\u-10179?x}" << u"a\uFFFDx"_qs;
        QTest::newRow("high surrogate twice")
            << Head + "\\u-10179?\\u-10179?\\u-8704?}" << u"\uFFFD\U0001F600"_qs;
        QTest::newRow("low surrogate alone") << Head + "\\u-8704?}" << u"\uFFFD"_qs;
        QTest::newRow("lone surrogate at the end") << Head + "\\u-10179?}" << u"\uFFFD"_qs;
        QTest::newRow("bin holding braces") << Head + "a{\\*\\blob\\bin4 }}{{}b}" << u"ab"_qs;
        QTest::newRow("control symbols")
            << Head + "a\\~b\\-c\\_d\\{\\}\\\\}" << u"a\u00A0b\u00ADc\u2011d{}\\"_qs;
        QTest::newRow("backslash before line end is a paragraph") << Head + "a\\\r\nb}" << u"a\nb"_qs;
        QTest::newRow("line and tab") << Head + "a\\line b\\tab c}" << u"a\u2028b\tc"_qs;
        QTest::newRow("trailing paragraph mark dropped") << Head + "a\\par b\\par\r\n}" << u"a\nb"_qs;
        QTest::newRow("only one is dropped") << Head + "a\\par\\par}" << u"a\n"_qs;
        QTest::newRow("destinations skipped whole")
            << Head + "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\*\\unknown{x}y}{\\*\\"
                      "listtable{\\list z}}ok}"
            << u"ok"_qs;
        QTest::newRow("nested table flattened")
            << Head + "\\trowd\\cellx3000\\pard\\intbl\\itap2 a\\nestcell b\\nestcell{\\*\\nesttableprops"
                      "\\trowd\\cellx100\\nestrow}{\\nonesttables\\par}\\nestrow c\\cell\\row}"
            << u"\uFDD0a\tb\t\nc\uFDD1"_qs; // between the frame marks of the outer table
        QTest::newRow("hidden text") << Head + "a{\\v hidden}b}" << u"ab"_qs;
        QTest::newRow("special characters")
            << Head + "\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}"
            << u"\u2014\u2013\u2022\u2018\u2019\u201C\u201D"_qs;
        QTest::newRow("upper-case header") << QByteArray("{\\RTF1 abc}") << u"abc"_qs;
        QTest::newRow("field result shown, instruction not")
            << Head + "{\\field{\\*\\fldinst{HYPERLINK \"http://x.example/\"}}{\\fldrslt{\\ul link}}}}"
            << u"link"_qs;
        QTest::newRow("text after the root group is not read") << Head + "a}b" << u"a"_qs;
        QTest::newRow("symbol charset: relations and Greek letters")
            << Head + "{\\f2 \\'b3\\'a3\\'61\\'d6}\\par}" << u"\u2265\u2264\u03B1\u221A"_qs;
        QTest::newRow("font named Symbol without the symbol charset")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fnil Symbol;}}\\f0 \\'b3}")
            << u"\u2265"_qs;
        QTest::newRow("symbol font written as U+F0B3") << Head + "{\\f2\\u-3917?}}" << u"\u2265"_qs;
        QTest::newRow("SYMBOL field without a result")
            << Head + "a{\\field{\\*\\fldinst SYMBOL 179 \\\\f \"Symbol\" \\\\s 12}{\\fldrslt }}b}"
            << u"a\u2265b"_qs;
        QTest::newRow("SYMBOL field whose result shows it")
            << Head + "a{\\field{\\*\\fldinst SYMBOL 179 \\\\f \"Symbol\"}{\\fldrslt{\\f2 \\'b3}}}b}"
            << u"a\u2265b"_qs;
        QTest::newRow("SYMBOL field by Unicode")
            << Head + "{\\field{\\*\\fldinst SYMBOL 8805 \\\\u}}}" << u"\u2265"_qs;
        QTest::newRow("SYMBOL field in the text's own code page")
            << Head + "{\\field{\\*\\fldinst SYMBOL 192}}}" << u"\u0410"_qs;
        QTest::newRow("pntext without list words is shown as text")
            << Head + "{\\pntext 1)\\tab}x\\par}" << u"1)\tx"_qs;
    }
    void visibleText() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        QTextDocument doc;
        QVERIFY(Rtf::ReadRtf(rtf, doc));
        QCOMPARE(Text(doc), text);
    }

    void notRtf() {
        QTextDocument doc;
        QVERIFY(!Rtf::ReadRtf(" {\\rtf1 x}", doc));
        QVERIFY(!Rtf::ReadRtf("{\\rt", doc));
        QVERIFY(Rtf::IsRtf("{\\RtF"));
    }

    void fontTable() {
        QTextDocument doc;
        Rtf::ReadRtf(
            "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\froman\\fcharset204{\\*\\panose "
            "02020603050405020304}Times New Roman CYR{\\*\\falt Times};}{\\f1\\fswiss\\fcharset0{\\*\\fname "
            "Arial;}Arial;}{\\f2\\fnil\\fcharset204 \\'c0\\'f0\\'e8\\'e0\\'eb;}}\\f0 a\\f1 b\\f2 c\\f7 "
            "d\\par}",
            doc);
        QCOMPARE(Text(doc), u"abcd"_qs);
        QCOMPARE(FormatAt(doc, "a").fontFamilies().toStringList(), QStringList{"Times New Roman"});
        QCOMPARE(FormatAt(doc, "b").fontFamilies().toStringList(), QStringList{"Arial"});
        QCOMPARE(FormatAt(doc, "c").fontFamilies().toStringList(), QStringList{u"Ариал"_qs});
        // An unknown font number falls back to nothing of its own.
        QVERIFY(!FormatAt(doc, "d").hasProperty(QTextFormat::FontFamilies));
    }

    void characterFormats() {
        QTextDocument doc;
        Rtf::ReadRtf(Head + "\\fs32 A\\fs24 {\\b B}{\\i C}{\\ul D\\ulnone E}{\\strike F}{\\super G}{\\sub "
                            "H\\nosupersub I}{\\cf1 J\\cf0 K}{\\highlight2 L}{\\b\\i\\plain M}{\\caps "
                            "N}{\\scaps O}\\par}",
                     doc);
        QCOMPARE(Text(doc), u"ABCDEFGHIJKLMNO"_qs);
        QCOMPARE(FormatAt(doc, "N").fontCapitalization(), QFont::AllUppercase);
        QCOMPARE(FormatAt(doc, "O").fontCapitalization(), QFont::SmallCaps);
        QCOMPARE(FormatAt(doc, "A").fontPointSize(), 16.0);
        QCOMPARE(FormatAt(doc, "B").fontWeight(), int(QFont::Bold));
        QVERIFY(FormatAt(doc, "C").fontItalic());
        QVERIFY(FormatAt(doc, "D").fontUnderline());
        QVERIFY(!FormatAt(doc, "E").fontUnderline());
        QVERIFY(FormatAt(doc, "F").fontStrikeOut());
        QCOMPARE(FormatAt(doc, "G").verticalAlignment(), QTextCharFormat::AlignSuperScript);
        QCOMPARE(FormatAt(doc, "H").verticalAlignment(), QTextCharFormat::AlignSubScript);
        QCOMPARE(FormatAt(doc, "I").verticalAlignment(), QTextCharFormat::AlignNormal);
        QCOMPARE(FormatAt(doc, "J").foreground().color(), QColor(255, 0, 0));
        QVERIFY(!FormatAt(doc, "K").hasProperty(QTextFormat::ForegroundBrush)); // entry 0 is "auto"
        QCOMPARE(FormatAt(doc, "L").background().color(), QColor(0, 0, 255));
        const QTextCharFormat m = FormatAt(doc, "M");
        QVERIFY(m.fontWeight() != QFont::Bold && !m.fontItalic());
        QCOMPARE(m.fontFamilies().toStringList(), QStringList{"Times New Roman"}); // \plain goes to \deff
    }

    void paragraphFormats() {
        QTextDocument doc;
        Rtf::ReadRtf(Head +
                         "\\qc centred\\par\\pard\\li720\\ri360\\fi-360\\sb120\\sa240\\tqr\\tx1500\\tx3000 "
                         "indented\\par\\pard\\qj just\\par}",
                     doc);
        QCOMPARE(doc.blockCount(), 3);
        const QTextBlockFormat centred = doc.begin().blockFormat();
        QCOMPARE(centred.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        const QTextBlockFormat indented = doc.begin().next().blockFormat();
        QCOMPARE(indented.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft); // \pard reset it
        QCOMPARE(indented.leftMargin(), 48.0);
        QCOMPARE(indented.rightMargin(), 24.0);
        QCOMPARE(indented.textIndent(), -24.0);
        QCOMPARE(indented.topMargin(), 8.0);
        QCOMPARE(indented.bottomMargin(), 16.0);
        QCOMPARE(indented.tabPositions().size(), 2);
        QCOMPARE(indented.tabPositions()[0].type, QTextOption::RightTab);
        QCOMPARE(indented.tabPositions()[1].position, 200.0);
        QCOMPARE(doc.lastBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
        QCOMPARE(doc.defaultTextOption().tabStopDistance(), 48.0); // 720 twips unless \\deftab says
    }

    void lineSpacing() {
        QTextDocument doc;
        Rtf::ReadRtf(
            Head + "\\sl276\\slmult1 a\\par\\pard\\sl-300\\slmult0 b\\par\\pard\\sl360 c\\par\\pard d}", doc);
        QTextBlock b = doc.begin();
        QCOMPARE(b.blockFormat().lineHeightType(), int(QTextBlockFormat::ProportionalHeight));
        QCOMPARE(b.blockFormat().lineHeight(), 115.0);
        b = b.next();
        QCOMPARE(b.blockFormat().lineHeightType(), int(QTextBlockFormat::FixedHeight));
        QCOMPARE(b.blockFormat().lineHeight(), 20.0);
        b = b.next();
        QCOMPARE(b.blockFormat().lineHeightType(), int(QTextBlockFormat::MinimumHeight));
        QCOMPARE(b.blockFormat().lineHeight(), 24.0);
        QCOMPARE(doc.lastBlock().blockFormat().lineHeightType(), int(QTextBlockFormat::SingleHeight));
    }

    void bulletList() {
        // As rich-edit writes a list: the marker text first, then the list words, which stay in force
        // for the following paragraphs until \pard.
        QTextDocument doc;
        Rtf::ReadRtf(
            Head +
                "{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}\\fi-720\\li720 "
                "one\\par{\\pntext\\f2\\'B7\\tab}two\\par\\pard after\\par}",
            doc);
        QCOMPARE(Text(doc), u"one\ntwo\nafter"_qs);
        QTextList* list = doc.begin().textList();
        QVERIFY(list);
        QCOMPARE(list->format().style(), QTextListFormat::ListDisc);
        QCOMPARE(list->count(), 2);
        QCOMPARE(doc.begin().next().textList(), list);
        QVERIFY(!doc.lastBlock().textList());
    }

    void numberedList() {
        QTextDocument doc;
        Rtf::ReadRtf(Head +
                         "{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1{\\pntxta .}}a\\par{\\pntext "
                         "2.\\tab}b\\par}",
                     doc);
        QCOMPARE(Text(doc), u"a\nb"_qs);
        QTextList* list = doc.begin().textList();
        QVERIFY(list);
        QCOMPARE(list->format().style(), QTextListFormat::ListDecimal);
        QCOMPARE(list->itemText(doc.lastBlock()), u"2."_qs);
    }

    // Numbering as rich-edit controls write it: what the list cannot draw stays as written.
    void listNumbering_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");      // with the markers kept as text
        QTest::addColumn<QStringList>("items"); // the markers lists draw
        QTest::newRow("starts at 3: the written markers stay")
            << Head + "{\\pntext 3)\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart3{\\pntxta )}}a\\par{\\pntext "
                      "4)\\tab}b\\par}"
            << u"3)\ta\n4)\tb"_qs << QStringList();
        QTest::newRow("starts at 3 without pntext: markers made")
            << Head + "{\\*\\pn\\pnlvlbody\\pndec\\pnstart3{\\pntxta )}}a\\par b\\par}" << u"3)\ta\n4)\tb"_qs
            << QStringList();
        QTest::newRow("1) stays 1)")
            << Head + "{\\pntext 1)\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta )}}a\\par{\\pntext "
                      "2)\\tab}b\\par}"
            << u"a\nb"_qs << QStringList{"1)", "2)"};
        QTest::newRow("text before and after")
            << Head + "{\\*\\pn\\pnlvlbody\\pndec{\\pntxtb (}{\\pntxta )}}a\\par}" << u"a"_qs
            << QStringList{"(1)"};
        QTest::newRow("no text after the number")
            << Head + "{\\*\\pn\\pnlvlbody\\pndec}a\\par}" << u"a"_qs << QStringList{"1"};
        QTest::newRow("letters") << Head + "{\\*\\pn\\pnlvlbody\\pnlcltr{\\pntxta )}}a\\par b\\par}"
                                 << u"a\nb"_qs << QStringList{"a)", "b)"};
        QTest::newRow("roman numerals") << Head + "{\\*\\pn\\pnlvlbody\\pnucrm{\\pntxta .}}a\\par b\\par}"
                                        << u"a\nb"_qs << QStringList{"I.", "II."};
        QTest::newRow("roman from 4 without pntext")
            << Head + "{\\*\\pn\\pnlvlbody\\pnlcrm\\pnstart4{\\pntxta .}}a\\par}" << u"iv.\ta"_qs
            << QStringList();
        QTest::newRow("symbol bullet")
            << Head + "{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2{\\pntxtb\\'B7}}a\\par}" << u"a"_qs
            << QStringList{u"\u2022"_qs};
        QTest::newRow("bullet of another character stays")
            << Head + "{\\pntext\\f1 -\\tab}{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb -}}a\\par}" << u"-\ta"_qs
            << QStringList();
    }
    void listNumbering() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QTextDocument doc;
        Rtf::ReadRtf(rtf, doc);
        QCOMPARE(Text(doc), text);
        QStringList drawn;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            if (b.textList())
                drawn << (b.textList()->format().style() == QTextListFormat::ListDisc
                              ? u"\u2022"_qs
                              : b.textList()->itemText(b));
        QCOMPARE(drawn, items);
    }

    void metafilePicture() {
        // A 100 by 50 pixel drawing with a hairline across it, as rich-edit keeps a formula.
        MfWrite::Wmf w(QRect(0, 0, 100, 50), 96);
        w.Pen(0, 0, 0).Select(0).MoveTo(0, 25).LineTo(100, 25);
        const QByteArray hex = w.Bytes().toHex();
        QTextDocument doc;
        Rtf::ReadRtf(Head + "x{\\pict\\wmetafile8\\picw2646\\pich1323 " + hex + "}y}", doc);
        const QList<QTextImageFormat> images = Images(doc);
        QCOMPARE(images.size(), 1);
        QCOMPARE(QSizeF(images[0].width(), images[0].height()).toSize(), QSize(100, 50));
        QVERIFY(PictureText::VectorOf(images[0]));
        QCOMPARE(images[0].property(Rtf::PictureDataProperty).toByteArray(), w.Bytes());
        const QImage resource =
            doc.resource(QTextDocument::ImageResource, QUrl(images[0].name())).value<QImage>();
        QCOMPARE(resource.size(), QSize(100, 50));
        // Drawn four times larger, the line is drawn anew, one pixel thin, not stretched to four.
        QTextDocument alone;
        Rtf::ReadRtf("{\\rtf1{\\pict\\wmetafile8 " + hex + "}}", alone);
        QImage big(800, 400, QImage::Format_RGB32);
        big.fill(Qt::white);
        QPainter painter(&big);
        painter.scale(4, 4);
        alone.drawContents(&painter);
        painter.end();
        int dark = 0;
        for (int y = 0; y < big.height(); ++y)
            dark += qGray(big.pixel(200, y)) < 200;
        QVERIFY2(dark >= 1 && dark <= 2, qPrintable(QString::number(dark)));
    }

    void table() {
        QTextDocument doc;
        Rtf::ReadRtf(
            Head + "before\\par\r\n\\trowd\\trgaph108\\trleft-108\\cellx1500\\cellx3000\\pard\\intbl "
                   "\\'e0\\cell b\\cell\\row\r\n\\trowd\\trgaph108\\trleft-108\\cellx1500\\cellx3000\\pard\\"
                   "intbl c\\cell d\\par e\\cell\\row\\pard after\\par}",
            doc);
        QTextTable* table = nullptr;
        for (QTextFrame* f : doc.rootFrame()->childFrames())
            table = table ? table : qobject_cast<QTextTable*>(f);
        QVERIFY(table);
        QCOMPARE(table->rows(), 2);
        QCOMPARE(table->columns(), 2);
        auto cellText = [&](int r, int c) {
            QTextCursor cur = table->cellAt(r, c).firstCursorPosition();
            cur.setPosition(table->cellAt(r, c).lastCursorPosition().position(), QTextCursor::KeepAnchor);
            return cur.selectedText();
        };
        QCOMPARE(cellText(0, 0), u"а"_qs);
        QCOMPARE(cellText(0, 1), u"b"_qs);
        QCOMPARE(cellText(1, 0), u"c"_qs);
        QCOMPARE(cellText(1, 1), u"d\u2029e"_qs);
        const QList<QTextLength> widths = table->format().columnWidthConstraints();
        QCOMPARE(widths.size(), 2);
        QCOMPARE(widths[0].rawValue(), 1608 / 15.0); // from \trleft-108 to \cellx1500
        QCOMPARE(widths[1].rawValue(), 100.0);
        QVERIFY(doc.toPlainText().startsWith(u"before\n"_qs));
        QVERIFY(doc.toPlainText().endsWith(u"\nafter"_qs));
    }

    void pictures_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QSize>("decoded"); // invalid: a placeholder
        QTest::addColumn<QSizeF>("shown");
        const QImage image = TestImage(6, 4);
        const QByteArray png = Encoded(image, "PNG");
        const QByteArray bmp = Encoded(image, "BMP");
        const QByteArray jpg = Encoded(image, "JPG");
        const QByteArray head = Head + "x{\\pict";
        QTest::newRow("png, goal size in twips")
            << head + "\\pngblip\\picw6\\pich4\\picwgoal1500\\pichgoal600 " + png.toHex() + "}y}"
            << QSize(6, 4) << QSizeF(100, 40);
        QTest::newRow("png through bin, scaled") << head + "\\pngblip\\picscalex200\\picscaley50\\bin" +
                                                        QByteArray::number(png.size()) + " " + png + "}y}"
                                                 << QSize(6, 4) << QSizeF(12, 2);
        if (!jpg.isEmpty())
            QTest::newRow("jpeg") << head + "\\jpegblip " + jpg.toHex() + "}y}" << QSize(6, 4)
                                  << QSizeF(6, 4);
        QTest::newRow("dib gets its file header")
            << head + "\\dibitmap0 " + bmp.mid(14).toHex() + "}y}" << QSize(6, 4) << QSizeF(6, 4);
        // 10 by 2 pixels, one bit each, rows padded to 16 bits.
        QTest::newRow("wbitmap")
            << head + "\\wbitmap0\\picw10\\pich2\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2 "
                      "ffc0 0000}y}"
            << QSize(10, 2) << QSizeF(10, 2);
        QTest::newRow("metafile is a placeholder of the goal size")
            << head + "\\wmetafile8\\picw2540\\pich1270\\picwgoal3000\\pichgoal1500 0100090000}y}" << QSize()
            << QSizeF(200, 100);
        QTest::newRow("emf without goal takes hundredths of mm")
            << head + "\\emfblip\\picw2540\\pich1270 01}y}" << QSize() << QSizeF(96, 48);
        QTest::newRow("shppict preferred") << Head + "x{\\*\\shppict{\\pict\\pngblip " + png.toHex() +
                                                  "}}{\\nonshppict{\\pict\\wmetafile8 01}}y}"
                                           << QSize(6, 4) << QSizeF(6, 4);
        QTest::newRow("nonshppict alone is shown")
            << Head + "x{\\nonshppict{\\pict\\pngblip " + png.toHex() + "}}y}" << QSize(6, 4) << QSizeF(6, 4);
        QTest::newRow("object shows its result only")
            << Head +
                   "x{\\object\\objemb{\\*\\objclass Picture.Object}\\objw100{\\*\\objdata "
                   "0102}{\\result{\\pict"
                   "\\pngblip " +
                   png.toHex() + "}}}y}"
            << QSize(6, 4) << QSizeF(6, 4);
    }
    void pictures() {
        QFETCH(QByteArray, rtf);
        QFETCH(QSize, decoded);
        QFETCH(QSizeF, shown);
        QTextDocument doc;
        Rtf::ReadRtf(rtf, doc);
        QCOMPARE(Text(doc), u"x\uFFFCy"_qs);
        const QList<QTextImageFormat> images = Images(doc);
        QCOMPARE(images.size(), 1);
        QCOMPARE(QSizeF(images[0].width(), images[0].height()), shown);
        const QImage image =
            doc.resource(QTextDocument::ImageResource, QUrl(images[0].name())).value<QImage>();
        if (decoded.isValid()) {
            QCOMPARE(image.size(), decoded);
            const QRgb p = image.pixel(0, 0);
            if (decoded == QSize(10, 2))
                QCOMPARE(p & 0xFFFFFF, 0xFFFFFFu); // the first bit is set: white
            else
                QVERIFY(qRed(p) > 150 && qBlue(p) < 150); // the red corner (blurred by JPEG)
            QVERIFY(!images[0].hasProperty(Rtf::PictureDataProperty));
        } else {
            QVERIFY(images[0].hasProperty(Rtf::PictureDataProperty));
        }
    }

    void forgedPictureSizeIsRefused() {
        // A PNG header that claims 60000 by 60000 pixels: refused before any pixel is allocated.
        QByteArray png = Encoded(TestImage(1, 1), "PNG");
        png[16] = 0, png[17] = 0, png[18] = char(0xEA), png[19] = char(0x60);
        png[20] = 0, png[21] = 0, png[22] = char(0xEA), png[23] = char(0x60);
        QTextDocument doc;
        Rtf::ReadRtf(Head + "x{\\pict\\pngblip " + png.toHex() + "}y}", doc);
        const QList<QTextImageFormat> images = Images(doc);
        QCOMPARE(images.size(), 1);
        QVERIFY(images[0].hasProperty(Rtf::PictureDataProperty)); // a placeholder
    }

    void picturesShareAPixelBudget() {
        // Two 2048 by 2048 pictures of one colour take a few kilobytes of input: the first fills the
        // budget of a small fragment, the second stays a placeholder instead of 16 more megabytes.
        QImage big(2048, 2048, QImage::Format_RGB32);
        big.fill(Qt::gray);
        const QByteArray hex = Encoded(big, "PNG").toHex();
        QTextDocument doc;
        Rtf::ReadRtf(Head + "{\\pict\\pngblip " + hex + "}{\\pict\\pngblip " + hex + "}}", doc);
        const QList<QTextImageFormat> images = Images(doc);
        QCOMPARE(images.size(), 2);
        QVERIFY(!images[0].hasProperty(Rtf::PictureDataProperty));
        QVERIFY(images[1].hasProperty(Rtf::PictureDataProperty));
    }

    void damagedInputEnds_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::newRow("unclosed groups") << QByteArray("{\\rtf1 {{{{{ a {\\b b");
        QTest::newRow("extra closing braces") << QByteArray("{\\rtf1 a}}}}}}");
        QTest::newRow("deep nesting") << "{\\rtf1 " + QByteArray(200000, '{') + "x" + QByteArray(200000, '}');
        QTest::newRow("overlong word") << "{\\rtf1 \\" + QByteArray(100000, 'b') + "1 x}";
        QTest::newRow("overlong number")
            << "{\\rtf1 \\fs" + QByteArray(100000, '9') + " x\\u-" + QByteArray(50, '9') + " y}";
        QTest::newRow("cut escapes") << QByteArray("{\\rtf1 a\\'zz\\'4\\'");
        QTest::newRow("huge bin count") << QByteArray("{\\rtf1 a\\bin2147483647 xyz");
        QTest::newRow("negative bin count") << QByteArray("{\\rtf1 a\\bin-5 xyz}");
        QTest::newRow("huge uc") << QByteArray("{\\rtf1 \\uc2147483647\\u1055 abc}");
        QTest::newRow("unicode out of range") << QByteArray("{\\rtf1 \\u99999999?\\u0?}");
        QTest::newRow("odd hex in a picture")
            << QByteArray("{\\rtf1 {\\pict\\pngblip abc}{\\pict\\dibitmap0 28}}");
        QTest::newRow("wbitmap shorter than declared")
            << QByteArray("{\\rtf1 {\\pict\\wbitmap0\\picw2000000000\\pich2000000000\\wbmbitspixel24 00}}");
        QTest::newRow("cells without table") << QByteArray("{\\rtf1 a\\cell b\\row c}");
        QTest::newRow("row without cells")
            << QByteArray("{\\rtf1 \\trowd\\cellx100\\intbl\\row\\row\\row x}");
        QTest::newRow("star at the end") << QByteArray("{\\rtf1 {\\*");
        QTest::newRow("font table without names")
            << QByteArray("{\\rtf1{\\fonttbl\\f0\\f1;\\f2{\\f3}}\\f3 x}");
        QTest::newRow("font table never closed") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial");
        QTest::newRow("pntext at the end") << QByteArray("{\\rtf1{\\pntext x");
    }
    void damagedInputEnds() {
        QFETCH(QByteArray, rtf);
        QTextDocument doc;
        QVERIFY(Rtf::ReadRtf(rtf, doc));
        QVERIFY(doc.characterCount() <= rtf.size() + 1);
    }

    void tablesStayWithinBudget() {
        // Hundreds of cell boundaries and many short rows must not make a document of millions of cells.
        QByteArray rtf = "{\\rtf1\\trowd";
        for (int i = 0; i < 500; ++i)
            rtf += "\\cellx" + QByteArray::number(100 * (i + 1));
        rtf += "\\intbl";
        for (int i = 0; i < 70; ++i)
            rtf += "x\\cell ";
        for (int i = 0; i < 20000; ++i)
            rtf += "y\\cell\\row ";
        rtf += "}";
        QTextDocument doc;
        Rtf::ReadRtf(rtf, doc);
        qint64 cells = 0;
        for (QTextFrame* f : doc.rootFrame()->childFrames())
            if (auto* t = qobject_cast<QTextTable*>(f))
                cells += qint64(t->rows()) * t->columns();
        QVERIFY2(cells <= 256 + rtf.size() / 16, qPrintable(QString::number(cells)));
        QVERIFY(Text(doc).count(QLatin1Char('y')) == 20000); // nothing of the text is lost
    }

    void manyRowsMakeOneTableOfExactlyThoseRows() {
        // Rows are allocated ahead in growing steps; the spare ones must not survive the table.
        QByteArray rtf = "{\\rtf1 ";
        for (int i = 0; i < 7; ++i)
            rtf += "\\trowd\\cellx100\\cellx200\\intbl r" + QByteArray::number(i) + "\\cell x\\cell\\row ";
        QTextDocument doc;
        Rtf::ReadRtf(rtf + "\\pard after}", doc);
        QTextTable* table = qobject_cast<QTextTable*>(doc.rootFrame()->childFrames().value(0));
        QVERIFY(table);
        QCOMPARE(table->rows(), 7);
        QCOMPARE(table->cellAt(6, 0).firstCursorPosition().block().text(), u"r6"_qs);
        QVERIFY(doc.toPlainText().endsWith(u"x\nafter"_qs));
        Rtf::ReadRtf(rtf + "}", doc); // the document ends inside the table
        table = qobject_cast<QTextTable*>(doc.rootFrame()->childFrames().value(0));
        QCOMPARE(table->rows(), 7);
    }

    void listsStayWithinBudget() {
        QByteArray rtf = "{\\rtf1 ";
        for (int i = 0; i < 5000; ++i)
            rtf +=
                i % 2 ? "{\\pntext 1.}{\\*\\pn\\pnlvlbody}b\\par" : "{\\pntext *}{\\*\\pn\\pnlvlblt}a\\par";
        rtf += "}";
        QTextDocument doc;
        Rtf::ReadRtf(rtf, doc);
        QSet<QTextList*> lists;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            if (b.textList())
                lists.insert(b.textList());
        QCOMPARE(lists.size(), 64 + rtf.size() / 128);
        // Beyond the budget the markers stay as text: nothing is lost.
        QVERIFY(doc.lastBlock().text() == u"1.b"_qs);
    }

    void randomBytesNeverHang() {
        // Random mixtures of RTF's own tokens: the reader must end on every one of them.
        const QList<QByteArray> pieces = {
            "{",          "}",        "\\par ",      "\\cell ",         "\\row ",     "\\trowd",
            "\\cellx100", "\\intbl ", "\\pict",      "\\pngblip ",      "\\u-10179",  "\\uc3 ",
            "\\'c0",      "\\bin3 ",  "\\*",         "\\fonttbl",       "\\f1 ",      ";",
            "\\pntext ",  "\\pn",     "\\pnlvlblt ", "\\object",        "\\result ",  "ab",
            "\\\r",       "\\'",      "\\fldinst ",  "HYPERLINK \"x\"", "\\colortbl", "\\red9"};
        QRandomGenerator rng(12345);
        for (int round = 0; round < 300; ++round) {
            QByteArray rtf = "{\\rtf1 ";
            const int n = int(rng.bounded(200));
            for (int i = 0; i < n; ++i)
                rtf += pieces[rng.bounded(int(pieces.size()))];
            QTextDocument doc;
            QVERIFY(Rtf::ReadRtf(rtf, doc));
        }
    }

    void tokenizer() {
        RtfTokenizer t("{\\b1\\fs-20 x\\'e9\\bin2 }{\\~}");
        QCOMPARE(t.Next().kind, RtfToken::GroupOpen);
        RtfToken w = t.Next();
        QCOMPARE(w.text, QByteArrayView("b"));
        QCOMPARE(w.value, 1);
        w = t.Next();
        QCOMPARE(w.text, QByteArrayView("fs"));
        QCOMPARE(w.value, -20);
        QCOMPARE(t.Next().text, QByteArrayView("x"));
        QCOMPARE(t.Next().value, 0xE9);
        const RtfToken bin = t.Next();
        QCOMPARE(bin.kind, RtfToken::Binary);
        QCOMPARE(bin.text, QByteArrayView("}{"));
        QCOMPARE(t.Next().symbol, '~');
        QCOMPARE(t.Next().kind, RtfToken::GroupClose);
        QCOMPARE(t.Next().kind, RtfToken::End);
    }

    void hyperlinkField() {
        QTextDocument doc;
        Rtf::ReadRtf(Head + "{\\field{\\*\\fldinst{HYPERLINK \"http://x.example/\"}}{\\fldrslt{\\ul link}}} "
                            "after}",
                     doc);
        QCOMPARE(FormatAt(doc, "link").anchorHref(), u"http://x.example/"_qs);
        QVERIFY(!FormatAt(doc, "after").isAnchor());
    }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
