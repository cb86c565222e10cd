// Throughput of the decision-diagram store: node creation and look-up, and
// the And/Or/MinimalCutsets recursions on (a) at-least-k-of-n functions,
// (b) random 3-CNF-like functions, (c) a chain of gates each shared by two
// parents. Every benchmark runs a warm-up build first (pages, hash tables,
// stack chunks and scratch reach their steady size), then counts the heap
// allocations made inside its measured work: the "allocs" counter must read
// 0. Between iterations every result is released and the store collects its
// garbage (untimed), so each iteration really creates its nodes.
#include "diagrams/bdd_manager.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <new>
#include <random>
#include <unistd.h>
#include <vector>

// ---- Allocation counting: every malloc-family call of the process, the
// library's included, passes through these definitions.
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);
}

static long allocationCount = 0;

extern "C" void* malloc(std::size_t size) {
    ++allocationCount;
    return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t n, std::size_t size) {
    ++allocationCount;
    return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, std::size_t size) {
    ++allocationCount;
    return __libc_realloc(p, size);
}
extern "C" void free(void* p) { __libc_free(p); }

void* operator new(std::size_t size) {
    void* p = malloc(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void operator delete(void* p) noexcept { free(p); }
void operator delete(void* p, std::size_t) noexcept { free(p); }

namespace {

// Garbage collection prints two lines; they are kept off the report.
void CollectQuietly(KEFOBDDManager& m) {
    std::fflush(stdout);
    const int saved = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    m.CollectGarbage();
    std::fflush(stdout);
    dup2(saved, 1);
    close(null);
    close(saved);
}

void CreateEntries(KEFOBDDManager& m, int n) {
    if (n + 1 >= m.GetSizeOfEntryTable()) m.SetSizeOfEntryTable(n + 2);
    for (int i = 1; i <= n; ++i) m.SetProbability(i, 1e-3);
}

// Shared driver: warm-up, then per iteration build (timed), release and
// collect (untimed). Reports nodes made, top-level operations and
// allocations made inside the timed work.
template <class Build>
void Run(benchmark::State& state, KEFOBDDManager& m, Build build) {
    std::vector<KEFOBDDNode*> results;
    long operations = 0;
    build(results, operations);
    for (KEFOBDDNode* r : results) m.FreeNode(r);
    results.clear();
    CollectQuietly(m);
    long nodes = 0;
    long totalOperations = 0;
    long allocations = 0;
    for (auto _ : state) {
        m.ResetCache();
        const int before = m.GetNumberOfActiveNodesInUniqueTable();
        const long allocationsBefore = allocationCount;
        operations = 0;
        build(results, operations);
        allocations += allocationCount - allocationsBefore;
        nodes += m.GetNumberOfActiveNodesInUniqueTable() - before;
        totalOperations += operations;
        state.PauseTiming();
        for (KEFOBDDNode* r : results) m.FreeNode(r);
        results.clear();
        CollectQuietly(m);
        state.ResumeTiming();
    }
    state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
    state.counters["ops/s"] = benchmark::Counter(static_cast<double>(totalOperations), benchmark::Counter::kIsRate);
    state.counters["nodes"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kAvgIterations);
    state.counters["allocs"] = static_cast<double>(allocations);
}

// Distinct nodes (i, s_j, Zero) over a pool of sons: pure creation.
void BM_NodeCreation(benchmark::State& state) {
    KEFOBDDManager m;
    const int parents = 200;
    const int sons = 1000;
    CreateEntries(m, parents + 1);
    std::vector<KEFOBDDNode*> pool;
    for (int j = 0; j < sons; ++j) {
        KEFOBDDNode* s = m.NewBDDNode(parents + 1, j == 0 ? m.NewLeafOne() : pool.back(), m.NewLeafZero());
        pool.push_back(s);
    }
    Run(state, m, [&](std::vector<KEFOBDDNode*>& results, long& operations) {
        results.reserve(static_cast<std::size_t>(parents) * sons);
        for (int i = 1; i <= parents; ++i)
            for (KEFOBDDNode* s : pool) results.push_back(m.NewBDDNode(i, s, m.NewLeafZero()));
        operations += static_cast<long>(parents) * sons;
    });
    for (KEFOBDDNode* s : pool) m.FreeNode(s);
}

// The same requests on nodes that exist: hash-consing hits.
void BM_NodeLookUp(benchmark::State& state) {
    KEFOBDDManager m;
    const int parents = 200;
    const int sons = 1000;
    CreateEntries(m, parents + 1);
    std::vector<KEFOBDDNode*> pool, held;
    for (int j = 0; j < sons; ++j)
        pool.push_back(m.NewBDDNode(parents + 1, j == 0 ? m.NewLeafOne() : pool.back(), m.NewLeafZero()));
    for (int i = 1; i <= parents; ++i)
        for (KEFOBDDNode* s : pool) held.push_back(m.NewBDDNode(i, s, m.NewLeafZero()));
    long found = 0;
    long allocations = 0;
    for (auto _ : state) {
        const long allocationsBefore = allocationCount;
        for (int i = 1; i <= parents; ++i)
            for (KEFOBDDNode* s : pool) {
                KEFOBDDNode* n = m.NewBDDNode(i, s, m.NewLeafZero());
                m.FreeNode(n);
                ++found;
            }
        allocations += allocationCount - allocationsBefore;
    }
    state.counters["lookups/s"] = benchmark::Counter(static_cast<double>(found), benchmark::Counter::kIsRate);
    state.counters["allocs"] = static_cast<double>(allocations);
    for (KEFOBDDNode* n : held) m.FreeNode(n);
}

// At least k of n, by the row of k + 1 diagrams of the counting gates.
KEFOBDDNode* BuildAtLeast(KEFOBDDManager& m, int n, int k, long& operations, std::vector<KEFOBDDNode*>& t) {
    t.assign(k + 1, m.NewLeafZero());
    t[0] = m.NewLeafOne();
    for (int i = 1; i <= n; ++i) {
        KEFOBDDNode* x = m.BuildPositiveLiteral(i);
        for (int j = k; j >= 1; --j) {
            KEFOBDDNode* a = m.BuildAnd(x, t[j - 1]);
            KEFOBDDNode* o = m.BuildOr(a, t[j]);
            m.FreeNode(a);
            m.FreeNode(t[j]);
            t[j] = o;
            operations += 2;
        }
        m.FreeNode(x);
    }
    for (int j = 0; j < k; ++j) m.FreeNode(t[j]);
    return t[k];
}

void BM_AtLeastKOfN(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int k = static_cast<int>(state.range(1));
    KEFOBDDManager m;
    if (state.range(2) != 0) m.ResizeCache(static_cast<int>(state.range(2)));
    CreateEntries(m, n);
    std::vector<KEFOBDDNode*> row;
    row.reserve(k + 1);
    Run(state, m, [&](std::vector<KEFOBDDNode*>& results, long& operations) {
        results.push_back(BuildAtLeast(m, n, k, operations, row));
    });
}

void BM_AtLeastKOfNMinimalCutsets(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int k = static_cast<int>(state.range(1));
    KEFOBDDManager m;
    CreateEntries(m, n);
    long ignored = 0;
    std::vector<KEFOBDDNode*> row;
    KEFOBDDNode* f = BuildAtLeast(m, n, k, ignored, row);
    Run(state, m, [&](std::vector<KEFOBDDNode*>& results, long& operations) {
        results.push_back(m.BuildMinimalCutsets(f));
        ++operations;
    });
    m.FreeNode(f);
}

// Random 3-CNF-like functions: the conjunction of m clauses of three
// literals over n variables (each literal negative with probability 1/4).
KEFOBDDNode* BuildCNF(KEFOBDDManager& m, int n, int clauses, unsigned seed, long& operations, bool monotone) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> variable(1, n);
    std::uniform_int_distribution<int> sign(0, 3);
    KEFOBDDNode* f = m.NewLeafOne();
    for (int c = 0; c < clauses; ++c) {
        KEFOBDDNode* clause = m.NewLeafZero();
        for (int l = 0; l < 3; ++l) {
            const int v = variable(random);
            KEFOBDDNode* x = (!monotone && sign(random) == 0) ? m.BuildNegativeLiteral(v) : m.BuildPositiveLiteral(v);
            KEFOBDDNode* o = m.BuildOr(clause, x);
            m.FreeNode(clause);
            m.FreeNode(x);
            clause = o;
            ++operations;
        }
        KEFOBDDNode* a = m.BuildAnd(f, clause);
        m.FreeNode(f);
        m.FreeNode(clause);
        f = a;
        ++operations;
    }
    return f;
}

void BM_Random3CNF(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int clauses = static_cast<int>(state.range(1));
    KEFOBDDManager m;
    CreateEntries(m, n);
    Run(state, m, [&](std::vector<KEFOBDDNode*>& results, long& operations) {
        results.push_back(BuildCNF(m, n, clauses, 12345, operations, false));
    });
}

void BM_Random3CNFMinimalCutsets(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int clauses = static_cast<int>(state.range(1));
    KEFOBDDManager m;
    CreateEntries(m, n);
    long ignored = 0;
    KEFOBDDNode* f = BuildCNF(m, n, clauses, 12345, ignored, true);
    Run(state, m, [&](std::vector<KEFOBDDNode*>& results, long& operations) {
        results.push_back(m.BuildMinimalCutsets(f));
        ++operations;
    });
    m.FreeNode(f);
}

// A chain of gates, each used by the next two: g_i = (g_{i-1} or x_i) and
// (g_{i-2} or y_i). With `topDown` the variables of the later gates get the
// smaller indices (nearer the root, as a depth-first ordering from the top
// event gives them) and every step is local; otherwise each new variable
// lands below the whole diagram and every step walks it.
KEFOBDDNode* BuildChain(KEFOBDDManager& m, int gates, bool topDown, long& operations) {
    const int variables = 2 * gates + 2;
    auto index = [&](int i) { return topDown ? variables + 1 - i : i; };
    KEFOBDDNode* previous = m.BuildPositiveLiteral(index(1));
    KEFOBDDNode* current = m.BuildPositiveLiteral(index(2));
    for (int i = 1; i <= gates; ++i) {
        KEFOBDDNode* x = m.BuildPositiveLiteral(index(2 * i + 1));
        KEFOBDDNode* y = m.BuildPositiveLiteral(index(2 * i + 2));
        KEFOBDDNode* left = m.BuildOr(current, x);
        KEFOBDDNode* right = m.BuildOr(previous, y);
        KEFOBDDNode* g = m.BuildAnd(left, right);
        operations += 3;
        for (KEFOBDDNode* r : {x, y, left, right, previous}) m.FreeNode(r);
        previous = current;
        current = g;
    }
    m.FreeNode(previous);
    return current;
}

void BM_SharedGateChain(benchmark::State& state) {
    const int gates = static_cast<int>(state.range(0));
    const bool topDown = state.range(1) != 0;
    KEFOBDDManager m;
    CreateEntries(m, 2 * gates + 2);
    Run(state, m, [&](std::vector<KEFOBDDNode*>& results, long& operations) {
        results.push_back(BuildChain(m, gates, topDown, operations));
    });
}

void BM_SharedGateChainMinimalCutsets(benchmark::State& state) {
    const int gates = static_cast<int>(state.range(0));
    KEFOBDDManager m;
    CreateEntries(m, 2 * gates + 2);
    long ignored = 0;
    KEFOBDDNode* f = BuildChain(m, gates, true, ignored);
    Run(state, m, [&](std::vector<KEFOBDDNode*>& results, long& operations) {
        results.push_back(m.BuildMinimalCutsets(f));
        ++operations;
    });
    m.FreeNode(f);
}

}  // namespace

BENCHMARK(BM_NodeCreation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NodeLookUp)->Unit(benchmark::kMillisecond);
// The third argument is the cache size (0: the default 131072 records).
BENCHMARK(BM_AtLeastKOfN)
    ->Args({50, 25, 0})
    ->Args({100, 50, 0})
    ->Args({200, 10, 0})
    ->Args({200, 100, 0})
    ->Args({200, 100, 1 << 22})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AtLeastKOfNMinimalCutsets)->Args({50, 25})->Args({100, 50})->Args({200, 10})->Args({200, 100})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Random3CNF)->Args({20, 40})->Args({30, 60})->Args({30, 90})->Args({40, 80})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Random3CNFMinimalCutsets)->Args({20, 40})->Args({30, 60})->Args({30, 90})->Unit(benchmark::kMillisecond);
// Second argument: 1 for the top-down order, 0 for the bottom-up one.
BENCHMARK(BM_SharedGateChain)->Args({1000, 1})->Args({10000, 1})->Args({300, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SharedGateChainMinimalCutsets)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
