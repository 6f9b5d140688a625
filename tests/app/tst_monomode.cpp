#include "app/MonoMode.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

class TestMonoMode : public QObject {
    Q_OBJECT
private slots:
    void entersAndLeavesExactly_data() {
        QTest::addColumn<bool>("stayOnTop");
        QTest::addColumn<bool>("maximised");
        QTest::newRow("normal window") << false << false;
        QTest::newRow("already on top") << true << false;
        QTest::newRow("maximised") << false << true;
    }
    void entersAndLeavesExactly() {
        QFETCH(bool, stayOnTop);
        QFETCH(bool, maximised);
        QWidget window;
        window.setWindowFlag(Qt::WindowStaysOnTopHint, stayOnTop);
        window.setGeometry(100, 120, 300, 200);
        if (maximised)
            window.showMaximized();
        else
            window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect before = maximised ? window.normalGeometry() : window.geometry();
        const Qt::WindowFlags flags = window.windowFlags();
        const Qt::WindowStates state = window.windowState() & ~Qt::WindowActive;

        MonoMode mono(window);
        mono.EnterMonoMode();
        QVERIFY(mono.IsActive());
        QVERIFY(mono.Watchdog().isActive());
        QCOMPARE(mono.Watchdog().interval(), 100);
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(window.windowState() & Qt::WindowFullScreen);
        QCOMPARE(window.geometry(), window.screen()->geometry());

        mono.LeaveMonoMode();
        QVERIFY(!mono.IsActive());
        QVERIFY(!mono.Watchdog().isActive());
        QCOMPARE(window.windowFlags(), flags);
        QCOMPARE(window.windowState() & ~Qt::WindowActive, state);
        QVERIFY(window.isVisible());
        QCOMPARE(maximised ? window.normalGeometry() : window.geometry(), before);
    }

    void watchdogUndoesThePupilsChanges() {
        QWidget window;
        window.setGeometry(50, 60, 320, 240);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        MonoMode mono(window);
        mono.EnterMonoMode();
        const QRect full = window.screen()->geometry();

        // Minimised: back to full screen, from the state change or at the latest from the next tick.
        window.showMinimized();
        QTRY_VERIFY_WITH_TIMEOUT((window.windowState() & (Qt::WindowMinimized | Qt::WindowFullScreen)) ==
                                     Qt::WindowFullScreen,
                                 500);

        // Made smaller and moved: nothing tells us, the next tick puts it back.
        window.setWindowState(Qt::WindowNoState);
        window.setGeometry(10, 10, 200, 100);
        QTRY_VERIFY_WITH_TIMEOUT(window.geometry() == full && (window.windowState() & Qt::WindowFullScreen),
                                 500);

        // The border put back by someone else goes again; untouched flags are left alone.
        window.setWindowFlags(window.windowFlags() & ~Qt::FramelessWindowHint);
        window.show();
        mono.TimerModeMonoTimer();
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);

        mono.LeaveMonoMode();
        QCOMPARE(window.geometry(), QRect(50, 60, 320, 240));
        // After leaving, nothing watches the window any more.
        window.showMinimized();
        QTest::qWait(150);
        QVERIFY(window.windowState() & Qt::WindowMinimized);
    }

    // A dialog of the session opens above the exclusive window and leaves the layer with it; the
    // dialog's own flags, and a window that stays on top by itself, are left as they were.
    void dialogsOpenAboveTheWindow() {
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QDialog before(&window);
        before.show();
        MonoMode mono(window);
        mono.EnterMonoMode();
        QDialog during(&window);
        during.show();
        QVERIFY(during.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(during.windowFlags() & Qt::WindowStaysOnTopHint));
        QDialog onTop(&window, Qt::Dialog | Qt::WindowStaysOnTopHint);
        onTop.show();
        during.hide();
        during.show(); // shown again: still one entry to undo
        mono.LeaveMonoMode();
        QVERIFY(!(during.windowHandle()->flags() & Qt::WindowStaysOnTopHint));
        QVERIFY(onTop.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(before.windowHandle()->flags() & Qt::WindowStaysOnTopHint));
        // After the mode, dialogs open as they always do.
        QDialog after(&window);
        after.show();
        QVERIFY(!(after.windowHandle()->flags() & Qt::WindowStaysOnTopHint));
    }
};

QTEST_MAIN(TestMonoMode)
#include "tst_monomode.moc"
