// Metafiles read and drawn: sizes from the headers, each family of records against a reference
// picture (a tolerant pixel comparison), the formats agreeing with each other, EMF+ chosen over its
// GDI copy, vectors at every scale, and damaged or hostile files refused or drawn partly.
//
// The reference pictures in tests/data/metafile were looked at once; QUIZAR_WRITE_REFERENCES=1
// writes them anew from the current drawing.
#include "FormulaCorpus.h"
#include "MetafileFuzzFrame.h"
#include "MetafileWriter.h"
#include "ui/Metafile.h"
#include "ui/MetafilePlayer.h"
#include "ui/Picture.h"
#include "ui/SymbolFonts.h"
#include "ui/gui/PictureLabel.h"

#include <QDir>
#include <QPainter>
#include <QTest>

using MfWrite::Params;
using MfWrite::Rgb;

namespace {

QString ReferencePath(const QString& name) {
    return QStringLiteral(QUIZAR_TEST_DATA "/metafile/%1.png").arg(name);
}

// Share of pixels whose colour differs by more than `tolerance` in some channel; 1 when the sizes
// differ.
double Difference(const QImage& a, const QImage& b, int tolerance = 64) {
    if (a.size() != b.size())
        return 1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            if (std::abs(qRed(p[col]) - qRed(q[col])) > tolerance ||
                std::abs(qGreen(p[col]) - qGreen(q[col])) > tolerance ||
                std::abs(qBlue(p[col]) - qBlue(q[col])) > tolerance)
                ++differing;
        }
    }
    return double(differing) / (qint64(x.width()) * x.height());
}

QImage Draw(const QByteArray& bytes, double scale = 1) {
    const Mf::MetafilePtr m = Mf::Parse(bytes);
    if (!m)
        return QImage();
    return Mf::Render(*m, (m->naturalSize * scale).toSize(), 1, Qt::white);
}

// Shapes: pens of each style, solid, hatched and hollow brushes, both fill modes, every closed figure.
QByteArray Shapes() {
    MfWrite::Wmf w(QRect(0, 0, 320, 200), 96);
    w.Pen(0, 3, Rgb(200, 0, 0)).Select(0);
    w.Brush(0, Rgb(255, 220, 0)).Select(1);
    w.Rectangle(10, 10, 70, 50).RoundRect(80, 10, 150, 50, 20, 20).Ellipse(160, 10, 230, 50);
    w.Arc(0x0830, QRect(240, 10, 70, 40), QPoint(310, 30), QPoint(240, 30)); // chord: the upper half
    w.Brush(2, Rgb(0, 0, 160), 4).Select(2).Delete(1);                       // cross hatch, slot 1 free
    w.BkMode(2).BkColor(Rgb(200, 255, 200)).Ellipse(10, 60, 70, 110);
    w.BkMode(1).Brush(2, Rgb(0, 0, 160), 2).Select(1).Rectangle(80, 60, 150, 110); // \ hatch, transparent
    w.Arc(0x081A, QRect(160, 60, 60, 60), QPoint(220, 90), QPoint(190, 60));       // pie: a quarter
    w.Pen(1, 1, Rgb(0, 0, 0)).Select(3).Brush(1, 0).Select(4);                     // dashes, hollow
    w.Arc(0x0817, QRect(240, 60, 70, 50), QPoint(240, 85), QPoint(310, 85));       // the lower half
    w.Rectangle(10, 120, 70, 160);
    w.Pen(2, 0, Rgb(0, 0, 0)).Select(5).Rectangle(80, 120, 150, 160); // dots
    w.Pen(0, 1, Rgb(0, 0, 0)).Select(6).Brush(0, Rgb(0, 150, 0)).Select(7);
    const QList<QPoint> star = {{190, 120}, {205, 195}, {165, 145}, {215, 145}, {175, 195}};
    w.FillMode(1).Polygon(star);
    w.FillMode(2).Polygon({{250, 120}, {265, 195}, {225, 145}, {275, 145}, {235, 195}});
    w.PolyPolygon(
        {{{280, 125}, {315, 125}, {315, 160}, {280, 160}}, {{290, 135}, {305, 135}, {305, 150}, {290, 150}}});
    w.Polyline({{10, 190}, {40, 170}, {70, 190}}).MoveTo(80, 170).LineTo(150, 190);
    w.PatBlt(290, 170, 25, 25);
    return w.Bytes();
}

// Text: fonts by name, Cyrillic of code page 1251, Symbol, spacing arrays, alignment on a marked
// reference point, turned text, opaque backgrounds, the clipping option and the current position.
QByteArray Texts() {
    MfWrite::Wmf w(QRect(0, 0, 320, 220), 96);
    w.BkMode(1).TextColor(0).Pen(0, 0, Rgb(255, 0, 0)).Select(0);
    w.Font(-20, "Times New Roman", 0).Select(1).TextAlign(24).TextOut(10, 25, "Times 1");
    w.Font(-20, "Arial", 204).Select(2).Delete(1).TextOut(110, 25, "\xcf\xf0\xe8\xe2\xb3\xf2"); // Привіт
    w.Font(-20, "Symbol", 2).Select(1).Delete(2).TextOut(220, 25, "a\xa3\x62\xb3\xd6\xe5"); // α≤β≥√∑
    w.Font(-18, "Courier New", 0).Select(2).Delete(1).ExtTextOut(10, 55, "wide", {30, 30, 30, 30});
    w.Font(-16, "Arial", 0).Select(1).Delete(2);
    const int aligns[3][2] = {{0, 8}, {6, 24}, {2, 0}}; // left bottom, centre baseline, right top
    for (int k = 0; k < 3; ++k) {
        const int x = 180 + 60 * k, y = 60;
        w.MoveTo(x - 4, y).LineTo(x + 5, y).MoveTo(x, y - 4).LineTo(x, y + 5);
        w.TextAlign(aligns[k][0] | aligns[k][1]).TextOut(x, y, "Ag");
    }
    w.TextAlign(24);
    w.Font(-16, "Times New Roman", 0, 700, 900).Select(2).Delete(1).TextOut(25, 200, "Up");
    w.Font(-16, "Times New Roman", 0, 400, 450).Select(1).Delete(2).TextOut(60, 200, "Slant");
    w.Font(-16, "Arial", 0).Select(2).Delete(1);
    w.BkMode(2).BkColor(Rgb(255, 255, 0)).TextOut(150, 110, "opaque");
    w.BkMode(1).BkColor(Rgb(160, 220, 255));
    w.ExtTextOut(150, 150, "clipped text", {}, 6, QRect(QPoint(150, 130), QPoint(210, 156)));
    w.TextAlign(24 | 1).MoveTo(150, 190).TextOut(0, 0, "cp").TextOut(0, 0, "+1");
    return w.Bytes();
}

// State: saved and restored contexts, clips, a window moved and scaled, and isotropic mapping
// into a box of another shape.
QByteArray StateAndClips() {
    MfWrite::Wmf w(QRect(0, 0, 200, 100), 48); // 2 units a pixel: 400 by 200 pixels
    w.MapMode(8).WindowOrg(0, 0).WindowExt(200, 100);
    w.Pen(5, 0, 0).Select(0).Brush(0, Rgb(0, 120, 220)).Select(1);
    w.SaveDc().IntersectClip(10, 10, 90, 90).ExcludeClip(30, 30, 70, 70);
    w.Rectangle(0, 0, 100, 100); // a blue frame with a hole
    w.RestoreDc(-1);
    w.Brush(0, Rgb(220, 60, 0)).Select(2);
    w.SaveDc().WindowOrg(-100, 0).Rectangle(10, 10, 40, 40); // moved right by 100 units
    w.RestoreDc(-1).Rectangle(110, 60, 190, 90);             // back in place
    w.MapMode(7).WindowExt(100, 100);                        // isotropic: squares stay square
    w.Brush(0, Rgb(0, 160, 0)).Select(3).Ellipse(150, 0, 200, 50);
    return w.Bytes();
}

// EMF: a turned world, a path of Bézier curves filled and stroked, 16-bit polylines, a metric map
// mode with y upwards, a clip region and a stretched bitmap.
QByteArray EmfFamilies() {
    MfWrite::Emf e(QRect(0, 0, 8467, 5292)); // 320 by 200 pixels
    e.Pen(1, 0, 3, Rgb(0, 0, 0)).Select(1).Brush(2, 0, Rgb(255, 160, 0)).Select(2);
    e.SaveDc()
        .WorldTransform(0.8660254f, 0.5f, -0.5f, 0.8660254f, 60, 10)
        .Rectangle(0, 0, 60, 40)
        .RestoreDc();
    e.BeginPath().Rec(27, Params().I32(120).I32(80));                                // MoveTo
    e.Poly(5, {{140, 10}, {200, 10}, {220, 80}, {200, 150}, {140, 150}, {120, 80}}); // two curves back
    e.EndPath();
    e.Rec(63, Params().I32(0).I32(0).I32(0).I32(0)); // StrokeAndFillPath
    e.Polyline16({{240, 20}, {300, 20}, {240, 80}, {300, 80}});
    e.SaveDc().MapMode(3).WindowOrg(0, 0).ViewportOrg(0, 200); // 0.01 mm, y up from the bottom
    e.Brush(3, 0, Rgb(0, 0, 200)).Select(3).Rectangle(500, 500, 1500, 1500);
    e.RestoreDc();
    // A clip region of two rectangles, then a green square drawn over both.
    Params rgn;
    rgn.U32(32).U32(1).U32(2).U32(32).I32(240).I32(110).I32(320).I32(200);
    rgn.I32(240).I32(110).I32(270).I32(140).I32(290).I32(160).I32(320).I32(190);
    e.SaveDc().Rec(75, Params().U32(quint32(rgn.Data().size())).U32(5).Bytes(rgn.Data()));
    e.Brush(4, 0, Rgb(0, 180, 0)).Select(4).Rectangle(230, 100, 330, 200);
    e.RestoreDc();
    // A 2 by 2 bitmap stretched to 60 by 60: red, green above blue, white (rows run bottom-up).
    Params bmi;
    bmi.U32(40).I32(2).I32(2).U16(1).U16(24).U32(0).U32(16).I32(0).I32(0).U32(0).U32(0);
    Params bits;
    bits.U8(255).U8(0).U8(0).U8(255).U8(255).U8(255).U8(0).U8(0); // bottom row: blue, white
    bits.U8(0).U8(0).U8(255).U8(0).U8(255).U8(0).U8(0).U8(0);     // top row: red, green
    Params dib;
    const quint32 offBmi = 80, offBits = offBmi + 40;
    dib.I32(0).I32(0).I32(0).I32(0).I32(160).I32(130).I32(0).I32(0).I32(2).I32(2);
    dib.U32(offBmi).U32(40).U32(offBits).U32(16).U32(0).U32(0x00CC0020).I32(60).I32(60);
    dib.Bytes(bmi.Data()).Bytes(bits.Data());
    e.Rec(81, dib);
    return e.Bytes();
}

// EMF+ only: rectangles, lines, an ellipse and a string, in a page of millimetres, turned once.
QByteArray PlusOnly() {
    MfWrite::Emf e(QRect(0, 0, 8467, 5292));
    e.PlusHeader(false);
    e.Plus(0x4030, 6, Params().F32(1)); // page in millimetres
    e.Plus(0x4008, 0x0100, Params().U32(0xDBC01002).U32(0).U32(0xFF2060C0u));
    e.Plus(0x4008, 0x0201,
           Params().U32(0xDBC01002).U32(0).U32(0).U32(0).F32(1).U32(0xDBC01002).U32(0).U32(0xFF000000u));
    Params font;
    font.U32(0xDBC01002).F32(6).U32(6).I32(0).U32(0).U32(5).Bytes(MfWrite::Utf16(QStringLiteral("Arial")));
    e.Plus(0x4008, 0x0602, font);
    e.Plus(0x400A, 0, Params().U32(0).U32(1).F32(5).F32(5).F32(30).F32(15));
    e.Plus(0x400D, 1, Params().U32(3).F32(40).F32(5).F32(80).F32(5).F32(60).F32(25));
    e.Plus(0x400E, 0x8000, Params().U32(0xFFE04000u).F32(5).F32(25).F32(30).F32(20));
    e.Plus(0x401C, 0x8002,
           Params()
               .U32(0xFF000000u)
               .U32(0)
               .U32(4)
               .F32(40)
               .F32(30)
               .F32(40)
               .F32(10)
               .Bytes(MfWrite::Utf16(QStringLiteral("EMF+"))));
    e.Plus(0x402F, 0, Params().F32(-30));
    e.Plus(0x400A, 0x8000, Params().U32(0xFF00A000u).U32(1).F32(20).F32(50).F32(20).F32(2));
    e.Plus(0x4002, 0, Params());
    return e.Bytes();
}

// A dual file whose GDI copy is red and whose EMF+ drawing is green; `unsupported` adds an EMF+
// record this player does not draw, which sends it to the GDI copy.
QByteArray Dual(bool unsupported) {
    MfWrite::Emf e(QRect(0, 0, 2646, 2646)); // 100 by 100 pixels
    e.PlusHeader(true);
    e.Plus(0x400A, 0x8000, Params().U32(0xFF00C000u).U32(1).F32(0).F32(0).F32(100).F32(100));
    if (unsupported)
        e.Plus(0x401A, 0, Params().U32(0).U32(2).F32(0).F32(0).F32(1).F32(1).F32(0).F32(0).F32(1).F32(1));
    e.Brush(1, 0, Rgb(255, 0, 0)).Select(1).Pen(2, 5, 0, 0).Select(2).Rectangle(0, 0, 100, 100);
    e.Plus(0x4002, 0, Params());
    return e.Bytes();
}

// The formula fixture: Greek letters and a relation before the roots of a quadratic, with its
// fraction bar and radical.
FormulaCorpus::Formula FormulaFixture() {
    FormulaCorpus::Formula f = FormulaCorpus::Make(0);
    FormulaCorpus::Builder b(f);
    const int symbol = b.Font(-240, "Symbol", 2);
    const int italic = b.Font(-240, "Times New Roman", 0, true);
    const int y = f.twips.height() + 260;
    int x = b.Text(symbol, 60, y, "a\xa3");
    x = b.Text(italic, x + 40, y, "x");
    x = b.Text(symbol, x + 40, y, "\xa3\x62");
    f.twips.setHeight((y + 120 + 14) / 15 * 15);
    f.twips.setWidth((std::max(f.twips.width(), x + 60) + 14) / 15 * 15);
    return f;
}

} // namespace

class TestMetafile : public QObject {
    Q_OBJECT
private slots:
    void headerSizes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSizeF>("natural"); // invalid: refused
        QTest::newRow("placeable, 1440 a inch")
            << MfWrite::Wmf(QRect(0, 0, 2880, 1440), 1440).Rectangle(0, 0, 10, 10).Bytes() << QSizeF(192, 96);
        QTest::newRow("placeable, units per inch 0 taken as 1440")
            << MfWrite::Wmf(QRect(0, 0, 1440, 720), 0).Bytes() << QSizeF(96, 48);
        QTest::newRow("no placeable header: the window")
            << MfWrite::Wmf().WindowExt(300, 150).Rectangle(0, 0, 9, 9).Bytes() << QSizeF(300, 150);
        QTest::newRow("no header, no window: what is drawn")
            << MfWrite::Wmf().Rectangle(10, 20, 110, 70).Bytes() << QSizeF(100, 50);
        QTest::newRow("emf frame in hundredths of a millimetre")
            << MfWrite::Emf(QRect(0, 0, 5080, 2540)).Bytes() << QSizeF(192, 96);
        QTest::newRow("a claimed giant keeps its shape")
            << MfWrite::Wmf(QRect(0, 0, 32000, 16000), 1).Bytes() << QSizeF(16384, 8192);
        QTest::newRow("empty box and nothing drawn") << MfWrite::Wmf().Bytes() << QSizeF();
        QTest::newRow("not a metafile") << QByteArray("GIF89a and more bytes than a header") << QSizeF();
        QTest::newRow("emf header cut short")
            << MfWrite::Emf(QRect(0, 0, 100, 100)).Bytes().left(60) << QSizeF();
        QTest::newRow("emf with an empty frame and bounds")
            << MfWrite::Emf(QRect(0, 0, 0, 0)).Bytes() << QSizeF();
    }
    void headerSizes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSizeF, natural);
        const Mf::MetafilePtr m = Mf::Parse(bytes);
        QCOMPARE(m != nullptr, natural.isValid());
        if (m) {
            QVERIFY2(std::abs(m->naturalSize.width() - natural.width()) < 0.5 &&
                         std::abs(m->naturalSize.height() - natural.height()) < 0.5,
                     qPrintable(
                         QStringLiteral("%1 x %2").arg(m->naturalSize.width()).arg(m->naturalSize.height())));
        }
    }

    void referencePictures_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("scale");
        QTest::newRow("wmf-shapes") << Shapes() << 1.0;
        QTest::newRow("wmf-text") << Texts() << 1.0;
        QTest::newRow("wmf-state") << StateAndClips() << 1.0;
        QTest::newRow("emf-families") << EmfFamilies() << 1.0;
        QTest::newRow("emf-plus-only") << PlusOnly() << 1.0;
        QTest::newRow("formula") << FormulaCorpus::ToWmf(FormulaFixture()) << 2.0;
        QTest::newRow("drawing") << FormulaCorpus::Drawing(0) << 1.0;
    }
    void referencePictures() {
        QFETCH(QByteArray, bytes);
        QFETCH(double, scale);
        const QImage drawn = Draw(bytes, scale);
        QVERIFY(!drawn.isNull());
        const QString path = ReferencePath(QString::fromLatin1(QTest::currentDataTag()));
        if (qEnvironmentVariableIsSet("QUIZAR_WRITE_REFERENCES")) {
            QDir().mkpath(QFileInfo(path).path());
            QVERIFY(drawn.save(path));
            QSKIP("reference written");
        }
        const QImage reference(path);
        QVERIFY2(!reference.isNull(), qPrintable(path));
        const double d = Difference(drawn, reference);
        if (d > 0.01)
            drawn.save(QDir::temp().filePath(QFileInfo(path).fileName()));
        QVERIFY2(d <= 0.01, qPrintable(QStringLiteral("%1 % of the pixels differ").arg(d * 100)));
    }

    // One formula as WMF, EMF, EMF with EMF+ and EMF+ alone: four writings, one picture.
    void formatsAgree_data() {
        QTest::addColumn<int>("seed");
        for (int seed = 0; seed < 6; ++seed)
            QTest::addRow("formula %d", seed) << seed;
    }
    void formatsAgree() {
        QFETCH(int, seed);
        const FormulaCorpus::Formula f = FormulaCorpus::Make(unsigned(seed));
        const QImage wmf = Draw(FormulaCorpus::ToWmf(f), 2);
        for (const auto form :
             {FormulaCorpus::Form::Emf, FormulaCorpus::Form::EmfPlusDual, FormulaCorpus::Form::EmfPlusOnly}) {
            QImage other = Draw(FormulaCorpus::ToEmf(f, form), 2);
            // The EMF frame is rounded to hundredths of a millimetre: a pixel of size either way.
            const QSize common = wmf.size().boundedTo(other.size());
            const double d =
                Difference(wmf.copy(QRect(QPoint(0, 0), common)), other.copy(QRect(QPoint(0, 0), common)));
            QVERIFY2(d < 0.03, qPrintable(QStringLiteral("form %1: %2 %").arg(int(form)).arg(d * 100)));
        }
    }

    void plusDrawnInPlaceOfItsGdiCopy() {
        QCOMPARE(Draw(Dual(false)).pixelColor(50, 50), QColor(0, 192, 0));
        // A record the player cannot draw: the GDI copy is the safer picture.
        QCOMPARE(Draw(Dual(true)).pixelColor(50, 50), QColor(255, 0, 0));
    }

    // Drawn larger, a metafile is drawn anew: a hairline stays one device pixel, and text is as
    // sharp as at its size, which a stretched bitmap is not.
    void vectorsAtEveryScale() {
        MfWrite::Wmf w(QRect(0, 0, 100, 50), 96);
        w.Pen(0, 0, 0).Select(0).MoveTo(0, 25).LineTo(100, 25);
        const Picture picture = Picture::FromData(w.Bytes(), 1 << 20);
        QVERIFY(picture.IsVector());
        QCOMPARE(picture.PixelSize(), QSize(100, 50));
        auto darkRows = [](const QImage& image, int x) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                n += qGray(image.pixel(x, y)) < 200;
            return n;
        };
        const QImage big = picture.ToImage(QSize(400, 200), 1, Qt::white);
        QCOMPARE(big.size(), QSize(400, 200));
        QVERIFY(darkRows(big, 200) >= 1 && darkRows(big, 200) <= 2);
        const QImage dense = picture.ToImage(QSize(100, 50), 2, Qt::white); // a screen of density 2
        QCOMPARE(dense.size(), QSize(200, 100));
        QVERIFY(darkRows(dense, 100) >= 1 && darkRows(dense, 100) <= 2);
        // The label draws the vectors into whatever room it is given.
        PictureLabel label(PictureLabel::Fit::Stretch);
        label.SetPicture(picture);
        label.resize(400, 200);
        QCOMPARE(label.pixmap().deviceIndependentSize().toSize(), QSize(100, 50));
        const QImage shown = label.grab().toImage();
        QVERIFY(darkRows(shown, 200) >= 1 && darkRows(shown, 200) <= 2);
    }

    void symbolFonts_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("charset");
        QTest::addColumn<uint>("code");
        QTest::addColumn<uint>("unicode");
        QTest::newRow("Symbol alpha") << "Symbol" << 2 << 0x61u << 0x3B1u;
        QTest::newRow("Symbol less or equal") << "Symbol" << 2 << 0xA3u << 0x2264u;
        QTest::newRow("Symbol greater or equal, as U+F0B3") << "Symbol" << 0 << 0xF0B3u << 0x2265u;
        QTest::newRow("Symbol plus-minus") << "Symbol" << 2 << 0xB1u << 0xB1u;
        QTest::newRow("Symbol times") << "Symbol" << 2 << 0xB4u << 0xD7u;
        QTest::newRow("Symbol divide") << "Symbol" << 2 << 0xB8u << 0xF7u;
        QTest::newRow("Symbol radical") << "Symbol" << 2 << 0xD6u << 0x221Au;
        QTest::newRow("Symbol sum") << "Symbol" << 2 << 0xE5u << 0x2211u;
        QTest::newRow("Symbol integral") << "Symbol" << 2 << 0xF2u << 0x222Bu;
        QTest::newRow("Symbol arrow") << "Symbol" << 2 << 0xAEu << 0x2192u;
        QTest::newRow("Symbol bullet") << "Symbol" << 2 << 0xB7u << 0x2022u;
        QTest::newRow("nameless symbol set is Symbol") << "" << 2 << 0x70u << 0x3C0u;
        QTest::newRow("extra font: much less") << "MT Extra" << 2 << 0x3Du << 0x226Au;
        QTest::newRow("extra font: h bar") << "MT Extra" << 2 << 0x68u << 0x210Fu;
        QTest::newRow("picture font keeps its code") << "Wingdings" << 2 << 0x4Au << 0xF04Au;
        QTest::newRow("ordinary font") << "Times New Roman" << 0 << 0x61u << 0x61u;
    }
    void symbolFonts() {
        QFETCH(QString, family);
        QFETCH(int, charset);
        QFETCH(uint, code);
        QFETCH(uint, unicode);
        QCOMPARE(uint(SymbolFonts::MapCode(code, SymbolFonts::EncodingOf(family, charset))), unicode);
    }

    void displayFamiliesPreferDebianFonts() {
        QCOMPARE(SymbolFonts::DisplayFamilies("Times New Roman", SymbolFonts::Encoding::None).first(),
                 u"Liberation Serif"_qs);
        QCOMPARE(SymbolFonts::DisplayFamilies("Arial", SymbolFonts::Encoding::None).first(),
                 u"Liberation Sans"_qs);
        QCOMPARE(SymbolFonts::DisplayFamilies("Courier New", SymbolFonts::Encoding::None).first(),
                 u"Liberation Mono"_qs);
        QVERIFY(SymbolFonts::DisplayFamilies("Symbol", SymbolFonts::Encoding::Symbol)
                    .contains(u"DejaVu Serif"_qs));
    }

    // Damaged and hostile files end: refused, or kept up to where they go wrong, and drawn within
    // the budget.
    void hostileFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("truncated");
        auto wmfRecord = [](quint32 words, quint16 function, QByteArray params) {
            Params p;
            p.U32(words).U16(function).Bytes(params);
            return p.Data();
        };
        QTest::newRow("record size past the end") << MfWrite::Wmf(QRect(0, 0, 100, 100), 96)
                                                         .Raw(wmfRecord(100000, 0x041B, QByteArray(8, 'x')))
                                                         .Bytes()
                                                  << true;
        QTest::newRow("record of size zero")
            << MfWrite::Wmf(QRect(0, 0, 100, 100), 96).Raw(wmfRecord(0, 0x041B, {})).Bytes() << true;
        QTest::newRow("polygon count beyond its record")
            << MfWrite::Wmf(QRect(0, 0, 100, 100), 96).Rec(0x0324, Params().I16(30000).I16(1).I16(1)).Bytes()
            << true;
        QTest::newRow("text count beyond its record")
            << MfWrite::Wmf(QRect(0, 0, 100, 100), 96)
                   .Rec(0x0A32, Params().I16(0).I16(0).I16(32000).U16(0))
                   .Bytes()
            << true;
        QTest::newRow("poly-polygon counts beyond their points")
            << MfWrite::Wmf(QRect(0, 0, 100, 100), 96)
                   .Rec(0x0538, Params().U16(2).U16(60000).U16(60000))
                   .Bytes()
            << true;
        {
            // Huge extents: a window of one unit over a box of thousands, pens and dashes far off.
            MfWrite::Wmf w(QRect(-32000, -32000, 64000, 64000), 96);
            w.WindowOrg(0, 0)
                .WindowExt(1, 1)
                .Pen(1, 32000, 0)
                .Select(0)
                .Ellipse(-32000, -32000, 32000, 32000);
            w.Pen(2, 0, 0).Select(1).MoveTo(-32768, -32768).LineTo(32767, 32767);
            QTest::newRow("huge extents") << w.Bytes() << false;
        }
        {
            MfWrite::Wmf w(QRect(0, 0, 100, 100), 96);
            for (int i = 0; i < 2000; ++i)
                w.SaveDc();
            for (int i = 0; i < 3000; ++i)
                w.RestoreDc(-1);
            w.RestoreDc(-30000).RestoreDc(30000).Select(65535).Delete(65535).Select(40000);
            QTest::newRow("saved states and slots out of range") << w.Bytes() << false;
        }
        {
            MfWrite::Emf e(QRect(0, 0, 2646, 2646));
            e.Rec(36, Params().F32(1e30f).F32(0).F32(0).F32(1e30f).F32(0).F32(0).U32(4)); // a giant world
            e.Rec(35, Params().F32(NAN).F32(0).F32(0).F32(1).F32(0).F32(0));
            e.MapMode(8).WindowExt(0, 0).ViewportExt(2000000000, 2000000000).Rectangle(0, 0, 10, 10);
            e.Pen(3000000, 0, 2000000000, 0).Select(3000000).Select(0x80000063u);
            // A DIB that claims 2^31 pixels, and offsets past the record.
            Params bmi;
            bmi.U32(40).I32(65535).I32(65535).U16(1).U16(32).U32(0).U32(0).I32(0).I32(0).U32(0).U32(0);
            Params dib;
            dib.I32(0).I32(0).I32(0).I32(0).I32(0).I32(0).I32(0).I32(0).I32(1).I32(1);
            dib.U32(80)
                .U32(40)
                .U32(120)
                .U32(0xFFFFFF)
                .U32(0)
                .U32(0x00CC0020)
                .I32(10)
                .I32(10)
                .Bytes(bmi.Data());
            e.Rec(81, dib);
            e.Rec(84,
                  Params().I32(0).I32(0).I32(0).I32(0).U32(1).F32(0).F32(0).I32(0).I32(0).U32(100000000).U32(
                      76));
            QTest::newRow("emf: giant transforms, extents, pens and bitmaps") << e.Bytes() << true;
        }
        {
            // EMF+ records whose sizes lie, inside a comment that is honest about its own.
            MfWrite::Emf e(QRect(0, 0, 2646, 2646));
            e.PlusHeader(false);
            e.Rec(70, Params().U32(16).U32(0x2B464D45u).U16(0x400A).U16(0).U32(0xFFFFFFF0u).U32(4));
            QTest::newRow("emf+ record size past its comment") << e.Bytes() << true;
        }
        {
            MfWrite::Emf e(QRect(0, 0, 2646, 2646));
            e.Plus(0x400D, 0, Params().U32(0x7FFFFFFF));
            e.Plus(0x4008, 0x0300, Params().U32(0).U32(0x7FFFFFFF).U32(0));
            QTest::newRow("emf+ counts beyond their data") << e.Bytes() << true;
        }
        {
            // More points than the limit in many honest records: reading stops at the limit.
            MfWrite::Wmf w(QRect(0, 0, 100, 100), 96);
            QList<QPoint> many;
            for (int i = 0; i < 16000; ++i)
                many.append(QPoint(i % 100, (i * 7) % 100));
            for (int i = 0; i < 140; ++i)
                w.Polygon(many);
            QTest::newRow("two million points and more") << w.Bytes() << true;
        }
    }
    void hostileFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, truncated);
        const Mf::MetafilePtr m = Mf::Parse(bytes);
        QVERIFY(m);
        QCOMPARE(m->truncated, truncated);
        QVERIFY(qint64(m->points.size()) <= Mf::Limits().maxPoints);
        QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        Mf::Play(*m, painter, QRectF(0, 0, 200, 200));
    }

    void recordLimitHolds() {
        // Small honest records, more of them than the limit: reading stops there.
        QByteArray records = MfWrite::Wmf(QRect(0, 0, 10, 10), 96).Bytes();
        records.chop(6);
        const QByteArray save = MfWrite::Wmf().SaveDc().Bytes().mid(18, 6);
        for (int i = 0; i < 600000; ++i)
            records += save;
        const Mf::MetafilePtr many = Mf::Parse(records);
        QVERIFY(many && many->truncated);
        QCOMPARE(qint64(many->records.size()), Mf::Limits().maxRecords);
    }

    // Inputs the fuzzer found faults with, read and drawn as the fuzzer does.
    void fuzzFindings() {
        const QDir dir(QStringLiteral(QUIZAR_TEST_DATA "/metafile/fuzz"));
        const QStringList names = dir.entryList({QStringLiteral("*.bin")}, QDir::Files);
        QVERIFY(!names.isEmpty());
        for (const QString& name : names) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray input = file.readAll();
            QVERIFY(!input.isEmpty());
            const Mf::MetafilePtr m = Mf::Parse(MetafileFuzzFrame(uchar(input[0]), input.mid(1)));
            if (!m)
                continue;
            QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
            QPainter painter(&image);
            Mf::Play(*m, painter, QRectF(0, 0, 64, 48));
        }
    }

    void drawingBudgetEndsTheDrawing() {
        MfWrite::Wmf w(QRect(0, 0, 100, 100), 96);
        for (int i = 0; i < 100; ++i)
            w.Rectangle(0, 0, 100, 100);
        const Mf::MetafilePtr m = Mf::Parse(w.Bytes());
        QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        Mf::PlayOptions small;
        small.budget = 50;
        QVERIFY(!Mf::Play(*m, painter, QRectF(0, 0, 10, 10), small));
        QVERIFY(Mf::Play(*m, painter, QRectF(0, 0, 10, 10)));
    }
};

QTEST_MAIN(TestMetafile)
#include "tst_metafile.moc"
