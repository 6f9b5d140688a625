#include "results/Zlib.h"

#include <QTest>

#include <zlib.h>

namespace {
// Bytes that compress, but not to nothing.
QByteArray Data(qsizetype size) {
    QByteArray d(size, Qt::Uninitialized);
    quint32 x = 12345;
    for (qsizetype i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        d[i] = char('a' + (x >> 16) % 8);
    }
    return d;
}

QByteArray Deflated(std::initializer_list<QByteArrayView> pieces, int level = 9) {
    QByteArray out;
    const bool ok = Zlib::Deflate(pieces, level, [&out](QByteArrayView c) {
                        out.append(c);
                        return true;
                    }).Ok();
    return ok ? out : QByteArray();
}
} // namespace

class TestZlib : public QObject {
    Q_OBJECT
private slots:
    // Sizes around the internal chunk of 256 KiB, where draining the last output is easy to miss.
    void roundTripAgainstZlib_data() {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<int>("level");
        for (const qsizetype s :
             {qsizetype(0), qsizetype(1), qsizetype(256 * 1024 - 1), qsizetype(256 * 1024),
              qsizetype(512 * 1024), qsizetype(3 * 256 * 1024 + 7)})
            QTest::addRow("%lld", qlonglong(s)) << s << 9;
        for (const qsizetype s : {qsizetype(1), qsizetype(512 * 1024)})
            QTest::addRow("%lld at level 12", qlonglong(s)) << s << Zlib::HighestLevel;
    }
    void roundTripAgainstZlib() {
        QFETCH(qsizetype, size);
        QFETCH(int, level);
        const QByteArray data = Data(size);
        const qsizetype half = size / 2;
        const QByteArray packed = Deflated(
            {QByteArrayView(data).first(half), QByteArrayView(), QByteArrayView(data).sliced(half)}, level);
        QVERIFY(!packed.isEmpty());
        QCOMPARE(packed.left(2), QByteArray("\x78\xDA"));
        // zlib itself reads what we wrote...
        uLongf outSize = uLongf(size) + 1;
        QByteArray plain(qsizetype(outSize), Qt::Uninitialized);
        QCOMPARE(uncompress(reinterpret_cast<Bytef*>(plain.data()), &outSize,
                            reinterpret_cast<const Bytef*>(packed.constData()), uLong(packed.size())),
                 Z_OK);
        plain.resize(qsizetype(outSize));
        QCOMPARE(plain, data);
        // ...and we read what zlib wrote, ignoring what follows the stream.
        uLongf bound = compressBound(uLong(size));
        QByteArray theirs(qsizetype(bound), Qt::Uninitialized);
        compress2(reinterpret_cast<Bytef*>(theirs.data()), &bound,
                  reinterpret_cast<const Bytef*>(data.constData()), uLong(size), 6);
        theirs.resize(qsizetype(bound));
        QByteArray back;
        QVERIFY(Zlib::Inflate(theirs + "trailing", back, qint64(1) << 30).Ok());
        QCOMPARE(back, data);
    }

    void inflateFailures() {
        const QByteArray packed = Deflated({Data(100000)});
        QByteArray out;
        const Status half = Zlib::Inflate(packed.left(packed.size() / 2), out, qint64(1) << 30);
        QVERIFY(!half.Ok());
        QVERIFY(!half.Detail().isEmpty());
        QVERIFY(!Zlib::Inflate(QByteArray(), out, qint64(1) << 30).Ok());
        QVERIFY(!Zlib::Inflate(QByteArray("not zlib at all"), out, qint64(1) << 30).Ok());
        // A stream that expands beyond the cap stops there instead of taking the memory.
        QVERIFY(!Zlib::Inflate(packed, out, 99999).Ok());
        QVERIFY(Zlib::Inflate(packed, out, 100000).Ok());
    }

    // The stream does not tell its inflated size: one that expands far more than records do still
    // inflates whole, and up to a limit that lies beyond the first guesses.
    void inflateGrowsPastItsGuess() {
        const QByteArray zeros(8 << 20, '\0');
        uLongf bound = compressBound(uLong(zeros.size()));
        QByteArray theirs(qsizetype(bound), Qt::Uninitialized);
        QCOMPARE(compress2(reinterpret_cast<Bytef*>(theirs.data()), &bound,
                           reinterpret_cast<const Bytef*>(zeros.constData()), uLong(zeros.size()), 9),
                 Z_OK);
        theirs.resize(qsizetype(bound));
        QByteArray out;
        QVERIFY(Zlib::Inflate(theirs, out, zeros.size()).Ok());
        QCOMPARE(out, zeros);
        QVERIFY(!Zlib::Inflate(theirs, out, zeros.size() - 1).Ok());
        QVERIFY(out.isEmpty());
    }

    void deflateStopsWhenTheSinkRefuses() {
        int calls = 0;
        const Status refused =
            Zlib::Deflate({Data(2 << 20)}, 1, [&calls](QByteArrayView) { return ++calls < 2; });
        QVERIFY(!refused.Ok());
        QCOMPARE(calls, 2);
        QVERIFY(!refused.Detail().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestZlib)
#include "tst_zlib.moc"
