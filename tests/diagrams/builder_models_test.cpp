// The benchmark models of tests/data/models: the BDD of each top gate and
// the ZBDD of its minimal cutsets give exactly the number of minimal cutsets
// and the counts per order of REFERENCE.md, and the exact probability within
// a relative 1e-4.
#include "builder_test_support.h"

#include "diagrams/bdd_builder.h"
#include "diagrams/bdd_handle.h"
#include "diagrams/cutoff.h"
#include "diagrams/handle.h"
#include "model/expression_evaluator.h"
#include "preprocessing/ordering_manager.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Engines {
    KEFOBDDManager manager;
    KEFOOrderingManager ordering{nullptr};
    KEFOBDDBuilder builder{nullptr};
    Engines() {
        // A larger cache than the default (131072 records): edf9202 and
        // cea9601 rebuild many sub-diagrams otherwise.
        manager.ResizeCache(1 << 20);
        ordering.SetBDDManager(&manager);
        builder.SetManagers(&manager, &ordering);
    }
};

const buildertest::Reference* FindReference(const std::vector<buildertest::Reference>& references,
                                            const std::string& name) {
    for (const auto& r : references)
        if (r.model == name) return &r;
    return nullptr;
}

// The probabilities of the distributions (constants here) into the entries.
void LoadProbabilities(KEFOBDDManager& manager, KEFOVariable* top) {
    KEFOExpressionEvaluator evaluator;
    std::vector<KEFOPort*> events;
    top->CollectDescendants(KEFOType::CompareAsStateVariable, nullptr, events);
    for (KEFOPort* port : events) {
        KEFOVariable* v = static_cast<KEFOVariable*>(port);
        if (v->GetBDDIndex() > 0)
            manager.SetProbability(v->GetBDDIndex(), evaluator.EvaluateAsProbability(v->GetProbabilityDistribution(), 0));
    }
}

void ExpectOrders(KEFOHandle* handle, const std::vector<long>& perOrder) {
    int* counts = nullptr;
    int highest = 0, total = 0;
    handle->ComputeOrdersOfMinimalCutsets(counts, highest, total);
    ASSERT_NE(counts, nullptr);
    std::size_t last = perOrder.size();
    while (last > 0 && perOrder[last - 1] == 0) --last;
    EXPECT_EQ(highest, static_cast<int>(last));
    EXPECT_EQ(counts[0], 0);
    for (int k = 1; k <= highest; ++k) {
        const long expected = k <= static_cast<int>(perOrder.size()) ? perOrder[k - 1] : 0;
        EXPECT_EQ(counts[k], expected) << "order " << k;
    }
    PLOVMemoryManager::DeleteCell(counts);
}

class BenchmarkModel : public ::testing::TestWithParam<const char*> {};

TEST_P(BenchmarkModel, MinimalCutsetsAndProbabilityMatchTheReference) {
    const std::vector<buildertest::Reference> references = buildertest::ReadReferences();
    const buildertest::Reference* reference = FindReference(references, GetParam());
    ASSERT_NE(reference, nullptr);
    Engines e;
    buildertest::LoadedModel m = buildertest::LoadOpenPSAModel(GetParam());
    ASSERT_NE(m.top, nullptr);
    e.ordering.DefineOrdering(m.top, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::DFLM);
    e.builder.SetKeepIntermediateHandles(false);
    e.builder.BuildBDD(m.model.get(), m.top, "BDD");
    KEFOHandle* bdd = m.top->LookForHandle("BDD");
    ASSERT_NE(bdd, nullptr);
    ASSERT_TRUE(bdd->IsBDDHandle());
    // Parked diagrams are all dropped once used.
    std::vector<KEFOPort*> cone;
    m.top->CollectDescendants(nullptr, nullptr, cone);
    int parked = 0;
    for (KEFOPort* p : cone) parked += static_cast<KEFOVariable*>(p)->GetNumberOfHandles();
    EXPECT_EQ(parked, 0);

    e.builder.BuildZBDDFromBDD(m.model.get(), m.top, bdd, "ZBDD");
    KEFOHandle* zbdd = m.top->LookForHandle("ZBDD");
    ASSERT_NE(zbdd, nullptr);
    ASSERT_TRUE(zbdd->IsZBDDHandle());
    EXPECT_EQ(zbdd->ComputeNumberOfProducts(), reference->numberOfMinimalCutsets);
    ExpectOrders(zbdd, reference->perOrder);

    LoadProbabilities(e.manager, m.top);
    const double p = bdd->GetBDDHandle()->ComputeTopEventProbability(KEFOHandle::ExactProbability);
    EXPECT_NEAR(p, reference->exact, 1e-4 * reference->exact);
    m.model.reset();
}

INSTANTIATE_TEST_SUITE_P(Models, BenchmarkModel,
                         ::testing::Values("baobab1", "baobab2", "baobab3", "chinese", "das9201", "das9202",
                                           "das9203", "das9204", "das9205", "das9206", "das9207", "das9208",
                                           "das9601", "edf9201", "edf9202", "edf9205", "isp9601", "isp9603",
                                           "isp9604", "isp9605", "isp9606", "isp9607", "ftr10"));

// cea9601 has 130 million minimal cutsets: its cutsets up to order 3 come
// from the BDD truncated at order 3.
TEST(BenchmarkModelCea9601, CutsetsUpToOrderThree) {
    Engines e;
    buildertest::LoadedModel m = buildertest::LoadOpenPSAModel("cea9601");
    e.ordering.DefineOrdering(m.top, KEFOOrderingManager::BDDOrdering, KEFOOrderingManager::DFLM);
    e.builder.SetKeepIntermediateHandles(false);
    KEFOCutoff cutoff;
    cutoff.SetMaximumOrder(3);
    e.builder.BuildWeightedBDD(m.model.get(), m.top, &cutoff, "BDD");
    e.builder.BuildZBDDFromBDD(m.model.get(), m.top, m.top->LookForHandle("BDD"), "ZBDD");
    KEFOHandle* zbdd = m.top->LookForHandle("ZBDD");
    EXPECT_EQ(zbdd->ComputeNumberOfProducts(), 1144.0);
    EXPECT_EQ(zbdd->ComputeHighestOrderOfMinimalCutsets(), 3);
    m.model.reset();
}

}  // namespace
