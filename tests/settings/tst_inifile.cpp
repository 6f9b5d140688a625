#include "settings/IniFile.h"

#include <QTest>

#include <optional>

Q_DECLARE_METATYPE(std::optional<qint32>)
Q_DECLARE_METATYPE(std::optional<QByteArray>)

namespace {
const QByteArray Sample = "; written by hand\r\n"
                          "[Net]\r\n"
                          "RemotePort = 6000 \r\n"
                          "remotehost=\tschool.lan\r\n"
                          "Formula=a=b\r\n"
                          "RemotePort=7000\r\n"
                          "Empty=\r\n"
                          "; trailing comment\r\n"
                          "\r\n"
                          "[Other]\r\n"
                          "Key=other\r\n"
                          "[NET]\r\n"
                          "Second=seen only in the first section of that name\r\n";
} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void values_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<std::optional<QByteArray>>("value");
        QTest::newRow("blanks around value dropped")
            << QByteArray("Net") << QByteArray("RemotePort") << std::optional<QByteArray>("6000");
        QTest::newRow("names ignore case")
            << QByteArray("nEt") << QByteArray("REMOTEHOST") << std::optional<QByteArray>("school.lan");
        QTest::newRow("equals sign inside value")
            << QByteArray("Net") << QByteArray("Formula") << std::optional<QByteArray>("a=b");
        QTest::newRow("empty value is present")
            << QByteArray("Net") << QByteArray("Empty") << std::optional<QByteArray>("");
        QTest::newRow("missing key") << QByteArray("Net") << QByteArray("Nope")
                                     << std::optional<QByteArray>();
        QTest::newRow("key of another section")
            << QByteArray("Net") << QByteArray("Key") << std::optional<QByteArray>();
        QTest::newRow("missing section")
            << QByteArray("Save") << QByteArray("RemotePort") << std::optional<QByteArray>();
        QTest::newRow("comment is not a key")
            << QByteArray("Net") << QByteArray("; trailing comment") << std::optional<QByteArray>();
        QTest::newRow("repeated section name")
            << QByteArray("Net") << QByteArray("Second") << std::optional<QByteArray>();
    }
    void values() {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(std::optional<QByteArray>, value);
        QCOMPARE(IniFile(Sample).Value(section, key), value);
    }

    void cyrillicNamesIgnoreCaseAndLongValuesAreCut() {
        // "[Звук]" / "ключ" in code page 1251, looked up in capitals.
        const QByteArray bytes =
            "[\xC7\xE2\xF3\xEA]\nkey=" + QByteArray(3000, 'v') + "\n\xEA\xEB\xFE\xF7=1\n";
        const IniFile ini(bytes);
        QCOMPARE(ini.Value("\xC7\xC2\xD3\xCA", "KEY")->size(), IniFile::MaxValueLength);
        QCOMPARE(ini.Value("\xE7\xE2\xF3\xEA", "\xCA\xCB\xDE\xD7"), std::optional<QByteArray>("1"));
        QCOMPARE(ini.Keys("\xC7\xE2\xF3\xEA"), QList<QByteArray>({"key", "\xEA\xEB\xFE\xF7"}));
    }

    void parseInteger_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<std::optional<qint32>>("value");
        const std::optional<qint32> none;
        QTest::newRow("decimal") << QByteArray("5005") << std::optional<qint32>(5005);
        QTest::newRow("negative") << QByteArray("-12") << std::optional<qint32>(-12);
        QTest::newRow("plus") << QByteArray("+7") << std::optional<qint32>(7);
        QTest::newRow("0x") << QByteArray("0x1389") << std::optional<qint32>(5001);
        QTest::newRow("0X upper digits") << QByteArray("0X13AB") << std::optional<qint32>(0x13AB);
        QTest::newRow("dollar") << QByteArray("$1389") << std::optional<qint32>(5001);
        QTest::newRow("hex all bits") << QByteArray("$FFFFFFFF") << std::optional<qint32>(-1);
        QTest::newRow("int32 min") << QByteArray("-2147483648") << std::optional<qint32>(INT32_MIN);
        QTest::newRow("int32 max") << QByteArray("2147483647") << std::optional<qint32>(INT32_MAX);
        QTest::newRow("too big") << QByteArray("2147483648") << none;
        QTest::newRow("hex too big") << QByteArray("$100000000") << none;
        QTest::newRow("word") << QByteArray("yes") << none;
        QTest::newRow("empty") << QByteArray("") << none;
        QTest::newRow("prefix only") << QByteArray("0x") << none;
        QTest::newRow("trailing letters") << QByteArray("12abc") << none;
        QTest::newRow("hex digits without prefix") << QByteArray("1F") << none;
        QTest::newRow("fraction") << QByteArray("1.5") << none;
    }
    void parseInteger() {
        QFETCH(QByteArray, text);
        QFETCH(std::optional<qint32>, value);
        QCOMPARE(IniFile::ParseInteger(text), value);
    }

    void typedReadsKeepCurrentValue() {
        const IniFile ini(QByteArray("[S]\nYes=yes\nTwo=2\nZero=0\nHex=$10\n"));
        QCOMPARE(ini.ReadBool("S", "Yes", true), true);
        QCOMPARE(ini.ReadBool("S", "Yes", false), false);
        QCOMPARE(ini.ReadBool("S", "Two", false), true);
        QCOMPARE(ini.ReadBool("S", "Zero", true), false);
        QCOMPARE(ini.ReadBool("S", "Missing", true), true);
        QCOMPARE(ini.ReadInteger("S", "Hex", 1), 16);
        QCOMPARE(ini.ReadInteger("S", "Yes", 42), 42);
        QCOMPARE(ini.ReadString("S", "Missing", "keep"), QByteArray("keep"));
    }

    void writingKeepsForeignLines() {
        IniFile ini(Sample);
        ini.WriteInteger("net", "REMOTEPORT", 5005);         // changed in place, under our spelling
        ini.WriteBool("Net", "IsSendResult", true);          // new key: after the section's last entry
        ini.WriteString("Sound", "SoundFileName", "a\r\nb"); // new section at the end, one line
        ini.WriteString("Other", "Key", "");
        QCOMPARE(ini.ToBytes(), QByteArray("; written by hand\r\n"
                                           "[Net]\r\n"
                                           "REMOTEPORT=5005\r\n"
                                           "remotehost=\tschool.lan\r\n"
                                           "Formula=a=b\r\n"
                                           "RemotePort=7000\r\n"
                                           "Empty=\r\n"
                                           "IsSendResult=1\r\n"
                                           "; trailing comment\r\n"
                                           "\r\n"
                                           "[Other]\r\n"
                                           "Key=\r\n"
                                           "[NET]\r\n"
                                           "Second=seen only in the first section of that name\r\n"
                                           "[Sound]\r\n"
                                           "SoundFileName=a  b\r\n"));
        QCOMPARE(IniFile(ini.ToBytes()).Value("Sound", "SoundFileName"), std::optional<QByteArray>("a  b"));
    }

    void untouchedFileRoundTripsAndLfBecomesCrLf() {
        QCOMPARE(IniFile(Sample).ToBytes(), Sample);
        QCOMPARE(IniFile(QByteArray("[A]\nk=v")).ToBytes(), QByteArray("[A]\r\nk=v\r\n"));
        QCOMPARE(IniFile(QByteArray()).ToBytes(), QByteArray());
    }

    void eraseSectionRemovesEveryCopy() {
        IniFile ini(Sample);
        ini.EraseSection("net");
        QCOMPARE(ini.ToBytes(), QByteArray("; written by hand\r\n[Other]\r\nKey=other\r\n"));
        QVERIFY(!ini.HasSection("Net"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
