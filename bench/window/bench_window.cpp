// A test of 2000 tasks with RTF wordings through the real main window, drawn offscreen: from the
// name dialog's OK to the first task on screen, one task's presentation (from the answer's click to
// the next wording on screen), and from the last answer to the detailed report on screen, with
// the end summary, the results log and files and the results window on the way. "On screen" is
// the first paint of the text that shows it. The figures and their targets are printed at the end.
#include "MainFormFixture.h"
#include "RtfCorpus.h"
#include "app/LoadProgress.h"
#include "app/SessionArea.h"
#include "ui/gui/RichTextControl.h"
#include "ui/gui/TextViewForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>

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
        // Every step goes to the session's journal and onto the disk, as in the program.
        f.journalFolder = f.dir.filePath(QStringLiteral("journals"));
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

// Made by the first benchmark and closed before the application ends.
std::unique_ptr<Window> g_window;

Window& Shared() {
    if (!g_window)
        g_window = std::make_unique<Window>();
    return *g_window;
}

// The mean of each figure over its benchmark's iterations, in milliseconds.
struct Mean {
    double sum = 0;
    int count = 0;
    double Ms() const { return count > 0 ? sum / count : 0; }
};
std::map<std::string, Mean> g_ms;

void Keep(const char* name, qint64 ns) {
    g_ms[name].sum += double(ns) / 1e6;
    ++g_ms[name].count;
}

void Record(benchmark::State& state, const char* name, qint64 ns) {
    if (ns < 0) {
        state.SkipWithError("not on screen within 10 s");
        return;
    }
    state.SetIterationTime(double(ns) / 1e9);
    Keep(name, ns);
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

// Loading the 2000 tasks with pictures that do not compress (a test that takes a while to load):
// when the progress bar is first drawn, and the longest the window's events waited once it was.
void BM_WindowLoadBig(benchmark::State& state) {
    Window& win = Shared();
    TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
    test.Title = "Two thousand tasks with pictures";
    // 800 MiB of pictures, which the loader takes about a second to read, check and write.
    QByteArray noise(2 << 20, Qt::Uninitialized);
    quint32 x = 1;
    for (char& c : noise) {
        x = x * 1664525u + 1013904223u;
        c = char(x >> 24);
    }
    std::vector<Attachment> files;
    for (int i = 0; i < 400; ++i)
        files.push_back({QByteArray("picture") + QByteArray::number(i) + ".jpg", noise});
    const QString path = win.f.SaveTest(QStringLiteral("pictures.qzf"), test, Tasks(), files);
    QProgressBar& bar = *win.w->LoadIndicator().Bar();
    for (auto _ : state) {
        struct Watch : QObject {
            qint64 barAt = -1, lastTick = -1, longestWait = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::Paint && barAt < 0)
                    barAt = lastTick = Clock().nsecsElapsed();
                return false;
            }
        } watch;
        bar.installEventFilter(&watch);
        // A timer as often as the window could be repainted: how long it waits while the bar shows.
        QTimer ticks;
        ticks.setInterval(10);
        QObject::connect(&ticks, &QTimer::timeout, [&watch] {
            if (watch.barAt < 0)
                return;
            const qint64 now = Clock().nsecsElapsed();
            watch.longestWait = std::max(watch.longestWait, now - watch.lastTick);
            watch.lastTick = now;
        });
        ticks.start();
        const qint64 from = Clock().nsecsElapsed();
        win.w->LoadTestFile(path);
        const qint64 to = Clock().nsecsElapsed();
        ticks.stop();
        bar.removeEventFilter(&watch);
        if (!win.w->Test() || win.w->Test()->Title != test.Title) {
            state.SkipWithError("the test did not load");
            return;
        }
        Record(state, "load", to - from);
        if (watch.barAt < 0) {
            std::fprintf(stderr, "no progress bar in a load of %.1f ms\n", double(to - from) / 1e6);
            state.SkipWithError("no progress bar was drawn");
            return;
        }
        Keep("bar", watch.barAt - from);
        Keep("stall", watch.longestWait);
    }
}
BENCHMARK(BM_WindowLoadBig)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    g_window.reset();
    const auto ms = [](const char* name) { return g_ms.count(name) ? g_ms[name].Ms() : -1.0; };
    if (ms("start") >= 0 && ms("present") > 0)
        std::printf("start %.1f ms = %.2f x one presentation (%.2f ms; target at most 3)\n", ms("start"),
                    ms("start") / ms("present"), ms("present"));
    if (ms("report") >= 0)
        std::printf("report of %d tasks on screen %.1f ms = %.2f x 1000 ms (target at most 1)\n", TaskCount,
                    ms("report"), ms("report") / 1000);
    if (ms("bar") >= 0)
        std::printf("progress bar on screen after %.1f ms of a %.1f ms load = %.2f x %d ms (target about 1); "
                    "longest wait of the window's events after that %.1f ms\n",
                    ms("bar"), ms("load"), ms("bar") / TLoadProgress::ShowAfterMs, TLoadProgress::ShowAfterMs,
                    ms("stall"));
    benchmark::Shutdown();
    return 0;
}
