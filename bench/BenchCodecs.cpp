// Throughput of the block cipher and the line codec over a level-sized buffer.

#include "archive/CUnit.h"
#include "archive/Random.h"

#include <benchmark/benchmark.h>

namespace {

std::string RandomBytes(size_t size) {
    qz::TRandom random(3);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random.Next(256));
    }
    return bytes;
}

void BM_CipherStream(benchmark::State& state) {
    const std::string bytes = RandomBytes(static_cast<size_t>(state.range(0)));
    qz::TMemoryStream source;
    qz::TMemoryStream dest;
    for (auto _ : state) {
        source.Clear();
        source.Write(bytes);
        qz::CipherStream(source, dest, qz::DataKey());
        benchmark::DoNotOptimize(dest.Data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CipherStream)->Arg(64 << 10)->Arg(1 << 20);

void BM_EncodeText(benchmark::State& state) {
    const std::string text = RandomBytes(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(qz::EncodeText(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_EncodeText)->Arg(100)->Arg(64 << 10);

} // namespace
