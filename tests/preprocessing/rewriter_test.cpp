// The rewriter's passes one by one on small models whose expected result is
// written out, with the names of the generated variables; cycles and deep
// models.
#include "io/checker.h"
#include "preprocessing/module_record.h"
#include "preprocessing/rewriter.h"
#include "preprocessing/rewriter_cone.h"
#include "preprocessing_test_support.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace kefo_test;

namespace {

// Writes a formula in a compact prefix form: references by name, constants
// as 1 and 0, connectives as name(children) with their bounds.
std::string Text(const KEFOGate* gate) {
    if (gate == nullptr) return "null";
    switch (gate->GetType()) {
    case KEFOGate::Reference: {
        const KEFOVariable* v = gate->GetReferredVariable();
        return v != nullptr ? v->GetPathAsString() : "?";
    }
    case KEFOGate::Constant:
        return gate->GetConstantValue() ? "1" : "0";
    default:
        break;
    }
    std::string text = KEFOGate::GetFunctor(gate->GetType());
    if (gate->GetType() == KEFOGate::AtLeast || gate->GetType() == KEFOGate::Cardinality) {
        text += std::to_string(gate->GetAttributeAsInt("__min__", 0));
    }
    if (gate->GetType() == KEFOGate::AtMost || gate->GetType() == KEFOGate::Cardinality) {
        text += std::to_string(gate->GetAttributeAsInt("__max__", 0));
    }
    text += "(";
    bool first = true;
    for (const KEFOTerm* c = gate->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
        if (!first) text += ",";
        first = false;
        text += Text(static_cast<const KEFOGate*>(c));
    }
    return text + ")";
}

struct RewriterFixture : ::testing::Test {
    Messages messages;
    KEFOModel model;
    KEFORewriter rewriter;
    int errors = 0;

    void SetUp() override {
        model.SetPure(true);
        rewriter.SetMessenger(&messages.messenger);
    }
    KEFOVariable* Event(const char* name) {
        KEFOVariable* e = model.NewVariable(KEFOType::StateVariable, new KEFOPath(name, true));
        e->SetProbabilityDistribution(KEFOStochasticExpression::NewReal(&model, 0.1));
        return e;
    }
    KEFOVariable* Gate(const char* name, KEFOGate* definition) {
        KEFOVariable* g = model.NewVariable(KEFOType::FlowVariable, new KEFOPath(name, true));
        g->SetDefinition(definition);
        return g;
    }
    KEFOGate* R(KEFOVariable* v) { return KEFOGate::NewVariableReference(&model, v); }
    KEFOGate* C(bool value) { return KEFOGate::NewConstant(&model, value); }
    KEFOGate* And(std::vector<KEFOGate*> c) { return KEFOGate::NewAnd(&model, c); }
    KEFOGate* Or(std::vector<KEFOGate*> c) { return KEFOGate::NewOr(&model, c); }
    KEFOGate* Not(KEFOGate* c) { return KEFOGate::NewNot(&model, c); }
    KEFOVariable* Find(const char* name) {
        bool mismatch = false;
        return model.LookForVariable(name, mismatch);
    }
    std::string Definition(const char* name) {
        KEFOVariable* v = Find(name);
        return v == nullptr ? "missing" : Text(v->GetDefinitionAsGate());
    }
};

TEST_F(RewriterFixture, GeneratedNamesTakeTheFirstFreeNumber) {
    Event("G000001");
    KEFOVariable* g = rewriter.GenerateFlowVariable(&model);
    EXPECT_STREQ(g->GetPathAsString(), "G000002");
    EXPECT_TRUE(g->IsFlowVariable());
    rewriter.SetGeneratedFlowVariablePrefix("MODULE");
    EXPECT_STREQ(rewriter.GenerateFlowVariable(&model)->GetPathAsString(), "MODULE000003");
    rewriter.Reset();
    EXPECT_STREQ(rewriter.GenerateFlowVariable(&model)->GetPathAsString(), "G000003");
}

TEST_F(RewriterFixture, DoubleNegationOfAnEventVanishes) {
    KEFOVariable* e = Event("e");
    KEFOVariable* top = Gate("top", Not(Not(R(e))));
    rewriter.PushDownNegations(errors, &model, top);
    rewriter.DereferenceVariables(errors, &model, top);
    EXPECT_EQ(Definition("top"), "e");
    EXPECT_EQ(errors, 0);
}

TEST_F(RewriterFixture, NegationsGoDownToTheEvents) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c");
    KEFOVariable* g = Gate("g", And({R(a), R(b)}));
    KEFOVariable* top = Gate("top", KEFOGate::NewNor(&model, {R(g), Not(R(c)), KEFOGate::NewAtMost(&model, 1, {R(a), R(b), R(c)})}));
    Gate("other", Or({Not(R(g)), R(a)}));
    rewriter.PushDownNegations(errors, &model, top);
    // nor(g, not c, atmost 1 (a, b, c)) = and(not g, c, atleast 2 (a, b, c)).
    EXPECT_EQ(Definition("top"), "and(not-g,c,atleast2(a,b,c))");
    EXPECT_EQ(Definition("not-g"), "or(not-a,not-b)");
    EXPECT_EQ(Definition("not-a"), "not(a)");
    // The gate itself is untouched; the other gate is not under the top.
    EXPECT_EQ(Definition("g"), "and(a,b)");
    EXPECT_EQ(Definition("other"), "or(not(g),a)");
    // Negated twice in two places: one opposite only.
    KEFOVariable* top2 = Gate("top2", Or({Not(R(g)), And({Not(R(g)), R(c)})}));
    rewriter.PushDownNegations(errors, &model, top2);
    EXPECT_EQ(Definition("top2"), "or(G000001,and(G000001,c))");
    // not-g exists already (a gate with another definition): generated name.
    EXPECT_EQ(Definition("G000001"), "or(not-a,not-b)");
}

TEST_F(RewriterFixture, CardinalityBecomesTwoCountingGates) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c");
    KEFOVariable* top = Gate("top", KEFOGate::NewCardinality(&model, 1, 2, {R(a), R(b), R(c)}));
    rewriter.PushDownNegations(errors, &model, top);
    EXPECT_EQ(Definition("top"), "and(G000001,G000002)");
    EXPECT_EQ(Definition("G000001"), "atleast1(a,b,c)");
    EXPECT_EQ(Definition("G000002"), "atleast1(not-a,not-b,not-c)");
}

TEST_F(RewriterFixture, ConstantsArePropagated) {
    KEFOVariable *a = Event("a"), *b = Event("b");
    KEFOVariable* house = model.NewVariable(KEFOType::SourceVariable, new KEFOPath("h", true));
    house->SetDefinition(C(true));
    KEFOVariable* g1 = Gate("g1", And({R(a), C(true)}));
    KEFOVariable* g2 = Gate("g2", And({R(a), C(false)}));
    KEFOVariable* g3 = Gate("g3", KEFOGate::NewAtLeast(&model, 2, {R(a), R(b), R(house)}));
    KEFOVariable* g4 = Gate("g4", KEFOGate::NewNor(&model, {R(g2), R(b)}));
    KEFOVariable* g5 = Gate("g5", KEFOGate::NewAtMost(&model, 1, {R(house), R(a)}));
    KEFOVariable* top = Gate("top", Or({R(g1), R(g2), R(g3), R(g4), R(g5)}));
    rewriter.PropagateConstants(errors, &model, top);
    EXPECT_EQ(Definition("g1"), "a");
    EXPECT_EQ(Definition("g2"), "0");
    EXPECT_EQ(Definition("g3"), "atleast1(a,b)");
    EXPECT_EQ(Definition("g4"), "not(b)");
    EXPECT_EQ(Definition("g5"), "not(a)");
    EXPECT_EQ(Definition("top"), "or(g1,g3,g4,g5)");
}

TEST_F(RewriterFixture, ChainsOfReferencesAreShortened) {
    KEFOVariable *e = Event("e"), *f = Event("f");
    KEFOVariable* g1 = Gate("g1", R(e));
    KEFOVariable* g2 = Gate("g2", Not(R(g1)));
    KEFOVariable* g3 = Gate("g3", R(g2));
    KEFOVariable* top = Gate("top", And({R(g3), Not(R(g2)), R(f)}));
    rewriter.DereferenceVariables(errors, &model, top);
    EXPECT_EQ(Definition("top"), "and(not(e),e,f)");
    EXPECT_EQ(Definition("g3"), "not(e)");
}

TEST_F(RewriterFixture, CoalescingAndDuplicates) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c");
    KEFOVariable* inner = Gate("inner", Or({R(b), R(c)}));
    KEFOVariable* top = Gate("top", Or({R(a), R(inner), R(a)}));
    Gate("user", And({R(inner), R(a)}));
    inner->SetSingleton(false);
    rewriter.CoalesceGates(errors, &model, top);
    EXPECT_EQ(Definition("top"), "or(a,b,c)");
    EXPECT_EQ(Definition("inner"), "or(b,c)");
    KEFOVariable* top2 = Gate("top2", Or({R(a), R(a), Not(R(b)), Not(R(b)), R(b)}));
    rewriter.RemoveDuplicatedChildren(errors, &model, top2);
    EXPECT_EQ(Definition("top2"), "or(a,not(b),b)");
    // A singleton is not merged.
    KEFOVariable* private_ = Gate("private", Or({R(b), R(c)}));
    private_->SetSingleton(true);
    KEFOVariable* top3 = Gate("top3", Or({R(a), R(private_)}));
    rewriter.CoalesceGates(errors, &model, top3);
    EXPECT_EQ(Definition("top3"), "or(a,private)");
}

// A variable referenced twice by one gate is merged once: its nested gates
// are not copied twice.
TEST_F(RewriterFixture, AVariableIsMergedOncePerGate) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c");
    KEFOVariable* x = Gate("x", Or({R(a), And({R(b), R(c)})}));
    KEFOVariable* y = Gate("y", Or({R(x), R(c)}));
    KEFOVariable* top = Gate("top", Or({R(x), R(y), R(x), Not(R(x))}));
    rewriter.CoalesceGates(errors, &model, top);
    EXPECT_EQ(Definition("top"), "or(a,and(b,c),c,not(x))");
}

// g0 = g1 or e0, ..., g(n-1) = gn or e(n-1), gn = en and e0: no gate is a
// singleton (e0 is shared), so every or-gate is merged into its parent.
// The top is flattened in one scan; rewriting every gate of the chain, each
// after its children, copied n * n / 2 children (200 million here).
TEST_F(RewriterFixture, ChainOfOrGatesIsFlattenedInOneScan) {
    const int n = 20000;
    std::vector<KEFOVariable*> events;
    for (int i = 0; i <= n; ++i) events.push_back(Event(("e" + std::to_string(i)).c_str()));
    std::vector<KEFOVariable*> gates;
    for (int i = 0; i <= n; ++i) gates.push_back(Gate(("g" + std::to_string(i)).c_str(), nullptr));
    for (int i = 0; i < n; ++i)
        gates[static_cast<std::size_t>(i)]->SetDefinition(
            Or({R(gates[static_cast<std::size_t>(i) + 1]), R(events[static_cast<std::size_t>(i)])}));
    gates.back()->SetDefinition(And({R(events.back()), R(events.front())}));
    KEFOChecker checker;
    checker.SetMessenger(&messages.messenger);
    rewriter.BuildPreprocessedModel(errors, &model, gates.front(), &checker);
    EXPECT_EQ(errors, 0) << (messages.Texts().empty() ? "" : messages.Texts()[0]);
    const KEFOGate* top = gates.front()->GetDefinitionAsGate();
    ASSERT_EQ(top->GetNumberOfChildren(), n + 1);
    std::string expected = "g" + std::to_string(n);
    const KEFOTerm* child = top->GetFirstChild();
    EXPECT_EQ(Text(static_cast<const KEFOGate*>(child)), expected);
    for (int i = n - 1; i >= 0; --i) {
        child = child->GetNextSibling();
        ASSERT_EQ(Text(static_cast<const KEFOGate*>(child)), "e" + std::to_string(i));
    }
    // The gates no longer under the top keep their definitions.
    EXPECT_EQ(Definition("g1"), "or(g2,e1)");
}

TEST_F(RewriterFixture, SingletonsAreGatheredIntoModules) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c"), *s = Event("s");
    KEFOVariable* g = Gate("g", And({R(c), R(s)}));
    KEFOVariable* top = Gate("top", Or({R(a), R(b), R(c), KEFOGate::NewNand(&model, {R(a), R(b)}), R(g)}));
    rewriter.ModularizeSingletons(errors, &model, top);
    // a and b occur twice, c twice; s and g once each, g's cone is not private
    // (c is shared): only s is a singleton, alone in g.
    EXPECT_FALSE(g->IsSingleton());
    EXPECT_TRUE(s->IsSingleton());
    EXPECT_EQ(Definition("top"), "or(a,b,c,nand(a,b),g)");
    KEFOVariable *d = Event("d"), *e = Event("e");
    KEFOVariable* h = Gate("h", And({R(d), R(e)}));
    KEFOVariable* top2 = Gate("top2", Or({R(a), R(h), KEFOGate::NewNand(&model, {R(b), R(c), R(a)}), R(b), R(c)}));
    KEFOVariable *x = Event("x"), *y = Event("y");
    KEFOVariable* top3 = Gate("top3", KEFOGate::NewNand(&model, {R(x), R(y), R(top2)}));
    rewriter.ModularizeSingletons(errors, &model, top3);
    // x and y go under an and, so that the nand keeps its meaning.
    EXPECT_EQ(Definition("top3"), "nand(MODULE000001,top2)");
    EXPECT_EQ(Definition("MODULE000001"), "and(x,y)");
    EXPECT_TRUE(Find("MODULE000001")->IsSingleton());
    EXPECT_STREQ(rewriter.GetGeneratedFlowVariablePrefix(), "G");
}

TEST_F(RewriterFixture, LayeringNamesNestedGates) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c");
    KEFOVariable* top = Gate("top", Or({R(a), And({R(b), Or({R(c), Not(R(a))})}), Not(R(c))}));
    rewriter.LayerModel(errors, &model, top);
    EXPECT_EQ(Definition("top"), "or(a,G000001,not(c))");
    EXPECT_EQ(Definition("G000001"), "and(b,G000002)");
    EXPECT_EQ(Definition("G000002"), "or(c,not(a))");
}

TEST_F(RewriterFixture, SharedChildrenAreGrouped) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c"), *d = Event("d"), *x = Event("x"), *y = Event("y");
    KEFOVariable* p = Gate("p", Or({R(a), R(b), R(c), R(x)}));
    KEFOVariable* q = Gate("q", Or({R(a), R(b), R(d), R(y)}));
    KEFOVariable* top = Gate("top", And({R(p), R(q)}));
    rewriter.GroupChildren(errors, &model, top);
    EXPECT_EQ(Definition("GROUP000001"), "or(a,b)");
    EXPECT_EQ(Definition("p"), "or(c,x,GROUP000001)");
    EXPECT_EQ(Definition("q"), "or(d,y,GROUP000001)");
    EXPECT_STREQ(rewriter.GetGeneratedFlowVariablePrefix(), "G");
}

TEST_F(RewriterFixture, MixedParentsAreNotGrouped) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c");
    KEFOVariable* p = Gate("p", Or({R(a), R(b), R(c)}));
    KEFOVariable* q = Gate("q", And({R(a), R(b), R(c)}));
    KEFOVariable* r = Gate("r", Or({Not(R(a)), Not(R(b)), R(c)}));
    // Parents of both connectives, or occurrences of both polarities.
    KEFOVariable* top = Gate("top", Or({R(p), R(q)}));
    KEFOVariable* top2 = Gate("top2", Or({R(p), R(r)}));
    rewriter.GroupChildren(errors, &model, top);
    rewriter.GroupChildren(errors, &model, top2);
    EXPECT_EQ(Find("GROUP000001"), nullptr);
    EXPECT_EQ(Definition("p"), "or(a,b,c)");
    // a and b occur negated in r and in s alike: grouped under not.
    KEFOVariable* s = Gate("s", And({Not(R(a)), Not(R(b)), R(c)}));
    KEFOVariable* t = Gate("t", And({Not(R(a)), Not(R(b))}));
    KEFOVariable* top3 = Gate("top3", Or({R(s), R(t), R(c)}));
    rewriter.GroupChildren(errors, &model, top3);
    EXPECT_EQ(Definition("GROUP000001"), "and(not(a),not(b))");
    EXPECT_EQ(Definition("s"), "and(c,GROUP000001)");
    EXPECT_EQ(Definition("top3"), "or(s,GROUP000001,c)");
}

TEST_F(RewriterFixture, AGateThatIsTheWholeGroupIsReplaced) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c");
    KEFOVariable* p = Gate("p", Or({R(a), R(b)}));
    KEFOVariable* q = Gate("q", Or({R(a), R(b), R(c)}));
    KEFOVariable* top = Gate("top", And({R(p), R(q), R(c)}));
    rewriter.GroupChildren(errors, &model, top);
    EXPECT_EQ(Definition("top"), "and(GROUP000001,q,c)");
    EXPECT_EQ(Definition("q"), "or(c,GROUP000001)");
}

// The brute-force agreement is a property test; here, the records of a
// second detection under another top are brought up to date.
TEST_F(RewriterFixture, ModuleRecordsFollowTheTopOfTheDetection) {
    KEFOVariable *a = Event("a"), *b = Event("b"), *c = Event("c");
    KEFOVariable* m = Gate("m", And({R(a), R(b)}));
    KEFOVariable* n = Gate("n", Or({R(b), R(c)}));
    KEFOVariable* top = Gate("top", Or({R(m), R(n), R(c)}));
    rewriter.DetectModules(errors, &model, top);
    EXPECT_TRUE(top->IsModule());
    EXPECT_FALSE(rewriter.IsModule(m));  // b is shared with n
    KEFOVariable* top2 = Gate("top2", And({R(m), R(c)}));
    rewriter.DetectModules(errors, &model, top2);
    EXPECT_TRUE(rewriter.IsModule(m));
    EXPECT_TRUE(KEFOModuleRecord::Get(m)->IsUpdated());
}

TEST_F(RewriterFixture, CyclesAndUnresolvedReferencesAreReported) {
    KEFOVariable* e = Event("e");
    KEFOVariable* g1 = Gate("g1", nullptr);
    KEFOVariable* g2 = Gate("g2", And({R(g1), R(e)}));
    g1->SetDefinition(Or({R(g2), R(e)}));
    KEFOVariable* top = Gate("top", Or({R(g1), KEFOGate::NewVariableReference(&model, KEFOType::Variable, new KEFOPath("ghost", true))}));
    KEFOChecker checker;
    rewriter.BuildPreprocessedModel(errors, &model, top, &checker);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Undeclared element ghost.", "Unable to complete declaration of g1."}));
    EXPECT_EQ(messages.Codes(), (std::vector<unsigned>{12005, 12006}));
    EXPECT_EQ(errors, 2);
    // Each pass alone ends on a cycle too.
    typedef void (KEFORewriter::*Pass)(int&, KEFOModel*, KEFOVariable*);
    for (Pass pass : {&KEFORewriter::PushDownNegations, &KEFORewriter::PropagateConstants,
                      &KEFORewriter::DereferenceVariables, &KEFORewriter::ModularizeSingletons,
                      &KEFORewriter::CoalesceGates, &KEFORewriter::RemoveDuplicatedChildren,
                      &KEFORewriter::LayerModel, &KEFORewriter::GroupChildren, &KEFORewriter::DetectModules}) {
        int count = 0;
        (rewriter.*pass)(count, &model, top);
        EXPECT_EQ(count, 0);
    }
}

TEST_F(RewriterFixture, DeepChainIsPreprocessedWithoutRecursion) {
    // g0 = e0 and (e_shared or g1), g1 = ..., 100,000 gates deep.
    const int n = 100000;
    KEFOVariable* shared = Event("shared");
    std::vector<KEFOVariable*> gates;
    for (int i = 0; i < n; ++i) gates.push_back(Gate(("g" + std::to_string(i)).c_str(), nullptr));
    for (int i = 0; i < n; ++i) {
        KEFOVariable* e = Event(("e" + std::to_string(i)).c_str());
        KEFOGate* last = i + 1 < n ? R(gates[static_cast<std::size_t>(i) + 1]) : R(shared);
        gates[static_cast<std::size_t>(i)]->SetDefinition(And({R(e), Or({R(shared), last})}));
    }
    KEFOChecker checker;
    checker.SetMessenger(&messages.messenger);
    auto start = std::chrono::steady_clock::now();
    rewriter.BuildPreprocessedModel(errors, &model, gates.front(), &checker);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(errors, 0) << (messages.Texts().empty() ? "" : messages.Texts()[0]);
    EXPECT_LT(seconds, 60.0);
    std::printf("preprocessing a chain of %d gates: %.2f s\n", n, seconds);
}

TEST(CheckerTest, DefinitionChecks) {
    Messages messages;
    KEFOChecker checker;
    checker.SetMessenger(&messages.messenger);
    KEFOModel model;
    model.SetPure(true);
    model.NewVariable(KEFOType::FlowVariable, new KEFOPath("g1", true));
    model.NewVariable(KEFOType::StateVariable, new KEFOPath("e", true));
    model.NewVariable(KEFOType::FlowVariable, new KEFOPath("g2", true));
    model.NewVariable(KEFOType::SourceVariable, new KEFOPath("h", true));
    model.NewParameter(new KEFOPath("p", true));
    model.NewVariable(KEFOType::Variable, new KEFOPath("u", true));
    int errors = 0;
    checker.CheckGateDefinitions(errors, &model);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Gate g1 is not defined", "Gate g2 is not defined",
                                                          "Gate u is not defined"}));
    EXPECT_EQ(errors, 3);
    messages.store.ResetMessages();
    errors = 0;
    checker.CheckVariableDefinitions(errors, &model);
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"Gate g1 is not defined", "Basic event e is not defined", "Gate g2 is not defined",
                                        "House event h is not defined", "Event u is not defined"}));
    messages.store.ResetMessages();
    errors = 0;
    checker.CheckModel(errors, &model);
    EXPECT_EQ(messages.Codes(), (std::vector<unsigned>{10035, 10035, 10035, 10036, 10036, 10037, 10037, 10038}));
    EXPECT_EQ(errors, 8);
}

TEST(CheckerTest, NormalForm) {
    Messages messages;
    KEFOChecker checker;
    checker.SetMessenger(&messages.messenger);
    KEFOModel model;
    model.SetPure(true);
    auto event = [&](const char* name) { return model.NewVariable(KEFOType::StateVariable, new KEFOPath(name, true)); };
    auto gate = [&](const char* name, KEFOGate* d) {
        KEFOVariable* v = model.NewVariable(KEFOType::FlowVariable, new KEFOPath(name, true));
        v->SetDefinition(d);
        return v;
    };
    KEFOVariable* a = event("a");
    KEFOVariable* b = event("b");
    KEFOVariable* c = event("c");
    auto r = [&](KEFOVariable* v) { return KEFOGate::NewVariableReference(&model, v); };
    KEFOVariable* good = gate("good", KEFOGate::NewOr(&model, {r(a), KEFOGate::NewNot(&model, r(b))}));
    int errors = 0;
    checker.CheckNormalForm(errors, &model, good);
    EXPECT_EQ(errors, 0);
    KEFOVariable* bad = gate("bad", KEFOGate::NewOr(&model, {r(a), KEFOGate::NewAnd(&model, {r(b), r(c)})}));
    KEFOVariable* top = gate("top", KEFOGate::NewAnd(&model, {r(good), r(bad)}));
    checker.CheckNormalForm(errors, &model, top);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Gate bad is not a flat formula (after pre-processing)"}));
    messages.store.ResetMessages();
    errors = 0;
    KEFOVariable* constant = gate("constant", KEFOGate::NewConstant(&model, true));
    checker.CheckNormalForm(errors, &model, constant);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Gate constant reduces to constant true (after pre-processing)"}));
    EXPECT_EQ(errors, 1);
    KEFOGate* nand = KEFOGate::NewNand(&model, {});
    EXPECT_FALSE(KEFOChecker::IsGateBuildable(nand));
    delete nand;
}

}  // namespace
