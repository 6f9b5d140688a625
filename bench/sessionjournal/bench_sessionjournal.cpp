// One step of a running session written to its journal (framed, enciphered, sealed, appended and
// forced to the disk), against the floor of that work on the same disk in the same run: fdatasync of
// an empty file, and appending as many bytes and forcing them to the disk. The ratios are printed at
// the end of the run. The files lie in the temporary folder, or in QUIZAR_BENCH_DIR when it is set
// (to measure the disk the per-user data folder lives on).
#include "model/FileSync.h"
#include "model/ResultTest.h"
#include "session/SessionJournal.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>

namespace {
constexpr int Tasks = 40;

QString Root() {
    const QString dir = qEnvironmentVariable("QUIZAR_BENCH_DIR");
    return (dir.isEmpty() ? QDir::tempPath() : dir) + QStringLiteral("/quizar-bench-XXXXXX");
}

JournalRecord Begin() {
    JournalBegin begin;
    begin.testPath = QStringLiteral("/home/pupil/tests/algebra.qzf");
    begin.testCrc = 0x9E3779B9u;
    begin.testUId = "{6f1c2a9e-43b1-4c61-9d0e-5a7b3c2d1e0f}";
    begin.testTitle = "Algebra, chapter 3";
    begin.testTimeLimit = 2400;
    begin.sessionId = "{0c5d0b6e-8a9b-4f3c-a1d2-e3f405162738}";
    begin.result.CopyFrom(TResultTest(Tasks));
    begin.result.UserName = "Pupil of the class";
    begin.result.UserGroup = "9 A";
    for (int t = 0; t < Tasks; ++t)
        begin.order.append(Tasks - 1 - t);
    JournalRecord record;
    record.step = std::move(begin);
    return record;
}

// A checked answer, the most common step and one of the larger ones.
JournalRecord Check(int i) {
    JournalCheck check;
    check.position = i % Tasks;
    check.taskNumber = Tasks - 1 - check.position;
    check.answer.ticked = {true, false, true, false};
    check.answer.text = "a typed answer of a few words";
    check.outcome.answerText = "1,3";
    check.outcome.taskPoints = 2;
    check.outcome.score = 2 * (i + 1);
    check.outcome.checkedMax = 2 * (i + 1);
    check.outcome.rightCount = i + 1;
    JournalRecord record;
    record.wallMs = 1'765'400'000'000 + i * 30'000;
    record.elapsedSeconds = 30 * i;
    record.clockTask = check.taskNumber;
    record.clockTaskSeconds = 30;
    record.step = std::move(check);
    return record;
}

void BM_JournalStep(benchmark::State& state) {
    QTemporaryDir dir(Root());
    Status status;
    std::unique_ptr<SessionJournal> journal =
        SessionJournal::Create(dir.filePath(QStringLiteral("s.qzj")), Begin(), status);
    if (!status.Ok()) {
        state.SkipWithError("cannot create the journal");
        return;
    }
    int i = 0;
    for (auto _ : state) {
        if (!journal->Append(Check(i++)).Ok())
            state.SkipWithError("append failed");
    }
    state.counters["file_bytes"] = double(QFileInfo(journal->Path()).size());
}

void BM_FdatasyncEmptyFile(benchmark::State& state) {
    QTemporaryDir dir(Root());
    QFile f(dir.filePath(QStringLiteral("empty")));
    if (!f.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot create the file");
        return;
    }
    for (auto _ : state) {
        if (!SyncFileData(f.handle()))
            state.SkipWithError("fdatasync failed");
    }
}

void BM_AppendBytesAndSync(benchmark::State& state) {
    QTemporaryDir dir(Root());
    QFile f(dir.filePath(QStringLiteral("raw")));
    // As many bytes as one journalled check takes on the disk.
    const QByteArray bytes(EncodeJournalRecord(Check(0)).size() + 20, 'x');
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        state.SkipWithError("cannot create the file");
        return;
    }
    for (auto _ : state) {
        if (f.write(bytes) != bytes.size() || !SyncFileData(f.handle()))
            state.SkipWithError("write failed");
    }
}

BENCHMARK(BM_JournalStep)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_FdatasyncEmptyFile)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_AppendBytesAndSync)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Keeps each benchmark's real time per iteration (the mean when repetitions are asked for).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> usPerIteration;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            const bool mean = run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean";
            if (mean || (run.run_type == Run::RT_Iteration && run.iterations > 0 && !m_means.count(name)))
                usPerIteration[name] = run.GetAdjustedRealTime();
            if (mean)
                m_means[name] = true;
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    std::map<std::string, bool> m_means;
};
} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto& us = reporter.usPerIteration;
    if (us.count("BM_JournalStep") && us.count("BM_FdatasyncEmptyFile") &&
        us.count("BM_AppendBytesAndSync") && us.at("BM_FdatasyncEmptyFile") > 0 &&
        us.at("BM_AppendBytesAndSync") > 0) {
        const double step = us.at("BM_JournalStep");
        std::printf("journal step %.0f us; fdatasync of an empty file %.0f us, ratio %.2f; append of as many "
                    "bytes + fdatasync %.0f us, ratio %.2f (real time)\n",
                    step, us.at("BM_FdatasyncEmptyFile"), step / us.at("BM_FdatasyncEmptyFile"),
                    us.at("BM_AppendBytesAndSync"), step / us.at("BM_AppendBytesAndSync"));
    }
    benchmark::Shutdown();
    return 0;
}
