// A test of 2000 tasks with RTF wordings through the real main window, drawn offscreen: from the
// name dialog's OK to the first task on screen, one task's presentation (from the answer's click to
// the next wording on screen), and from the last answer to the detailed report on screen, with
// the end summary, the results log and files and the results window on the way. "On screen" is
// the first paint of the text that shows it. The figures and their targets are printed at the end.
#include "MainFormFixture.h"
#include "RtfCorpus.h"
#include "app/SessionArea.h"
#include "ui/gui/RichTextControl.h"
#include "ui/gui/TextViewForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace {

constexpr int TaskCount = 2000;

QElapsedTimer& Clock() {
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock;
}

// Waits for the first paint of `widget` from now on; its time on Clock(), or -1 after 10 s.
qint64 WaitForPaint(QWidget& widget) {
    struct Watch : QObject {
        qint64 at = -1;
        QEventLoop loop;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint && at < 0) {
                at = Clock().nsecsElapsed();
                QTimer::singleShot(0, &loop, &QEventLoop::quit);
            }
            return false;
        }
    } watch;
    widget.installEventFilter(&watch);
    QTimer::singleShot(10000, &watch.loop, &QEventLoop::quit);
    if (watch.at < 0)
        watch.loop.exec();
    widget.removeEventFilter(&watch);
    return watch.at;
}

// The modal windows of the end: the results window closes as soon as it has been drawn; the
// detailed report's first paint is the end of the measured time, and then it closes too.
class EndWatch : public QObject {
public:
    qint64 reportAt = -1;
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::Paint || !object->isWidgetType())
            return false;
        QWidget* window = static_cast<QWidget*>(object)->window();
        if (auto* report = qobject_cast<TTextViewForm*>(window)) {
            if (reportAt < 0 && object == report->Viewer()->viewport()) {
                reportAt = Clock().nsecsElapsed();
                QTimer::singleShot(0, report, &QWidget::close);
            }
        } else if (window->objectName() == QLatin1String("ShowResultForm") && window->isModal()) {
            QTimer::singleShot(0, window, &QWidget::close);
        }
        return false;
    }
};

const QByteArray VariantHead =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Times New "
    "Roman;}}\\viewkind4\\uc1\\pard\\f0\\fs24 ";

std::vector<TTask> Tasks() {
    std::vector<TTask> tasks;
    const QList<QByteArray>& corpus = RtfCorpus::Fragments();
    for (int i = 0; i < TaskCount; ++i) {
        TTask task(SingleChoice);
        task.Question = corpus[i % corpus.size()];
        for (int v = 0; v < 4; ++v)
            task.Variants[size_t(v)] = VariantHead + "\\'e2\\'e0\\'f0\\'e8\\'e0\\'ed\\'f2 " +
                                       QByteArray::number(v + 1) + " {\\b " + QByteArray::number(i) +
                                       "}\\par\r\n}";
        task.Keys[size_t(i % 4)] = 1;
        task.Weight = 1;
        tasks.push_back(std::move(task));
    }
    return tasks;
}

struct Window {
    MainFormFixture f;
    TStudentMainForm* w = nullptr;
    qint64 okAt = -1;

    Window() {
        TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
        test.Title = "Two thousand tasks";
        test.AllowSkipping = true; // the task list holds every wording's plain text
        test.ReportInNormalMode = true;
        const QString path = f.SaveTest(QStringLiteral("big.qzf"), test, Tasks());
        f.nameDialog = [this](NameDialogData& d) {
            d.userName = "Ivan Petrenko";
            d.userGroup = "7-A";
            okAt = Clock().nsecsElapsed();
            return true;
        };
        w = &f.Open({path});
        w->Settings().IsUseSound = false;
        w->Settings().IsSaveProtectionResult = true;
        w->Settings().IsShowDetailReportModeNormal = true;
        w->show();
        if (!QTest::qWaitForWindowExposed(w))
            std::abort();
        QTRY_VERIFY_WITH_TIMEOUT(w->Test(), 60000);
    }

    QWidget& Wording() const { return *w->Area().QuestionText()->viewport(); }

    // Starts a session; the time from the name dialog's OK to the first task on screen.
    qint64 Start() {
        w->Action(QStringLiteral("ABeginTest"))->trigger();
        if (w->State() != SessionState::Testing)
            std::abort();
        return WaitForPaint(Wording()) - okAt;
    }

    // Answers the task on screen; with `timed`, the time from the click to the next wording on
    // screen.
    qint64 Answer(bool timed) {
        static_cast<QRadioButton*>(w->Area().AnswerWidget(TSessionArea::SlotRadio))->click();
        const qint64 from = Clock().nsecsElapsed();
        w->Area().GoCheckButton()->click();
        return timed ? WaitForPaint(Wording()) - from : 0;
    }

    // Stops the session with no outputs.
    void Stop() {
        TSettings& s = w->Settings();
        const TSettings kept = s;
        s.IsShowUserResult = s.IsShowDetailReportModeNormal = s.IsSaveResult = s.IsSaveProtectionResult =
            false;
        f.prompts.yesNo.enqueue(true);
        w->SessionEngine().EndTest();
        s = kept;
        if (w->State() != SessionState::TestLoaded)
            std::abort();
    }
};

Window& Shared() {
    static Window window;
    return window;
}

std::map<std::string, double> g_ms;

void Record(benchmark::State& state, const char* name, qint64 ns) {
    if (ns < 0) {
        state.SkipWithError("not on screen within 10 s");
        return;
    }
    state.SetIterationTime(double(ns) / 1e9);
    g_ms[name] = double(ns) / 1e6; // the last iteration's
}

void BM_WindowStart2000(benchmark::State& state) {
    Window& win = Shared();
    for (auto _ : state) {
        Record(state, "start", win.Start());
        state.PauseTiming();
        win.Stop();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowStart2000)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_WindowPresentTask(benchmark::State& state) {
    Window& win = Shared();
    win.Start();
    for (auto _ : state)
        Record(state, "present", win.Answer(true));
    win.Stop();
}
BENCHMARK(BM_WindowPresentTask)->UseManualTime()->Iterations(50)->Unit(benchmark::kMillisecond);

void BM_WindowReport2000(benchmark::State& state) {
    Window& win = Shared();
    for (auto _ : state) {
        win.Start();
        for (int i = 0; i + 1 < TaskCount; ++i)
            win.Answer(false);
        EndWatch watch;
        qApp->installEventFilter(&watch);
        const qint64 from = Clock().nsecsElapsed();
        win.Answer(false);
        qApp->removeEventFilter(&watch);
        if (win.w->State() != SessionState::TestLoaded)
            std::abort();
        Record(state, "report", watch.reportAt < 0 ? -1 : watch.reportAt - from);
    }
}
BENCHMARK(BM_WindowReport2000)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (g_ms.count("start") && g_ms.count("present") && g_ms["present"] > 0)
        std::printf("start %.1f ms = %.2f x one presentation (%.1f ms; target at most 3)\n", g_ms["start"],
                    g_ms["start"] / g_ms["present"], g_ms["present"]);
    if (g_ms.count("report"))
        std::printf("report of %d tasks on screen %.1f ms (target at most 1000)\n", TaskCount,
                    g_ms["report"]);
    benchmark::Shutdown();
    return 0;
}
