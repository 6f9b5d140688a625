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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
