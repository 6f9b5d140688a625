// Loading a large test (2000 tasks, about 200 MB of attached pictures) against only inflating the
// same payload with zlib: the loader reads, checks, deciphers, parses and writes every picture to
// disk, and should cost little more than the inflate it cannot avoid.
//
// Two kinds of pictures: bitmaps (which compress, as BMP files do) and already-compressed pictures
// (JPEG and PNG files, which deflate can only store).
#include "model/Cipher.h"
#include "model/TestLoader.h"
#include "model/TestWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <random>

namespace {

constexpr int Tasks = 2000;
constexpr int Pictures = 400;
constexpr qsizetype PictureSize = 512 * 1024; // 400 x 512 KiB = 200 MiB

QByteArray Picture(int index, bool compressible, std::mt19937& rng) {
    QByteArray data(PictureSize, Qt::Uninitialized);
    if (compressible) {
        // A smooth gradient with a little noise, like a photograph saved as a bitmap.
        for (qsizetype i = 0; i < data.size(); ++i)
            data[i] = char(((i / 3) % 256 + index + (rng() % 8 == 0 ? rng() % 16 : 0)) & 0xFF);
    } else {
        for (qsizetype i = 0; i < data.size(); i += 4) {
            const quint32 r = rng();
            std::memcpy(data.data() + i, &r, 4);
        }
    }
    return data;
}

struct BigTest {
    QTemporaryDir dir;
    QString path;
    QByteArray compressedPayload; // the zlib stream alone, deciphered
    qint64 payloadSize = 0;
};

BigTest& Fixture(bool compressible) {
    static std::unique_ptr<BigTest> cache[2];
    auto& slot = cache[compressible ? 1 : 0];
    if (slot)
        return *slot;
    slot = std::make_unique<BigTest>();
    std::mt19937 rng(42);
    TTest test({}, {}, {});
    test.Title = "Big";
    std::vector<TTask> tasks;
    for (int i = 0; i < Tasks; ++i) {
        TTask t(1 + i % 8);
        t.Question = "{\\rtf1\\ansi\\ansicpg1251 Task " + QByteArray::number(i) + " \\'e0\\'e1\\'e2\\par}";
        t.Picture = "p" + QByteArray::number(i % Pictures) + ".bmp";
        for (int v = 0; v < 5; ++v)
            t.Variants[size_t(v)] = "Variant " + QByteArray::number(v);
        tasks.push_back(t);
    }
    std::vector<Attachment> files;
    for (int i = 0; i < Pictures; ++i)
        files.push_back({"p" + QByteArray::number(i) + ".bmp", Picture(i, compressible, rng)});
    const QByteArray payload = BuildPayload(test, tasks, files);
    slot->payloadSize = payload.size();
    const QByteArray container = WrapPayload(payload);
    QByteArray plain(container.size(), Qt::Uninitialized);
    DecipherBuffer(container.constData(), container.size(), plain.data(), ProgramKey, plain.size());
    slot->compressedPayload = plain.mid(10);
    slot->path = slot->dir.filePath("big.qzf");
    QFile f(slot->path);
    f.open(QIODevice::WriteOnly);
    f.write(container);
    return *slot;
}

void LoadFromDisk(benchmark::State& state) {
    BigTest& big = Fixture(state.range(0) != 0);
    LoadOptions options;
    options.tempRoot = big.dir.path();
    for (auto _ : state) {
        LoadTestResult r = LoadTest(big.path, nullptr, options);
        if (!r.Ok())
            state.SkipWithError(qPrintable(r.status.Detail()));
        state.PauseTiming(); // removing the folder is the test's destruction, not its loading
        r.loaded.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * big.payloadSize);
}

void InflateOnly(benchmark::State& state) {
    BigTest& big = Fixture(state.range(0) != 0);
    std::vector<char> out(256 * 1024);
    for (auto _ : state) {
        z_stream zs{};
        inflateInit(&zs);
        zs.next_in = reinterpret_cast<Bytef*>(big.compressedPayload.data());
        zs.avail_in = uInt(big.compressedPayload.size());
        int ret = Z_OK;
        while (ret == Z_OK) {
            zs.next_out = reinterpret_cast<Bytef*>(out.data());
            zs.avail_out = uInt(out.size());
            ret = inflate(&zs, Z_NO_FLUSH);
            benchmark::DoNotOptimize(out.data());
        }
        if (ret != Z_STREAM_END)
            state.SkipWithError("inflate failed");
        inflateEnd(&zs);
    }
    state.SetBytesProcessed(state.iterations() * big.payloadSize);
}

} // namespace

BENCHMARK(LoadFromDisk)->Arg(1)->Arg(0)->ArgName("compressible")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(InflateOnly)->Arg(1)->Arg(0)->ArgName("compressible")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_MAIN();
