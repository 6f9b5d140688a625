// Reading rich-text fragments into documents against only tokenizing the same bytes: the tokenizer
// is the floor the reader cannot go below, and the gap is the price of the group states, the code
// page decoding and the document builder. The corpus is RtfCorpus.h's.
#include "RtfCorpus.h"
#include "ui/RtfReader.h"
#include "ui/RtfTokenizer.h"
#include "ui/gui/RichText.h"

#include <QCoreApplication>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

qint64 CorpusBytes() {
    qint64 n = 0;
    for (const QByteArray& f : RtfCorpus::Fragments())
        n += f.size();
    return n;
}

void BM_TokenizeOnly(benchmark::State& state) {
    const auto& corpus = RtfCorpus::Fragments();
    for (auto _ : state) {
        qint64 tokens = 0;
        for (const QByteArray& f : corpus) {
            RtfTokenizer t(f);
            while (t.Next().kind != RtfToken::End)
                ++tokens;
        }
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(state.iterations() * CorpusBytes());
    state.SetLabel(QStringLiteral("%1 fragments, %2 KiB")
                       .arg(RtfCorpus::Fragments().size())
                       .arg(CorpusBytes() / 1024)
                       .toStdString());
}
BENCHMARK(BM_TokenizeOnly)->Unit(benchmark::kMillisecond);

void BM_ReadRtf(benchmark::State& state) {
    const auto& corpus = RtfCorpus::Fragments();
    for (auto _ : state) {
        for (const QByteArray& f : corpus) {
            QTextDocument doc;
            Rtf::ReadRtf(f, doc);
            benchmark::DoNotOptimize(doc.characterCount());
        }
    }
    state.SetBytesProcessed(state.iterations() * CorpusBytes());
}
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond);

void BM_RichTextToPlain(benchmark::State& state) {
    const auto& corpus = RtfCorpus::Fragments();
    for (auto _ : state) {
        for (const QByteArray& f : corpus)
            benchmark::DoNotOptimize(RichTextToPlain(f));
    }
    state.SetBytesProcessed(state.iterations() * CorpusBytes());
}
BENCHMARK(BM_RichTextToPlain)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's throughput so that the readers can be set against the tokenizer after
// the run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> bytesPerSecond;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto rate = run.counters.find("bytes_per_second");
            if (run.run_type == Run::RT_Iteration && rate != run.counters.end())
                bytesPerSecond[run.run_name.function_name] = rate->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto floor = reporter.bytesPerSecond.find("BM_TokenizeOnly");
    if (floor != reporter.bytesPerSecond.end() && floor->second > 0) {
        const std::pair<const char*, double> targets[] = {{"BM_ReadRtf", 0.2}, {"BM_RichTextToPlain", 0.5}};
        for (const auto& [name, target] : targets) {
            const auto it = reporter.bytesPerSecond.find(name);
            if (it != reporter.bytesPerSecond.end())
                std::printf("%s %.1f MiB/s, tokenizer %.1f MiB/s, ratio %.2f (target at least %.1f)\n", name,
                            it->second / 1048576, floor->second / 1048576, it->second / floor->second,
                            target);
        }
    }
    benchmark::Shutdown();
    return 0;
}
