#include "ui/gui/PictureLabel.h"
#include "ui/gui/PictureLoader.h"

#include "MetafileWriter.h"
#include "ScriptedPrompts.h"
#include "WidgetTesting.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A 1 by 1 GIF, written by hand: Qt reads GIF but does not write it.
const QByteArray
    Gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00"
        "\x02\x02\x44\x01\x00;",
        35);

// A JPEG whose frame header claims 65000 by 65000 pixels.
QByteArray ForgedJpeg(const QByteArray& jpeg) {
    QByteArray forged = jpeg;
    for (qsizetype i = 0; i + 8 < forged.size(); ++i) {
        if (uchar(forged[i]) == 0xFF && (uchar(forged[i + 1]) == 0xC0 || uchar(forged[i + 1]) == 0xC2)) {
            forged[i + 5] = char(0xFD), forged[i + 6] = char(0xE8);
            forged[i + 7] = char(0xFD), forged[i + 8] = char(0xE8);
            break;
        }
    }
    return forged;
}

} // namespace

class TestPictureLoader : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString Folder() const { return m_dir.path() + QLatin1Char('/'); }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile f(Folder() + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void initTestCase() {
        QImage image(5, 3, QImage::Format_RGB32);
        image.fill(Qt::blue);
        const QByteArray bmp = Encoded(image, "BMP");
        const QByteArray jpg = Encoded(image, "JPG");
        Write("a.bmp", bmp);
        Write("a.dib", bmp);
        Write("a.rle", bmp);
        Write("a.ico", Encoded(image, "ICO"));
        Write("a.gif", Gif);
        Write(u"картинка.png"_qs, Encoded(image, "PNG"));
        Write("a.PNG", Encoded(image, "PNG"));
        Write("a.jpg", jpg);
        Write("a.jpeg", jpg);
        QByteArray progressive;
        QBuffer pbuf(&progressive);
        pbuf.open(QIODevice::WriteOnly);
        QImageWriter writer(&pbuf, "JPG");
        writer.setProgressiveScanWrite(true);
        writer.write(image);
        Write("progressive.jpg", progressive);
        Write("damaged.wmf", QByteArray("\xd7\xcd\xc6\x9a", 4) + QByteArray(40, '\0'));
        Write("damaged.emf", QByteArray(40, '\0'));
        Write("a.wmf", MfWrite::Wmf(QRect(0, 0, 1440, 720), 1440).Rectangle(0, 0, 720, 720).Bytes());
        Write("plain.wmf", MfWrite::Wmf().WindowExt(120, 80).Ellipse(0, 0, 120, 80).Bytes());
        Write("a.emf", MfWrite::Emf(QRect(0, 0, 5080, 2540)).Rectangle(0, 0, 10, 10).Bytes());
        Write("emf-named.wmf", MfWrite::Emf(QRect(0, 0, 2540, 2540)).Bytes());
        Write("wmf-named.png", MfWrite::Wmf(QRect(0, 0, 96, 96), 96).Bytes());
        Write("damaged.png", Encoded(image, "PNG").left(30));
        Write("huge.jpg", ForgedJpeg(jpg));
        Write("png-named.jpg", Encoded(image, "PNG"));
        Write("a.txt", "hello");
        QByteArray hugeBmp = bmp;
        hugeBmp[18] = char(0xFF), hugeBmp[19] = char(0xFF), hugeBmp[20] = char(0xFF), hugeBmp[21] = 0x00;
        hugeBmp[22] = char(0xFF), hugeBmp[23] = char(0xFF), hugeBmp[24] = char(0xFF), hugeBmp[25] = 0x00;
        Write("huge.bmp", hugeBmp);
    }

    void load_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size"); // invalid: "Ошибка загрузки изображения!"
        QTest::newRow("bmp") << "a.bmp" << QSize(5, 3);
        QTest::newRow("dib") << "a.dib" << QSize(5, 3);
        QTest::newRow("rle") << "a.rle" << QSize(5, 3);
        QTest::newRow("ico") << "a.ico" << QSize(5, 3);
        QTest::newRow("gif") << "a.gif" << QSize(1, 1);
        QTest::newRow("png with a cyrillic name") << u"картинка.png"_qs << QSize(5, 3);
        QTest::newRow("upper-case extension") << "a.PNG" << QSize(5, 3);
        QTest::newRow("jpg") << "a.jpg" << QSize(5, 3);
        QTest::newRow("jpeg") << "a.jpeg" << QSize(5, 3);
        QTest::newRow("progressive jpeg") << "progressive.jpg" << QSize(5, 3);
        QTest::newRow("placeable wmf: its box at its units per inch") << "a.wmf" << QSize(96, 48);
        QTest::newRow("wmf without the placeable header: its window") << "plain.wmf" << QSize(120, 80);
        QTest::newRow("emf: its frame") << "a.emf" << QSize(192, 96);
        QTest::newRow("either metafile under either name") << "emf-named.wmf" << QSize(96, 96);
        QTest::newRow("damaged wmf") << "damaged.wmf" << QSize();
        QTest::newRow("damaged emf") << "damaged.emf" << QSize();
        QTest::newRow("metafile under a bitmap's name") << "wmf-named.png" << QSize();
        QTest::newRow("damaged") << "damaged.png" << QSize();
        QTest::newRow("jpeg claiming a gigantic size") << "huge.jpg" << QSize();
        QTest::newRow("bmp claiming a gigantic size") << "huge.bmp" << QSize();
        QTest::newRow("png under a jpeg name") << "png-named.jpg" << QSize();
        QTest::newRow("unknown extension") << "a.txt" << QSize();
    }
    void load() {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        PictureLabel control(PictureLabel::Fit::Shrink);
        ScriptedPrompts prompts;
        const bool ok = LoadQuestionPicture(control, name, Folder(), prompts);
        QCOMPARE(ok, size.isValid());
        QCOMPARE(control.isEnabled(), ok);
        QCOMPARE(control.isHidden(), !ok);
        if (ok) {
            QCOMPARE(control.pixmap().deviceIndependentSize().toSize(), size);
            QCOMPARE(control.CurrentPicture().PixelSize(), size);
            QCOMPARE(control.CurrentPicture().IsVector(), name.endsWith(QLatin1String("mf")));
            QVERIFY(prompts.messages.isEmpty());
        } else {
            QCOMPARE(prompts.messages.size(), 1);
            QCOMPARE(prompts.messages[0].text, u"Ошибка загрузки изображения!"_qs);
            QCOMPARE(prompts.messages[0].caption, u"QuizarStudent"_qs);
            QVERIFY(control.pixmap().isNull());
        }
    }

    void missingFile() {
        QLabel control;
        ScriptedPrompts prompts;
        QVERIFY(!LoadAnswerPicture(control, "none.png", Folder(), prompts));
        QCOMPARE(prompts.messages.size(), 1);
        QCOMPARE(prompts.messages[0].text,
                 u"Файл: "_qs + Folder() + u"none.png с изображением отсутствует!"_qs);
        QCOMPARE(prompts.messages[0].icon, MsgIcon::None);
        QVERIFY(control.isHidden());
        QVERIFY(!control.isEnabled());
    }

    void emptyNameClearsSilently() {
        QLabel control;
        ScriptedPrompts prompts;
        QVERIFY(LoadQuestionPicture(control, "a.bmp", Folder(), prompts));
        QVERIFY(!LoadQuestionPicture(control, QString(), Folder(), prompts));
        QVERIFY(control.pixmap().isNull());
        QVERIFY(control.isHidden());
        QVERIFY(!control.isEnabled());
        QVERIFY(prompts.messages.isEmpty());
    }
};

QTEST_MAIN(TestPictureLoader)
#include "tst_pictureloader.moc"
