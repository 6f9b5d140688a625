// Drawing formula metafiles against decoding PNGs of the same pixel size, in the same run: a
// corpus of 200 formulas as formula editors write them (WMF, EMF, EMF with EMF+ beside its GDI
// records, EMF+ alone; 50 of each), read and drawn at 100 % and 200 %. The PNGs are the same
// formulas drawn once and encoded, so both sides make the same pixels from a file's bytes.
#include "FormulaCorpus.h"
#include "ui/ImageDecode.h"
#include "ui/Metafile.h"
#include "ui/MetafilePlayer.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <map>
#include <vector>

namespace {

constexpr int CorpusSize = 200;

QByteArray Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

const std::vector<QByteArray>& Corpus() {
    static const std::vector<QByteArray> files = [] {
        std::vector<QByteArray> out;
        for (int i = 0; i < CorpusSize; ++i)
            out.push_back(FormulaCorpus::Write(FormulaCorpus::Make(unsigned(i)), FormulaCorpus::Form(i % 4)));
        return out;
    }();
    return files;
}

// The corpus as PNGs of the size each formula is drawn at `zoom` per cent.
const std::vector<QByteArray>& Pngs(int zoom) {
    static std::map<int, std::vector<QByteArray>> cache;
    auto& pngs = cache[zoom];
    if (pngs.empty()) {
        for (const QByteArray& file : Corpus()) {
            const Mf::MetafilePtr m = Mf::Parse(file);
            pngs.push_back(Png(Mf::Render(*m, (m->naturalSize * zoom / 100).toSize(), 1, Qt::white)));
        }
    }
    return pngs;
}

void PerPicture(benchmark::State& state) {
    state.counters["per_picture"] = benchmark::Counter(
        double(state.iterations()) * CorpusSize, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Reading and drawing each file into an image of its size at the zoom: what showing one costs.
void BM_DrawMetafiles(benchmark::State& state) {
    const int zoom = int(state.range(0));
    const auto& files = Corpus();
    for (auto _ : state) {
        for (const QByteArray& file : files) {
            const Mf::MetafilePtr m = Mf::Parse(file);
            QImage image = Mf::Render(*m, (m->naturalSize * zoom / 100).toSize(), 1, Qt::white);
            benchmark::DoNotOptimize(image.constBits());
        }
    }
    PerPicture(state);
}
BENCHMARK(BM_DrawMetafiles)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// Reading alone: records into operations.
void BM_ParseMetafiles(benchmark::State& state) {
    const auto& files = Corpus();
    for (auto _ : state)
        for (const QByteArray& file : files)
            benchmark::DoNotOptimize(Mf::Parse(file));
    PerPicture(state);
}
BENCHMARK(BM_ParseMetafiles)->Unit(benchmark::kMillisecond);

void BM_DecodePngs(benchmark::State& state) {
    const auto& pngs = Pngs(int(state.range(0)));
    for (auto _ : state) {
        for (const QByteArray& png : pngs) {
            QImage image = ImageDecode::Decode(png, "PNG");
            benchmark::DoNotOptimize(image.constBits());
        }
    }
    PerPicture(state);
}
BENCHMARK(BM_DecodePngs)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
