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
#include "session/Scoring.h"
#include "session/SessionTexts.h"
#include "settings/UserStore.h"
#include "ui/PictureLabel.h"
#include "ui/PictureLoader.h"
#include "ui/RichText.h"
#include "ui/RichTextControl.h"
#include "ui/ShowQuestionImageForm.h"
#include "ui/TestInfo.h"
#include "ui/TextViewForm.h"

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

QIcon SessionWindowView::TaskListIcon(int image) {
    // Drawn large and scaled by the list: a white disc with a grey ring (not shown yet), an amber dot
    // (shown, open) and a green disc with a tick (answered).
    constexpr int size = 32;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(3, 3, size - 6, size - 6);
    switch (image) {
    case 1:
        p.setPen(QPen(QColor(176, 112, 0), 2.5));
        p.setBrush(QColor(255, 184, 28));
        p.drawEllipse(disc);
        break;
    case 2: {
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

SessionWindowView::SessionWindowView(TStudentMainForm& form)
    : m_form(form), m_random(std::make_unique<RandomGenerator>()), m_mono(form) {
    // Without a per-user store (some tests) the runs are counted in memory.
    if (form.m_s.store) {
        m_userStore = std::make_unique<UserStore>(*form.m_s.store);
        m_runCounter = std::make_unique<SettingsRunCounterStore>(*m_userStore);
    } else {
        m_runCounter = std::make_unique<MemoryRunCounterStore>();
    }
    SessionServices services{*this,         *form.m_s.prompts, *this,     m_server,        *m_runCounter,
                             m_workstation, *form.m_s.clock,   *m_random, RichTextToPlain, QLocale()};
    m_session = std::make_unique<Session>(form.m_settings, std::move(services));
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
    m_answers = new AnswerArea(form, *form.m_s.prompts, QLocale());
    QObject::connect(form.m_comboBoxEx1, &QComboBox::activated, &form,
                     [this](int index) { ComboBoxEx1Click(index); });
    form.m_comboBoxEx1->installEventFilter(new NoWheel(form.m_comboBoxEx1));
}

void SessionWindowView::ComboBoxEx1Click(int index) {
    // The box is a menu of tasks, not a field: it shows no chosen item, also while the next task
    // is presented (which may show a message).
    m_form.m_comboBoxEx1->setCurrentIndex(-1);
    m_session->GoToTask(index);
    m_form.SetSessionState(m_session->State());
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
    // The same window as the command "Інструкція до тесту", caption included; an instruction of
    // pictures only is shown too.
    const LoadedTest* loaded = m_form.Loaded();
    ::ShowTestInstruction(TestInfoFrom(test, loaded ? int(loaded->Tasks.size()) : 0), &m_form);
}

void SessionWindowView::SessionStarted(const SessionStartView& start) {
    m_timerTest->start();
    m_form.m_progress->setMaximum(std::max(start.askCount, 1));
    m_form.m_progress->setValue(0);
    QComboBox* list = m_form.m_comboBoxEx1;
    list->clear();
    if (start.offerSkipping) {
        const QIcon notShown = TaskListIcon(0);
        for (const QString& item : start.taskList)
            list->addItem(notShown, item);
    }
    list->setCurrentIndex(-1);
    m_form.m_panelGoToTask->setVisible(start.offerSkipping);
    m_form.m_panelGoToTask->setEnabled(start.offerSkipping);
    // Offered for the whole session: a task's presentation lays out only the answer area.
    for (const auto& [name, on] :
         {std::pair{"aIDoNotKnow", start.offerDontKnow}, std::pair{"aSkippingTask", start.offerSkipping}}) {
        QAction* action = m_form.Action(QLatin1String(name));
        action->setVisible(on);
        action->setEnabled(on);
    }
}

void SessionWindowView::PresentTask(const TaskPresentation& p) {
    const TTask& task = *p.task;
    m_timerTask->start();
    m_form.SetCurrentTaskKind(task.Kind);
    m_form.m_questionLabel->setText(
        QStringLiteral("Питання # %1 із %2:").arg(p.position + 1).arg(p.askCount));
    LoadRichText(task.Question, *m_form.m_questionText, false);
    m_form.m_variantLabel->setText(SessionTexts::TaskPrompt(task.Kind, task.LastVariant()));
    m_form.m_progress->setValue(p.askedCount);
    const TTest* test = m_session->Test();
    const QString folder = test ? test->TempFolder : QString();
    m_answers->Present(p, folder);
    m_form.m_imageForm->close();

    const bool hint = !p.hintCaption.isEmpty();
    QAction* prompt = m_form.Action(QStringLiteral("aShowPromptTask"));
    if (hint) {
        prompt->setText(p.hintCaption);
        // The caption with a price is long; the button keeps some air around it.
        QPushButton* button = m_form.m_promptButton;
        button->setMinimumWidth(std::max(150, button->fontMetrics().horizontalAdvance(p.hintCaption) + 32));
    }
    prompt->setEnabled(hint);
    m_form.m_panelPromptTask->setVisible(hint);
    m_form.m_panelPromptTask->setEnabled(hint);

    m_form.m_comboBoxEx1->setCurrentIndex(-1);

    TMainStatusBar& bar = *m_form.StatusPanels();
    bar.SetPanelText(1, QStringLiteral("%1/%2").arg(p.position + 1).arg(p.askCount));
    bar.SetPanelText(10, QStringLiteral("Ціна %1 %2").arg(task.Weight).arg(PointsWord(task.Weight)));
    if (const TResultTest* result = m_session->Result())
        bar.SetPanelText(11, TextCodec::FromCp1251(result->UserName + ' ' + result->UserGroup));

    // Last, because a missing picture is told in a message box over the task already laid out.
    const QString picture = task.Kind == PointOnPicture ? QString() : TextCodec::FromCp1251(task.Picture);
    LoadQuestionPicture(*m_form.m_questionImage, picture, folder, *m_form.m_s.prompts);
}

void SessionWindowView::ReleaseTaskPicture() {
    m_form.m_imageForm->close();
    LoadQuestionPicture(*m_form.m_questionImage, QString(), QString(), *m_form.m_s.prompts);
}

void SessionWindowView::SetTaskListImage(qint32 position, int image) {
    QComboBox* list = m_form.m_comboBoxEx1;
    if (position >= 0 && position < list->count())
        list->setItemIcon(position, TaskListIcon(image));
}

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
    m_timerTask->stop();
    m_timerTest->stop();
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
