// Lines and blocks as they are sent and as they are taken out of a receive buffer that fills in
// arbitrary pieces.
#include "net/Wire.h"

#include <QTest>

namespace {
using Take = WireReader::Take;

// Feeds `bytes` in pieces of `chunk` bytes (all at once for 0) until a line is complete or the
// reader fails; then the rest of the bytes, so that they wait behind the line.
Take FeedLine(WireReader& reader, const QByteArray& bytes, int chunk, QByteArray& line) {
    const qsizetype step = chunk == 0 ? std::max<qsizetype>(bytes.size(), 1) : chunk;
    Take took = Take::NeedMore;
    qsizetype i = 0;
    for (; i < bytes.size() && took == Take::NeedMore; i += step) {
        reader.Append(QByteArrayView(bytes).sliced(i, std::min(step, bytes.size() - i)));
        took = reader.TakeLine(line);
    }
    if (i < bytes.size())
        reader.Append(QByteArrayView(bytes).sliced(i));
    return took;
}
} // namespace

class TestWire : public QObject {
    Q_OBJECT
private slots:
    void encoding() {
        QCOMPARE(Wire::Line("GETLIST"), QByteArray("GETLIST\r\n"));
        QCOMPARE(Wire::Line(""), QByteArray("\r\n"));
        QCOMPARE(Wire::Block("abc"), QByteArray("3\r\nabc"));
        QCOMPARE(Wire::Block(""), QByteArray("0\r\n"));
        const QByteArray binary("\0\r\n\xFF", 4);
        QCOMPARE(Wire::Block(binary), QByteArray("4\r\n") + binary);
    }

    void lineEnds_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("CR LF") << QByteArray("YES\r\nnext") << QByteArray("YES") << QByteArray("next");
        QTest::newRow("LF alone") << QByteArray("YES\nnext") << QByteArray("YES") << QByteArray("next");
        QTest::newRow("only one CR dropped")
            << QByteArray("YES\r\r\n") << QByteArray("YES\r") << QByteArray();
        QTest::newRow("CR inside kept") << QByteArray("A\rB\n") << QByteArray("A\rB") << QByteArray();
        QTest::newRow("blank line") << QByteArray("\r\n") << QByteArray() << QByteArray();
        QTest::newRow("trailing blank kept") << QByteArray("YES \r\n") << QByteArray("YES ") << QByteArray();
        QTest::newRow("cp1251 bytes")
            << QByteArray("\xD2\xE5\xF1\xF2\r\n") << QByteArray("\xD2\xE5\xF1\xF2") << QByteArray();
    }
    void lineEnds() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, rest);
        for (int chunk : {0, 1, 2}) {
            WireReader reader(100);
            QByteArray got;
            QCOMPARE(FeedLine(reader, bytes, chunk, got), Take::Ready);
            QCOMPARE(got, line);
            // What came after the line stays for the next take.
            QCOMPARE(reader.Buffered(), rest.size());
        }
    }

    void lineLengthLimit_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("expected");
        const QByteArray full(Wire::MaxLineBytes, 'x');
        QTest::newRow("limit, LF") << full + "\n" << int(Take::Ready);
        QTest::newRow("limit, CR LF") << full + "\r\n" << int(Take::Ready);
        QTest::newRow("limit, CR waiting for LF") << full + "\r" << int(Take::NeedMore);
        QTest::newRow("limit, end not yet here") << full << int(Take::NeedMore);
        QTest::newRow("one over, LF") << full + "x\n" << int(Take::Error);
        QTest::newRow("one over, CR CR LF") << full + "\r\r\n" << int(Take::Error);
        QTest::newRow("one over, end not yet here") << full + "x" << int(Take::Error);
    }
    void lineLengthLimit() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, expected);
        for (int chunk : {0, 4096}) {
            WireReader reader(100);
            QByteArray line;
            QCOMPARE(int(FeedLine(reader, bytes, chunk, line)), expected);
            if (expected == int(Take::Ready))
                QCOMPARE(line, QByteArray(Wire::MaxLineBytes, 'x'));
            if (expected == int(Take::Error)) {
                QVERIFY(!reader.ErrorText().isEmpty());
                // A failed reader stays failed and keeps nothing.
                reader.Append("OK\r\n");
                QCOMPARE(reader.TakeLine(line), Take::Error);
                QCOMPARE(reader.Buffered(), 0);
            }
        }
    }

    void blocksArriveInPieces() {
        const QByteArray bytes = Wire::Block("hello") + Wire::Block("") + Wire::Line("QUIT");
        for (int chunk : {1, 3, int(bytes.size())}) {
            WireReader reader(5);
            QList<QByteArray> blocks;
            QByteArray quit;
            qsizetype i = 0;
            while (blocks.size() < 2) {
                QByteArray block;
                const Take took = reader.TakeBlock(block);
                QVERIFY(took != Take::Error);
                if (took == Take::Ready) {
                    blocks.append(block);
                    continue;
                }
                QVERIFY(i < bytes.size());
                reader.Append(QByteArrayView(bytes).sliced(i, std::min<qsizetype>(chunk, bytes.size() - i)));
                i += chunk;
            }
            QCOMPARE(blocks, (QList<QByteArray>{"hello", ""}));
            // The bytes after a block belong to what follows it.
            if (i < bytes.size())
                reader.Append(QByteArrayView(bytes).sliced(i));
            QCOMPARE(reader.TakeLine(quit), Take::Ready);
            QCOMPARE(quit, QByteArray("QUIT"));
        }
    }

    void badLengthLines_data() {
        QTest::addColumn<QByteArray>("lengthLine");
        QTest::newRow("letters after digits") << QByteArray("12x");
        QTest::newRow("leading blank") << QByteArray(" 5");
        QTest::newRow("trailing blank") << QByteArray("5 ");
        QTest::newRow("plus sign") << QByteArray("+5");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("minus alone") << QByteArray("-");
        QTest::newRow("negative") << QByteArray("-1");
        QTest::newRow("over the limit") << QByteArray("1001");
        QTest::newRow("beyond 64 bits") << QByteArray("99999999999999999999999");
        QTest::newRow("hexadecimal") << QByteArray("0x10");
    }
    void badLengthLines() {
        QFETCH(QByteArray, lengthLine);
        WireReader reader(1000);
        reader.Append(Wire::Line(lengthLine) + QByteArray(2000, 'b'));
        QByteArray block;
        QCOMPARE(reader.TakeBlock(block), Take::Error);
        QVERIFY(block.isEmpty());
        QCOMPARE(reader.Buffered(), 0);
    }

    void lengthAtTheLimitIsTaken() {
        WireReader reader(1000);
        reader.Append("0001000\r\n");
        QByteArray block;
        QCOMPARE(reader.TakeBlock(block), Take::NeedMore);
        QCOMPARE(reader.PendingBlock(), 1000);
        reader.Append(QByteArray(999, 'b'));
        QCOMPARE(reader.TakeBlock(block), Take::NeedMore);
        reader.Append("bc");
        QCOMPARE(reader.TakeBlock(block), Take::Ready);
        QCOMPARE(block, QByteArray(1000, 'b'));
        QCOMPARE(reader.Buffered(), 1);
    }

    void parseDecimal_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("value");
        QTest::newRow("zero") << QByteArray("0") << true << qint64(0);
        QTest::newRow("leading zeros") << QByteArray("007") << true << qint64(7);
        QTest::newRow("negative") << QByteArray("-42") << true << qint64(-42);
        QTest::newRow("largest") << QByteArray("9223372036854775807") << true
                                 << std::numeric_limits<qint64>::max();
        QTest::newRow("smallest") << QByteArray("-9223372036854775808") << true
                                  << std::numeric_limits<qint64>::min();
        QTest::newRow("one past largest") << QByteArray("9223372036854775808") << false << qint64(0);
        QTest::newRow("one past smallest") << QByteArray("-9223372036854775809") << false << qint64(0);
        QTest::newRow("blank") << QByteArray(" ") << false << qint64(0);
    }
    void parseDecimal() {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(qint64, value);
        qint64 got = -1;
        QCOMPARE(Wire::ParseDecimal(text, got), ok);
        if (ok)
            QCOMPARE(got, value);
    }
};

QTEST_GUILESS_MAIN(TestWire)
#include "tst_wire.moc"
