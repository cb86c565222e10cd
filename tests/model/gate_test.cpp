// Gates: three-valued evaluation, queries, copies, resolution of references,
// deep and large models.
#include "model/ccf_group.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/object_comparator.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace {

// Time limits allow for the unoptimized sanitizer build.
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
const double timeScale = 10.0;
#else
const double timeScale = 1.0;
#endif

typedef KEFOVariable::Value V;

struct Gates : ::testing::Test {
    KEFOModel model;
    std::vector<KEFOVariable*> events;

    KEFOGate* Ref(int i) { return model.NewVariableReference(events[static_cast<std::size_t>(i)]); }
    std::vector<KEFOGate*> Refs(int n) {
        std::vector<KEFOGate*> refs;
        for (int i = 0; i < n; ++i) refs.push_back(Ref(i));
        return refs;
    }
    // The identifiers of the events a gate's children refer to, in order.
    static std::string Names(const KEFOGate* g) {
        std::string text;
        for (KEFOTerm* c : g->GetChildren()) text += static_cast<KEFOGate*>(c)->GetReferredVariable()->GetIdentifier();
        return text;
    }
    void SetUp() override {
        for (int i = 0; i < 5; ++i) {
            events.push_back(model.NewVariable(KEFOType::StateVariable, ("e" + std::to_string(i)).c_str()));
        }
    }
};

// Constants and unresolved references; the connectives are checked on every
// assignment below.
TEST_F(Gates, ConstantsAndUnresolvedReferences) {
    auto value = [](KEFOGate* gate) { return std::unique_ptr<KEFOGate>(gate)->ComputeValue(); };
    EXPECT_EQ(value(model.NewVariableReference(KEFOType::StateVariable, "nowhere")), V::Unknown);
    EXPECT_EQ(value(model.NewConstant(true)), V::True);
    EXPECT_EQ(value(model.NewGate(KEFOGate::Constant)), V::False);
}

// Every connective over one to four children against a direct count over all
// assignments of three values to its children.
TEST_F(Gates, ThreeValuedEvaluationMatchesTheCountingRuleOnAllAssignments) {
    for (int n = 1; n <= 4; ++n) {
        std::vector<std::unique_ptr<KEFOGate>> gates;
        gates.emplace_back(model.NewAnd(Refs(n)));
        gates.emplace_back(model.NewOr(Refs(n)));
        gates.emplace_back(model.NewNand(Refs(n)));
        gates.emplace_back(model.NewNor(Refs(n)));
        gates.emplace_back(model.NewAtLeast(2, Refs(n)));
        gates.emplace_back(model.NewAtMost(1, Refs(n)));
        gates.emplace_back(model.NewCardinality(1, 2, Refs(n)));
        if (n == 1) gates.emplace_back(model.NewNot(Ref(0)));
        // Two-valued meaning of each gate from the number of true children.
        auto meaning = [n](int type, int trues) {
            switch (type) {
            case KEFOGate::And: return trues == n;
            case KEFOGate::Or: return trues >= 1;
            case KEFOGate::Nand: return trues < n;
            case KEFOGate::Nor:
            case KEFOGate::Not: return trues == 0;
            case KEFOGate::AtLeast: return trues >= 2;
            case KEFOGate::AtMost: return trues <= 1;
            default: return trues >= 1 && trues <= 2;
            }
        };
        int assignments = 1;
        for (int i = 0; i < n; ++i) assignments *= 3;
        for (int code = 0; code < assignments; ++code) {
            V v[4];
            for (int i = 0, c = code; i < n; ++i, c /= 3) events[static_cast<std::size_t>(i)]->SetValue(v[i] = V(c % 3));
            for (auto& g : gates) {
                // The exact value over completions of the unknowns: true (false)
                // when every completion is true (false), else unknown.
                bool anyTrue = false;
                bool anyFalse = false;
                for (int completion = 0; completion < (1 << n); ++completion) {
                    int trues = 0;
                    for (int i = 0; i < n; ++i) trues += v[i] == V::True || (v[i] == V::Unknown && (completion >> i & 1));
                    (meaning(g->GetType(), trues) ? anyTrue : anyFalse) = true;
                }
                V expected = anyTrue && anyFalse ? V::Unknown : (anyTrue ? V::True : V::False);
                EXPECT_EQ(g->ComputeValue(), expected) << "gate " << g->GetType() << " of " << n << ", code " << code;
            }
        }
    }
}

TEST_F(Gates, QueriesAndMutation) {
    std::unique_ptr<KEFOGate> g(model.NewOr({Ref(0), model.NewNot(Ref(1))}));
    EXPECT_TRUE(g->IsNormalized());
    EXPECT_TRUE(g->IsAssociative());
    EXPECT_STREQ(g->GetAttributeAsString("__FUNCTOR__"), "or");
    EXPECT_TRUE(KEFOGate::AsGate(g->GetChild(2))->IsLiteral());
    EXPECT_TRUE(KEFOGate::AsGate(g->GetChild(1))->IsStateVariableReference());
    EXPECT_FALSE(KEFOGate::AsGate(g->GetChild(1))->IsFlowVariableReference());
    g->AppendChild(model.NewAnd({Ref(2), Ref(3)}));
    EXPECT_FALSE(g->IsNormalized());
    EXPECT_EQ(KEFOGate::GetType("xor"), -1);
    EXPECT_EQ(KEFOGate::GetFunctor(KEFOGate::Reference), nullptr);
    g->MuteToConstant(true);
    EXPECT_TRUE(g->IsConstantTrue());
    EXPECT_EQ(g->GetNumberOfChildren(), 0);
    EXPECT_FALSE(g->HasAttribute("__FUNCTOR__"));
    EXPECT_EQ(g->ComputeValue(), V::True);
}

TEST_F(Gates, ChildOperationsKeepOrder) {
    std::unique_ptr<KEFOGate> g(model.NewAnd({Ref(0), Ref(1)}));
    KEFOTerm* first = g->GetChild(1);
    KEFOTerm* second = g->GetChild(2);
    g->PrependChild(Ref(2));
    g->AddChildAfter(first, Ref(3));
    g->AddChildBefore(second, Ref(4));
    EXPECT_EQ(Names(g.get()), "e2e0e3e4e1");
    EXPECT_EQ(g->GetNumberOfChildren(), 5);
    KEFOTerm* removed = g->SubstituteChild(first, Ref(1));
    EXPECT_EQ(Names(g.get()), "e2e1e3e4e1");
    EXPECT_EQ(removed->GetParent(), nullptr);
    delete removed;
    g->DeleteChild(g->GetChild(1));
    EXPECT_EQ(Names(g.get()), "e1e3e4e1");
    // A child moved to another parent leaves the first.
    std::unique_ptr<KEFOGate> other(model.NewOr());
    other->AppendChild(g->GetChild(1));
    EXPECT_EQ(Names(g.get()), "e3e4e1");
    EXPECT_EQ(other->GetNumberOfChildren(), 1);
    EXPECT_EQ(g->GetChild(0), nullptr);
    EXPECT_EQ(g->GetChild(4), nullptr);
}

TEST_F(Gates, SortsAndAttributeArithmeticOverReferencedPorts) {
    for (int i = 0; i < 4; ++i) events[static_cast<std::size_t>(i)]->SetAttribute("__DEPTH__", static_cast<double>(3 - i % 3));
    // depths: e0 3, e1 2, e2 1, e3 3
    std::unique_ptr<KEFOGate> g(model.NewOr(Refs(4)));
    EXPECT_EQ(g->GetMinimumOfAttributesOfReferencedPorts("__DEPTH__"), 1.0);
    EXPECT_EQ(g->GetMaximumOfAttributesOfReferencedPorts("__DEPTH__"), 3.0);
    EXPECT_EQ(g->GetSumOfAttributesOfReferencedPorts("__DEPTH__"), 9.0);
    g->SortChildrenInIncreasingOrderOfAttributeValue("__DEPTH__");
    EXPECT_EQ(Names(g.get()), "e2e1e0e3");  // stable: e0 before e3
    g->SortChildrenInDecreasingOrderOfAttributeValue("__DEPTH__");
    EXPECT_EQ(Names(g.get()), "e0e3e1e2");
    std::unique_ptr<KEFOGate> nested(model.NewAnd({model.NewOr({Ref(0), Ref(1)}), Ref(2)}));
    nested->SynthesizeAttributesFromAsMinimumOfAttributesOfReferredPorts("__DEPTH__");
    EXPECT_EQ(nested->GetAttributeAsDouble("__DEPTH__"), 1.0);
    EXPECT_EQ(nested->GetChild(1)->GetAttributeAsDouble("__DEPTH__"), 2.0);
    nested->SynthesizeAttributesFromAsMaximumOfAttributesOfReferredPorts("__DEPTH__");
    EXPECT_EQ(nested->GetAttributeAsDouble("__DEPTH__"), 3.0);
    nested->ResetAttributes("__DEPTH__");
    EXPECT_FALSE(nested->GetChild(1)->HasAttribute("__DEPTH__"));
    EXPECT_TRUE(events[0]->HasAttribute("__DEPTH__"));
    // With an object comparator on a string attribute.
    int i = 0;
    for (KEFOTerm* c : g->GetChildren()) c->SetAttribute("key", std::string(1, static_cast<char>('d' - i++)).c_str());
    g->SortChildren(KEFOObjectComparator(KEFOObjectComparator::IncreasingString, "key"));
    EXPECT_STREQ(g->GetChild(1)->GetAttributeAsString("key"), "a");
    EXPECT_STREQ(g->GetChild(4)->GetAttributeAsString("key"), "d");
    KEFOObjectComparator decreasing(KEFOObjectComparator::DecreasingInteger, "n");
    events[0]->SetAttribute("n", 1);
    events[1]->SetAttribute("n", 2);
    EXPECT_GT(decreasing.Compare(events[0], events[1]), 0);
}

TEST_F(Gates, CopiesAreDeepAndIndependent) {
    std::unique_ptr<KEFOGate> g(model.NewCardinality(1, 2, {Ref(0), model.NewVariableReference(KEFOType::Variable, "b.x"),
                                                          model.NewNot(model.NewConstant(true))}));
    KEFOBlock* other = model.NewBlock("other");
    std::unique_ptr<KEFOGate> copy(KEFOGate::Copy(other, g.get()));
    EXPECT_EQ(copy->GetOwner(), other);
    EXPECT_EQ(copy->GetType(), KEFOGate::Cardinality);
    EXPECT_EQ(copy->GetMin(), 1);
    EXPECT_EQ(copy->GetMax(), 2);
    ASSERT_EQ(copy->GetNumberOfChildren(), 3);
    EXPECT_EQ(static_cast<KEFOGate*>(copy->GetChild(1))->GetReferredVariable(), events[0]);
    EXPECT_STREQ(copy->GetChild(2)->GetReferredPortPathAsString(), "b.x");
    EXPECT_NE(copy->GetChild(2)->GetReferredPortPath(), g->GetChild(2)->GetReferredPortPath());
    EXPECT_EQ(copy->GetChild(2)->GetReferredPortType(), KEFOType::Variable);
    EXPECT_TRUE(static_cast<KEFOGate*>(copy->GetChild(3)->GetChild(1))->IsConstantTrue());
    EXPECT_EQ(copy->GetChild(3)->GetChild(1)->GetOwner(), other);
    g.reset();
    EXPECT_STREQ(copy->GetChild(2)->GetReferredPortPathAsString(), "b.x");
}

TEST(Resolution, ReferencesResolveFromTheirContextAndTakeTheActualType) {
    KEFOModel model;
    KEFOBlock* b = model.NewBlock("b");
    KEFOVariable* x = b->NewVariable(KEFOType::StateVariable, "x");
    KEFOVariable* h = b->NewVariable(KEFOType::SourceVariable, "h");
    KEFOVariable* top = model.NewVariable(KEFOType::FlowVariable, "top");
    KEFOVariable* inner = b->NewVariable(KEFOType::FlowVariable, "inner");
    KEFOParameter* lambda = model.NewParameter("lambda");
    KEFOParameter* mu = b->NewParameter("mu");
    lambda->SetDefinition(model.NewRealExpression(1e-3));
    mu->SetDefinition(b->NewStochasticExpression(KEFOStochasticExpression::Mul, b->NewParameterReference("owner.lambda"),
                                                 b->NewRealExpression(2.0)));
    x->SetProbabilityDistribution(
        b->NewStochasticExpression(KEFOStochasticExpression::Exponential, b->NewParameterReference("mu")));
    top->SetDefinition(model.NewOr({model.NewVariableReference(KEFOType::Variable, "b.x"),
                                    model.NewVariableReference(KEFOType::FlowVariable, "b.x"),  // wrong kind
                                    model.NewVariableReference(KEFOType::Variable, "b.missing"),
                                    model.NewVariableReference(KEFOType::SourceVariable, "b.h")}));
    inner->SetDefinition(b->NewAnd({b->NewVariableReference(KEFOType::StateVariable, "x"),
                                    b->NewVariableReference(KEFOType::FlowVariable, "main.top")}));
    KEFOCCFGroup* g = b->NewCCFGroup(KEFOType::BetaFactorCCFGroup, "g");
    g->AddMember(b->NewVariableReference(KEFOType::StateVariable, "x"));
    g->AddFactor(b->NewParameterReference("mu"));
    g->SetDistribution(b->NewParameterReference("main.lambda"));

    model.UpdateInternalReferencesInDeclarations();
    KEFOGate* d = top->GetDefinitionAsGate();
    EXPECT_EQ(d->GetChild(1)->GetReferredPort(), x);
    EXPECT_EQ(d->GetChild(1)->GetReferredPortType(), KEFOType::StateVariable);
    EXPECT_EQ(d->GetChild(2)->GetReferredPort(), nullptr);
    EXPECT_EQ(d->GetChild(3)->GetReferredPort(), nullptr);
    EXPECT_EQ(d->GetChild(4)->GetReferredPort(), h);
    EXPECT_TRUE(static_cast<KEFOGate*>(d->GetChild(4))->IsSourceVariableReference());
    KEFOGate* e = inner->GetDefinitionAsGate();
    EXPECT_EQ(e->GetChild(1)->GetReferredPort(), x);
    EXPECT_EQ(e->GetChild(2)->GetReferredPort(), top);
    EXPECT_EQ(mu->GetDefinition()->GetChild(1)->GetReferredPort(), lambda);
    EXPECT_EQ(x->GetProbabilityDistribution()->GetChild(1)->GetReferredPort(), mu);
    EXPECT_EQ(g->GetMemberVariable(1), x);
    EXPECT_EQ(x->GetCCFGroup(), g);
    EXPECT_EQ(g->GetFactor(1)->GetReferredPort(), mu);
    EXPECT_EQ(g->GetDistribution()->GetReferredPort(), lambda);

    std::vector<KEFOParameter*> parameters;
    x->CollectParameters(parameters);
    EXPECT_EQ(parameters, (std::vector<KEFOParameter*>{mu, lambda}));

    std::vector<KEFOPort*> children;
    top->CollectChildren(nullptr, nullptr, children);
    EXPECT_EQ(children, (std::vector<KEFOPort*>{x, h}));
    std::vector<KEFOPort*> descendants;
    inner->CollectDescendants(nullptr, nullptr, descendants);
    EXPECT_EQ(descendants, (std::vector<KEFOPort*>{x, top, h}));

    std::vector<KEFOPort*> ordered;
    b->BuildPostOrderedListOfPorts(KEFOPort::CompareAsAnyPort, nullptr, ordered);
    // x before inner (which refers to it); ports of other containers are left out.
    EXPECT_EQ(ordered, (std::vector<KEFOPort*>{x, h, inner, mu}));

    // The CCF link is cleared when the group goes.
    b->DeleteDeclaration(g);
    EXPECT_EQ(x->GetCCFGroup(), nullptr);
}

TEST(Resolution, ValuesOfTheModelInDependencyOrder) {
    KEFOModel model;
    KEFOVariable* a = model.NewVariable(KEFOType::StateVariable, "a");
    KEFOVariable* b = model.NewVariable(KEFOType::StateVariable, "b");
    KEFOVariable* top = model.NewVariable(KEFOType::FlowVariable, "top");  // declared before its children
    KEFOVariable* g1 = model.NewVariable(KEFOType::FlowVariable, "g1");
    KEFOVariable* h = model.NewVariable(KEFOType::SourceVariable, "h");
    top->SetDefinition(model.NewAnd({model.NewVariableReference(g1), model.NewVariableReference(h)}));
    g1->SetDefinition(model.NewOr({model.NewVariableReference(a), model.NewVariableReference(b)}));
    h->SetDefinition(model.NewConstant(true));
    model.ResetValues(KEFOVariable::False, KEFOVariable::Unknown);
    EXPECT_EQ(h->GetValue(), KEFOVariable::Unknown);
    a->SetValue(KEFOVariable::True);
    model.ComputeValues();
    EXPECT_EQ(g1->GetValue(), KEFOVariable::True);
    EXPECT_EQ(h->GetValue(), KEFOVariable::True);
    EXPECT_EQ(top->GetValue(), KEFOVariable::True);
    a->SetValue(KEFOVariable::False);
    model.ComputeValues(std::vector<KEFOVariable*>{top, g1});
    EXPECT_EQ(top->GetValue(), KEFOVariable::False);
    // A cycle does not loop.
    g1->SetDefinition(model.NewOr({model.NewVariableReference(top)}));
    model.ComputeValues();
}

TEST(Resolution, LocalReferenceCountsDescendOnce) {
    KEFOModel model;
    KEFOVariable* e = model.NewVariable(KEFOType::StateVariable, "e");
    KEFOVariable* shared = model.NewVariable(KEFOType::FlowVariable, "shared");
    KEFOVariable* left = model.NewVariable(KEFOType::FlowVariable, "left");
    KEFOVariable* right = model.NewVariable(KEFOType::FlowVariable, "right");
    KEFOVariable* top = model.NewVariable(KEFOType::FlowVariable, "top");
    shared->SetDefinition(model.NewOr({model.NewVariableReference(e), model.NewVariableReference(e)}));
    left->SetDefinition(model.NewAnd({model.NewVariableReference(shared), model.NewVariableReference(e)}));
    right->SetDefinition(model.NewAnd({model.NewVariableReference(shared), model.NewVariableReference(shared)}));
    top->SetDefinition(model.NewOr({model.NewVariableReference(left), model.NewVariableReference(right)}));
    top->ResetLocalReferenceCounts();
    EXPECT_EQ(shared->GetLocalReferenceCount(), 3);
    EXPECT_FALSE(shared->IsSingleton());
    EXPECT_EQ(left->GetLocalReferenceCount(), 1);
    EXPECT_TRUE(left->IsSingleton());
    EXPECT_EQ(right->GetLocalReferenceCount(), 1);
}

// A chain of gates g0 = and(g1, e0), g1 = and(g2, e1), ... and a formula
// nested as deeply: every walk must finish without exhausting the stack.
TEST(DeepModels, ChainOfOneHundredThousandGatesIsWalkedIteratively) {
    const int n = 100000;
    auto model = std::make_unique<KEFOModel>();
    std::vector<KEFOVariable*> gates;
    for (int i = 0; i < n; ++i) gates.push_back(model->NewVariable(KEFOType::FlowVariable, ("g" + std::to_string(i)).c_str()));
    KEFOVariable* leaf = model->NewVariable(KEFOType::StateVariable, "leaf");
    for (int i = 0; i < n; ++i) {
        std::string next = i + 1 < n ? "g" + std::to_string(i + 1) : "leaf";
        gates[static_cast<std::size_t>(i)]->SetDefinition(
            model->NewAnd({model->NewVariableReference(KEFOType::Variable, next.c_str()), model->NewConstant(true)}));
    }
    model->UpdateInternalReferencesInDeclarations();
    EXPECT_EQ(gates[static_cast<std::size_t>(n - 1)]->GetDefinition()->GetChild(1)->GetReferredPort(), leaf);

    model->ResetFlags(0);
    gates[0]->SetFlagsOfDescendants(7);
    EXPECT_EQ(leaf->GetFlag(), 7);
    std::vector<KEFOPort*> descendants;
    gates[0]->CollectDescendants(nullptr, nullptr, descendants);
    EXPECT_EQ(descendants.size(), static_cast<std::size_t>(n));
    std::vector<KEFOPort*> ordered;
    model->BuildPostOrderedListOfPorts(nullptr, nullptr, ordered);
    ASSERT_EQ(ordered.size(), static_cast<std::size_t>(n + 1));
    EXPECT_EQ(ordered.front(), leaf);
    EXPECT_EQ(ordered.back(), gates[0]);
    leaf->SetValue(KEFOVariable::True);
    model->ComputeValues();
    EXPECT_EQ(gates[0]->GetValue(), KEFOVariable::True);
    gates[0]->ResetLocalReferenceCounts();
    EXPECT_TRUE(gates[static_cast<std::size_t>(n - 1)]->IsSingleton());
    gates[0]->ResetAttributeOfDescendants("__DEPTH__");

    // One formula nested n deep: evaluation, copy, resolution, deletion.
    KEFOGate* nested = model->NewVariableReference(KEFOType::Variable, "leaf");
    for (int i = 0; i < n; ++i) nested = model->NewNot(nested);
    KEFOVariable* deep = model->NewVariable(KEFOType::FlowVariable, "deep");
    deep->SetDefinition(nested);
    model->UpdateInternalReferencesInDeclarations();
    EXPECT_EQ(nested->ComputeValue(), KEFOVariable::True);  // an even number of negations
    std::unique_ptr<KEFOGate> copy(KEFOGate::Copy(model.get(), nested));
    EXPECT_EQ(copy->ComputeValue(), KEFOVariable::True);
    std::vector<KEFOPort*> referred;
    copy->CollectReferredPorts(referred);
    EXPECT_EQ(referred, (std::vector<KEFOPort*>{leaf}));
    copy.reset();
    model.reset();  // deletes the chain and the nested formula
}

TEST(DeepModels, NestedBlocksAreDeletedWithoutRecursion) {
    auto model = std::make_unique<KEFOModel>();
    KEFOBlock* block = model.get();
    for (int i = 0; i < 100000; ++i) block = block->NewBlock("b");
    block->NewVariable(KEFOType::StateVariable, "x");
    bool mismatch = false;
    EXPECT_EQ(block->LookForVariable("main.b.b.b", mismatch), nullptr);  // b is a block
    EXPECT_TRUE(mismatch);
    std::string path = "main";
    for (int i = 0; i < 100000; ++i) path += ".b";
    EXPECT_NE(model->LookForVariable((path + ".x").c_str(), mismatch), nullptr);
    EXPECT_FALSE(mismatch);
    model->UpdateInternalReferencesInDeclarations();
    model.reset();
}

// 100,000 events under or-gates of ten, built by path and resolved.
TEST(LargeModels, BuildingAndResolvingOneHundredThousandVariablesIsFast) {
    const int n = 100000;
    auto start = std::chrono::steady_clock::now();
    auto model = std::make_unique<KEFOModel>();
    model->SetPure(true);
    std::mt19937 random(5);
    for (int i = 0; i < n; ++i) {
        KEFOVariable* e = model->NewVariable(KEFOType::StateVariable, ("e" + std::to_string(i)).c_str());
        e->SetProbabilityDistribution(KEFOStochasticExpression::New(
            model.get(), KEFOStochasticExpression::Exponential, model->NewParameterReference("lambda")));
    }
    model->NewParameter("lambda")->SetDefinition(model->NewRealExpression(1e-4));
    for (int i = 0; i < n / 10; ++i) {
        std::vector<KEFOGate*> children;
        for (int k = 0; k < 10; ++k) {
            children.push_back(model->NewVariableReference(KEFOType::Variable,
                                                           ("e" + std::to_string(random() % n)).c_str()));
        }
        model->NewVariable(KEFOType::FlowVariable, ("g" + std::to_string(i)).c_str())->SetDefinition(model->NewOr(children));
    }
    model->UpdateInternalReferencesInDeclarations();
    bool mismatch = false;
    int found = 0;
    for (int i = 0; i < n; ++i) {
        if (model->LookForVariable(("e" + std::to_string(i)).c_str(), mismatch) != nullptr) ++found;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(found, n);
    KEFOVariable* g0 = model->LookForVariable("g0", mismatch);
    ASSERT_NE(g0, nullptr);
    for (KEFOTerm* c : g0->GetDefinition()->GetChildren()) EXPECT_NE(c->GetReferredPort(), nullptr);
    // The bound only catches quadratic behaviour (minutes at this size); the
    // figure itself is measured by the model benchmark on a quiet machine.
    EXPECT_LT(seconds, 20.0 * timeScale) << "building, resolving and looking up took " << seconds << " s";
    model.reset();
}

}  // namespace
