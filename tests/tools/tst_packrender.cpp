// quizar-pack render: pictures of every kind and text fragments drawn into PNG files as shown.
#include "MetafileWriter.h"
#include "WidgetTesting.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestPackRender : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    int Run(const QStringList& args, QByteArray* err = nullptr) {
        QProcess p;
        p.start(QStringLiteral(QUIZAR_PACK), args);
        p.waitForFinished(60000);
        if (err)
            *err = p.readAllStandardError();
        return p.exitCode();
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    QString Out(const QString& name) { return m_dir.filePath(name); }

    // A 200 by 100 pixel drawing: a red left half.
    static QByteArray RedHalf() {
        MfWrite::Wmf w(QRect(0, 0, 200, 100), 96);
        w.Pen(5, 0, 0).Select(0).Brush(0, MfWrite::Rgb(255, 0, 0)).Select(1).Rectangle(0, 0, 100, 101);
        return w.Bytes();
    }

private slots:
    void pictures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QSize>("size");
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                image.setPixel(x, y, qRgb(255, 0, 0));
        QTest::newRow("wmf at its natural size") << "a.wmf" << RedHalf() << QStringList() << QSize(200, 100);
        QTest::newRow("wmf drawn wider")
            << "b.wmf" << RedHalf() << QStringList{"--width", "800"} << QSize(800, 400);
        QTest::newRow("png") << "c.png" << Encoded(image, "PNG") << QStringList() << QSize(200, 100);
        QTest::newRow("bmp scaled") << "d.bmp" << Encoded(image, "BMP") << QStringList{"--width", "100"}
                                    << QSize(100, 50);
    }
    void pictures() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, extra);
        QFETCH(QSize, size);
        const QString out = Out(name + ".png");
        QCOMPARE(Run(QStringList{"render", Write(name, bytes), "-o", out} + extra), 0);
        const QImage png(out);
        QCOMPARE(png.size(), size);
        QCOMPARE(png.pixelColor(size.width() / 4, size.height() / 2), QColor(255, 0, 0));
        QCOMPARE(png.pixelColor(size.width() * 3 / 4, size.height() / 2), QColor(255, 255, 255));
    }

    void fragmentWithAPicture() {
        const QByteArray rtf =
            "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Times New Roman;}}\\f0 "
            "\\'d4\\'ee\\'f0\\'ec\\'f3\\'eb\\'e0:\\par{\\pict\\wmetafile8 " +
            RedHalf().toHex() + "}\\par}";
        const QString out = Out("fragment.png");
        QCOMPARE(Run({"render", Write("task.rtf", rtf), "-o", out, "--width", "300"}), 0);
        const QImage png(out);
        QCOMPARE(png.width(), 300);
        QVERIFY(png.height() > 100); // a line of text above the picture
        int red = 0, dark = 0;
        for (int y = 0; y < png.height(); ++y)
            for (int x = 0; x < png.width(); ++x) {
                const QColor c = png.pixelColor(x, y);
                red += c == QColor(255, 0, 0);
                dark += qGray(c.rgb()) < 100 && c.red() < 100;
            }
        QVERIFY2(red > 9000, qPrintable(QString::number(red))); // the picture's red half, 100 by 100
        QVERIFY(dark > 50);                                     // and the letters
    }

    void errors() {
        QByteArray err;
        QCOMPARE(Run({"render", Out("none.wmf"), "-o", Out("x.png")}, &err), 1);
        QVERIFY(err.contains("none.wmf"));
        QCOMPARE(Run({"render", Write("bad.emf", "not a metafile"), "-o", Out("x.png")}, &err), 1);
        QVERIFY(err.contains("not a picture"));
        QCOMPARE(Run({"render", Write("t.rtf", "x")}, &err), 2);
        QVERIFY(err.contains("usage"));
        QCOMPARE(Run({"render", Write("t.rtf", "x"), "-o", Out("x.png"), "--width", "zero"}, &err), 2);
    }
};

QTEST_GUILESS_MAIN(TestPackRender)
#include "tst_packrender.moc"
