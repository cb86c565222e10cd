// Variable ordering: index allocation in the BDD store and the five
// heuristics on small models whose orders are worked out by hand.
#include "diagrams/bdd_manager.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/type.h"
#include "model/variable.h"
#include "preprocessing/ordering_manager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class Ordering : public ::testing::Test {
protected:
    void SetUp() override { ordering.SetBDDManager(&manager); }

    KEFOVariable* Event(const std::string& name) { return model->NewVariable(KEFOType::StateVariable, name.c_str()); }
    KEFOVariable* Gate(const std::string& name, KEFOGate* definition) {
        KEFOVariable* v = model->NewVariable(KEFOType::FlowVariable, name.c_str());
        v->SetDefinition(definition);
        return v;
    }
    KEFOGate* Ref(KEFOVariable* v) { return model->NewVariableReference(v); }
    static int Index(const KEFOVariable* v) { return v->GetBDDIndex(); }
    // The variables of the store by increasing index: "-" for a free index,
    // "!" after a variable that does not hold the index it is stored at.
    std::string Order() const {
        std::string text;
        for (int i = 1; i <= ordering.GetHighestVariableIndex(KEFOOrderingManager::BDDOrdering); ++i) {
            const KEFOVariable* v = manager.GetModelVariable(i);
            text += std::string(text.empty() ? "" : " ") + (v != nullptr ? v->GetIdentifier() : "-");
            if (v != nullptr && Index(v) != i) text += "!";
        }
        return text;
    }
    // The names of the variables a gate's children refer to, in order.
    static std::string Children(const KEFOVariable* v) {
        std::string text;
        for (KEFOTerm* c : v->GetDefinition()->GetChildren())
            text += std::string(c->GetReferredPort() != nullptr ? c->GetReferredPort()->GetIdentifier() : "?") + ' ';
        return text;
    }

    // The diamond: top = or(g1, g2), g1 = and(s, b); the shared model:
    // top = or(g1, a, g2), g1 = and(b, s). In both, g2 = and(s, c), s = or(d, e).
    void MakeModel(bool shared) {
        a = Event("a");
        b = Event("b");
        c = Event("c");
        d = Event("d");
        e = Event("e");
        s = Gate("s", model->NewOr({Ref(d), Ref(e)}));
        g1 = Gate("g1", shared ? model->NewAnd({Ref(b), Ref(s)}) : model->NewAnd({Ref(s), Ref(b)}));
        g2 = Gate("g2", model->NewAnd({Ref(s), Ref(c)}));
        top = Gate("top", shared ? model->NewOr({Ref(g1), Ref(a), Ref(g2)}) : model->NewOr({Ref(g1), Ref(g2)}));
    }

    KEFOBDDManager manager;
    KEFOOrderingManager ordering{nullptr};
    std::unique_ptr<KEFOModel> model{new KEFOModel()};
    KEFOVariable *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr, *e = nullptr;
    KEFOVariable *s = nullptr, *g1 = nullptr, *g2 = nullptr, *top = nullptr;
};

TEST_F(Ordering, HeuristicNames) {
    const char* names[] = {"pure-DFLM", "DFLM", "CPFLM", "SCG-OAF", "SCG-DPN"};
    for (int h = 1; h <= 5; ++h) {
        EXPECT_EQ(KEFOOrderingManager::GetHeuristic(names[h - 1]), h);
        EXPECT_STREQ(KEFOOrderingManager::GetHeuristicName(h), names[h - 1]);
    }
    EXPECT_EQ(KEFOOrderingManager::GetHeuristic("dflm"), 0);
}

TEST_F(Ordering, PureDFLMIndexesInDepthFirstOrderAndLeavesTheGatesAlone) {
    MakeModel(true);
    ordering.DefineOrdering(top, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::PureDFLM);
    EXPECT_EQ(Order(), "b d e a c");
    for (KEFOVariable* g : {top, g1, g2, s}) EXPECT_EQ(Index(g), 0);
    EXPECT_EQ(Children(g2), "s c ");
}

TEST_F(Ordering, DFLMSortsTheChildrenOfCommutativeGatesByRank) {
    MakeModel(true);
    // A not-commutative negation keeps its child; a nested gate sorts by
    // the first variable it refers to.
    KEFOVariable* n = Gate("n", model->NewAnd({Ref(e), model->NewNot(Ref(d)), model->NewOr({Ref(c), Ref(d), Ref(b)})}));
    KEFOVariable* root = Gate("root", model->NewAnd({Ref(n), Ref(top)}));
    ordering.DefineOrdering(root, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::DFLM);
    // Depth-first: root n e d c b top g1 s a g2 (ranks from 1).
    EXPECT_EQ(Order(), "e d c b a");
    EXPECT_EQ(Children(g1), "b s ");
    EXPECT_EQ(Children(top), "g1 a g2 ");
    // Children of n: e (rank 2), not d (rank 3), and or(c, d, b), sorted
    // first to (d, c, b), whose key is then d's rank.
    EXPECT_EQ(Children(n), "e ? ? ");
    KEFOTerm* nested = n->GetDefinition()->GetChild(3);
    EXPECT_STREQ(nested->GetChild(1)->GetReferredPort()->GetIdentifier(), "d");
    EXPECT_STREQ(nested->GetChild(2)->GetReferredPort()->GetIdentifier(), "c");
}

TEST_F(Ordering, IndicesAlreadyGivenAreKeptAndTheOthersTakeTheFollowingFreeOnes) {
    MakeModel(true);
    KEFOVariable* other = Event("other");
    ordering.SetVariableIndex(other, KEFOOrderingManager::BDDOrdering, 2);
    ordering.SetVariableIndex(d, KEFOOrderingManager::BDDOrdering, 7);
    ordering.DefineOrdering(top, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::PureDFLM);
    EXPECT_EQ(Order(), "b other e a c - d");
    // After a reset of the store the kept indices take their entries back.
    manager.Reset();
    ordering.DefineOrdering(top, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::PureDFLM);
    EXPECT_EQ(Index(d), 7);
    EXPECT_EQ(manager.GetModelVariable(7), d);
    EXPECT_EQ(manager.GetModelVariable(1), b);
}

TEST_F(Ordering, SetVariableIndexMovesTheIndex) {
    KEFOVariable* x = Event("x");
    KEFOVariable* y = Event("y");
    ordering.SetVariableIndex(x, KEFOOrderingManager::BDDOrdering, 3);
    manager.SetProbability(3, 0.5);
    ordering.SetVariableIndex(y, KEFOOrderingManager::BDDOrdering, 3);
    EXPECT_EQ(Index(x), 0);
    EXPECT_EQ(Index(y), 3);
    EXPECT_EQ(manager.GetProbability(3), 0.0);  // the entry is reset
    ordering.SetVariableIndex(y, KEFOOrderingManager::BDDOrdering, 9);
    EXPECT_EQ(manager.GetModelVariable(3), nullptr);  // left behind
    ordering.SetVariableIndex(x, KEFOOrderingManager::BDDOrdering, 3);
    EXPECT_EQ(Index(y), 9);
    ordering.SetVariableIndex(x, KEFOOrderingManager::BDDOrdering, 0);  // out of range: nothing
    EXPECT_EQ(Index(x), 3);
    EXPECT_EQ(ordering.GetHighestVariableIndex(KEFOOrderingManager::BDDOrdering), 9);
    EXPECT_EQ(ordering.GetNextFreeVariableIndex(KEFOOrderingManager::BDDOrdering, 2), 4);
}

TEST_F(Ordering, TheEntryTableGrowsForLargeModels) {
    std::vector<KEFOGate*> children;
    std::vector<KEFOVariable*> events;
    for (int i = 0; i < 20000; ++i) {
        events.push_back(Event("e" + std::to_string(i)));
        children.push_back(Ref(events.back()));
    }
    KEFOVariable* big = Gate("big", model->NewOr(children));
    ordering.DefineOrdering(big, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::DFLM);
    for (int i = 0; i < 20000; ++i) ASSERT_EQ(Index(events[i]), i + 1);
    EXPECT_GT(manager.GetSizeOfEntryTable(), 20000);
    EXPECT_EQ(manager.GetModelVariable(20000), events.back());
}

TEST_F(Ordering, CPFLMGoesIntoTheChildrenOfFewestPendingParentsFirst) {
    MakeModel(false);
    ordering.DefineOrdering(top, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::CPFLM);
    // In g1, b has no parent left to process and s still has g2: b first.
    EXPECT_EQ(Order(), "b d e c");
    // Ranks: top 1, g1 2, b 3, s 4, d 5, e 6, g2 7, c 8.
    EXPECT_EQ(Children(g1), "b s ");
    EXPECT_EQ(Children(g2), "s c ");
    // DFLM keeps the first encounter: s (and d, e) before b.
    model.reset(new KEFOModel());
    manager.Reset();
    MakeModel(false);
    ordering.DefineOrdering(top, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::DFLM);
    EXPECT_EQ(Order(), "d e b c");
}

TEST_F(Ordering, SCGWalksTheSortedChildren) {
    MakeModel(true);
    ordering.DefineOrdering(top, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::SCGOAF);
    // Atoms after gates: top visits g1 (then b? no: s before b), g2, a.
    // g1: children (s, b); s: (e, d) reversed by the atom rule; g2: (s, c).
    EXPECT_EQ(Order(), "e d b c a");
    EXPECT_EQ(ordering.GetNumberOfParents(s), 0);  // the lists are gone

    model.reset(new KEFOModel());
    manager.Reset();
    MakeModel(true);
    ordering.DefineOrdering(top, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::SCGDPN);
    // By increasing numbers of parents: s has 2 parents, so it comes last.
    EXPECT_EQ(Order(), "b e d c a");
}

TEST_F(Ordering, ParentsChildrenAndCounts) {
    MakeModel(true);
    ordering.UpdateParentsAndChildrenLists(top);
    EXPECT_EQ(ordering.GetNumberOfParents(s), 2);
    EXPECT_EQ(ordering.GetNumberOfChildren(top), 3);
    EXPECT_EQ(ordering.GetParentList(s), (std::vector<KEFOVariable*>{g1, g2}));
    ordering.ResetParentsAndChildrenLists();
    EXPECT_EQ(ordering.GetNumberOfParents(s), 0);
    ordering.ComputeNumbersOfParents(top, "parents");
    EXPECT_EQ(s->GetAttributeAsInt("parents", -1), 2);
    EXPECT_EQ(top->GetAttributeAsInt("parents", -1), 0);
    KEFOVariable* twice = Gate("twice", model->NewAnd({Ref(top), Ref(s)}));
    ordering.ComputeNumbersOfPaths(twice, "paths");
    EXPECT_EQ(s->GetAttributeAsDouble("paths", -1), 3.0);
    EXPECT_EQ(d->GetAttributeAsDouble("paths", -1), 3.0);
    EXPECT_EQ(a->GetAttributeAsDouble("paths", -1), 1.0);
    ordering.ResetAttributeOfVariables(twice, "paths");
    EXPECT_FALSE(d->HasAttribute("paths"));
}

}  // namespace
