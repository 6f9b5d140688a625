// Adding one session to a protected results file that already holds 10,000, against the floor of
// that work as zlib does it: inflating the stored stream and deflating the same bytes at level 9.
// The ratio of the two is printed at the end of the run. The file itself is written by zlib too,
// so that the corpus does not change with the compressor the results file uses.
#include "model/ByteWriter.h"
#include "model/ResultTest.h"
#include "results/ResultFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>

namespace {
constexpr int Records = 10000;
constexpr int Tasks = 20;
constexpr qsizetype ZlibChunk = 256 * 1024;

// zlib's own streaming inflate, in the chunks the results file used with it.
bool ZlibInflate(QByteArrayView in, QByteArray& out) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    out.clear();
    QByteArray buffer(ZlibChunk, Qt::Uninitialized);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = uInt(in.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef*>(buffer.data());
        zs.avail_out = uInt(ZlibChunk);
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(buffer.constData(), ZlibChunk - qsizetype(zs.avail_out));
    }
    inflateEnd(&zs);
    return rc == Z_STREAM_END;
}

// zlib's deflate at level 9 over the pieces as one stream.
void ZlibDeflate9(std::initializer_list<QByteArrayView> pieces,
                  const std::function<void(QByteArrayView)>& sink) {
    z_stream zs{};
    if (deflateInit(&zs, 9) != Z_OK)
        std::abort();
    QByteArray buffer(ZlibChunk, Qt::Uninitialized);
    auto pump = [&](int flush) {
        int rc = Z_OK;
        do {
            zs.next_out = reinterpret_cast<Bytef*>(buffer.data());
            zs.avail_out = uInt(ZlibChunk);
            rc = deflate(&zs, flush);
            sink(QByteArrayView(buffer.constData(), ZlibChunk - qsizetype(zs.avail_out)));
        } while (flush == Z_FINISH ? rc != Z_STREAM_END : zs.avail_out == 0);
    };
    for (const QByteArrayView piece : pieces) {
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
        zs.avail_in = uInt(piece.size());
        pump(Z_NO_FLUSH);
    }
    pump(Z_FINISH);
    deflateEnd(&zs);
}

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
        ZlibDeflate9({plain}, [this](QByteArrayView chunk) { fileBytes.append(chunk); });
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
        if (!AppendProtectedResult(d.work, d.added).Ok())
            state.SkipWithError("append failed");
    }
    state.counters["file_bytes"] = double(d.fileBytes.size());
    // What the results file wrote with one record more, against zlib's size of the 10,000.
    state.counters["written_bytes"] = double(QFile(d.work).size());
}

void BM_InflateDeflateOnly(benchmark::State& state) {
    Data& d = Shared();
    QByteArray record;
    ByteWriter w(record);
    d.added.SaveToStream(w);
    for (auto _ : state) {
        QByteArray plain;
        if (!ZlibInflate(QByteArrayView(d.fileBytes).sliced(22), plain))
            state.SkipWithError("inflate failed");
        qint64 packed = 0;
        ZlibDeflate9({plain, record}, [&packed](QByteArrayView chunk) { packed += chunk.size(); });
        benchmark::DoNotOptimize(packed);
    }
}

BENCHMARK(BM_AppendOneRecord)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InflateDeflateOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

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
