// Flattening and preprocessing a 100,000-event fault tree: the source model
// is generated in the shape of the scale tests (gates declared top-down
// before the events, references by path), flattened into the target model,
// completed, and preprocessed for its top gate with the checks of the
// preprocessed model.
#include "../tests/preprocessing/fault_tree_generator.h"
#include "io/checker.h"
#include "preprocessing/flattener.h"
#include "preprocessing/rewriter.h"

#include <benchmark/benchmark.h>

namespace {

void Flatten(benchmark::State& state) {
    KEFOModel source;
    kefo_test::GenerateFaultTree(&source, static_cast<int>(state.range(0)), 1);
    KEFOFlattener flattener;
    for (auto _ : state) {
        int errors = 0;
        KEFOModel* target = flattener.FlattenModel(errors, &source);
        if (errors != 0 || target == nullptr) state.SkipWithError("flattening failed");
        state.PauseTiming();
        delete target;
        state.ResumeTiming();
    }
    state.counters["declarations"] = source.GetNumberOfDeclarations();
}

void Preprocess(benchmark::State& state) {
    KEFOModel source;
    kefo_test::GenerateFaultTree(&source, static_cast<int>(state.range(0)), 1);
    KEFOFlattener flattener;
    KEFORewriter rewriter;
    KEFOChecker checker;
    for (auto _ : state) {
        state.PauseTiming();
        int errors = 0;
        KEFOModel* target = flattener.FlattenModel(errors, &source);
        rewriter.CompleteModel(errors, target);
        rewriter.ExpandCCFGroups(errors, target);
        bool mismatch = false;
        KEFOVariable* top = target != nullptr ? target->LookForVariable("top", mismatch) : nullptr;
        state.ResumeTiming();
        rewriter.BuildPreprocessedModel(errors, target, top, &checker);
        if (errors != 0) state.SkipWithError("preprocessing failed");
        state.PauseTiming();
        state.counters["variables"] = target != nullptr ? target->GetNumberOfDeclarations() : 0;
        delete target;
        state.ResumeTiming();
    }
}

void FlattenAndPreprocess(benchmark::State& state) {
    KEFOModel source;
    kefo_test::GenerateFaultTree(&source, static_cast<int>(state.range(0)), 1);
    KEFOFlattener flattener;
    KEFORewriter rewriter;
    KEFOChecker checker;
    for (auto _ : state) {
        int errors = 0;
        KEFOModel* target = flattener.FlattenModel(errors, &source);
        rewriter.CompleteModel(errors, target);
        rewriter.ExpandCCFGroups(errors, target);
        bool mismatch = false;
        KEFOVariable* top = target != nullptr ? target->LookForVariable("top", mismatch) : nullptr;
        rewriter.BuildPreprocessedModel(errors, target, top, &checker);
        if (errors != 0) state.SkipWithError("failed");
        state.PauseTiming();
        delete target;
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(Flatten)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Preprocess)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(FlattenAndPreprocess)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
