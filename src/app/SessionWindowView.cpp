#include "SessionWindowView.h"

#include "AnswerArea.h"
#include "MainActions.h"
#include "MainFormServices.h"
#include "MainStatusBar.h"
#include "SessionArea.h"
#include "TaskListModel.h"
#include "model/TestLoader.h"
#include "model/TextCodec.h"
#include "results/ResultFiles.h"
#include "results/gui/DetailReport.h"
#include "results/gui/EndSummary.h"
#include "results/gui/ShowResultForm.h"
#include "session/RandomGenerator.h"
#include "session/RunCounter.h"
#include "session/Scoring.h"
#include "session/SessionTexts.h"
#include "settings/UserStore.h"
#include "ui/gui/PictureLabel.h"
#include "ui/gui/PictureLoader.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"
#include "ui/gui/ShowQuestionImageForm.h"
#include "ui/gui/TestInfo.h"
#include "ui/gui/TextViewForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWheelEvent>

namespace {

// Turning the mouse wheel over the task list would jump to another task; a pupil scrolling past it
// does not mean that.
class NoWheel : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

QIcon SessionWindowView::TaskListIcon(TaskListImage image) {
    // Drawn large and scaled by the list: a white disc with a grey ring (not shown yet), an amber dot
    // (shown, open) and a green disc with a tick (answered).
    constexpr int size = 32;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(3, 3, size - 6, size - 6);
    switch (image) {
    case TaskListImage::Shown:
        p.setPen(QPen(QColor(176, 112, 0), 2.5));
        p.setBrush(QColor(255, 184, 28));
        p.drawEllipse(disc);
        break;
    case TaskListImage::Answered: {
        p.setPen(QPen(QColor(24, 112, 40), 2.5));
        p.setBrush(QColor(46, 160, 67));
        p.drawEllipse(disc);
        QPainterPath tick;
        tick.moveTo(9.5, 16.5);
        tick.lineTo(14, 21);
        tick.lineTo(22.5, 11);
        p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
        break;
    }
    default:
        // Filled white, so the ring stays visible on the highlighted row too.
        p.setPen(QPen(QColor(112, 112, 112), 2.5));
        p.setBrush(Qt::white);
        p.drawEllipse(disc);
        break;
    }
    p.end();
    return QIcon(pixmap);
}

SessionWindowView::SessionWindowView(SessionWindowHost& host, const SessionWindowParts& parts,
                                     const MainFormServices& services)
    : m_host(host), m_parts(parts), m_askUserName(services.askUserName), m_prompts(*services.prompts),
      m_random(*services.random), m_mono(host.DialogOwner()) {
    QWidget& form = host.DialogOwner();
    // Without a per-user store (some tests) the runs are counted in memory.
    if (services.store) {
        m_userStore = std::make_unique<UserStore>(*services.store);
        m_runCounter = std::make_unique<SettingsRunCounterStore>(*m_userStore);
    } else {
        m_runCounter = std::make_unique<MemoryRunCounterStore>();
    }
    SessionServices engine{
        *this,           m_prompts, *this,           *services.server, *m_runCounter, *services.workstation,
        *services.clock, m_random,  RichTextToPlain, QLocale()};
    engine.journalFolder = services.paths.journalFolder;
    m_session = std::make_unique<Session>(parts.settings, std::move(engine));
    // The results window is made once and shown at the end of every session.
    m_resultForm = std::make_unique<TShowResultForm>(&form);
    // The test's clock starts with the session and the task's with each presentation, so a limit
    // of n seconds lasts n whole seconds. The engine's clocks decide whether a tick counts.
    for (auto [timer, name, tick] :
         {std::tuple{&m_timerTask, "TimerTask", &SessionWindowView::TimerTaskTimer},
          std::tuple{&m_timerTest, "TimerTest", &SessionWindowView::TimerTestTimer}}) {
        *timer = new QTimer(&form);
        (*timer)->setObjectName(QLatin1String(name));
        (*timer)->setInterval(ClockTickMs);
        QObject::connect(*timer, &QTimer::timeout, &form, [this, tick] { (this->*tick)(); });
    }
    // The answer area reads numbers with the engine's locale.
    m_answers = new AnswerArea(parts.area, *parts.actions.checkAskTask, m_prompts, QLocale());
    QComboBox* list = parts.area.TaskList();
    m_taskList = new TaskListModel({TaskListIcon(TaskListImage::NotShown), TaskListIcon(TaskListImage::Shown),
                                    TaskListIcon(TaskListImage::Answered)},
                                   list);
    list->setModel(m_taskList);
    QObject::connect(list, &QComboBox::activated, &form, [this](int index) { ComboBoxEx1Click(index); });
    list->installEventFilter(new NoWheel(list));
}

void SessionWindowView::ComboBoxEx1Click(int index) {
    // The box is a menu of tasks, not a field: it shows no chosen item, also while the next task
    // is presented (which may show a message).
    m_parts.area.TaskList()->setCurrentIndex(-1);
    m_session->GoToTask(index);
    m_host.SetSessionState(m_session->State());
}

SessionWindowView::~SessionWindowView() = default;

void SessionWindowView::AttachLoadedTest() {
    m_session->DetachTest();
    if (const LoadedTest* loaded = m_host.Loaded())
        m_session->AttachTest(*loaded->test, loaded->tasks);
}

void SessionWindowView::SessionStateChanged(SessionState state) {
    m_host.SetSessionState(state);
}

bool SessionWindowView::AskUserName(NameDialogData& data) {
    return m_askUserName ? m_askUserName(data) : true;
}

void SessionWindowView::ShowTestInstruction(const TTest& test) {
    // The same window as the command "Інструкція до тесту", caption included; an instruction of
    // pictures only is shown too.
    const LoadedTest* loaded = m_host.Loaded();
    ::ShowTestInstruction(TestInfoFrom(test, loaded ? int(loaded->tasks.size()) : 0), &m_host.DialogOwner());
}

void SessionWindowView::SessionStarted(const SessionStartView& start) {
    TSessionArea& a = m_parts.area;
    m_timerTest->start();
    a.Progress()->setMaximum(std::max(start.askCount, 1));
    a.Progress()->setValue(0);
    QComboBox* list = a.TaskList();
    m_taskList->SetWordings(start.taskWordings); // none when skipping is not allowed
    list->setCurrentIndex(-1);
    a.PanelGoToTask()->setVisible(start.offerSkipping);
    a.PanelGoToTask()->setEnabled(start.offerSkipping);
    // Offered for the whole session: a task's presentation lays out only the answer area.
    for (const auto& [action, on] : {std::pair{m_parts.actions.iDoNotKnow, start.offerDontKnow},
                                     std::pair{m_parts.actions.skippingTask, start.offerSkipping}}) {
        action->setVisible(on);
        action->setEnabled(on);
    }
}

void SessionWindowView::PresentTask(const TaskPresentation& p) {
    const TTask& task = *p.task;
    TSessionArea& a = m_parts.area;
    m_timerTask->start();
    m_host.SetCurrentTaskKind(task.Kind);
    a.QuestionLabel()->setText(QStringLiteral("Питання # %1 із %2:").arg(p.position + 1).arg(p.askCount));
    LoadRichText(task.Question, *a.QuestionText(), false);
    a.VariantLabel()->setText(SessionTexts::TaskPrompt(task.Kind, task.LastVariant()));
    a.Progress()->setValue(p.askedCount);
    const TTest* test = m_session->Test();
    const QString folder = test ? test->TempFolder : QString();
    m_answers->Present(p, folder);
    m_parts.imageForm.close();

    const bool hint = !p.hintCaption.isEmpty();
    QAction* prompt = m_parts.actions.showPromptTask;
    if (hint) {
        prompt->setText(p.hintCaption);
        // The caption with a price is long; the button keeps some air around it.
        QPushButton* button = a.PromptButton();
        button->setMinimumWidth(std::max(150, button->fontMetrics().horizontalAdvance(p.hintCaption) + 32));
    }
    prompt->setEnabled(hint);
    a.PanelPromptTask()->setVisible(hint);
    a.PanelPromptTask()->setEnabled(hint);

    a.TaskList()->setCurrentIndex(-1);

    TMainStatusBar& bar = m_parts.statusBar;
    bar.SetPanelText(1, QStringLiteral("%1/%2").arg(p.position + 1).arg(p.askCount));
    bar.SetPanelText(10, QStringLiteral("Ціна %1 %2").arg(task.Weight).arg(PointsWord(task.Weight)));
    if (const TResultTest* result = m_session->Result())
        bar.SetPanelText(11, TextCodec::FromCp1251(result->UserName + ' ' + result->UserGroup));

    // Last, because a missing picture is told in a message box over the task already laid out.
    const QString picture = task.Kind == PointOnPicture ? QString() : TextCodec::FromCp1251(task.Picture);
    LoadQuestionPicture(*a.QuestionImage(), picture, folder, m_prompts);
}

void SessionWindowView::ReleaseTaskPicture() {
    m_parts.imageForm.close();
    LoadQuestionPicture(*m_parts.area.QuestionImage(), QString(), QString(), m_prompts);
}

void SessionWindowView::SetTaskListImage(qint32 position, TaskListImage image) {
    m_taskList->SetImage(position, image);
}

TaskAnswer SessionWindowView::CurrentAnswer() {
    return m_answers->CurrentAnswer();
}

void SessionWindowView::RestoreAnswer(const TaskAnswer& answer) {
    m_answers->Restore(answer);
}

void SessionWindowView::ShowClock(int usedPanel, int remainingPanel, qint32 seconds,
                                  std::optional<qint32> remaining) {
    TMainStatusBar& bar = m_parts.statusBar;
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
    m_host.SetSessionState(m_session->State());
}

void SessionWindowView::TimerTestTimer() {
    m_session->TestTick();
    m_host.SetSessionState(m_session->State());
}

void SessionWindowView::ShowFeedback(const Feedback& feedback) {
    m_answers->ShowFeedback(feedback);
}

void SessionWindowView::ClearFeedback() {
    m_answers->ClearFeedback();
}

void SessionWindowView::ShowRichText(const QString& caption, const QByteArray& fragment) {
    ViewRichText(fragment, TextCodec::ToCp1251(caption), &m_host.DialogOwner());
}

void SessionWindowView::EnterMonoMode() {
    m_mono.EnterMonoMode();
}

void SessionWindowView::LeaveMonoMode() {
    m_mono.LeaveMonoMode();
}

void SessionWindowView::ResetAnswerArea() {
    m_timerTask->stop();
    m_timerTest->stop();
    m_answers->Forget();
    m_host.SetCurrentTaskKind(0);
    m_parts.area.ResetAnswerArea();
}

void SessionWindowView::PlayEndSound() {
    m_host.PlayEndSound();
}

void SessionWindowView::ShowEndSummary(const TTest& test, const TResultTest& result) {
    ::ShowEndSummary(*m_parts.area.QuestionText(), test, result, m_parts.settings.IsShowUserResult);
}

void SessionWindowView::ShowResultWindow(const TTest&, const TResultTest& result) {
    ::ShowResultWindow(*m_resultForm, result);
}

void SessionWindowView::ShowDetailReport(const TTest& test, const TResultTest& result) {
    const LoadedTest* loaded = m_host.Loaded();
    if (!loaded)
        return;
    ::ShowDetailReport(m_host.DialogOwner(), *m_parts.area.QuestionText(), test, loaded->tasks, result,
                       {m_random, m_prompts, QLocale(), {}});
}

void SessionWindowView::AppendLogLine(const QByteArray& line) {
    if (const std::optional<Notice> notice = ResultLogNotice(m_parts.resultFiles.AppendLogLine(line)))
        m_prompts.Show(*notice);
}

void SessionWindowView::AppendResultBlock(const TTest&, const TResultTest& result) {
    if (const std::optional<Notice> notice = ResultLogNotice(m_parts.resultFiles.AppendLogBlock(result)))
        m_prompts.Show(*notice);
}

bool SessionWindowView::HoldsResultBlock(const TResultTest& result) {
    return m_parts.resultFiles.HoldsLogBlock(result);
}

bool SessionWindowView::HoldsProtectedResult(const TResultTest& result) {
    return m_parts.resultFiles.HoldsProtectedResult(result);
}

void SessionWindowView::WriteProtectedResult(const TResultTest& result) {
    if (const std::optional<Notice> notice =
            ProtectedResultNotice(m_parts.resultFiles.SaveProtectedResult(result)))
        m_prompts.Show(*notice);
}
