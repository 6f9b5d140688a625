#include "model/ByteReader.h"
#include "model/ByteWriter.h"

#include <QTest>

namespace {
// Hands out the bytes in pieces of a fixed size, as the inflater does.
class ChunkSource : public ByteSource {
public:
    ChunkSource(QByteArray data, qint64 chunk) : m_data(std::move(data)), m_chunk(chunk) {}
    bool Next(const char*& data, qint64& size) override {
        if (m_pos >= m_data.size())
            return false;
        data = m_data.constData() + m_pos;
        size = std::min<qint64>(m_chunk, m_data.size() - m_pos);
        m_pos += size;
        return true;
    }
    bool Failed() const override { return false; }

private:
    QByteArray m_data;
    qint64 m_chunk;
    qint64 m_pos = 0;
};

QByteArray Sample() {
    QByteArray out;
    ByteWriter w(out);
    w.WriteUInt8(7);
    w.WriteBool(true);
    w.WriteInt32(-2);
    w.WriteDouble(45000.25);
    w.WriteString("hello");
    w.WriteString("");
    w.WriteUInt32(0xC0DE1234u);
    return out;
}
} // namespace

class TestByteReader : public QObject {
    Q_OBJECT
private slots:
    void roundTripInMemoryAndInChunks_data() {
        QTest::addColumn<int>("chunk");
        QTest::newRow("memory") << 0;
        QTest::newRow("1-byte chunks") << 1;
        QTest::newRow("3-byte chunks") << 3;
    }
    void roundTripInMemoryAndInChunks() {
        QFETCH(int, chunk);
        const QByteArray data = Sample();
        QCOMPARE(data.size(), 1 + 1 + 4 + 8 + 9 + 4 + 4);
        ChunkSource source(data, chunk);
        ByteReader r = chunk ? ByteReader(source) : ByteReader(data);
        QCOMPARE(r.ReadUInt8(), quint8(7));
        QCOMPARE(r.ReadBool(), true);
        QCOMPARE(r.ReadInt32(), -2);
        QCOMPARE(r.ReadDouble(), 45000.25);
        QCOMPARE(r.ReadString(), QByteArray("hello"));
        QCOMPARE(r.ReadString(), QByteArray());
        QCOMPARE(r.ReadUInt32(), 0xC0DE1234u);
        QVERIFY(r.Ok());
        QVERIFY(r.AtEnd());
        r.ReadUInt8();
        QVERIFY(!r.Ok());
    }

    void littleEndianLayout() {
        QByteArray out;
        ByteWriter(out).WriteInt32(0x01020304);
        QCOMPARE(out, QByteArray("\x04\x03\x02\x01", 4));
    }

    void untrustedLengthsFail_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("chunk");
        QByteArray negative, huge, beyond;
        ByteWriter(negative).WriteInt32(-1);
        ByteWriter(huge).WriteInt32(0x7FFFFFFF);
        ByteWriter(beyond).WriteString("abc");
        beyond.chop(1);
        QTest::newRow("negative length") << negative << 0;
        QTest::newRow("2 GiB length in memory") << huge << 0;
        QTest::newRow("2 GiB length streamed") << huge << 4;
        QTest::newRow("length past the end") << beyond << 0;
        QTest::newRow("length past the end streamed") << beyond << 2;
    }
    void untrustedLengthsFail() {
        QFETCH(QByteArray, data);
        QFETCH(int, chunk);
        ChunkSource source(data, chunk);
        ByteReader r = chunk ? ByteReader(source) : ByteReader(data);
        QCOMPARE(r.ReadString(), QByteArray());
        QVERIFY(!r.Ok());
        // Once failed, the reader stays failed and returns zeros.
        QCOMPARE(r.ReadInt32(), 0);
        QVERIFY(!r.Ok());
    }

    void countsAreCheckedAgainstWhatFollows() {
        QByteArray data;
        ByteWriter w(data);
        w.WriteInt32(3);
        w.WriteInt32(1);
        w.WriteInt32(2);
        {
            ByteReader r(data);
            QCOMPARE(r.ReadCount(4), 0); // three int32 announced, two present
            QVERIFY(!r.Ok());
        }
        {
            ByteReader r(data);
            QCOMPARE(r.ReadCount(1), 3);
            QVERIFY(r.Ok());
        }
    }

    void copyToHandsOverExactlyTheBytes() {
        const QByteArray data = QByteArray(1000, 'x') + "tail";
        ChunkSource source(data, 64);
        ByteReader r(source);
        qint64 got = 0;
        QVERIFY(r.CopyTo(1000, [&](const char*, qint64 n) {
            got += n;
            return true;
        }));
        QCOMPARE(got, 1000);
        char tail[4];
        QVERIFY(r.ReadBytes(tail, 4));
        QCOMPARE(QByteArray(tail, 4), QByteArray("tail"));
        QVERIFY(!r.CopyTo(1, [](const char*, qint64) { return true; }));
    }
};

QTEST_GUILESS_MAIN(TestByteReader)
#include "tst_bytereader.moc"
