// Whole sessions driven through the engine with scripted windows, prompts, files and server.
#include "SessionFixture.h"

#include <QSet>
#include <QTest>

namespace {
TTask Kind(int kind, int weight, const QList<qint32>& keys = {}) {
    TTask t(kind);
    t.Question = "q" + QByteArray::number(kind);
    t.Weight = weight;
    for (int i = 0; i < keys.size(); ++i) {
        t.Variants[size_t(i)] = "v";
        t.Keys[size_t(i)] = keys[i];
    }
    return t;
}

QList<TTask> EveryKind() {
    TTask matching = Kind(Matching, 2, {3, 1});
    matching.Matches = {"x", "y", "z"};
    TTask number = Kind(InputNum, 1);
    number.NumValue = 42;
    TTask text = Kind(InputText, 1);
    text.TextAnswers = Cp("Київ\r\nKyiv");
    TTask point = Kind(PointOnPicture, 1);
    point.Area = {10, 10, 20, 20};
    return {SessionFixture::Choice(2),
            Kind(MultipleChoice, 4, {1, 1, 0, 0}),
            Kind(Ordering, 3, {2, 3, 1}),
            matching,
            Kind(TrueFalse, 4, {1, 2, 2, 1}),
            number,
            text,
            point};
}
} // namespace

class TestSession : public QObject {
    Q_OBJECT

private slots:
    void startSequence() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice(2), SessionFixture::Choice(3)};
        f.test->AllowSkipping = true;
        f.test->MonoMode = true;
        QVERIFY(f.Start("  Иванов   Иван ", " 10 А "));

        const TResultTest& r = *f.session.Result();
        QCOMPARE(r.UserName, Cp("Иванов   Иван")); // trimmed; collapsing is the dialog's
        QCOMPARE(r.UserGroup, Cp("10 А"));
        QCOMPARE(r.TestTitle, Cp("Алгебра"));
        QCOMPARE(r.TestFileName, QByteArray("/tests/algebra.qzf"));
        QCOMPARE(r.TestUId, f.test->UId);
        QCOMPARE(quint32(r.TestCrc), 0xCAFEF00Du);
        QCOMPARE(r.ComputerName, QByteArray("PC-07"));
        QCOMPARE(r.LoginName, QByteArray("pupil"));
        QCOMPARE(r.Order, (QList<qint32>{0, 1}));
        QCOMPARE(r.AskCount, 2);
        QCOMPARE(r.MaxScore, 5);
        QCOMPARE(r.AskedCount, 1);
        QCOMPARE(r.Visited, (QList<qint32>{0, -1}));
        QCOMPARE(r.TaskSeconds, (QList<qint32>{0, -1})); // the tick at presentation
        QCOMPARE(r.StartTime, DateTimeToDouble(f.clock.Now()));
        QCOMPARE(r.EndReason, quint8(0));
        QCOMPARE(f.session.Link().sessionId.size(), 38);
        QVERIFY(f.session.Link().online);
        QCOMPARE(f.server.startedId, f.session.Link().sessionId);
        QCOMPARE(f.results.lines, (QList<QByteArray>{Cp("02.03.2026 09:15:00 Начат тест: \"Алгебра\"")}));
        QCOMPARE(f.view.starts.last().taskWordings, (QStringList{"plain q", "plain q"}));
        QCOMPARE(TaskListItemText(1, QStringLiteral("plain q")), QStringLiteral("2) plain q"));
        QVERIFY(!f.view.starts.last().offerDontKnow);
        QVERIFY(f.view.starts.last().offerSkipping);
        QCOMPARE(f.log.events,
                 (QStringList{"instruction", "log line", "INFOBEGIN", "started", "present:0", "enter mono"}));
        QCOMPARE(f.Shown().askCount, 2);
        QVERIFY(f.session.IsTestClockRunning() && f.session.IsTaskClockRunning());
        QCOMPARE(f.view.taskClock, (std::pair<qint32, std::optional<qint32>>{0, std::nullopt}));

        const QByteArray firstId = f.session.Link().sessionId;
        f.prompts.yesNo.enqueue(true);
        f.session.EndTest();
        QVERIFY(f.Start());
        QVERIFY(f.session.Link().sessionId != firstId); // a new identity per session
    }

    void startIsAbandonedQuietlyOrWithAMessage() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice()};
        f.test->StartPassword = "secret";
        f.prompts.passwords.enqueue(std::nullopt);
        QVERIFY(!f.Start());
        QVERIFY(f.prompts.messages.isEmpty());
        QVERIFY(f.view.dialogs.isEmpty());

        f.prompts.passwords.enqueue(QByteArray("Secret"));
        QVERIFY(!f.Start());
        QCOMPARE(f.prompts.messages.last().caption, QStringLiteral("Помилка!"));
        QCOMPARE(f.prompts.messages.last().text, QStringLiteral("Неправильний пароль!"));
        QCOMPARE(f.prompts.messages.last().icon, MsgIcon::Error);

        f.test->StartPassword.clear();
        f.view.names.clear();
        f.view.names.append(std::nullopt); // the name dialog cancelled
        f.session.BeginTest();
        QCOMPARE(f.session.State(), SessionState::TestLoaded);
        QVERIFY(!f.Start(" \t ", "10 А")); // a blank name
        QCOMPARE(f.prompts.messages.size(), 1);
        QVERIFY(f.results.lines.isEmpty());
        QVERIFY(f.session.Result() == nullptr);

        // A test without tasks to ask does not start.
        f.tasks.clear();
        QVERIFY(!f.Start());
        QCOMPARE(f.prompts.messages.last().caption, QStringLiteral("Увага!"));
        QCOMPARE(f.prompts.messages.last().text, QStringLiteral("У тесті немає завдань для виконання."));
        QCOMPARE(f.prompts.messages.last().icon, MsgIcon::Warning);
        QVERIFY(f.results.lines.isEmpty());
        QCOMPARE(f.log.events.count("INFOBEGIN"), 0);
    }

    void nameDialogKeepsTheLastPupil() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice()};
        f.settings.TitleUserName = "Name:";
        QVERIFY(f.Start("Петренко Олег", "11 Б"));
        QCOMPARE(f.view.dialogs[0].userName, f.settings.DefaultUserName);
        QCOMPARE(f.view.dialogs[0].titleUserName, QByteArray("Name:"));
        QCOMPARE(f.view.dialogs[0].nameExpression, f.settings.UserNameExpression);
        f.prompts.yesNo.enqueue(true);
        f.session.EndTest();
        QVERIFY(f.Start());
        QCOMPARE(f.view.dialogs[1].userName, Cp("Петренко Олег"));
        QCOMPARE(f.view.dialogs[1].userGroup, Cp("11 Б"));
        f.prompts.yesNo.enqueue(true);
        f.session.EndTest();
        f.settings.IsSaveLastUser = false;
        QVERIFY(f.Start());
        QCOMPARE(f.view.dialogs[2].userName, f.settings.DefaultUserName);
        QCOMPARE(f.view.dialogs[2].userGroup, f.settings.DefaultUserGroup);
    }

    void runLimitAcrossBoots() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice()};
        f.test->MaxRuns = 2;
        auto run = [&f] {
            if (!f.Start())
                return false;
            f.prompts.yesNo.enqueue(true);
            f.session.EndTest();
            return true;
        };
        QVERIFY(run());
        QVERIFY(run());
        QVERIFY(!run());
        QCOMPARE(f.prompts.messages.last().text,
                 QStringLiteral("Вибачте, але цей тест не може бути запущеним більше 2 раз \n\rбез "
                                "перезавантаження комп’ютера."));
        QCOMPARE(f.prompts.messages.last().caption, QStringLiteral("Увага!"));
        QCOMPARE(f.prompts.messages.last().icon, MsgIcon::Error);
        QVERIFY(!run());
        QCOMPARE(f.runCounter.counts.value(f.test->UId), QByteArray("4")); // refused starts count too
        f.runCounter.Reboot();
        QVERIFY(run());

        f.test->MaxRuns = 0; // no limit: nothing is counted
        QVERIFY(run());
        QCOMPARE(f.runCounter.counts.value(f.test->UId), QByteArray("1"));
    }

    void everyKindUnderTheScoringRules_data() {
        QTest::addColumn<QString>("answers"); // right, blank, or partly: only the first row as keyed
        QTest::addColumn<bool>("shuffled");
        QTest::addColumn<bool>("wholeAnswerOnly");
        QTest::addColumn<bool>("penaliseWrong");
        QTest::addColumn<double>("score");
        QTest::addColumn<int>("mark");
        QTest::newRow("right") << "right" << false << true << false << 18.0 << 5;
        QTest::newRow("right, shuffled variants") << "right" << true << true << true << 18.0 << 5;
        QTest::newRow("blank") << "blank" << false << true << false << 0.0 << 2;
        QTest::newRow("blank, penalised") << "blank" << false << true << true << -18.0 << 0;
        // Partial credit of blank rows: multiple choice +2 (two unticked wrong variants);
        // with penalties also -2 there, ordering -3, matching -2, the others their weight.
        QTest::newRow("blank, partial") << "blank" << false << false << false << 2.0 << 2;
        QTest::newRow("blank, partial, penalised") << "blank" << false << false << true << -10.0 << 0;
        // First row only: multiple choice 3 matches 1 mismatch, ordering 1/2, matching 1/1,
        // true/false 1/0, each row worth one point; the other kinds are blank (weights 2, 1, 1, 1).
        QTest::newRow("partly") << "partly" << false << true << false << 0.0 << 2;
        QTest::newRow("partly, penalised") << "partly" << false << true << true << -18.0 << 0;
        QTest::newRow("partly, partial") << "partly" << false << false << false << 6.0 << 2;
        QTest::newRow("partly, partial, penalised") << "partly" << false << false << true << -3.0 << 0;
    }
    void everyKindUnderTheScoringRules() {
        QFETCH(QString, answers);
        QFETCH(bool, shuffled);
        SessionFixture f;
        f.tasks = EveryKind();
        f.test->RandomVariantOrder = shuffled;
        QFETCH(bool, wholeAnswerOnly);
        QFETCH(bool, penaliseWrong);
        f.test->WholeAnswerOnly = wholeAnswerOnly;
        f.test->PenaliseWrong = penaliseWrong;
        QVERIFY(f.Start());
        for (int i = 0; i < f.tasks.size(); ++i) {
            QCOMPARE(f.Shown().position, i);
            if (answers != "blank")
                f.AnswerRight();
            if (answers == "partly") {
                TaskAnswer& a = f.view.answer;
                if (a.chosenRow != 0)
                    a.chosenRow = -1;
                for (int row = 1; row < a.ticked.size(); ++row) {
                    a.ticked[row] = false;
                    a.chosenIndex[row] = -1;
                }
                a.text.clear();
                a.point.reset();
            }
            f.session.CheckAskTask();
        }
        QCOMPARE(f.session.State(), SessionState::TestLoaded);
        QVERIFY(f.session.Result() == nullptr);
        const TResultTest& r = *f.view.finished;
        QCOMPARE(r.EndReason, quint8(1));
        QCOMPARE(r.MaxScore, 18);
        QCOMPARE(r.CheckedMax, 18);
        QTEST(r.Score, "score");
        QTEST(r.Mark, "mark");
        QCOMPARE(r.RightCount + r.WrongCount, 8);
        QCOMPARE(r.RightCount, answers == "right" ? 8 : 0);
        QCOMPARE(f.server.progress, 8);
        if (answers == "right" && !shuffled) {
            const QStringList expected = {"2",  "1;2;", "1-2;2-3;3-1;", "1-3;2-1;", "1-Так;2-Ні;3-Ні;4-Так;",
                                          "42", "Київ", "x=10; y=10"};
            for (int t = 0; t < 8; ++t)
                QCOMPARE(TextCodec::FromCp1251(r.TaskAnswers[t]), expected[t]);
            QCOMPARE(r.TaskPoints, (QList<qint32>{2, 4, 3, 2, 4, 1, 1, 1}));
        }
        if (answers == "partly") {
            QCOMPARE(TextCodec::FromCp1251(r.TaskAnswers[2]), QStringLiteral("1-2;2-0;3-0;"));
            QCOMPARE(TextCodec::FromCp1251(r.TaskAnswers[4]), QStringLiteral("1-Так;2-;3-;4-;"));
        }
        if (answers != "right") {
            QCOMPARE(r.TaskAnswers[7], QByteArray()); // no point set: no answer
            QCOMPARE(r.TaskPoints, QList<qint32>(8, 0));
        }
    }

    void reportCondition_data() {
        QTest::addColumn<bool>("education");
        QTest::addColumn<bool>("settingEducation");
        QTest::addColumn<bool>("testEducation");
        QTest::addColumn<bool>("settingNormal");
        QTest::addColumn<bool>("testNormal");
        QTest::addColumn<bool>("shown");
        QTest::newRow("education, both allow") << true << true << true << false << false << true;
        QTest::newRow("education, test refuses") << true << true << false << true << true << false;
        QTest::newRow("education, setting refuses") << true << false << true << true << true << false;
        QTest::newRow("normal, both allow") << false << false << false << true << true << true;
        QTest::newRow("normal, test refuses") << false << true << true << true << false << false;
        QTest::newRow("normal, setting refuses") << false << true << true << false << true << false;
    }
    void reportCondition() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice()};
        QFETCH(bool, education);
        QFETCH(bool, settingEducation);
        QFETCH(bool, testEducation);
        QFETCH(bool, settingNormal);
        QFETCH(bool, testNormal);
        f.test->EducationMode = education;
        f.settings.IsShowDetailReportModeEducation = settingEducation;
        f.test->ReportInEducationMode = testEducation;
        f.settings.IsShowDetailReportModeNormal = settingNormal;
        f.test->ReportInNormalMode = testNormal;
        QVERIFY(f.Start());
        f.AnswerRight();
        f.session.CheckAskTask();
        QTEST(f.log.events.contains("report"), "shown");
    }

    void dontKnowAndPresentationBookkeeping() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice(2), SessionFixture::Choice(3)};
        f.test->PenaliseWrong = true;
        f.test->RandomVariantOrder = true;
        QVERIFY(f.Start());
        QVERIFY(f.view.starts.last().offerDontKnow);
        QList<qint32> sorted = f.Shown().variantOrder;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(sorted, (QList<qint32>{0, 1, 2}));
        QCOMPARE(f.session.Result()->VariantOrder, f.Shown().variantOrder);
        f.AnswerRight(); // still counted as not answered
        f.session.IDoNotKnow();
        const TResultTest& r = *f.session.Result();
        QCOMPARE(r.DontKnowCount, 1);
        QCOMPARE(r.TaskPoints[0], 0);
        QCOMPARE(r.TaskAnswers[0], QByteArray());
        QCOMPARE(r.Score, 0.0);
        QCOMPARE(r.Position, 1);
        QCOMPARE(r.AskedCount, 2);
        QCOMPARE(f.Shown().askedCount, 2);
        f.test->PenaliseWrong = false; // the command is not offered then
        f.session.IDoNotKnow();
        QCOMPARE(f.session.Result()->DontKnowCount, 1);
    }

    void skippingAndTheTaskList() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice(), SessionFixture::Choice(), SessionFixture::Choice()};
        f.test->AllowSkipping = true;
        QVERIFY(f.Start());
        f.session.TaskTick(); // the first task has used a second when it is skipped
        f.session.SkipTask();
        QCOMPARE(f.Shown().position, 1);
        f.session.SkipTask();
        QCOMPARE(f.Shown().position, 2);
        f.session.SkipTask();
        QCOMPARE(f.Shown().position, 0);
        const TResultTest& r = *f.session.Result();
        QCOMPARE(r.TaskSeconds[0], 2); // continues from where it was left, plus the presentation tick
        QCOMPARE(r.AskedCount, 1);
        QCOMPARE(r.Visited, (QList<qint32>{0, 0, 0}));
        QCOMPARE(f.view.listImages, (QMap<qint32, int>{{0, 1}, {1, 1}, {2, 1}}));

        f.AnswerRight();
        f.session.CheckAskTask(); // moves to the next open position after 0
        QCOMPARE(r.Visited, (QList<qint32>{1, 0, 0}));
        QCOMPARE(f.view.listImages[0], 2);
        QCOMPARE(f.Shown().position, 1);
        const int shown = int(f.view.presented.size());
        f.session.GoToTask(0); // answered: ignored
        f.session.GoToTask(1); // on screen: ignored
        f.session.GoToTask(7); // no such item
        QCOMPARE(f.view.presented.size(), shown);
        f.session.GoToTask(2);
        QCOMPARE(f.Shown().position, 2);
        QCOMPARE(r.AskedCount, 2);
        f.session.CheckAskTask(); // wraps round to position 1
        QCOMPARE(f.Shown().position, 1);
        f.session.SkipTask(); // nothing else is open: the same task again
        QCOMPARE(f.Shown().position, 1);
        f.session.CheckAskTask();
        QCOMPARE(f.view.finished->EndReason, quint8(1));
        QCOMPARE(f.view.finished->AskedCount, 3);
        QCOMPARE(f.view.finished->RightCount, 1);
    }

    // A task left without confirming, through "Пропустити..." or the task list, comes back as the
    // pupil left it: the same variant order and the unconfirmed answer, nothing of it scored.
    void leftTaskComesBackAsItWasLeft() {
        SessionFixture f;
        TTask many = Kind(MultipleChoice, 1, {1, 0, 1, 0, 1, 0, 1, 0, 1, 0});
        f.tasks = {many, SessionFixture::Choice()};
        f.test->AllowSkipping = true;
        f.test->RandomVariantOrder = true;
        QVERIFY(f.Start());
        const QList<qint32> order = f.Shown().variantOrder;
        TaskAnswer ticked;
        ticked.ticked = {true, false, true};
        f.view.answer = ticked;
        f.session.SkipTask();
        QCOMPARE(f.Shown().position, 1);
        QVERIFY(f.view.restored.isEmpty());
        QCOMPARE(f.session.Result()->GetTaskAnswer(0), QByteArray());
        QCOMPARE(f.session.Result()->GetTaskPoints(0), -1);
        f.session.GoToTask(0);
        QCOMPARE(f.Shown().position, 0);
        QCOMPARE(f.Shown().variantOrder, order);
        QCOMPARE(f.view.restored.size(), 1);
        QCOMPARE(f.view.restored[0].ticked, ticked.ticked);
        // Left again untouched and back: still the same order; answered, the draft is gone.
        f.session.SkipTask();
        f.session.SkipTask();
        QCOMPARE(f.Shown().variantOrder, order);
        f.session.CheckAskTask();
        QCOMPARE(f.session.Result()->GetTaskAnswer(0).isEmpty(), false);
        // A new session draws its own orders and starts blank.
        f.AnswerRight();
        f.session.CheckAskTask();
        QCOMPARE(f.session.State(), SessionState::TestLoaded);
        const int restoredBefore = int(f.view.restored.size());
        QVERIFY(f.Start());
        QCOMPARE(f.view.restored.size(), restoredBefore);
    }

    // The variants are shuffled only for a stored 1; any other byte keeps the stored order.
    void variantOrderOnlyForAStoredOne() {
        SessionFixture f;
        f.tasks = {Kind(MultipleChoice, 1, {1, 0, 1, 0, 1, 0, 1, 0, 1, 0})};
        f.test->RandomVariantOrder = 2;
        QVERIFY(f.Start());
        QCOMPARE(f.Shown().variantOrder, (QList<qint32>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }

    void hintIsConfirmedAndChargedOnce() {
        SessionFixture f;
        TTask task = SessionFixture::Choice(5);
        task.Hint = "hint text";
        task.HintPenalty = 2;
        TTask free = SessionFixture::Choice(1);
        free.Hint = "free";
        f.tasks = {task, free};
        f.test->AllowSkipping = true;
        QVERIFY(f.Start());
        QCOMPARE(f.Shown().hintCaption, QStringLiteral("Показати підказку? Штраф 2 балла."));
        f.prompts.yesNo.enqueue(false);
        f.session.ShowPromptTask();
        QCOMPARE(f.prompts.questions.last().text, QStringLiteral("Показать подсказку?\r\nШтраф 2 балла."));
        QCOMPARE(f.prompts.questions.last().caption, QStringLiteral("Quizar"));
        QCOMPARE(f.prompts.questions.last().icon, MsgIcon::Question);
        QVERIFY(f.view.viewed.isEmpty());
        QCOMPARE(f.session.Result()->TaskHintPenalty[0], -1);
        f.prompts.yesNo.enqueue(true);
        f.session.ShowPromptTask();
        f.session.ShowPromptTask(); // opened again: no question, no new charge
        QCOMPARE(f.prompts.questions.size(), 2);
        QCOMPARE(f.view.viewed.size(), 2);
        QCOMPARE(f.view.viewed[0], (std::pair<QString, QByteArray>{"Подсказка к заданию...", "hint text"}));
        QCOMPARE(f.session.Result()->TaskHintPenalty[0], 2);

        f.session.SkipTask(); // the charge stays with the task
        QCOMPARE(f.Shown().hintCaption, QStringLiteral("Показати підказку?"));
        f.session.ShowPromptTask(); // penalty 0: no question
        QCOMPARE(f.prompts.questions.size(), 2);
        f.AnswerRight();
        f.session.CheckAskTask();
        f.AnswerRight();
        f.session.CheckAskTask();
        const TResultTest& r = *f.view.finished;
        QCOMPARE(r.Score, 3.0 + 1.0);
        QCOMPARE(r.HintCount, 2);
        QCOMPARE(r.TaskHintPenalty, (QList<qint32>{2, 0}));
    }

    void educationModeFeedback() {
        SessionFixture f;
        TTask explained = SessionFixture::Choice();
        explained.Explanation = "because";
        TTask text = Kind(InputText, 1);
        text.TextAnswers = Cp("Київ");
        f.tasks = {SessionFixture::Choice(), explained, text, SessionFixture::Choice()};
        f.test->EducationMode = true;
        QVERIFY(f.Start());
        f.AnswerRight();
        f.session.CheckAskTask(); // right: nothing shown
        QVERIFY(f.view.feedback.isEmpty());
        QVERIFY(f.prompts.messages.isEmpty());

        f.prompts.yesNo.enqueue(true);
        f.session.CheckAskTask(); // wrong, with an explanation offered and taken
        QCOMPARE(f.prompts.questions.last().text,
                 QStringLiteral("Неправильно...\r\n\r\nПоказать пояснения?"));
        QCOMPARE(f.prompts.questions.last().icon, MsgIcon::Information);
        QCOMPARE(f.view.viewed.last(), (std::pair<QString, QByteArray>{"Пояснение к ответу", "because"}));
        QCOMPARE(f.view.feedback.last().rows[1].sign, QStringLiteral("+"));

        f.log.events.clear();
        f.view.answer.text = Cp("Львів");
        f.session.CheckAskTask();
        QCOMPARE(f.prompts.messages.last().text, QStringLiteral("Неправильно...\r\nВерный ответ: \"Київ\"."));
        QCOMPARE(f.prompts.messages.last().caption, QStringLiteral("Quizar"));
        QCOMPARE(f.prompts.messages.last().icon, MsgIcon::Information);
        QCOMPARE(f.log.events.mid(0, 4),
                 (QStringList{"feedback", "message:Неправильно...\r\nВерный ответ: \"Київ\".",
                              "clear feedback", "INFOPROCESS"}));
    }

    void taskTimeLimit() {
        SessionFixture f;
        TTask timed = SessionFixture::Choice(2);
        timed.TimeLimit = 3;
        f.tasks = {timed, SessionFixture::Choice()};
        QVERIFY(f.Start());
        QCOMPARE(f.view.taskClock, (std::pair<qint32, std::optional<qint32>>{0, 3}));
        f.AnswerRight(); // what is on screen when the time runs out is what counts
        f.session.TaskTick();
        f.session.TaskTick();
        QCOMPARE(f.view.taskClock, (std::pair<qint32, std::optional<qint32>>{2, 1}));
        QVERIFY(f.prompts.messages.isEmpty());
        f.session.TaskTick();
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Час обмірковування завдання вичерпано!"));
        QCOMPARE(f.prompts.messages[0].caption, QStringLiteral("Внимание!"));
        QCOMPARE(f.prompts.messages[0].icon, MsgIcon::Warning);
        const TResultTest& r = *f.session.Result();
        QCOMPARE(r.TaskSeconds[0], 3);
        QCOMPARE(r.RightCount, 1);
        QCOMPARE(r.Score, 2.0);
        QCOMPARE(f.Shown().position, 1);
        QCOMPARE(f.view.taskClock, (std::pair<qint32, std::optional<qint32>>{0, std::nullopt}));
        for (int i = 0; i < 100; ++i)
            f.session.TaskTick(); // no limit on the second task
        QCOMPARE(f.prompts.messages.size(), 1);
    }

    void testTimeLimit() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice(2), SessionFixture::Choice()};
        f.test->TestTimeLimit = 5;
        QVERIFY(f.Start());
        for (int i = 0; i < 4; ++i)
            f.session.TestTick();
        QCOMPARE(f.view.testClock, (std::pair<qint32, std::optional<qint32>>{4, 1}));
        QCOMPARE(f.session.State(), SessionState::Testing);
        f.AnswerRight();
        f.log.events.clear();
        f.session.TestTick();
        QCOMPARE(f.session.State(), SessionState::TestLoaded);
        const TResultTest& r = *f.view.finished;
        QCOMPARE(r.EndReason, quint8(3));
        QCOMPARE(r.ElapsedSeconds, 5);
        QCOMPARE(r.RightCount, 1); // the task on screen was checked first
        QCOMPARE(r.TaskPoints, (QList<qint32>{2, -1}));
        QCOMPARE(f.log.events.mid(0, 3),
                 (QStringList{"INFOPROCESS", "message:Час тестування вичерпано!", "reset"}));
        QCOMPARE(f.prompts.messages[0].caption, QStringLiteral("Внимание!"));
        f.session.TestTick();
        QCOMPARE(f.view.summaries, 1);
    }

    void endTestAsksFirst() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice(2), SessionFixture::Choice()};
        QVERIFY(f.Start());
        f.prompts.yesNo.enqueue(false);
        f.session.EndTest();
        QCOMPARE(f.prompts.questions.last().caption, QStringLiteral("Увага! Триває тестування..."));
        QCOMPARE(f.prompts.questions.last().text, QStringLiteral("Ви бажаєте зупинити тестування?"));
        QCOMPARE(f.session.State(), SessionState::Testing);
        f.session.TestTick();
        QCOMPARE(f.session.Result()->ElapsedSeconds, 1); // the clocks go on
        f.AnswerRight();
        f.prompts.yesNo.enqueue(true);
        f.session.EndTest();
        QCOMPARE(f.view.finished->EndReason, quint8(2));
        QCOMPARE(f.view.finished->RightCount, 1); // checked as it stood
        QCOMPARE(f.view.finished->TaskPoints, (QList<qint32>{2, -1}));
    }

    void closingDuringASession() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice(2), SessionFixture::Choice()};
        f.session.AttachTest(*f.test, f.tasks);
        QVERIFY(f.session.RequestClose()); // no session: no question
        QVERIFY(f.prompts.questions.isEmpty());
        QVERIFY(f.Start());
        f.prompts.yesNo.enqueue(false);
        QVERIFY(!f.session.RequestClose());
        QCOMPARE(f.prompts.questions.last().text,
                 QStringLiteral("Ви бажаєте вийти із програми під час тестаування?"));
        QCOMPARE(f.session.State(), SessionState::Testing);
        QVERIFY(!f.session.DetachTest());
        f.AnswerRight();
        f.prompts.yesNo.enqueue(true);
        QVERIFY(f.session.RequestClose());
        const TResultTest& r = *f.view.finished;
        QCOMPARE(r.EndReason, quint8(4));
        QCOMPARE(r.DontKnowCount, 1); // not answered, whatever was on screen
        QCOMPARE(r.TaskAnswers[0], QByteArray());
        QCOMPARE(r.TaskPoints, (QList<qint32>{0, -1}));
        QVERIFY(f.session.DetachTest());
        QCOMPARE(f.session.State(), SessionState::NoTest);
    }

    void finishingOrderAndFailingOutputs_data() {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<bool>("showUserResult");
        QTest::newRow("all well") << QString() << true;
        QTest::newRow("teacher has the results") << QString() << false;
        QTest::newRow("summary fails") << "summary" << true;
        QTest::newRow("log block fails") << "log block" << true;
        QTest::newRow("server fails") << "RESULT" << true;
        QTest::newRow("results window fails") << "result window" << true;
    }
    void finishingOrderAndFailingOutputs() {
        QFETCH(QString, failing);
        QFETCH(bool, showUserResult);
        SessionFixture f;
        f.tasks = {SessionFixture::Choice()};
        f.test->MonoMode = true;
        f.test->ReportInNormalMode = true;
        f.settings.IsShowDetailReportModeNormal = true;
        f.settings.IsShowUserResult = showUserResult;
        QVERIFY(f.Start());
        f.log.events.clear();
        f.log.failing = failing;
        f.session.CheckAskTask();
        const QString last =
            showUserResult
                ? QStringLiteral("result window")
                : QStringLiteral("message:Тест закінчено... \r\nРезультати тестування\r\nВи можете "
                                 "взнати у вчителя.");
        QStringList expected = {"INFOPROCESS", "reset",          "sound",  "summary",
                                "log block",   "protected file", "RESULT", last};
        if (!failing.isEmpty())
            expected.insert(expected.indexOf(failing) + 1, "message:disk full");
        expected << "report"
                 << "leave mono";
        QCOMPARE(f.log.events, expected);
        if (!failing.isEmpty()) {
            QCOMPARE(f.prompts.messages.first().caption, QStringLiteral("Помилка!"));
            QCOMPARE(f.prompts.messages.first().icon, MsgIcon::Error);
        }
        if (!showUserResult)
            QCOMPARE(f.prompts.messages.last().caption, QStringLiteral("Результати тестування"));
        QCOMPARE(f.session.State(), SessionState::TestLoaded);
        QVERIFY(f.session.Result() == nullptr);
        QVERIFY(!f.session.IsTestClockRunning() && !f.session.IsTaskClockRunning());
        QCOMPARE(f.view.finished->EndTime, DateTimeToDouble(f.clock.Now()));
        QCOMPARE(f.view.finished->RecordedTime, f.view.finished->EndTime);
    }

    void outputsFollowTheirSwitches() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice(0)}; // nothing to earn: graded on 0 percent
        f.settings.IsSaveResult = false;
        f.settings.IsSaveProtectionResult = false;
        f.test->EducationMode = true;
        f.test->ReportInEducationMode = true;
        f.settings.IsShowDetailReportModeEducation = false;
        f.server.failProgress = true;
        QVERIFY(f.Start());
        QVERIFY(f.results.lines.isEmpty());
        f.AnswerRight();
        f.session.CheckAskTask();
        QVERIFY(!f.log.events.contains("log block"));
        QVERIFY(!f.log.events.contains("protected file"));
        QVERIFY(!f.log.events.contains("report"));
        QVERIFY(f.log.events.contains("RESULT")); // sent even after a failed progress message
        QCOMPARE(f.view.finished->Mark, 2);
        QCOMPARE(f.view.finished->MaxScore, 0);
    }

    void progressStopsOnceTheServerIsUnreachable() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice(), SessionFixture::Choice(), SessionFixture::Choice()};
        f.server.failProgress = true;
        QVERIFY(f.Start());
        f.session.CheckAskTask();
        f.session.CheckAskTask();
        f.session.CheckAskTask();
        QCOMPARE(f.server.progress, 1);
        QCOMPARE(f.log.events.count("RESULT"), 1);
    }

    void testTimeRunsOutInsideTheFeedbackBox() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice(), SessionFixture::Choice(), SessionFixture::Choice()};
        f.test->EducationMode = true;
        f.test->TestTimeLimit = 1;
        QVERIFY(f.Start());
        f.prompts.duringPrompt = [&f] {
            f.session.TestTick();
            f.session.TaskTick();
            f.session.CheckAskTask(); // a command cannot slip in either
        };
        f.session.CheckAskTask(); // wrong: the feedback box opens, the test's time runs out in it
        f.prompts.duringPrompt = nullptr;
        QCOMPARE(f.session.State(), SessionState::TestLoaded);
        QCOMPARE(f.view.summaries, 1);
        const TResultTest& r = *f.view.finished;
        QCOMPARE(r.EndReason, quint8(3));
        QCOMPARE(r.WrongCount + r.RightCount + r.DontKnowCount, 1); // the first task only, once
        QCOMPARE(r.TaskPoints, (QList<qint32>{0, -1, -1}));
        QCOMPARE(r.AskedCount, 1); // no task was presented that nobody could answer
        QCOMPARE(f.Messages().count(QStringLiteral("Час тестування вичерпано!")), 1);
        QCOMPARE(r.ElapsedSeconds, 1);
    }

    void testTimeRunsOutInsideTheLastFeedbackBox() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice()};
        f.test->EducationMode = true;
        f.test->TestTimeLimit = 1;
        QVERIFY(f.Start());
        f.prompts.duringPrompt = [&f] { f.session.TestTick(); };
        f.session.CheckAskTask();
        QCOMPARE(f.view.finished->EndReason, quint8(1)); // every task had been answered
        QCOMPARE(f.Messages().count(QStringLiteral("Час тестування вичерпано!")), 0);
        QCOMPARE(f.view.summaries, 1);
    }

    void timeRunsOutWhileAConfirmationIsOpen() {
        for (const bool stop : {false, true}) {
            SessionFixture f;
            f.tasks = {SessionFixture::Choice(), SessionFixture::Choice()};
            f.test->TestTimeLimit = 1;
            QVERIFY(f.Start());
            f.prompts.duringPrompt = [&f] { f.session.TestTick(); };
            f.prompts.yesNo.enqueue(stop);
            f.session.EndTest();
            QCOMPARE(f.session.State(), SessionState::TestLoaded);
            QCOMPARE(f.view.summaries, 1);
            QCOMPARE(f.view.finished->EndReason, quint8(stop ? 2 : 3));
            QCOMPARE(f.view.finished->WrongCount, 1);
        }
    }

    void testTimeRunsOutDuringAServerExchange() {
        SessionFixture f;
        TTask timed = SessionFixture::Choice();
        timed.TimeLimit = 1;
        f.tasks = {timed, SessionFixture::Choice(), SessionFixture::Choice()};
        f.test->TestTimeLimit = 3;
        QVERIFY(f.Start());
        f.session.TestTick();
        f.session.TestTick();
        f.server.duringExchange = [&f] {
            f.session.TestTick();
            f.session.TaskTick();
        };
        f.AnswerRight();
        f.session.CheckAskTask();
        QCOMPARE(f.view.summaries, 1);
        QCOMPARE(f.view.finished->EndReason, quint8(3));
        QCOMPARE(f.view.finished->TaskPoints, (QList<qint32>{1, -1, -1}));
        QCOMPARE(f.server.progress, 1);
        QCOMPARE(f.Messages(), (QStringList{"Час тестування вичерпано!"}));
    }

    void topicsDecideWhatIsAskedAndWhatCanBeEarned() {
        SessionFixture f;
        for (int i = 0; i < 5; ++i) {
            f.tasks.append(SessionFixture::Choice(i + 1)); // weights 1 to 5
            f.tasks.last().ThemeId = i < 3 ? 7 : 8;
        }
        f.test->UseThemes = true;
        TTheme limited;
        limited.Id = 7;
        limited.AskLimited = true;
        limited.AskCount = 1;
        limited.TaskCount = 3;
        TTheme all;
        all.Id = 8;
        all.TaskCount = 2;
        f.test->Themes = {limited, all};
        f.test->TotalAskCount = 3;
        QVERIFY(f.Start());
        const TResultTest& r = *f.session.Result();
        QCOMPARE(r.AskCount, 3);
        QVERIFY(r.Order[0] < 3);
        QCOMPARE(r.Order.mid(1), (QList<qint32>{3, 4}));
        QCOMPARE(r.MaxScore, r.Order[0] + 1 + 4 + 5);
        QCOMPARE(r.TaskPoints.size(), 5); // one slot per task of the test
        const qint32 chosen = r.Order[0];
        for (int i = 0; i < 3; ++i) {
            f.AnswerRight();
            f.session.CheckAskTask();
        }
        QCOMPARE(f.view.finished->Score, double(f.view.finished->MaxScore));
        for (int t = 0; t < 3; ++t)
            QCOMPARE(f.view.finished->TaskPoints[t], t == chosen ? t + 1 : -1);
    }

    void taskTimeRunsOutInsideTheHintViewer() {
        SessionFixture f;
        TTask task = SessionFixture::Choice();
        task.Hint = "hint";
        task.TimeLimit = 2;
        f.tasks = {task, SessionFixture::Choice()};
        QVERIFY(f.Start());
        f.AnswerRight();
        f.view.duringViewer = [&f] {
            f.session.TaskTick();
            f.session.TaskTick();
            QCOMPARE(f.Shown().position, 0); // still on the task while the viewer is open
        };
        f.session.ShowPromptTask();
        f.view.duringViewer = nullptr;
        QCOMPARE(f.Messages(), (QStringList{"Час обмірковування завдання вичерпано!"}));
        QCOMPARE(f.session.Result()->RightCount, 1);
        QCOMPARE(f.Shown().position, 1);
    }

    void ticksAfterTheReleaseTouchNothing() {
        SessionFixture f;
        f.tasks = {SessionFixture::Choice()};
        f.settings.IsShowUserResult = false;
        QVERIFY(f.Start());
        f.prompts.duringPrompt = [&f] {
            f.session.TestTick();
            f.session.TaskTick();
            f.session.CheckAskTask();
            f.session.SkipTask();
            f.session.ShowPromptTask();
            f.session.EndTest();
        };
        f.session.CheckAskTask(); // the final message box gets the ticks and commands
        f.prompts.duringPrompt = nullptr;
        f.session.TestTick();
        f.session.TaskTick();
        f.session.CheckAskTask();
        QCOMPARE(f.view.summaries, 1);
        QCOMPARE(f.view.finished->ElapsedSeconds, 0);
        QVERIFY(f.prompts.questions.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
