// Building, resolving and looking up models of 100,000 variables, and
// evaluating their distributions.
#include "model/gate.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"
#include "quantification/calculator.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

// The replacement pair below is matched; GCC cannot see it across the
// replaced operators.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Counts the heap allocations of this program (the library's own cells go
// through malloc directly and are not counted here; its containers are).
static long heapAllocations = 0;

void* operator new(std::size_t size) {
    ++heapAllocations;
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

typedef KEFOStochasticExpression E;

const int numberOfEvents = 100000;
const int gateWidth = 10;

std::vector<std::string> Names(const char* prefix, int n) {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) names.push_back(prefix + std::to_string(i));
    return names;
}

// 100,000 basic events with exponential distributions over one parameter and
// 10,000 or-gates of ten events each, all references by name.
std::unique_ptr<KEFOModel> Build(const std::vector<std::string>& events, const std::vector<std::string>& gates) {
    auto model = std::make_unique<KEFOModel>();
    model->SetPure(true);
    model->NewParameter("lambda")->SetDefinition(model->NewRealExpression(1e-4));
    for (const std::string& name : events) {
        KEFOVariable* e = model->NewVariable(KEFOType::StateVariable, name.c_str());
        e->SetProbabilityDistribution(E::New(model.get(), E::Exponential, model->NewParameterReference("lambda")));
    }
    std::mt19937 random(7);
    for (const std::string& name : gates) {
        std::vector<KEFOGate*> children;
        for (int k = 0; k < gateWidth; ++k) {
            children.push_back(model->NewVariableReference(
                KEFOType::Variable, events[random() % events.size()].c_str()));
        }
        model->NewVariable(KEFOType::FlowVariable, name.c_str())->SetDefinition(model->NewOr(children));
    }
    return model;
}

void BM_BuildModel(benchmark::State& state) {
    auto events = Names("e", numberOfEvents);
    auto gates = Names("g", numberOfEvents / gateWidth);
    for (auto _ : state) {
        auto model = Build(events, gates);
        benchmark::DoNotOptimize(model.get());
        state.PauseTiming();
        model.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildModel)->Unit(benchmark::kMillisecond);

void BM_ResolveReferences(benchmark::State& state) {
    auto events = Names("e", numberOfEvents);
    auto gates = Names("g", numberOfEvents / gateWidth);
    auto model = Build(events, gates);
    for (auto _ : state) model->UpdateInternalReferencesInDeclarations();
    state.counters["references"] = numberOfEvents * 2.0;
}
BENCHMARK(BM_ResolveReferences)->Unit(benchmark::kMillisecond);

void BM_LookUpEveryVariable(benchmark::State& state) {
    auto events = Names("e", numberOfEvents);
    auto gates = Names("g", numberOfEvents / gateWidth);
    auto model = Build(events, gates);
    for (auto _ : state) {
        bool mismatch = false;
        int found = 0;
        for (const std::string& name : events) {
            KEFOPath path(name.c_str(), true);
            found += model->LookForVariable(&path, mismatch) != nullptr;
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["look-ups"] = numberOfEvents;
}
BENCHMARK(BM_LookUpEveryVariable)->Unit(benchmark::kMillisecond);

void BM_EvaluateEveryDistribution(benchmark::State& state) {
    auto events = Names("e", numberOfEvents);
    auto gates = Names("g", numberOfEvents / gateWidth);
    auto model = Build(events, gates);
    model->UpdateInternalReferencesInDeclarations();
    std::vector<KEFOVariable*> variables;
    model->CollectStateVariables(variables);
    KEFOCalculator calculator;
    double t = 8760.0;
    long allocations = 0;
    for (auto _ : state) {
        long before = heapAllocations;
        double sum = 0.0;
        for (KEFOVariable* v : variables) {
            sum += calculator.ComputeValueOfStochasticExpressionAsProbability(v->GetProbabilityDistribution(), t);
        }
        allocations += heapAllocations - before;
        benchmark::DoNotOptimize(sum);
    }
    state.counters["evaluations"] = numberOfEvents;
    state.counters["allocations"] = static_cast<double>(allocations);
}
BENCHMARK(BM_EvaluateEveryDistribution)->Unit(benchmark::kMillisecond);

void BM_ComputeValuesOfTheModel(benchmark::State& state) {
    auto events = Names("e", numberOfEvents);
    auto gates = Names("g", numberOfEvents / gateWidth);
    auto model = Build(events, gates);
    model->UpdateInternalReferencesInDeclarations();
    model->ResetValues(KEFOVariable::False, KEFOVariable::Unknown);
    for (auto _ : state) model->ComputeValues();
}
BENCHMARK(BM_ComputeValuesOfTheModel)->Unit(benchmark::kMillisecond);

void BM_DeleteModel(benchmark::State& state) {
    auto events = Names("e", numberOfEvents);
    auto gates = Names("g", numberOfEvents / gateWidth);
    for (auto _ : state) {
        state.PauseTiming();
        auto model = Build(events, gates);
        state.ResumeTiming();
        model.reset();
    }
}
BENCHMARK(BM_DeleteModel)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
