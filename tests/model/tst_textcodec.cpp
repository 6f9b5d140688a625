#include "model/TextCodec.h"

#include <QStringDecoder>
#include <QTest>

class TestTextCodec : public QObject {
    Q_OBJECT
private slots:
    void everyByteMatchesTheSystemDecoder() {
        QStringDecoder decoder("windows-1251");
        if (!decoder.isValid())
            QSKIP("this Qt has no windows-1251 decoder");
        for (int b = 0; b < 256; ++b) {
            if (b == 0x98)
                continue; // unassigned in the code page; decoders disagree
            const QByteArray one(1, char(b));
            const QString expected = decoder.decode(one);
            QCOMPARE(TextCodec::FromCp1251(one), expected);
        }
    }

    void everyByteRoundTrips() {
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        QCOMPARE(TextCodec::ToCp1251(TextCodec::FromCp1251(all)), all);
    }

    void unknownCharactersBecomeQuestionMarks() {
        QCOMPARE(TextCodec::ToCp1251(u"a\u4E2Db"), QByteArray("a?b"));
    }

    void upperCase_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("upper");
        QTest::newRow("latin") << "abc xyz 123"
                               << "ABC XYZ 123";
        QTest::newRow("russian") << u"привет, мир"_qs << u"ПРИВЕТ, МИР"_qs;
        QTest::newRow("yo and ukrainian") << u"ёїієґ"_qs << u"ЁЇІЄҐ"_qs;
        QTest::newRow("serbian and belarusian") << u"ђѓљњќћџўјѕ"_qs << u"ЂЃЉЊЌЋЏЎЈЅ"_qs;
        QTest::newRow("non-letters stay") << u"µ№«»"_qs << u"µ№«»"_qs;
    }
    void upperCase() {
        QFETCH(QString, text);
        QFETCH(QString, upper);
        QCOMPARE(TextCodec::FromCp1251(TextCodec::UpperCp1251(TextCodec::ToCp1251(text))), upper);
    }
};

QTEST_GUILESS_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
