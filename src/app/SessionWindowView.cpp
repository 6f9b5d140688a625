#include "SessionWindowView.h"

#include "AnswerArea.h"
#include "MainStatusBar.h"
#include "StudentMainForm.h"
#include "model/TextCodec.h"
#include "results/DetailReport.h"
#include "results/EndSummary.h"
#include "results/ShowResultForm.h"
#include "session/RandomGenerator.h"
#include "session/RunCounter.h"
#include "session/SessionTexts.h"
#include "settings/UserStore.h"
#include "ui/RichText.h"
#include "ui/RichTextControl.h"
#include "ui/TextViewForm.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>

SessionWindowView::SessionWindowView(TStudentMainForm& form)
    : m_form(form), m_random(std::make_unique<RandomGenerator>()), m_mono(form) {
    // Without a per-user store (some tests) the runs are counted in memory.
    if (form.m_s.store) {
        m_userStore = std::make_unique<UserStore>(*form.m_s.store);
        m_runCounter = std::make_unique<SettingsRunCounterStore>(*m_userStore);
    } else {
        m_runCounter = std::make_unique<MemoryRunCounterStore>();
    }
    SessionServices services{*this,           *form.m_s.prompts, *this,   m_server,
                             *m_runCounter,   m_workstation,     *form.m_s.clock, *m_random,
                             RichTextToPlain, QLocale()};
    m_session = std::make_unique<Session>(form.m_settings, std::move(services));
    // The results window is made once and shown at the end of every session.
    m_resultForm = std::make_unique<TShowResultForm>(&form);
    // The engine's clocks decide whether a tick counts, so the timers simply run all the time.
    for (auto [name, tick] : {std::pair{"TimerTask", &SessionWindowView::TimerTaskTimer},
                              std::pair{"TimerTest", &SessionWindowView::TimerTestTimer}}) {
        auto* timer = new QTimer(&form);
        timer->setObjectName(QLatin1String(name));
        QObject::connect(timer, &QTimer::timeout, &form, [this, tick] { (this->*tick)(); });
        timer->start(1000);
    }
    // The answer area reads numbers with the engine's locale.
    m_answers = new AnswerArea(form, *form.m_s.prompts, QLocale());
}

SessionWindowView::~SessionWindowView() = default;

void SessionWindowView::AttachLoadedTest() {
    m_session->DetachTest();
    if (const LoadedTest* loaded = m_form.Loaded())
        m_session->AttachTest(*loaded->Test, loaded->Tasks);
}

bool SessionWindowView::AskUserName(NameDialogData& data) {
    return m_form.UserNameDialog ? m_form.UserNameDialog(data) : true;
}

void SessionWindowView::ShowTestInstruction(const TTest& test) {
    if (!RichTextToPlain(test.Instruction).isEmpty())
        ViewRichText(test.Instruction, {}, &m_form);
}

void SessionWindowView::SessionStarted(const SessionStartView& start) {
    m_form.m_progress->setMaximum(std::max(start.askCount, 1));
    m_form.m_progress->setValue(0);
    for (const auto& [name, on] : {std::pair{"aIDoNotKnow", start.offerDontKnow},
                                   std::pair{"aSkippingTask", start.offerSkipping}}) {
        QAction* action = m_form.Action(QLatin1String(name));
        action->setVisible(on);
        action->setEnabled(on);
    }
}

void SessionWindowView::PresentTask(const TaskPresentation& p) {
    const TTask& task = *p.task;
    m_form.ResetAnswerArea();
    m_kind = task.Kind;
    m_form.SetCurrentTaskKind(m_kind);
    m_form.m_questionLabel->setText(QStringLiteral("Питання # %1 із %2:").arg(p.position + 1).arg(p.askCount));
    LoadRichText(task.Question, *m_form.m_questionText, false);
    m_form.m_variantLabel->setText(SessionTexts::TaskPrompt(m_kind, task.LastVariant()));
    m_form.m_progress->setValue(p.askedCount);
    const TTest* test = m_form.Test();
    m_answers->Present(p, test ? test->TempFolder : QString());
}

void SessionWindowView::SetTaskListImage(qint32, int) {}

TaskAnswer SessionWindowView::CurrentAnswer() {
    return m_answers->CurrentAnswer();
}

void SessionWindowView::ShowClock(int usedPanel, int remainingPanel, qint32 seconds,
                                  std::optional<qint32> remaining) {
    TMainStatusBar& bar = *m_form.StatusPanels();
    bar.SetPanelText(usedPanel, ClockText(seconds));
    const RemainingClock left = RemainingClockText(remaining);
    bar.SetPanelText(remainingPanel, left.text);
    bar.SetPanelUrgent(remainingPanel, left.urgent);
}

void SessionWindowView::ShowTaskClock(qint32 seconds, std::optional<qint32> remaining) {
    ShowClock(3, 5, seconds, remaining);
}

void SessionWindowView::ShowTestClock(qint32 seconds, std::optional<qint32> remaining) {
    ShowClock(2, 4, seconds, remaining);
}

void SessionWindowView::TimerTaskTimer() {
    m_session->TaskTick();
    m_form.SetSessionState(m_session->State());
}

void SessionWindowView::TimerTestTimer() {
    m_session->TestTick();
    m_form.SetSessionState(m_session->State());
}
void SessionWindowView::ShowFeedback(const Feedback& feedback) {
    m_answers->ShowFeedback(feedback);
}

void SessionWindowView::ClearFeedback() {
    m_answers->ClearFeedback();
}

void SessionWindowView::ShowRichText(const QString& caption, const QByteArray& fragment) {
    ViewRichText(fragment, TextCodec::ToCp1251(caption), &m_form);
}

void SessionWindowView::EnterMonoMode() {
    m_mono.EnterMonoMode();
}

void SessionWindowView::LeaveMonoMode() {
    m_mono.LeaveMonoMode();
}

void SessionWindowView::ResetAnswerArea() {
    m_kind = 0;
    m_answers->Forget();
    m_form.SetCurrentTaskKind(0);
    m_form.ResetAnswerArea();
}

void SessionWindowView::PlayEndSound() {
    m_form.PlayEndSound();
}

void SessionWindowView::ShowEndSummary(const TTest& test, const TResultTest& result) {
    ::ShowEndSummary(*m_form.m_questionText, test, result, m_form.m_settings.IsShowUserResult);
}

void SessionWindowView::ShowResultWindow(const TTest&, const TResultTest& result) {
    ::ShowResultWindow(*m_resultForm, result);
}

void SessionWindowView::ShowDetailReport(const TTest& test, const TResultTest& result) {
    const LoadedTest* loaded = m_form.Loaded();
    if (!loaded)
        return;
    ::ShowDetailReport(m_form, *m_form.m_questionText, test, loaded->Tasks, result,
                       {*m_random, *m_form.m_s.prompts, QLocale(), {}});
}

void SessionWindowView::AppendLogLine(const QByteArray& line) {
    m_form.m_resultFiles.AppendLogLine(line);
}

void SessionWindowView::AppendResultBlock(const TTest&, const TResultTest& result) {
    m_form.m_resultFiles.AppendLogBlock(result);
}

void SessionWindowView::WriteProtectedResult(const TResultTest& result) {
    m_form.m_resultFiles.SaveProtectedResult(result);
}
