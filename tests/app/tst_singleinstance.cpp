#include "app/SingleInstance.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void roles() {
        QTemporaryDir dir;
        SingleInstance first(SingleInstance::DefaultName, dir.path());
        QCOMPARE(first.Start(), SingleInstance::Role::First);
        SingleInstance second(SingleInstance::DefaultName, dir.path());
        QCOMPARE(second.Start(), SingleInstance::Role::Later);
        // Another name is another program.
        SingleInstance other(QStringLiteral("Other"), dir.path());
        QCOMPARE(other.Start(), SingleInstance::Role::First);
    }

    // A first copy that holds the lock but does not listen cannot be reached: the later copy gives
    // up within its time and says so.
    void unreachable() {
        QTemporaryDir dir;
        SingleInstance holder(SingleInstance::DefaultName, dir.path());
        QCOMPARE(holder.TakeLock(), SingleInstance::Role::First);
        SingleInstance later(SingleInstance::DefaultName, dir.path());
        QCOMPARE(later.TakeLock(), SingleInstance::Role::Later);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!later.SendMessage("x", 300));
        QVERIFY(timer.elapsed() < 5000);
    }

    // Messages come out in the order their senders connected, whatever order they finish in; one
    // that is too long is dropped.
    void orderAndLimits() {
        QTemporaryDir dir;
        SingleInstance first(SingleInstance::DefaultName, dir.path());
        QCOMPARE(first.Start(), SingleInstance::Role::First);
        QSignalSpy arrived(&first, &SingleInstance::MessageArrived);

        QLocalSocket slow;
        slow.connectToServer(first.SocketPath());
        QVERIFY(slow.waitForConnected(2000));
        slow.write("/t/first.qzf");
        slow.flush();
        QTest::qWait(50);

        SingleInstance later(SingleInstance::DefaultName, dir.path());
        // The first copy may cut the long one off before it is all written: either way it is dropped.
        later.SendMessage(QByteArray(70 * 1024, 'x'));
        QVERIFY(later.SendMessage("/t/second.qzf"));
        QTRY_VERIFY(arrived.size() >= 2);
        QVERIFY(!first.HasMessages()); // the slow sender is still writing
        QCOMPARE(first.ReadMessage(), QByteArray());

        slow.disconnectFromServer();
        QTRY_VERIFY(first.HasMessages());
        QCOMPARE(first.ReadMessage(), QByteArray("/t/first.qzf"));
        QCOMPARE(first.ReadMessage(), QByteArray("/t/second.qzf"));
        QVERIFY(!first.HasMessages());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
