// The main window with a teacher's server: fetching a test through the command and at start-up,
// and the boxes of failed reports waiting for a pause in the pupil's work.
#include "FakeJournal.h"
#include "MainFormFixture.h"
#include "NetTesting.h"
#include "app/ServerLinkView.h"
#include "model/TextCodec.h"
#include "net/NetServerLink.h"
#include "net/gui/SelectTestForm.h"
#include "settings/SettingsFile.h"

#include <QAction>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

QByteArray Block(const QByteArray& name, const QByteArray& bytes) {
    return "YES\r\n" + name + "\r\n" + QByteArray::number(bytes.size()) + "\r\n" + bytes;
}

template <class T> T* Child(QWidget& form, const char* name) {
    T* w = form.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestServerWindow : public QObject {
    Q_OBJECT

    // A window whose link talks to `journal`, with the server switched on in its settings file.
    TStudentMainForm& Open(MainFormFixture& f, FakeJournal& journal, ExchangeLimits limits,
                           bool fetchAtStart = false) {
        TSettings settings;
        SetDefaultConfig(settings);
        settings.IsSendResult = true;
        settings.RemoteHost = "127.0.0.1";
        settings.RemotePort = journal.Port();
        settings.IsAutoGetTestFromStart = fetchAtStart;
        settings.IsShowUserResult = false;
        settings.IsShowDetailReportModeEducation = false;
        settings.IsShowDetailReportModeNormal = false;
        if (!SaveConfig(settings, f.ProgramFolder()).Ok())
            qFatal("cannot write the settings file");
        const QString outbox = f.dir.filePath(QStringLiteral("outbox"));
        f.makeServerLink = [limits, outbox](const TSettings& s) {
            auto link = std::make_unique<NetServerLink>(s, outbox);
            link->SetLimits(limits);
            link->SetComputerName("PC07");
            return link;
        };
        return f.Open();
    }

private slots:
    void fetchCommandAsksAndLoadsTheChosenTest() {
        MainFormFixture f;
        FakeJournal journal;
        const QByteArray test = ReadAll(f.WriteTest(QStringLiteral("algebra.qzf")));
        journal.listReply = "YES\r\n2\r\nC:\\Tests\\geometry.qzf\r\nD:algebra.qzf\r\n";
        journal.getTestReply = Block("\xC0\xEB\xE3\xE5\xE1\xF0\xE0.qzf", test); // "Алгебра.qzf"
        TStudentMainForm& w = Open(f, journal, AnsweringLimits());
        w.show();
        QAction* getTest = w.Action(QStringLiteral("AGetTest"));
        QTRY_VERIFY(getTest->isEnabled());
        getTest->trigger();
        // One fetch at a time: the command waits until this one has ended.
        QTRY_VERIFY(!getTest->isEnabled());
        TSelectTestForm* form = w.ServerView()->SelectForm();
        QTRY_VERIFY_WITH_TIMEOUT(form->isVisible(), 30000);
        auto* list = Child<QListWidget>(*form, "ListTest");
        QCOMPARE(list->item(0)->text(), QStringLiteral("1) geometry.qzf"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("2) algebra.qzf"));
        list->setCurrentRow(1);
        QTest::mouseClick(Child<QPushButton>(*form, "bbOK"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(w.Test() != nullptr, 30000);
        QCOMPARE(journal.Requests("GETTEST").value(0).lines, (QList<QByteArray>{"PC07", "D:algebra.qzf"}));
        QCOMPARE(w.Test()->Title, QByteArray("Algebra"));
        QCOMPARE(w.Test()->FileName, QStringLiteral("Алгебра.qzf"));
        QCOMPARE(w.State(), SessionState::TestLoaded);
        // Loaded from memory: no recent file, and no copy of the test beside the program.
        QVERIFY(w.RecentFiles().Items().isEmpty());
        QVERIFY(QDir(f.ProgramFolder()).entryList({QStringLiteral("*.qzf")}).isEmpty());
        QVERIFY(f.prompts.messages.isEmpty());
        QTRY_VERIFY(!w.ServerView()->IsFetching());
    }

    // At start-up a single test on offer is taken without asking; a refusal says so.
    void startUpFetch() {
        {
            MainFormFixture f;
            FakeJournal journal;
            journal.listReply = "YES\r\n1\r\nalgebra.qzf\r\n";
            journal.getTestReply = Block("algebra.qzf", ReadAll(f.WriteTest(QStringLiteral("algebra.qzf"))));
            TStudentMainForm& w = Open(f, journal, AnsweringLimits(), true);
            w.show();
            QTRY_VERIFY_WITH_TIMEOUT(w.Test() != nullptr, 30000);
            QVERIFY(!w.ServerView()->SelectForm()->isVisible());
            QCOMPARE(w.Test()->FileName, QStringLiteral("algebra.qzf"));
        }
        {
            MainFormFixture f;
            FakeJournal journal;
            journal.listReply = "NO\r\n";
            TStudentMainForm& w = Open(f, journal, AnsweringLimits(), true);
            w.show();
            QTRY_COMPARE_WITH_TIMEOUT(f.prompts.messages.size(), 1, 30000);
            QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Отказано в получении теста..."));
            QVERIFY(w.Test() == nullptr);
        }
    }

    // A box never opens beneath a dialog the pupil has open: it waits until that dialog is closed.
    void boxesWaitForAnOpenDialog() {
        MainFormFixture f;
        FakeJournal journal;
        journal.Stop(); // the connection is refused at once
        TStudentMainForm& w = Open(f, journal, AnsweringLimits());
        w.show();
        QAction* getTest = w.Action(QStringLiteral("AGetTest"));
        QTRY_VERIFY(getTest->isEnabled());
        QDialog report(&w);
        report.setModal(true);
        getTest->trigger();
        report.show();
        QTRY_VERIFY_WITH_TIMEOUT(!w.ServerView()->IsFetching(), 30000);
        QTest::qWait(3 * ServerLinkView::ModalPollMs);
        QVERIFY(f.prompts.messages.isEmpty());
        report.close();
        QTRY_COMPARE_WITH_TIMEOUT(f.prompts.messages.size(), 1, 30000);
        QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Ошибка связи с сервером!"));
    }

    // A server that takes the connection and never answers: the pupil works on, the box of the
    // failed start report comes when he has checked his answer, and the result waits in the outbox.
    void failedReportWaitsForAPause() {
        MainFormFixture f;
        FakeJournal journal;
        journal.silent = true;
        TStudentMainForm& w = Open(f, journal, SilentLimits());
        w.show();
        w.LoadTestFile(f.WriteTest(QStringLiteral("algebra.qzf")));
        QVERIFY(w.Test());
        f.AnswerNameDialog();
        w.Action(QStringLiteral("ABeginTest"))->trigger();
        QCOMPARE(w.State(), SessionState::Testing);
        QTRY_VERIFY_WITH_TIMEOUT(journal.Commands().contains("INFOBEGIN") || journal.Connections() > 0,
                                 30000);
        // The start report has failed by now (its bounds are short); nothing interrupted the pupil.
        QTest::qWait(2 * SilentLimits().exchangeMs + SilentLimits().closeGraceMs);
        QVERIFY(!w.Network()->IsSessionOnline(w.SessionEngine().Link().sessionId));
        QVERIFY(f.prompts.messages.isEmpty());
        QVERIFY(w.isVisible());
        static_cast<QRadioButton*>(w.Area().AnswerWidget(TSessionArea::SlotRadio))->click();
        QAction* check = w.Action(QStringLiteral("ACheckAskTask"));
        QTRY_VERIFY(check->isEnabled());
        check->trigger();
        auto noConnection = [&f] {
            for (const ScriptedPrompts::Message& m : f.prompts.messages)
                if (m.text == QStringLiteral("Нет связи с сервером!"))
                    return m.caption == QStringLiteral("Ошибка!") && m.icon == MsgIcon::Error;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(noConnection(), 30000);
        // The only task was checked: the session is over, its result is kept for the next chance.
        QTRY_VERIFY_WITH_TIMEOUT(w.State() != SessionState::Testing, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(
            !QDir(f.dir.filePath(QStringLiteral("outbox"))).entryList(QDir::Files).isEmpty(), 30000);
    }
};

QTEST_MAIN(TestServerWindow)
#include "tst_serverwindow.moc"
