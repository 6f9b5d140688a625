#include "app/WindowCaption.h"

#include <QTest>

class TestCaption : public QObject {
    Q_OBJECT
private slots:
    void caption_data() {
        QTest::addColumn<bool>("hasTest");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("caption");
        QTest::newRow("no test") << false << ""
                                 << "Quizar Student";
        QTest::newRow("unix path") << true << "/home/p/algebra.qzf"
                                   << "algebra.qzf - Quizar Student";
        QTest::newRow("windows path") << true << "C:\\tests\\geo.qzf"
                                      << "geo.qzf - Quizar Student";
        QTest::newRow("drive only") << true << "D:quiz.qzf"
                                    << "quiz.qzf - Quizar Student";
        QTest::newRow("server name") << true << "history.qzf"
                                     << "history.qzf - Quizar Student";
    }
    void caption() {
        QFETCH(bool, hasTest);
        QFETCH(QString, fileName);
        QFETCH(QString, caption);
        QCOMPARE(WindowCaption(hasTest, fileName), caption);
    }
};

QTEST_GUILESS_MAIN(TestCaption)
#include "tst_caption.moc"
