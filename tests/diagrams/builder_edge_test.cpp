// The BDD builder on small models built by hand and on the random models of
// the preprocessing tests: every connective, parked diagrams and the keep
// flag, the weighted builds and the conversions, checked against an
// independent evaluation of the formulas.
#include "diagrams/bdd_test_helpers.h"
#include "preprocessing/preprocessing_test_support.h"

#include "diagrams/bdd_builder.h"
#include "diagrams/bdd_handle.h"
#include "diagrams/cutoff.h"
#include "diagrams/handle.h"
#include "preprocessing/ordering_manager.h"
#include "support/exception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>

namespace {

using bddtest::Evaluate;

// The value of a variable when each basic event takes the bit of its BDD
// index in the assignment (bit i - 1 for index i).
bool EvaluateVariable(const KEFOVariable* v, std::uint32_t assignment) {
    std::vector<KEFOPort*> events;
    v->CollectDescendants(KEFOType::CompareAsStateVariable, nullptr, events);
    std::map<std::string, bool> inputs;
    for (KEFOPort* event : events) {
        const int index = static_cast<KEFOVariable*>(event)->GetBDDIndex();
        if (index > 0) inputs[event->GetPathAsString()] = ((assignment >> (index - 1)) & 1u) != 0;
    }
    return kefo_test::Evaluator(inputs).Value(v);
}

class Builder : public ::testing::Test {
protected:
    void SetUp() override {
        ordering.SetBDDManager(&manager);
        builder.SetManagers(&manager, &ordering);
        builder.SetKeepIntermediateHandles(false);
        model.reset(new KEFOModel());
    }
    void TearDown() override { model.reset(); }

    KEFOVariable* Event(const char* name) { return model->NewVariable(KEFOType::StateVariable, name); }
    KEFOVariable* Gate(const char* name, KEFOGate* definition) {
        KEFOVariable* v = model->NewVariable(KEFOType::FlowVariable, name);
        v->SetDefinition(definition);
        return v;
    }
    KEFOGate* Ref(KEFOVariable* v) { return model->NewVariableReference(v); }

    KEFOBDDNode* Build(KEFOVariable* top, const char* name = "BDD") {
        ordering.DefineOrdering(top, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::DFLM);
        builder.BuildBDD(model.get(), top, name);
        KEFOHandle* handle = top->LookForHandle(name);
        EXPECT_NE(handle, nullptr);
        return handle != nullptr && handle->GetBDDHandle() != nullptr ? handle->GetBDDHandle()->GetRootNode() : nullptr;
    }

    // The BDD agrees with the formula on every assignment of the indices.
    void ExpectTruthTable(KEFOVariable* top, KEFOBDDNode* root) {
        const int n = std::max(1, manager.GetIndexOfHighestEntry());
        ASSERT_LE(n, 20);
        for (std::uint32_t m = 0; m < (1u << n); ++m)
            ASSERT_EQ(Evaluate(manager, root, m), EvaluateVariable(top, m)) << "assignment " << m;
    }

    KEFOBDDManager manager;
    KEFOOrderingManager ordering{nullptr};
    KEFOBDDBuilder builder{nullptr};
    std::unique_ptr<KEFOModel> model;
};

// A state variable as target gives its literal. Bounds the random models
// never draw give terminals: a cardinality whose lower bound exceeds its
// upper one, an upper bound beyond the number of children, and a constant
// without value.
TEST_F(Builder, StateVariableTargetsAndBoundsOutOfRange) {
    KEFOVariable *a = Event("a"), *b = Event("b");
    ordering.SetVariableIndex(a, KEFOOrderingManager::BDDOrdering, 5);
    ordering.SetVariableIndex(b, KEFOOrderingManager::BDDOrdering, 2);
    builder.BuildBDD(model.get(), a, "BDD");
    KEFOBDDNode* root = a->LookForHandle("BDD")->GetBDDHandle()->GetRootNode();
    EXPECT_EQ(root->GetIndex(), 5);
    EXPECT_TRUE(manager.IsLeafOne(root->GetThenSon()));
    EXPECT_TRUE(manager.IsLeafZero(root->GetElseSon()));
    EXPECT_EQ(builder.GetTopVariable(), nullptr);
    for (KEFOVariable* g : {Gate("card21", model->NewCardinality(2, 1, {Ref(a), Ref(b)})),
                            Gate("atmost5", model->NewAtMost(5, {Ref(a), Ref(b)})),
                            Gate("novalue", model->NewGate(KEFOGate::Constant))}) {
        builder.BuildBDD(model.get(), g, "BDD");
        root = g->LookForHandle("BDD")->GetBDDHandle()->GetRootNode();
        EXPECT_EQ(root, g->GetIdentifier() == std::string("atmost5") ? manager.NewLeafOne() : manager.NewLeafZero())
            << g->GetIdentifier();
    }
}

TEST_F(Builder, SharedGateIsCountedParkedAndDropped) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c");
    KEFOVariable* s = Gate("s", model->NewAnd({Ref(b), Ref(c)}));
    KEFOVariable* g = Gate("g", model->NewOr({Ref(a), Ref(s)}));
    KEFOVariable* h = Gate("h", model->NewOr({Ref(s), Ref(c)}));
    KEFOVariable* top = Gate("top", model->NewAnd({Ref(g), Ref(h), Ref(s)}));
    builder.UpdateActiveParentsCounts(top);
    EXPECT_EQ(KEFOBDDBuilder::GetActiveParentsCount(top), 1);
    EXPECT_EQ(KEFOBDDBuilder::GetActiveParentsCount(s), 3);
    EXPECT_EQ(KEFOBDDBuilder::GetActiveParentsCount(g), 1);
    EXPECT_EQ(KEFOBDDBuilder::GetActiveParentsCount(c), 2);  // under s (once) and h
    EXPECT_EQ(KEFOBDDBuilder::GetActiveParentsCount(b), 1);

    // Keep flag off: every parked diagram is dropped by its last user.
    KEFOBDDNode* root = Build(top);
    ExpectTruthTable(top, root);
    for (KEFOVariable* v : {a, b, c, s, g, h}) {
        EXPECT_EQ(v->LookForHandle("BDD"), nullptr) << v->GetIdentifier();
        EXPECT_EQ(KEFOBDDBuilder::GetActiveParentsCount(v), 0) << v->GetIdentifier();
    }

    // Keep flag on: every variable of the cone keeps its diagram.
    builder.SetKeepIntermediateHandles(true);
    root = Build(top, "kept");
    ExpectTruthTable(top, root);
    for (KEFOVariable* v : {a, b, c, s, g, h}) ASSERT_NE(v->LookForHandle("kept"), nullptr) << v->GetIdentifier();
    KEFOBDDNode* sRoot = s->LookForHandle("kept")->GetBDDHandle()->GetRootNode();
    for (std::uint32_t m = 0; m < 8; ++m) EXPECT_EQ(Evaluate(manager, sRoot, m), EvaluateVariable(s, m));
}

// A diagram parked by an unfinished build (the store ran out of nodes)
// stays on its variable; the next build replaces it.
TEST_F(Builder, ParkedDiagramsStayAfterAFailureAndAreReplacedNextTime) {
    KEFOVariable *a = Event("a"), *b = Event("b");
    KEFOVariable* s = Gate("s", model->NewOr({Ref(a), Ref(b)}));
    // s is asked for first and last (pure-DFLM leaves the children in
    // place); the row of the atleast gate in between fills the store.
    std::vector<KEFOGate*> children;
    for (int i = 0; i < 40; ++i) children.push_back(Ref(Event(("x" + std::to_string(i)).c_str())));
    KEFOVariable* top = Gate("top", model->NewAnd({Ref(s), model->NewAtLeast(20, children), Ref(s)}));
    ordering.DefineOrdering(top, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::PureDFLM);
    manager.SetSizeOfPages(64);
    manager.SetUniqueTableSize(256);
    EXPECT_THROW(builder.BuildBDD(model.get(), top, "BDD"), PLOVException);
    ASSERT_NE(s->LookForHandle("BDD"), nullptr);  // parked until its second use
    manager.SetUniqueTableSize(1 << 24);
    builder.BuildBDD(model.get(), top, "BDD");
    EXPECT_EQ(s->LookForHandle("BDD"), nullptr);
    ASSERT_NE(top->LookForHandle("BDD"), nullptr);
}

TEST_F(Builder, ChainOfHundredThousandGatesUsesNoMachineStack) {
    KEFOVariable* a = Event("a");
    KEFOVariable* previous = a;
    KEFOVariable* top = nullptr;
    for (int i = 0; i < 100000; ++i) {
        // Alternate references and nested gates as definitions.
        KEFOGate* definition = i % 2 == 0 ? Ref(previous) : model->NewAnd({model->NewOr({Ref(previous)})});
        top = Gate(("g" + std::to_string(i)).c_str(), definition);
        previous = top;
    }
    KEFOBDDNode* root = Build(top);
    EXPECT_EQ(root->GetIndex(), a->GetBDDIndex());
    EXPECT_TRUE(manager.IsLeafOne(root->GetThenSon()));
}

// An or of 400 ands of two events each, every event used once: the BDD has
// 800 nodes. Folding the children one after the other into the accumulated
// diagram rebuilt it at every child (about 160,000 nodes made); combining
// the smallest diagrams first makes a few thousand. The same
// holds for an and of ors. Nodes made and not yet collected are counted as
// active by the store.
TEST_F(Builder, WideGatesAreCombinedWithoutRebuildingTheAccumulatedDiagram) {
    const int n = 400;
    for (bool orOfAnds : {true, false}) {
        model.reset(new KEFOModel());
        manager.Reset();
        std::vector<KEFOGate*> children;
        for (int i = 0; i < n; ++i) {
            KEFOVariable* a = Event(("a" + std::to_string(i)).c_str());
            KEFOVariable* b = Event(("b" + std::to_string(i)).c_str());
            children.push_back(orOfAnds ? model->NewAnd({Ref(a), Ref(b)}) : model->NewOr({Ref(a), Ref(b)}));
        }
        KEFOGate* definition = orOfAnds ? model->NewOr(children) : model->NewAnd(children);
        KEFOVariable* top = Gate("top", definition);
        KEFOBDDNode* root = Build(top);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(manager.ComputeSizeOfDiagram(root), 2 * n + 2);
        EXPECT_LT(manager.GetNumberOfActiveNodesInUniqueTable(), 20 * n);
        // Probability 0.1 for every event: 1 - (1 - 0.01)^n for the or of
        // ands; 0.9 for every event: (1 - 0.01)^n for the and of ors.
        const double p = orOfAnds ? 0.1 : 0.9;
        for (int i = 1; i <= manager.GetIndexOfHighestEntry(); ++i) manager.SetProbability(i, p);
        const double expected = orOfAnds ? 1.0 - std::pow(0.99, n) : std::pow(0.99, n);
        EXPECT_NEAR(manager.ComputeProbability(root) / expected, 1.0, 1e-4);
    }
}

// Counting gates over 600 events, listed (and so indexed) in increasing
// order. Running the row over the children in list order put every child
// below the whole row and rebuilt each cell at every child (atleast 10 of
// 600: about 1.8 million nodes made); each child taken above the row adds
// one node on top of each cell. The probabilities are checked against the
// distribution of the number of failed events, computed apart.
TEST_F(Builder, WideCountingGatesAreBuiltWithoutRebuildingTheirRow) {
    const int n = 600;
    struct Case {
        int type, low, high;
    };
    for (Case c : {Case{KEFOGate::AtLeast, 10, n}, Case{KEFOGate::AtMost, 0, 10}, Case{KEFOGate::Cardinality, 5, 10}}) {
        model.reset(new KEFOModel());
        manager.Reset();
        std::vector<KEFOVariable*> events;
        std::vector<KEFOGate*> children;
        for (int i = 0; i < n; ++i) {
            events.push_back(Event(("e" + std::to_string(i)).c_str()));
            children.push_back(Ref(events.back()));
        }
        KEFOGate* definition = c.type == KEFOGate::AtLeast  ? model->NewAtLeast(c.low, children)
                               : c.type == KEFOGate::AtMost ? model->NewAtMost(c.high, children)
                                                            : model->NewCardinality(c.low, c.high, children);
        KEFOBDDNode* root = Build(Gate("top", definition));
        ASSERT_NE(root, nullptr);
        const int size = manager.ComputeSizeOfDiagram(root);
        if (c.type == KEFOGate::AtLeast) {
            EXPECT_EQ(size, c.low * (n - c.low + 1) + 2);
        }
        EXPECT_LT(manager.GetNumberOfActiveNodesInUniqueTable(), 10 * size) << "connective " << c.type;
        // count[j]: the probability that exactly j events have failed.
        std::vector<double> count(n + 1, 0.0);
        count[0] = 1.0;
        for (int i = 0; i < n; ++i) {
            const double p = 0.01 + 0.002 * (i % 5);
            manager.SetProbability(events[static_cast<std::size_t>(i)]->GetBDDIndex(), p);
            for (int j = i + 1; j >= 1; --j) count[j] = count[j] * (1 - p) + count[j - 1] * p;
            count[0] *= 1 - p;
        }
        double expected = 0.0;
        for (int j = c.low; j <= c.high; ++j) expected += count[j];
        EXPECT_NEAR(manager.ComputeProbability(root) / expected, 1.0, 1e-4) << "connective " << c.type;
    }
}

TEST_F(Builder, CycleOfDefinitionsIsAnInternalFault) {
    KEFOVariable* a = Event("a");
    KEFOVariable* g = model->NewVariable(KEFOType::FlowVariable, "g");
    KEFOVariable* h = Gate("h", model->NewOr({Ref(a), Ref(g)}));
    g->SetDefinition(model->NewAnd({Ref(h), Ref(a)}));
    ordering.DefineOrdering(g, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::DFLM);
    EXPECT_THROW(builder.BuildBDD(model.get(), g, "BDD"), PLOVException);
}

TEST_F(Builder, ConversionsBetweenBDDAndZBDD) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c");
    KEFOVariable* top = Gate(
        "top", model->NewOr({model->NewAnd({Ref(a), Ref(b)}), Ref(a), model->NewAtLeast(2, {Ref(b), Ref(c), Ref(a)})}));
    KEFOBDDNode* root = Build(top);
    builder.BuildZBDDFromBDD(model.get(), top, top->LookForHandle("BDD"), "ZBDD");
    KEFOHandle* zbdd = top->LookForHandle("ZBDD");
    ASSERT_TRUE(zbdd->IsZBDDHandle());
    EXPECT_EQ(zbdd->ComputeNumberOfProducts(), 2.0);  // {a}, {b, c}
    builder.BuildBDDFromZBDD(model.get(), top, zbdd, "back");
    KEFOHandle* back = top->LookForHandle("back");
    ASSERT_TRUE(back->IsBDDHandle());
    EXPECT_EQ(back->GetBDDHandle()->GetRootNode(), root);
    // Converting into the source's own name replaces the source.
    builder.BuildZBDDFromBDD(model.get(), top, top->LookForHandle("BDD"), "BDD");
    EXPECT_TRUE(top->LookForHandle("BDD")->IsZBDDHandle());
    EXPECT_EQ(top->LookForHandle("BDD")->ComputeNumberOfProducts(), 2.0);
}

// A weighted build into the name of an earlier full build must not reuse
// the full diagrams kept on the gates.
TEST_F(Builder, WeightedBuildAfterAKeptFullBuildIsTruncated) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c");
    KEFOVariable* s = Gate("s", model->NewAnd({Ref(b), Ref(c)}));
    KEFOVariable* top = Gate("top", model->NewOr({Ref(s), Ref(a), model->NewAnd({Ref(s), Ref(a)})}));
    builder.SetKeepIntermediateHandles(true);
    Build(top);
    KEFOCutoff cutoff;
    cutoff.SetMaximumOrder(1);
    builder.BuildWeightedBDD(model.get(), top, &cutoff, "BDD");
    builder.BuildZBDDFromBDD(model.get(), top, top->LookForHandle("BDD"), "ZBDD");
    EXPECT_EQ(top->LookForHandle("ZBDD")->ComputeNumberOfProducts(), 1.0);
}

TEST_F(Builder, WeightedBuildsWithMinimumProbability) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c");
    a->SetProbabilityDistribution(model->NewRealExpression(1e-2));
    b->SetProbabilityDistribution(model->NewRealExpression(1e-3));
    c->SetProbabilityDistribution(model->NewRealExpression(1e-4));
    // Cutsets a (1e-2), b.c (1e-7), a.b... minimal: {a}, {b, c}.
    KEFOVariable* top = Gate("top", model->NewOr({Ref(a), model->NewAnd({Ref(b), Ref(c)})}));
    ordering.DefineOrdering(top, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::DFLM);
    KEFOCutoff cutoff;
    cutoff.SetMinimumProbability(1e-5);
    builder.BuildWeightedBDD(model.get(), top, &cutoff, "W");
    EXPECT_DOUBLE_EQ(manager.GetProbability(a->GetBDDIndex()), 1e-2);
    EXPECT_DOUBLE_EQ(a->GetProbability(), 1e-2);
    builder.BuildZBDDFromBDD(model.get(), top, top->LookForHandle("W"), "Z");
    EXPECT_EQ(top->LookForHandle("Z")->ComputeNumberOfProducts(), 1.0);
    // From the full BDD, with a minimum contribution: 1e-3 of the top
    // probability (about 1e-2) keeps {a} only.
    Build(top, "BDD");
    KEFOCutoff contribution;
    contribution.SetMinimumContribution(1e-3);
    builder.BuildWeightedZBDDFromBDD(model.get(), top, top->LookForHandle("BDD"), &contribution, "Z");
    EXPECT_EQ(top->LookForHandle("Z")->ComputeNumberOfProducts(), 1.0);
    EXPECT_NEAR(contribution.GetMinimumProbability(), 1e-3 * (1e-2 + 1e-7 - 1e-9), 1e-12);
}

// --- random models ----------------------------------------------------------------

class RandomModels : public Builder, public ::testing::WithParamInterface<int> {};

TEST_P(RandomModels, DiagramHasTheTruthTableOfTheTopEvent) {
    std::mt19937 random(1000 + GetParam());
    for (int trial = 0; trial < 40; ++trial) {
        manager.Reset();
        kefo_test::RandomModel m;
        kefo_test::Build(m, random, 3 + trial % 8, 2 + trial % 7);
        KEFOVariable* top = m.top;
        ordering.DefineOrdering(top, KEFOOrderingManager::BDDOrdering, GetParam());
        builder.SetKeepIntermediateHandles(trial % 2 == 0);
        builder.BuildBDD(m.model, top, "BDD");
        SCOPED_TRACE(trial);
        ExpectTruthTable(top, top->LookForHandle("BDD")->GetBDDHandle()->GetRootNode());
        // The variables below the top keep their diagrams with the keep
        // flag, and none without.
        std::vector<KEFOPort*> cone;
        top->CollectDescendants(nullptr, nullptr, cone);
        int parked = 0;
        for (KEFOPort* port : cone) parked += static_cast<KEFOVariable*>(port)->GetNumberOfHandles();
        EXPECT_EQ(parked == 0, trial % 2 != 0 || cone.empty()) << parked;
    }
}

INSTANTIATE_TEST_SUITE_P(Heuristics, RandomModels, ::testing::Values(1, 2, 3, 4, 5));

// Coherent random models (and, or, atleast only): the cutsets of the BDD
// truncated at order k, and those of the weighted conversion of the full
// BDD, are exactly the minimal cutsets of order at most k. Under a minimum
// probability p the conversion keeps every minimal cutset of probability p
// or more, and only products that contain a minimal cutset (the operation
// cache keys budgets by their ceiling, so a few below p may stay).
TEST_F(Builder, MaximumOrderAndMinimumProbabilityKeepTheCutsetsAskedFor) {
    std::mt19937 random(77);
    const double probabilities[] = {0.3, 0.1, 0.05, 0.01, 0.002};
    int dropped = 0;
    for (int trial = 0; trial < 60; ++trial) {
        SCOPED_TRACE(trial);
        model.reset(new KEFOModel());
        manager.Reset();
        const int n = 4 + trial % 9;
        std::vector<KEFOVariable*> events, gates;
        std::vector<double> p;
        for (int i = 0; i < n; ++i) {
            events.push_back(Event(("e" + std::to_string(i)).c_str()));
            p.push_back(probabilities[random() % 5]);
            events.back()->SetProbabilityDistribution(model->NewRealExpression(p.back()));
        }
        const int g = 2 + trial % 6;
        for (int i = 0; i < g; ++i)
            gates.push_back(model->NewVariable(KEFOType::FlowVariable, ("g" + std::to_string(i)).c_str()));
        for (int i = g - 1; i >= 0; --i) {
            std::vector<KEFOGate*> children;
            const int arity = 2 + static_cast<int>(random() % 3);
            for (int c = 0; c < arity; ++c)
                children.push_back(Ref(i + 1 < g && random() % 3 == 0 ? gates[i + 1 + random() % (g - i - 1)]
                                                                     : events[random() % n]));
            const int kind = static_cast<int>(random() % 3);
            gates[i]->SetDefinition(kind == 0   ? model->NewAnd(children)
                                    : kind == 1 ? model->NewOr(children)
                                                : model->NewAtLeast(1 + static_cast<int>(random() % arity), children));
        }
        KEFOVariable* top = gates[0];
        Build(top);
        const int indices = manager.GetIndexOfHighestEntry();
        auto cutsets = [&](const char* name) {
            return bddtest::FamilyOf(manager, top->LookForHandle(name)->GetBDDHandle()->GetRootNode(), indices);
        };
        builder.BuildZBDDFromBDD(model.get(), top, top->LookForHandle("BDD"), "ZBDD");
        const bddtest::Family all = cutsets("ZBDD");
        for (int k = 0; k <= 4; ++k) {
            SCOPED_TRACE(k);
            bddtest::Family expected(all.size());
            for (std::uint32_t c = 0; c < all.size(); ++c) expected[c] = all[c] && bddtest::PopCount(c) <= k;
            KEFOCutoff cutoff;
            cutoff.SetMaximumOrder(k);
            builder.BuildWeightedBDD(model.get(), top, &cutoff, "WBDD");
            builder.BuildZBDDFromBDD(model.get(), top, top->LookForHandle("WBDD"), "WZ");
            EXPECT_EQ(cutsets("WZ"), expected);
            builder.BuildWeightedZBDDFromBDD(model.get(), top, top->LookForHandle("BDD"), &cutoff, "WZ2");
            EXPECT_EQ(cutsets("WZ2"), expected);
        }
        // The probability of each cutset, from the events' own values.
        std::vector<double> q(all.size(), 1.0);
        double highest = 0.0;
        for (std::uint32_t c = 0; c < all.size(); ++c) {
            for (int i = 0; i < n; ++i)
                if (events[i]->GetBDDIndex() > 0 && ((c >> (events[i]->GetBDDIndex() - 1)) & 1u)) q[c] *= p[i];
            if (all[c]) highest = std::max(highest, q[c]);
        }
        const std::vector<bool> covered = bddtest::AnySubset(all, indices);
        for (double fraction : {0.5, 0.05, 0.005}) {
            KEFOCutoff cutoff;
            const double threshold = highest * fraction;
            cutoff.SetMinimumProbability(threshold);
            builder.BuildWeightedZBDDFromBDD(model.get(), top, top->LookForHandle("BDD"), &cutoff, "WP");
            const bddtest::Family kept = cutsets("WP");
            for (std::uint32_t c = 0; c < all.size(); ++c) {
                EXPECT_TRUE(!all[c] || q[c] < threshold || kept[c]) << "missing " << c << " at " << threshold;
                EXPECT_TRUE(!kept[c] || covered[c]) << "kept " << c << " at " << threshold;
                dropped += all[c] && !kept[c] ? 1 : 0;
            }
        }
    }
    EXPECT_GT(dropped, 50);  // the thresholds do cut
}

}  // namespace
