// Result handles, BDD handles, cutoff records and minimal-cutset records.
#include "diagrams/bdd_handle.h"
#include "diagrams/bdd_manager.h"
#include "diagrams/bdd_test_helpers.h"
#include "diagrams/cutoff.h"
#include "diagrams/handle.h"
#include "diagrams/minimal_cutset.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"
#include "support/stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

TEST(Cutoff, DumpWritesEveryBoundButTheMinimumContribution) {
    KEFOCutoff cutoff;
    EXPECT_EQ(bddtest::Printed([&](FILE* f) { cutoff.Dump(f); }),
              "maximum-number\t2147483647\nmaximum-order\t2147483647\nminimum-probability\t0\n"
              "mission-time\t0\nweight-scale-factor\t10\n");
    cutoff.SetMaximumNumber(5);
    cutoff.SetMaximumOrder(3);
    cutoff.SetMinimumProbability(1e-9);
    cutoff.SetMinimumContribution(0.25);
    cutoff.SetMissionTime(8760);
    cutoff.SetWeightScaleFactor(2.5);
    PLOVStringStream stream;
    cutoff.Dump(&stream);
    EXPECT_EQ(stream.GetText(),
              "maximum-number\t5\nmaximum-order\t3\nminimum-probability\t1e-09\nmission-time\t8760\n"
              "weight-scale-factor\t2.5\n");
}

TEST(MinimalCutset, GrowsPopsSortsLoadsAndDumps) {
    KEFOMinimalCutset empty(0);
    EXPECT_EQ(empty.PopIndex(), 0);
    empty.PushIndex(7);  // grows from no capacity
    EXPECT_EQ(empty.GetIndex(0), 7);
    EXPECT_EQ(empty.GetIndex(1), 0);
    EXPECT_EQ(empty.GetIndex(-1), 0);
    EXPECT_EQ(empty.PopIndex(), 7);
    EXPECT_EQ(empty.GetOrder(), 0);

    KEFOMinimalCutset equal(4);
    for (int i : {3, 1, 3, 2, 1}) equal.PushIndex(i);  // grows past its capacity
    equal.SortIndices();
    std::vector<int> sorted;
    for (int k = 0; k < equal.GetOrder(); ++k) sorted.push_back(equal.GetIndex(k));
    EXPECT_EQ(sorted, (std::vector<int>{1, 1, 2, 3, 3}));
    const int capacity = equal.GetCapacity();
    equal.Resize(3);  // below the order: nothing
    EXPECT_EQ(equal.GetCapacity(), capacity);
    equal.Resize(capacity + 16);
    EXPECT_EQ(equal.GetIndex(4), 3);
    equal.SetProbability(0.5);
    KEFOMinimalCutset copy(1);
    copy.Load(&equal);
    EXPECT_EQ(copy.GetCapacity(), capacity + 16);
    EXPECT_EQ(bddtest::Printed([&](FILE* f) { copy.Dump(f); }), "1\t1\t2\t3\t3\t0.5\n");
    copy.Reset();
    EXPECT_EQ(bddtest::Printed([&](FILE* f) { copy.Dump(f); }), "1\n");
}

// A stand-in payload that counts its deletions.
struct CountedPayload {
    PLOV_MANAGED_ALLOCATION(CountedPayload)
    explicit CountedPayload(int* deletions) : _deletions(deletions) {}
    ~CountedPayload() { ++*_deletions; }
    int* _deletions;
};

class Handles : public ::testing::Test {
protected:
    void SetUp() override {
        model.reset(new KEFOModel());
        a = model->NewVariable(KEFOType::StateVariable, "a");
        b = model->NewVariable(KEFOType::StateVariable, "b");
        top = model->NewVariable(KEFOType::FlowVariable, "top");
        rate = model->NewParameter("rate");
        rate->SetDefinition(model->NewRealExpression(0.01));
        a->SetProbabilityDistribution(model->NewParameterReference(rate));
        b->SetProbabilityDistribution(model->NewRealExpression(0.2));
        top->SetDefinition(model->NewOr({model->NewVariableReference(a), model->NewVariableReference(b)}));
        manager.SetModelVariable(1, a);
        manager.SetModelVariable(2, b);
    }
    void TearDown() override { model.reset(); }

    KEFOBDDHandle* Diagram(KEFOBDDNode* root) { return new KEFOBDDHandle(&manager, root); }

    KEFOBDDManager manager;
    std::unique_ptr<KEFOModel> model;
    KEFOVariable* a = nullptr;
    KEFOVariable* b = nullptr;
    KEFOVariable* top = nullptr;
    KEFOParameter* rate = nullptr;
};

TEST_F(Handles, TypesFamiliesAndPredicates) {
    int deletions = 0;
    KEFOHandle* system = KEFOHandle::NewSystem(top, "system", new CountedPayload(&deletions));
    KEFOHandle* tree = KEFOHandle::NewBDT(top, "tree", new CountedPayload(&deletions));
    KEFOHandle* zbdd = KEFOHandle::NewZBDD(top, "zbdd", Diagram(nullptr));
    KEFOHandle* bdd = KEFOHandle::NewBDD(top, "bdd", Diagram(nullptr));
    // The families the searches of handles go by.
    struct Row {
        KEFOHandle* handle;
        bool sumOfProducts, sumOfMinimalCutsets, diagram;
    };
    for (const Row& r : {Row{system, false, false, false}, Row{tree, true, true, false}, Row{zbdd, true, true, true},
                         Row{bdd, true, false, true}}) {
        SCOPED_TRACE(r.handle->GetName());
        EXPECT_EQ(KEFOHandle::CompareAsSumOfProductsHandle(r.handle, nullptr) == 0, r.sumOfProducts);
        EXPECT_EQ(KEFOHandle::CompareAsSumOfMinimalCutsetsHandle(r.handle, nullptr) == 0, r.sumOfMinimalCutsets);
        EXPECT_EQ(KEFOHandle::CompareAsDecisionDiagramHandle(r.handle, nullptr) == 0, r.diagram);
        EXPECT_EQ(r.handle->GetBDDHandle() != nullptr, r.diagram);
    }
    EXPECT_LT(KEFOHandle::CompareTypes(system, bdd), 0);
    EXPECT_EQ(KEFOHandle::CompareTypes(zbdd, zbdd), 0);
    // A system handle measures nothing, nor does an empty diagram handle.
    int* counts = reinterpret_cast<int*>(1);
    int highest = -5, total = -5;
    system->ComputeOrdersOfMinimalCutsets(counts, highest, total);
    EXPECT_EQ(counts, nullptr);
    EXPECT_EQ(highest, 0);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(system->ComputeNumberOfProducts(), 0.0);
    EXPECT_EQ(system->ComputeSizeOfDiagram(), 0);
    EXPECT_EQ(zbdd->ComputeNumberOfProducts(), 0.0);
    for (KEFOHandle* h : {system, tree, zbdd, bdd}) KEFOHandle::Delete(h);
    EXPECT_EQ(deletions, 2);
}

TEST_F(Handles, ReplacedByNameWhateverTheTypeAndFoundByFamily) {
    int deletions = 0;
    top->InsertHandle(KEFOHandle::NewSystem(top, "BDD", new CountedPayload(&deletions)));
    KEFOBDDNode* literal = manager.BuildPositiveLiteral(1);
    KEFOHandle* bdd = KEFOHandle::AttachNewBDD(top, "BDD", Diagram(literal));
    EXPECT_EQ(deletions, 1);  // the system handle went with its payload
    EXPECT_EQ(top->LookForHandle("BDD"), bdd);
    EXPECT_EQ(manager.GetReferenceCount(literal), 1);
    // The first handle of the family in the variable's order, others skipped.
    KEFOHandle* zbdd = KEFOHandle::AttachNewZBDD(top, "Z2", Diagram(manager.CopyNode(literal)));
    KEFOHandle::AttachNewZBDD(top, "Z3", Diagram(manager.CopyNode(literal)));
    top->InsertHandle(KEFOHandle::NewSystem(top, "A", new CountedPayload(&deletions)));
    EXPECT_EQ(top->SearchHandle(KEFOHandle::CompareAsSumOfMinimalCutsetsHandle, nullptr), zbdd);
    EXPECT_EQ(top->SearchHandle(KEFOHandle::CompareAsDecisionDiagramHandle, nullptr), bdd);
    top->DeleteHandle("Z3");
    EXPECT_EQ(manager.GetReferenceCount(literal), 2);
    top->DeleteHandles(nullptr, nullptr);
    EXPECT_EQ(manager.GetReferenceCount(literal), 0);
    EXPECT_EQ(deletions, 2);
}

TEST_F(Handles, BDDHandleHoldsOneReference) {
    KEFOBDDNode* x = manager.BuildPositiveLiteral(1);
    KEFOBDDNode* y = manager.BuildPositiveLiteral(2);
    {
        KEFOBDDHandle handle(&manager, x);
        handle.SetRootNode(x);  // the same root: nothing
        EXPECT_EQ(manager.GetReferenceCount(x), 1);
        handle.SetRootNode(y);
        EXPECT_EQ(manager.GetReferenceCount(x), 0);
        EXPECT_EQ(manager.GetReferenceCount(y), 2);
        EXPECT_EQ(handle.ComputeSizeOfDiagram(), 3);
    }
    EXPECT_EQ(manager.GetReferenceCount(y), 1);
    manager.FreeNode(y);
    KEFOBDDHandle empty(&manager, nullptr);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.ComputeHighestOrderOfMinimalCutsets(), 0);
    EXPECT_EQ(empty.ComputeTopEventProbability(1), 0.0);
}

TEST_F(Handles, ListsOfStateVariablesAndParameters) {
    KEFOHandle* handle = KEFOHandle::AttachNewBDD(top, "BDD", Diagram(nullptr));
    EXPECT_EQ(handle->GetStateVariables(), (std::vector<KEFOVariable*>{a, b}));
    EXPECT_EQ(handle->GetParameters(), (std::vector<KEFOParameter*>{rate}));
    KEFOHandle* onEvent = KEFOHandle::AttachNewBDD(a, "BDD", Diagram(nullptr));
    EXPECT_EQ(onEvent->GetStateVariables(), (std::vector<KEFOVariable*>{a}));
    EXPECT_EQ(onEvent->GetParameters(), (std::vector<KEFOParameter*>{rate}));
    // A new event under the top shows after the update only.
    KEFOVariable* c = model->NewVariable(KEFOType::StateVariable, "c");
    static_cast<KEFOGate*>(top->GetDefinition())->AppendChild(model->NewVariableReference(c));
    EXPECT_EQ(handle->GetStateVariables().size(), 2u);
    handle->UpdateStateVariablesAndParameters();
    EXPECT_EQ(handle->GetStateVariables(), (std::vector<KEFOVariable*>{a, b, c}));
}

TEST_F(Handles, QuantificationMethodAndCachedProbability) {
    KEFOBDDNode* f = manager.BuildOr(manager.BuildPositiveLiteral(1), manager.BuildPositiveLiteral(2));
    manager.SetProbability(1, 0.5);
    manager.SetProbability(2, 0.5);
    KEFOHandle* bdd = KEFOHandle::AttachNewBDD(top, "BDD", Diagram(manager.CopyNode(f)));
    bdd->SetQuantificationMethod(KEFOHandle::RareEventApproximation);  // a BDD keeps the exact method
    EXPECT_EQ(bdd->GetQuantificationMethod(), KEFOHandle::ExactProbability);
    EXPECT_DOUBLE_EQ(bdd->ComputeProbabilityOfTargetVariable(), 0.75);
    EXPECT_DOUBLE_EQ(top->GetProbability(), 0.75);
    KEFOHandle* zbdd = KEFOHandle::AttachNewZBDD(top, "ZBDD", Diagram(manager.BuildMinimalCutsets(f)));
    EXPECT_DOUBLE_EQ(zbdd->ComputeProbabilityOfTargetVariable(), 0.75);  // cached
    // The other methods: the rare-event sum, the min-cut upper bound, and
    // none for an unknown one.
    EXPECT_EQ(zbdd->GetQuantificationMethod(), KEFOHandle::RareEventApproximation);
    for (std::pair<int, double> row : {std::pair<int, double>{KEFOHandle::RareEventApproximation, 1.0},
                                       {KEFOHandle::MincutUpperBound, 0.75}, {9, 0.0}}) {
        SCOPED_TRACE(row.first);
        top->ResetProbabilisticIndicators();
        zbdd->SetQuantificationMethod(row.first);
        EXPECT_DOUBLE_EQ(zbdd->ComputeProbabilityOfTargetVariable(), row.second);
    }
    manager.FreeNode(f);
}

}  // namespace
