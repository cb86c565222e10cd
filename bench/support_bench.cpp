// Costs of the support library's hot operations: script value arithmetic and
// copies, random draws, and the accumulation of sensitivity statistics.
#include "support/managed_value.h"
#include "support/measure.h"
#include "support/mersenne_twister_randomizer.h"
#include "support/shuffled_congruential_randomizer.h"

#include <benchmark/benchmark.h>

static void BM_ValueArithmetic(benchmark::State& state) {
    PLOVManagedValue sum, two = PLOVManagedValue::NewInt(2), half = PLOVManagedValue::NewDouble(0.5);
    for (auto _ : state) {
        sum.SetInt(0);
        for (int i = 0; i < 1000; ++i) {
            sum.Add(two);
            sum.Mul(half);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_ValueArithmetic);

static void BM_ValueCopyOfList(benchmark::State& state) {
    PLOVManagedValue list = PLOVManagedValue::NewList();
    for (int i = 0; i < 100; ++i) list.AppendToList(PLOVManagedValue::NewSymbol("word"));
    PLOVManagedValue copy;
    for (auto _ : state) {
        copy.Set(list);  // shares the body
        benchmark::DoNotOptimize(copy);
        copy.SetNil();
    }
}
BENCHMARK(BM_ValueCopyOfList);

static void BM_MersenneTwisterUniform(benchmark::State& state) {
    PLOVMersenneTwisterRandomizer r;
    for (auto _ : state) benchmark::DoNotOptimize(r.UniformDraw());
}
BENCHMARK(BM_MersenneTwisterUniform);

static void BM_ShuffledCongruentialUniform(benchmark::State& state) {
    PLOVShuffledCongruentialRandomizer r(1);
    for (auto _ : state) benchmark::DoNotOptimize(r.UniformDraw());
}
BENCHMARK(BM_ShuffledCongruentialUniform);

static void BM_LognormalDraw(benchmark::State& state) {
    PLOVMersenneTwisterRandomizer r;
    for (auto _ : state) benchmark::DoNotOptimize(r.LognormalDraw(1e-3, 3.0, 0.95));
}
BENCHMARK(BM_LognormalDraw);

static void BM_GammaDraw(benchmark::State& state) {
    PLOVMersenneTwisterRandomizer r;
    double k = static_cast<double>(state.range(0)) / 10.0;
    for (auto _ : state) benchmark::DoNotOptimize(r.GammaDraw(k));
}
BENCHMARK(BM_GammaDraw)->Arg(5)->Arg(25);

// One sensitivity analysis of 100,000 tries on the top event: quantiles and bins.
static void BM_MeasureWithQuantilesAndBins(benchmark::State& state) {
    PLOVMersenneTwisterRandomizer r;
    for (auto _ : state) {
        PLOVMeasure m("top");
        m.CreateQuantilizer(20);
        m.CreateBinTable(20);
        for (int i = 0; i < 100000; ++i) m.AddValue(r.LognormalDraw(1e-3, 3.0, 0.95));
        delete m.GetQuantilizer()->ExtractQuantiles();
        m.GetBinTable()->Shrink(20);
        benchmark::DoNotOptimize(m.ComputeMean());
    }
}
BENCHMARK(BM_MeasureWithQuantilesAndBins)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
