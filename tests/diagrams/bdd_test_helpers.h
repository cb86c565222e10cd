// Brute-force companions of the decision-diagram tests: truth tables and
// families of products as explicit sets over at most 16 variables, random
// formulas built both as BDDs and as truth tables, direct readings of
// diagrams by walking them, diagrams of known shape, a check of the hash
// tables, and a garbage collection whose lines are caught.
// Variable i (1-based) is bit i-1 of an assignment or product mask.
#ifndef KEFO_TESTS_DIAGRAMS_BDD_TEST_HELPERS_H
#define KEFO_TESTS_DIAGRAMS_BDD_TEST_HELPERS_H

#include "diagrams/bdd_manager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace bddtest {

using Table = std::vector<bool>;   // indexed by assignment mask
using Family = std::vector<bool>;  // indexed by product mask

inline Table Literal(int n, int variable, bool positive) {
    Table t(std::size_t(1) << n);
    for (std::size_t m = 0; m < t.size(); ++m) t[m] = (((m >> (variable - 1)) & 1u) != 0) == positive;
    return t;
}

inline Table Combine(const Table& a, const Table& b, const std::function<bool(bool, bool)>& op) {
    Table t(a.size());
    for (std::size_t m = 0; m < a.size(); ++m) t[m] = op(a[m], b[m]);
    return t;
}

// Value of a BDD under an assignment, by walking it.
inline bool Evaluate(const KEFOBDDManager& manager, const KEFOBDDNode* f, std::uint32_t assignment) {
    while (manager.IsInternalNode(f)) {
        const int i = f->GetIndex();
        f = ((assignment >> (i - 1)) & 1u) ? f->GetThenSon() : f->GetElseSon();
    }
    return manager.IsLeafOne(f);
}

inline Table TableOf(const KEFOBDDManager& manager, const KEFOBDDNode* f, int n) {
    Table t(std::size_t(1) << n);
    for (std::size_t m = 0; m < t.size(); ++m) t[m] = Evaluate(manager, f, static_cast<std::uint32_t>(m));
    return t;
}

// The products of a ZBDD (or the positive parts of the paths of a BDD).
inline Family FamilyOf(const KEFOBDDManager& manager, const KEFOBDDNode* f, int n) {
    Family family(std::size_t(1) << n);
    std::function<void(const KEFOBDDNode*, std::uint32_t)> walk = [&](const KEFOBDDNode* g, std::uint32_t mask) {
        if (manager.IsLeafOne(g)) {
            family[mask] = true;
            return;
        }
        if (manager.IsLeafZero(g)) return;
        walk(g->GetThenSon(), mask | (1u << (g->GetIndex() - 1)));
        walk(g->GetElseSon(), mask);
    };
    walk(f, 0);
    return family;
}

// The ZBDD of a family, built level by level with the store's node rule only.
inline KEFOBDDNode* BuildFamily(KEFOBDDManager& manager, const Family& family, int n) {
    std::function<KEFOBDDNode*(std::vector<std::uint32_t>, int)> build = [&](std::vector<std::uint32_t> masks,
                                                                             int variable) -> KEFOBDDNode* {
        if (masks.empty()) return manager.NewLeafEmptySet();
        if (variable > n) return manager.NewLeafEmptyProduct();
        std::vector<std::uint32_t> with, without;
        for (std::uint32_t m : masks) ((m >> (variable - 1)) & 1u ? with : without).push_back(m);
        KEFOBDDNode* t = build(with, variable + 1);
        KEFOBDDNode* e = build(without, variable + 1);
        KEFOBDDNode* node = manager.NewZBDDNode(variable, t, e);
        manager.FreeNode(t);
        manager.FreeNode(e);
        return node;
    };
    std::vector<std::uint32_t> masks;
    for (std::size_t m = 0; m < family.size(); ++m)
        if (family[m]) masks.push_back(static_cast<std::uint32_t>(m));
    return build(masks, 1);
}

// The canonical BDD of a truth table, built by Shannon expansion with the
// store's node rule only.
inline KEFOBDDNode* BuildTable(KEFOBDDManager& manager, const Table& table, int n) {
    std::function<KEFOBDDNode*(std::uint32_t, int)> build = [&](std::uint32_t fixed, int variable) -> KEFOBDDNode* {
        if (variable > n) return table[fixed] ? manager.NewLeafOne() : manager.NewLeafZero();
        KEFOBDDNode* t = build(fixed | (1u << (variable - 1)), variable + 1);
        KEFOBDDNode* e = build(fixed, variable + 1);
        KEFOBDDNode* node = manager.NewBDDNode(variable, t, e);
        manager.FreeNode(t);
        manager.FreeNode(e);
        return node;
    };
    return build(0, 1);
}

// For every mask, whether some submask belongs to the set (subset-sum
// transform).
inline std::vector<bool> AnySubset(const std::vector<bool>& set, int n) {
    std::vector<bool> up(set);
    for (int i = 0; i < n; ++i)
        for (std::size_t m = 0; m < up.size(); ++m)
            if ((m >> i) & 1u) up[m] = up[m] || up[m ^ (std::size_t(1) << i)];
    return up;
}

// The inclusion-minimal members of a set of masks.
inline Family Minimal(const std::vector<bool>& set, int n) {
    std::vector<bool> up = AnySubset(set, n);
    Family minimal(set.size());
    for (std::size_t m = 0; m < set.size(); ++m) {
        if (!set[m]) continue;
        bool isMinimal = true;
        for (int i = 0; i < n && isMinimal; ++i)
            if (((m >> i) & 1u) && up[m ^ (std::size_t(1) << i)]) isMinimal = false;
        minimal[m] = isMinimal;
    }
    return minimal;
}

inline bool IsAntichain(const Family& family, int n) { return Minimal(family, n) == family; }

inline int PopCount(std::uint32_t m) {
    int c = 0;
    for (; m != 0; m &= m - 1) ++c;
    return c;
}

inline std::size_t CountOf(const std::vector<bool>& set) {
    std::size_t c = 0;
    for (bool b : set) c += b ? 1 : 0;
    return c;
}

// A random formula over variables 1..n, built both in the store and as a
// truth table. Monotone formulas use only And and Or of positive literals.
struct Formula {
    KEFOBDDNode* node;
    Table table;
};

class FormulaGenerator {
public:
    FormulaGenerator(KEFOBDDManager& manager, int n, unsigned seed) : _m(manager), _n(n), _random(seed) {}

    Formula Random(int depth, bool monotone = false) {
        std::uniform_int_distribution<int> pick(0, monotone ? 3 : 9);
        const int choice = depth <= 0 ? 0 : pick(_random);
        if (choice <= 1) {
            const int v = std::uniform_int_distribution<int>(1, _n)(_random);
            const bool positive = monotone || std::uniform_int_distribution<int>(0, 3)(_random) != 0;
            return {positive ? _m.BuildPositiveLiteral(v) : _m.BuildNegativeLiteral(v), Literal(_n, v, positive)};
        }
        Formula a = Random(depth - 1, monotone);
        if (choice == 9 && !monotone) {
            Formula r{_m.BuildNot(a.node), Combine(a.table, a.table, [](bool x, bool) { return !x; })};
            _m.FreeNode(a.node);
            return r;
        }
        Formula b = Random(depth - 1, monotone);
        Formula r;
        if (choice == 2 || choice == 4 || choice == 6) {
            r = {_m.BuildAnd(a.node, b.node), Combine(a.table, b.table, [](bool x, bool y) { return x && y; })};
        } else if (choice == 3 || choice == 5 || choice == 7) {
            r = {_m.BuildOr(a.node, b.node), Combine(a.table, b.table, [](bool x, bool y) { return x || y; })};
        } else {
            Formula c = Random(depth - 1, monotone);
            Table t(a.table.size());
            for (std::size_t m = 0; m < t.size(); ++m) t[m] = a.table[m] ? b.table[m] : c.table[m];
            r = {_m.BuildIfThenElse(a.node, b.node, c.node), t};
            _m.FreeNode(c.node);
        }
        _m.FreeNode(a.node);
        _m.FreeNode(b.node);
        return r;
    }

    // A leaf as a formula.
    Formula Leaf(bool one) { return {one ? _m.NewLeafOne() : _m.NewLeafZero(), Table(std::size_t(1) << _n, one)}; }

    // A random family of products (each mask kept with probability density).
    Family RandomFamily(double density) {
        std::bernoulli_distribution keep(density);
        Family f(std::size_t(1) << _n);
        for (std::size_t m = 0; m < f.size(); ++m) f[m] = keep(_random);
        return f;
    }

    std::mt19937& Engine() { return _random; }

private:
    KEFOBDDManager& _m;
    int _n;
    std::mt19937 _random;
};

// Creates the entries of indices 1..n so that nodes are hash-consed.
inline void CreateEntries(KEFOBDDManager& manager, int n) {
    for (int i = 1; i <= n; ++i) manager.SetProbability(i, 0.0);
}

// first, first + 1, ..., last.
inline std::vector<int> Range(int first, int last) {
    std::vector<int> v;
    for (int i = first; i <= last; ++i) v.push_back(i);
    return v;
}

// The BDD of "an odd number of the variables is true", built from the last
// variable up with two nodes a level.
inline KEFOBDDNode* Parity(KEFOBDDManager& m, const std::vector<int>& variables) {
    KEFOBDDNode* odd = m.NewLeafZero();
    KEFOBDDNode* even = m.NewLeafOne();
    for (auto v = variables.rbegin(); v != variables.rend(); ++v) {
        KEFOBDDNode* x = m.BuildPositiveLiteral(*v);
        KEFOBDDNode* odd2 = m.BuildIfThenElse(x, even, odd);
        KEFOBDDNode* even2 = m.BuildIfThenElse(x, odd, even);
        for (KEFOBDDNode* old : {x, odd, even}) m.FreeNode(old);
        odd = odd2;
        even = even2;
    }
    m.FreeNode(even);
    return odd;
}

// The BDD of "at least two of the variables first..last are true".
inline KEFOBDDNode* AtLeastTwo(KEFOBDDManager& m, int first, int last) {
    KEFOBDDNode* two = m.NewLeafZero();
    KEFOBDDNode* one = m.NewLeafZero();
    for (int i = last; i >= first; --i) {
        KEFOBDDNode* x = m.BuildPositiveLiteral(i);
        KEFOBDDNode* two2 = m.BuildIfThenElse(x, one, two);
        KEFOBDDNode* one2 = m.BuildOr(x, one);
        for (KEFOBDDNode* old : {x, one, two}) m.FreeNode(old);
        one = one2;
        two = two2;
    }
    m.FreeNode(one);
    return two;
}

// What a call printed into a temporary file.
inline std::string Printed(const std::function<void(FILE*)>& print) {
    FILE* file = std::tmpfile();
    print(file);
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text.push_back(static_cast<char>(c));
    std::fclose(file);
    return text;
}

// Every chain of the hash tables of indices 1..n holds live nodes of its
// index, as many as its table counts, each (then, else) once and found
// again by a look-up; and every live node is in one chain.
inline void ExpectHashTablesWhole(const KEFOBDDManager& m, int n) {
    int nodes = 0;
    for (int index = 1; index <= n; ++index) {
        SCOPED_TRACE(index);
        const KEFOBDDHashTable* table = m.GetEntry(index)->GetHashTable();
        std::set<std::pair<KEFOBDDNode*, KEFOBDDNode*>> seen;
        int chained = 0;
        for (int b = 0; b < table->GetSize(); ++b) {
            for (KEFOBDDNode* node = table->GetBucket(b); node != nullptr; node = node->GetNext()) {
                EXPECT_FALSE(node->IsFree());
                EXPECT_EQ(node->GetIndex(), index);
                EXPECT_TRUE(seen.insert({node->GetThenSon(), node->GetElseSon()}).second);
                EXPECT_EQ(table->LookUp(node->GetThenSon(), node->GetElseSon()), node);
                ++chained;
            }
        }
        EXPECT_EQ(chained, table->GetNumberOfNodes());
        nodes += chained;
    }
    EXPECT_EQ(nodes + 2, m.GetNumberOfActiveNodesInUniqueTable());
}

// Collects the garbage and returns what the collection printed.
inline std::string Collect(KEFOBDDManager& manager) {
    testing::internal::CaptureStdout();
    manager.CollectGarbage();
    return testing::internal::GetCapturedStdout();
}

}  // namespace bddtest

#endif
