// The plain text of rich-text fragments read straight from the tokens against the text of the
// document the reader makes: the two must be the same on every fragment of the benchmark corpus,
// the sample test, the fragments in tests/data/rtf, and damaged versions of all of them.
#include "RtfCorpus.h"
#include "model/TextCodec.h"
#include "model/Utils.h"
#include "ui/RichDocument.h"
#include "ui/RtfReader.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTest>
#include <QTextDocument>

namespace {

struct Named {
    QString name;
    QByteArray fragment;
};

QList<Named> DataFragments() {
    QList<Named> list;
    const QDir dir(QStringLiteral(QUIZAR_TEST_DATA "/rtf"));
    for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(file));
        if (f.open(QIODevice::ReadOnly))
            list.append({file, f.readAll()});
    }
    return list;
}

// Every text of the sample test, RTF or plain, as the test file holds it (code page 1251).
void CollectTexts(const QJsonValue& value, const QString& path, QList<Named>& out) {
    if (value.isObject()) {
        const QJsonObject o = value.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            CollectTexts(it.value(), path + u'/' + it.key(), out);
    } else if (value.isArray()) {
        const QJsonArray a = value.toArray();
        for (qsizetype i = 0; i < a.size(); ++i)
            CollectTexts(a[i], path + u'/' + QString::number(i), out);
    } else if (value.isString() && !value.toString().isEmpty()) {
        out.append({path, TextCodec::ToCp1251(value.toString())});
    }
}

QList<Named> SampleFragments() {
    QFile f(QStringLiteral(QUIZAR_TEST_DATA "/../../examples/sample/sample.json"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<Named> list;
    CollectTexts(QJsonDocument::fromJson(f.readAll()).object(), QString(), list);
    return list;
}

QList<Named> CorpusFragments() {
    QList<Named> list;
    const QList<QByteArray>& corpus = RtfCorpus::Fragments();
    for (qsizetype i = 0; i < corpus.size(); ++i)
        list.append({QStringLiteral("corpus %1").arg(i), corpus[i]});
    return list;
}

// Damaged and spliced versions: cut short, a span dropped or doubled, and words that change the
// structure (paragraphs, tables, markers, hidden text, pictures, breaking characters) put in
// anywhere.
QList<Named> Damaged(const QList<Named>& seeds, int perSeed) {
    static const char* const Inserts[] = {"{",
                                          "}",
                                          "\\par ",
                                          "\\pard ",
                                          "\\intbl ",
                                          "\\cell ",
                                          "\\row ",
                                          "\\trowd\\cellx500 ",
                                          "{\\pntext x\\tab}",
                                          "{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}",
                                          "{\\*\\pn\\pnlvlbody\\pndec\\pnstart2}",
                                          "\\v ",
                                          "\\v0 ",
                                          "{\\pict\\wmetafile8 01}",
                                          "{\\pict\\pngblip 0}",
                                          "\\'0d",
                                          "\\u8233?",
                                          "\\uc0 ",
                                          "\\u-10179?",
                                          "\\line ",
                                          "\\'e0",
                                          "{\\f2 \\'b7}",
                                          "\\plain ",
                                          "{\\field{\\*\\fldinst SYMBOL 66}}"};
    QRandomGenerator rng(20261210);
    QList<Named> list;
    for (const Named& seed : seeds) {
        const QByteArray& f = seed.fragment;
        for (int k = 0; k < perSeed; ++k) {
            QByteArray m = f;
            const qsizetype at = f.isEmpty() ? 0 : qsizetype(rng.bounded(int(f.size())));
            const qsizetype span =
                f.isEmpty() ? 0 : qsizetype(rng.bounded(int(std::min<qsizetype>(64, f.size() - at)) + 1));
            switch (k % 4) {
            case 0:
                m.truncate(at);
                break;
            case 1:
                m.remove(at, span);
                break;
            case 2:
                m.insert(at, f.mid(at, span));
                break;
            default:
                for (int n = 0; n < 3; ++n)
                    m.insert(m.isEmpty() ? 0 : qsizetype(rng.bounded(int(m.size()))),
                             Inserts[rng.bounded(int(std::size(Inserts)))]);
                break;
            }
            if (!m.startsWith("{\\rtf") && f.startsWith("{\\rtf"))
                m.prepend("{\\rtf1 ");
            list.append({QStringLiteral("%1, damaged %2").arg(seed.name).arg(k), m});
        }
    }
    return list;
}

QByteArray DocumentRoute(const QByteArray& fragment) {
    QTextDocument doc;
    ReadFragment(fragment, doc);
    return DocumentPlainBytes(doc);
}

} // namespace

class TestRtfPlain : public QObject {
    Q_OBJECT
private slots:
    void routesAgree_data() {
        QTest::addColumn<int>("source");
        // Whether every fragment must be read straight (none of the few things the plain reader
        // leaves to a document), so that a change that makes it give up shows.
        QTest::addColumn<bool>("allStraight");
        QTest::newRow("tests/data/rtf") << 0 << false;
        QTest::newRow("sample test") << 1 << true;
        QTest::newRow("benchmark corpus") << 2 << true;
        QTest::newRow("damaged tests/data/rtf") << 3 << false;
        QTest::newRow("damaged sample test") << 4 << false;
        QTest::newRow("damaged corpus") << 5 << false;
    }
    void routesAgree() {
        QFETCH(int, source);
        QFETCH(bool, allStraight);
        const QList<Named> fragments = source == 0   ? DataFragments()
                                       : source == 1 ? SampleFragments()
                                       : source == 2 ? CorpusFragments()
                                       : source == 3 ? Damaged(DataFragments(), 40)
                                       : source == 4 ? Damaged(SampleFragments(), 12)
                                                     : Damaged(CorpusFragments().first(100), 4);
        QVERIFY(fragments.size() >= 20);
        int straight = 0, rtf = 0;
        for (const Named& n : fragments) {
            const QByteArray expected = DocumentRoute(n.fragment);
            if (Rtf::IsRtf(n.fragment)) {
                ++rtf;
                if (const std::optional<QByteArray> text = Rtf::ReadRtfPlainBytes(n.fragment)) {
                    ++straight;
                    if (*text != expected)
                        qWarning().noquote() << n.name << "\n" << n.fragment;
                    QCOMPARE(*text, expected);
                }
            }
            if (RichTextToPlain(n.fragment) != TrimBlanks(expected))
                qWarning().noquote() << n.name << "\n" << n.fragment;
            QCOMPARE(RichTextToPlain(n.fragment), TrimBlanks(expected));
        }
        if (allStraight)
            QCOMPARE(straight, rtf);
        else
            QVERIFY(straight > 0);
        qInfo("%d of %d RTF fragments read straight", straight, rtf);
    }
};

QTEST_MAIN(TestRtfPlain)
#include "tst_rtfplain.moc"
