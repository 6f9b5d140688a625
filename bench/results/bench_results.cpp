// Adding one session to a protected results file that already holds 10,000, against the floor of
// that work: inflating the stored stream and deflating the same bytes at level 9. The ratio of the
// two is printed at the end of the run.
#include "model/ByteWriter.h"
#include "model/ResultTest.h"
#include "results/ResultFiles.h"
#include "results/Zlib.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>

namespace {
constexpr int Records = 10000;
constexpr int Tasks = 20;

TResultTest MakeRecord(int i) {
    TResultTest r(Tasks);
    r.UserName = "Pupil " + QByteArray::number(i * 7919 % 100003);
    r.UserGroup = QByteArray::number(5 + i % 7) + " A";
    r.ComputerName = "PC-" + QByteArray::number(i % 31);
    r.LoginName = "pupil" + QByteArray::number(i % 31);
    r.StartTime = 46000.0 + i * 0.013;
    r.EndTime = r.RecordedTime = r.StartTime + 0.02;
    r.ElapsedSeconds = 1200 + i % 900;
    r.TestTitle = "Test number " + QByteArray::number(i % 12);
    r.TestFileName = "/home/teacher/tests/test" + QByteArray::number(i % 12) + ".qzf";
    r.TestCrc = qint32(0x9E3779B9u * quint32(i % 12 + 1));
    r.TestUId = "{" + QByteArray::number(quint32(i % 12) * 2654435761u, 16) + "}";
    for (int t = 0; t < Tasks; ++t) {
        const quint32 h = quint32(i * 31 + t) * 2654435761u;
        r.TaskPoints[t] = int(h % 3) - 1;
        r.TaskSeconds[t] = int(h >> 8) % 120;
        r.TaskAnswers[t] = QByteArray::number(h % 1000);
        r.TaskHintPenalty[t] = h % 5 == 0 ? 1 : -1;
    }
    r.EndReason = 1;
    r.Mark = i % 12 + 1;
    r.MarkCount = 12;
    r.AskCount = r.AskedCount = Tasks;
    r.RightCount = i % Tasks;
    r.WrongCount = Tasks - r.RightCount;
    r.MaxScore = Tasks * 2;
    r.Score = r.RightCount * 2 - 0.5;
    return r;
}

struct Data {
    QTemporaryDir dir;
    QString original; // the file with Records records, never changed
    QString work;     // the copy that each iteration appends to
    QByteArray fileBytes;
    TResultTest added = MakeRecord(Records);

    Data() {
        QByteArray plain;
        ByteWriter w(plain);
        w.WriteInt32(0);
        w.WriteInt32(Records);
        for (int i = 0; i < Records; ++i)
            MakeRecord(i).SaveToStream(w);
        fileBytes = ProtectionSignature();
        static_cast<void>(Zlib::Deflate({plain}, 9, [this](QByteArrayView chunk) {
            fileBytes.append(chunk);
            return true;
        }));
        original = dir.filePath("original.qzpr");
        work = dir.filePath("work.qzpr");
        QFile f(original);
        if (!f.open(QIODevice::WriteOnly) || f.write(fileBytes) != fileBytes.size())
            std::abort();
    }
};

Data& Shared() {
    static Data data;
    return data;
}

void BM_AppendOneRecord(benchmark::State& state) {
    Data& d = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(d.work);
        QFile::copy(d.original, d.work);
        state.ResumeTiming();
        if (!AppendProtectedResult(d.work, d.added).IsOk())
            state.SkipWithError("append failed");
    }
    state.counters["file_bytes"] = double(d.fileBytes.size());
}

void BM_InflateDeflateOnly(benchmark::State& state) {
    Data& d = Shared();
    QByteArray record;
    ByteWriter w(record);
    d.added.SaveToStream(w);
    for (auto _ : state) {
        QByteArray plain;
        if (!Zlib::Inflate(QByteArrayView(d.fileBytes).sliced(22), plain, qint64(1) << 30).Ok())
            state.SkipWithError("inflate failed");
        qint64 packed = 0;
        static_cast<void>(Zlib::Deflate({plain, record}, 9, [&packed](QByteArrayView chunk) {
            packed += chunk.size();
            return true;
        }));
        benchmark::DoNotOptimize(packed);
    }
}

BENCHMARK(BM_AppendOneRecord)->Unit(benchmark::Millisecond)->UseRealTime();
BENCHMARK(BM_InflateDeflateOnly)->Unit(benchmark::Millisecond)->UseRealTime();

// Keeps each benchmark's time per iteration (the mean when repetitions are asked for) so that the
// ratio can be printed after the run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, std::pair<double, double>> msPerIteration; // real, CPU
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean")
                msPerIteration[name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            else if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !means.count(name))
                msPerIteration[name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            if (run.run_type == Run::RT_Aggregate)
                means.insert(name);
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    std::set<std::string> means;
};
} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto append = reporter.msPerIteration.find("BM_AppendOneRecord");
    const auto floor = reporter.msPerIteration.find("BM_InflateDeflateOnly");
    if (append != reporter.msPerIteration.end() && floor != reporter.msPerIteration.end() &&
        floor->second.first > 0 && floor->second.second > 0) {
        // On a shared machine the CPU times are the steadier pair.
        std::printf("append %.1f ms, inflate+deflate %.1f ms, ratio %.2f (real time)\n", append->second.first,
                    floor->second.first, append->second.first / floor->second.first);
        std::printf("append %.1f ms, inflate+deflate %.1f ms, ratio %.2f (CPU time)\n", append->second.second,
                    floor->second.second, append->second.second / floor->second.second);
    }
    benchmark::Shutdown();
    return 0;
}
