// Properties of the preprocessing on many random small models: the Boolean
// function of the top event is kept (by each pass, and by a second run), the
// result is in normal form, and the module records agree with the definition
// of a module.
#include "io/checker.h"
#include "preprocessing/rewriter.h"
#include "preprocessing/rewriter_cone.h"
#include "preprocessing_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace kefo_test;

namespace {

TEST(RewriterProperty, PreprocessingKeepsTheFunctionAndReachesNormalForm) {
    std::mt19937 rng(20261206);
    int constantTops = 0;
    for (int trial = 0; trial < 400; ++trial) {
        RandomModel r;
        int events = 1 + static_cast<int>(rng() % 12);
        int gates = 1 + static_cast<int>(rng() % 10);
        Build(r, rng, events, gates);
        std::vector<bool> before = TruthTable(r.top, r.events);

        Messages messages;
        KEFORewriter rewriter;
        rewriter.SetMessenger(&messages.messenger);
        KEFOChecker checker;
        checker.SetMessenger(&messages.messenger);
        int errors = 0;
        rewriter.BuildPreprocessedModel(errors, r.model, r.top, &checker);

        std::vector<bool> after = TruthTable(r.top, r.events);
        ASSERT_EQ(before, after) << "trial " << trial;

        const bool allTrue = std::all_of(before.begin(), before.end(), [](bool value) { return value; });
        const bool allFalse = std::none_of(before.begin(), before.end(), [](bool value) { return value; });
        KEFOGate* definition = r.top->GetDefinitionAsGate();
        if (definition->IsConstant()) {
            // Only a constant function may end as a constant, and the check
            // then says which.
            ++constantTops;
            ASSERT_TRUE(allTrue || allFalse) << "trial " << trial;
            ASSERT_EQ(errors, 1);
            ASSERT_EQ(messages.Codes().front(), allTrue ? 11023u : 11022u);
            continue;
        }
        ASSERT_EQ(errors, 0) << "trial " << trial << " " << (messages.Texts().empty() ? "" : messages.Texts()[0]);
        // Every definition of the cone is one connective over literals.
        KEFORewriterCone cone(r.top);
        for (KEFOVariable* v : cone.GetVariables()) {
            if (v->GetDefinition() == nullptr) {
                ASSERT_TRUE(v->IsStateVariable()) << v->GetPathAsString();
                continue;
            }
            ASSERT_TRUE(KEFOChecker::IsGateBuildable(v->GetDefinitionAsGate()))
                << "trial " << trial << " " << v->GetPathAsString();
        }
        // A second run (on a quarter of the models) keeps the function and finds
        // little left to do: it may regroup, but makes no new opposites of events.
        if (trial % 4 != 0) continue;
        int declarations = r.model->GetNumberOfDeclarations();
        rewriter.BuildPreprocessedModel(errors, r.model, r.top, nullptr);
        ASSERT_EQ(errors, 0);
        ASSERT_EQ(before, TruthTable(r.top, r.events)) << "trial " << trial;
        EXPECT_LE(r.model->GetNumberOfDeclarations(), declarations + 4) << "trial " << trial;
    }
    // The generator makes a few constant tops, not only.
    EXPECT_GT(constantTops, 0);
    EXPECT_LT(constantTops, 200);
}

TEST(RewriterProperty, EachPassAloneKeepsTheFunction) {
    typedef void (KEFORewriter::*Pass)(int&, KEFOModel*, KEFOVariable*);
    const Pass passes[] = {&KEFORewriter::PushDownNegations,    &KEFORewriter::PropagateConstants,
                           &KEFORewriter::DereferenceVariables, &KEFORewriter::ModularizeSingletons,
                           &KEFORewriter::CoalesceGates,        &KEFORewriter::RemoveDuplicatedChildren,
                           &KEFORewriter::LayerModel,           &KEFORewriter::GroupChildren,
                           &KEFORewriter::DetectModules};
    std::mt19937 rng(77);
    for (int trial = 0; trial < 150; ++trial) {
        for (Pass pass : passes) {
            RandomModel r;
            Build(r, rng, 1 + static_cast<int>(rng() % 8), 1 + static_cast<int>(rng() % 8));
            std::vector<bool> before = TruthTable(r.top, r.events);
            KEFORewriter rewriter;
            int errors = 0;
            (rewriter.*pass)(errors, r.model, r.top);
            ASSERT_EQ(errors, 0);
            ASSERT_EQ(before, TruthTable(r.top, r.events)) << "trial " << trial;
        }
    }
}

TEST(RewriterProperty, ModulesAgreeWithTheBruteForceDefinition) {
    std::mt19937 rng(4242);
    int modules = 0;
    int others = 0;
    for (int trial = 0; trial < 300; ++trial) {
        RandomModel r;
        Build(r, rng, 1 + static_cast<int>(rng() % 12), 2 + static_cast<int>(rng() % 10));
        KEFORewriter rewriter;
        int errors = 0;
        // Half the models are checked as written, half once preprocessed.
        if (trial % 2 == 1) {
            rewriter.BuildPreprocessedModel(errors, r.model, r.top, nullptr);
        } else {
            rewriter.DetectModules(errors, r.model, r.top);
        }
        ASSERT_EQ(errors, 0);
        KEFORewriterCone cone(r.top);
        for (KEFOVariable* v : cone.GetVariables()) {
            if (v->IsStateVariable() || v->GetDefinition() == nullptr) {
                EXPECT_FALSE(rewriter.IsModule(v));
                continue;
            }
            bool expected = IsModuleByBruteForce(r.top, v);
            ASSERT_EQ(rewriter.IsModule(v), expected) << "trial " << trial << " " << v->GetPathAsString();
            ++(expected ? modules : others);
        }
        EXPECT_TRUE(rewriter.IsModule(r.top));
    }
    EXPECT_GT(modules, 100);
    EXPECT_GT(others, 100);
}

}  // namespace
