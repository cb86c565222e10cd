// The rewriter's passes one by one on small models read from short texts,
// whose expected result is written out with the names of the generated
// variables; cycles and deep models; the checks of the checker.
#include "io/checker.h"
#include "io/model_parser.h"
#include "preprocessing/module_record.h"
#include "preprocessing/rewriter.h"
#include "preprocessing_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

using namespace kefo_test;

namespace {

// Writes a formula in a compact prefix form: references by name, constants
// as 1 and 0, connectives as name(children) with their bounds.
std::string Text(const KEFOGate* gate) {
    if (gate == nullptr) return "null";
    const int type = gate->GetType();
    if (type == KEFOGate::Reference) {
        const KEFOVariable* v = gate->GetReferredVariable();
        return v != nullptr ? v->GetPathAsString() : "?";
    }
    if (type == KEFOGate::Constant) return gate->GetConstantValue() ? "1" : "0";
    std::string text = KEFOGate::GetFunctor(type);
    if (type == KEFOGate::AtLeast || type == KEFOGate::Cardinality)
        text += std::to_string(gate->GetAttributeAsInt("__min__", 0));
    if (type == KEFOGate::AtMost || type == KEFOGate::Cardinality)
        text += std::to_string(gate->GetAttributeAsInt("__max__", 0));
    text += "(";
    for (const KEFOTerm* c = gate->GetFirstChild(); c != nullptr; c = c->GetNextSibling())
        text += (c == gate->GetFirstChild() ? "" : ",") + Text(static_cast<const KEFOGate*>(c));
    return text + ")";
}

struct RewriterFixture : ::testing::Test {
    Messages messages;
    KEFOModel model;
    KEFORewriter rewriter;
    KEFOChecker checker;
    int errors = 0;

    void SetUp() override {
        model.SetPure(true);
        rewriter.SetMessenger(&messages.messenger);
        checker.SetMessenger(&messages.messenger);
    }
    KEFOVariable* Event(const char* name) {
        KEFOVariable* e = model.NewVariable(KEFOType::StateVariable, new KEFOPath(name, true));
        e->SetProbabilityDistribution(KEFOStochasticExpression::NewReal(&model, 0.1));
        return e;
    }
    KEFOGate* R(KEFOVariable* v) { return KEFOGate::NewVariableReference(&model, v); }
    KEFOVariable* Find(const char* name) {
        bool mismatch = false;
        return model.LookForVariable(name, mismatch);
    }
    // Declares basic events of probability 0.1, then reads the gates and
    // house events written in the textual language.
    void Load(std::initializer_list<const char*> events, const std::string& text) {
        for (const char* name : events) Event(name);
        KEFOModelParser parser;
        int count = 0;
        parser.ParseModelAtQOLNFormatFromText(count, text, "m.sbe", &model);
        ASSERT_EQ(count, 0) << text.substr(0, 200);
        model.UpdateInternalReferencesInDeclarations();
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

TEST_F(RewriterFixture, NegationsGoDownToTheEvents) {
    Load({"a", "b", "c"}, "gate g = a and b;\ngate top = nor(g, not c, atmost 1 (a, b, c));\ngate other = not g or a;\n"
                          "gate top2 = not g or (not g and c);\n");
    rewriter.PushDownNegations(errors, &model, Find("top"));
    // nor(g, not c, atmost 1 (a, b, c)) = and(not g, c, atleast 2 (a, b, c)).
    EXPECT_EQ(Definition("top"), "and(not-g,c,atleast2(a,b,c))");
    EXPECT_EQ(Definition("not-g"), "or(not-a,not-b)");
    EXPECT_EQ(Definition("not-a"), "not(a)");
    // The gate itself is untouched; the other gate is not under the top.
    EXPECT_EQ(Definition("g"), "and(a,b)");
    EXPECT_EQ(Definition("other"), "or(not(g),a)");
    // Negated twice in two places: one opposite only.
    rewriter.PushDownNegations(errors, &model, Find("top2"));
    EXPECT_EQ(Definition("top2"), "or(G000001,and(G000001,c))");
    // not-g exists already (a gate with another definition): generated name.
    EXPECT_EQ(Definition("G000001"), "or(not-a,not-b)");
}

TEST_F(RewriterFixture, CardinalityBecomesTwoCountingGates) {
    Load({"a", "b", "c"}, "gate top = cardinality 1, 2 (a, b, c);\n");
    rewriter.PushDownNegations(errors, &model, Find("top"));
    EXPECT_EQ(Definition("top"), "and(G000001,G000002)");
    EXPECT_EQ(Definition("G000001"), "atleast1(a,b,c)");
    EXPECT_EQ(Definition("G000002"), "atleast1(not-a,not-b,not-c)");
}

TEST_F(RewriterFixture, ConstantsArePropagated) {
    Load({"a", "b"}, "house-event h = true;\ngate g1 = a and true;\ngate g2 = a and false;\n"
                     "gate g3 = atleast 2 (a, b, h);\ngate g4 = nor(g2, b);\ngate g5 = atmost 1 (h, a);\n"
                     "gate top = g1 or g2 or g3 or g4 or g5;\n");
    rewriter.PropagateConstants(errors, &model, Find("top"));
    EXPECT_EQ(Definition("g1"), "a");
    EXPECT_EQ(Definition("g2"), "0");
    EXPECT_EQ(Definition("g3"), "atleast1(a,b)");
    EXPECT_EQ(Definition("g4"), "not(b)");
    EXPECT_EQ(Definition("g5"), "not(a)");
    EXPECT_EQ(Definition("top"), "or(g1,g3,g4,g5)");
}

TEST_F(RewriterFixture, ChainsOfReferencesAreShortened) {
    Load({"e", "f"}, "gate g1 = e;\ngate g2 = not g1;\ngate g3 = g2;\ngate top = g3 and not g2 and f;\n");
    rewriter.DereferenceVariables(errors, &model, Find("top"));
    EXPECT_EQ(Definition("top"), "and(not(e),e,f)");
    EXPECT_EQ(Definition("g3"), "not(e)");
}

TEST_F(RewriterFixture, CoalescingAndDuplicates) {
    Load({"a", "b", "c"}, "gate inner = b or c;\ngate top = a or inner or a;\ngate user = inner and a;\n"
                          "gate top2 = a or a or not b or not b or b;\n"
                          "gate private = b or c;\ngate top3 = a or private;\n");
    Find("inner")->SetSingleton(false);
    rewriter.CoalesceGates(errors, &model, Find("top"));
    EXPECT_EQ(Definition("top"), "or(a,b,c)");
    EXPECT_EQ(Definition("inner"), "or(b,c)");
    rewriter.RemoveDuplicatedChildren(errors, &model, Find("top2"));
    EXPECT_EQ(Definition("top2"), "or(a,not(b),b)");
    // A singleton is not merged.
    Find("private")->SetSingleton(true);
    rewriter.CoalesceGates(errors, &model, Find("top3"));
    EXPECT_EQ(Definition("top3"), "or(a,private)");
}

// A variable referenced twice by one gate is merged once: its nested gates
// are not copied twice.
TEST_F(RewriterFixture, AVariableIsMergedOncePerGate) {
    Load({"a", "b", "c"}, "gate x = a or (b and c);\ngate y = x or c;\ngate top = x or y or x or not x;\n");
    rewriter.CoalesceGates(errors, &model, Find("top"));
    EXPECT_EQ(Definition("top"), "or(a,and(b,c),c,not(x))");
}

// g0 = g1 or e0, ..., g(n-1) = gn or e(n-1), gn = en and e0: no gate is a
// singleton (e0 is shared), so every or-gate is merged into its parent.
// The top is flattened in one scan; rewriting every gate of the chain, each
// after its children, copied n * n / 2 children (200 million here).
TEST_F(RewriterFixture, ChainOfOrGatesIsFlattenedInOneScan) {
    const int n = 20000;
    std::string text;
    for (int i = 0; i <= n; ++i) text += "basic-event e" + std::to_string(i) + " = 0.1;\n";
    for (int i = 0; i < n; ++i)
        text += "gate g" + std::to_string(i) + " = g" + std::to_string(i + 1) + " or e" + std::to_string(i) + ";\n";
    Load({}, text + "gate g" + std::to_string(n) + " = e" + std::to_string(n) + " and e0;\n");
    rewriter.BuildPreprocessedModel(errors, &model, Find("g0"), &checker);
    EXPECT_EQ(errors, 0) << (messages.Texts().empty() ? "" : messages.Texts()[0]);
    const KEFOGate* top = Find("g0")->GetDefinitionAsGate();
    ASSERT_EQ(top->GetNumberOfChildren(), n + 1);
    const KEFOTerm* child = top->GetFirstChild();
    EXPECT_EQ(Text(static_cast<const KEFOGate*>(child)), "g" + std::to_string(n));
    for (int i = n - 1; i >= 0; --i) {
        child = child->GetNextSibling();
        ASSERT_EQ(Text(static_cast<const KEFOGate*>(child)), "e" + std::to_string(i));
    }
    // The gates no longer under the top keep their definitions.
    EXPECT_EQ(Definition("g1"), "or(g2,e1)");
}

TEST_F(RewriterFixture, SingletonsAreGatheredIntoModules) {
    Load({"a", "b", "c", "s", "d", "e", "x", "y"},
         "gate g = c and s;\ngate top = a or b or c or nand(a, b) or g;\ngate h = d and e;\n"
         "gate top2 = a or h or nand(b, c, a) or b or c;\ngate top3 = nand(x, y, top2);\n");
    rewriter.ModularizeSingletons(errors, &model, Find("top"));
    // a and b occur twice, c twice; s and g once each, g's cone is not private
    // (c is shared): only s is a singleton, alone in g.
    EXPECT_FALSE(Find("g")->IsSingleton());
    EXPECT_TRUE(Find("s")->IsSingleton());
    EXPECT_EQ(Definition("top"), "or(a,b,c,nand(a,b),g)");
    rewriter.ModularizeSingletons(errors, &model, Find("top3"));
    // x and y go under an and, so that the nand keeps its meaning.
    EXPECT_EQ(Definition("top3"), "nand(MODULE000001,top2)");
    EXPECT_EQ(Definition("MODULE000001"), "and(x,y)");
    EXPECT_TRUE(Find("MODULE000001")->IsSingleton());
    EXPECT_STREQ(rewriter.GetGeneratedFlowVariablePrefix(), "G");
}

TEST_F(RewriterFixture, LayeringNamesNestedGates) {
    Load({"a", "b", "c"}, "gate top = a or (b and (c or not a)) or not c;\n");
    rewriter.LayerModel(errors, &model, Find("top"));
    EXPECT_EQ(Definition("top"), "or(a,G000001,not(c))");
    EXPECT_EQ(Definition("G000001"), "and(b,G000002)");
    EXPECT_EQ(Definition("G000002"), "or(c,not(a))");
}

TEST_F(RewriterFixture, SharedChildrenAreGrouped) {
    Load({"a", "b", "c", "d", "x", "y"},
         "gate p = a or b or c or x;\ngate q = a or b or d or y;\ngate top = p and q;\n");
    rewriter.GroupChildren(errors, &model, Find("top"));
    EXPECT_EQ(Definition("GROUP000001"), "or(a,b)");
    EXPECT_EQ(Definition("p"), "or(c,x,GROUP000001)");
    EXPECT_EQ(Definition("q"), "or(d,y,GROUP000001)");
    EXPECT_STREQ(rewriter.GetGeneratedFlowVariablePrefix(), "G");
}

TEST_F(RewriterFixture, MixedParentsAreNotGrouped) {
    // Parents of both connectives, or occurrences of both polarities.
    Load({"a", "b", "c"}, "gate p = a or b or c;\ngate q = a and b and c;\ngate r = not a or not b or c;\n"
                          "gate top = p or q;\ngate top2 = p or r;\n");
    rewriter.GroupChildren(errors, &model, Find("top"));
    rewriter.GroupChildren(errors, &model, Find("top2"));
    EXPECT_EQ(Find("GROUP000001"), nullptr);
    EXPECT_EQ(Definition("p"), "or(a,b,c)");
    // a and b occur negated in r and in s alike: grouped under not.
    Load({}, "gate s = not a and not b and c;\ngate t = not a and not b;\ngate top3 = s or t or c;\n");
    rewriter.GroupChildren(errors, &model, Find("top3"));
    EXPECT_EQ(Definition("GROUP000001"), "and(not(a),not(b))");
    EXPECT_EQ(Definition("s"), "and(c,GROUP000001)");
    EXPECT_EQ(Definition("top3"), "or(s,GROUP000001,c)");
}

TEST_F(RewriterFixture, AGateThatIsTheWholeGroupIsReplaced) {
    Load({"a", "b", "c"}, "gate p = a or b;\ngate q = a or b or c;\ngate top = p and q and c;\n");
    rewriter.GroupChildren(errors, &model, Find("top"));
    EXPECT_EQ(Definition("top"), "and(GROUP000001,q,c)");
    EXPECT_EQ(Definition("q"), "or(c,GROUP000001)");
}

// The brute-force agreement is a property test; here, the records of a
// second detection under another top are brought up to date.
TEST_F(RewriterFixture, ModuleRecordsFollowTheTopOfTheDetection) {
    Load({"a", "b", "c"}, "gate m = a and b;\ngate n = b or c;\ngate top = m or n or c;\ngate top2 = m and c;\n");
    KEFOVariable* m = Find("m");
    rewriter.DetectModules(errors, &model, Find("top"));
    EXPECT_TRUE(Find("top")->IsModule());
    EXPECT_FALSE(rewriter.IsModule(m));  // b is shared with n
    rewriter.DetectModules(errors, &model, Find("top2"));
    EXPECT_TRUE(rewriter.IsModule(m));
    EXPECT_TRUE(KEFOModuleRecord::Get(m)->IsUpdated());
}

TEST_F(RewriterFixture, CyclesAndUnresolvedReferencesAreReported) {
    Load({"e"}, "gate g1 = g2 or e;\ngate g2 = g1 and e;\ngate top = g1 or ghost;\n");
    KEFOVariable* top = Find("top");
    KEFOChecker silent;  // the messages are the rewriter's
    rewriter.BuildPreprocessedModel(errors, &model, top, &silent);
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
    // Built call by call: reading its text would take longer than the test.
    const int n = 100000;
    KEFOVariable* shared = Event("shared");
    std::vector<KEFOVariable*> gates;
    for (int i = 0; i < n; ++i)
        gates.push_back(model.NewVariable(KEFOType::FlowVariable, new KEFOPath(("g" + std::to_string(i)).c_str())));
    for (int i = 0; i < n; ++i) {
        KEFOGate* e = R(Event(("e" + std::to_string(i)).c_str()));
        KEFOGate* last = R(i + 1 < n ? gates[static_cast<std::size_t>(i) + 1] : shared);
        gates[static_cast<std::size_t>(i)]->SetDefinition(
            KEFOGate::NewAnd(&model, {e, KEFOGate::NewOr(&model, {R(shared), last})}));
    }
    auto start = std::chrono::steady_clock::now();
    rewriter.BuildPreprocessedModel(errors, &model, Find("g0"), &checker);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(errors, 0) << (messages.Texts().empty() ? "" : messages.Texts()[0]);
    EXPECT_LT(seconds, 60.0);
    std::printf("preprocessing a chain of %d gates: %.2f s\n", n, seconds);
}

TEST_F(RewriterFixture, CheckerReportsMissingDefinitions) {
    Load({}, "gate g1;\nbasic-event e;\ngate g2;\nhouse-event h;\nparameter p;\n");
    model.NewVariable(KEFOType::Variable, new KEFOPath("u", true));  // of no kind yet
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

TEST_F(RewriterFixture, CheckerNormalForm) {
    Load({"a", "b", "c"}, "gate good = a or not b;\ngate bad = a or (b and c);\ngate top = good and bad;\n"
                          "gate constant = true;\n");
    checker.CheckNormalForm(errors, &model, Find("good"));
    EXPECT_EQ(errors, 0);
    checker.CheckNormalForm(errors, &model, Find("top"));
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Gate bad is not a flat formula (after pre-processing)"}));
    messages.store.ResetMessages();
    errors = 0;
    checker.CheckNormalForm(errors, &model, Find("constant"));
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Gate constant reduces to constant true (after pre-processing)"}));
    EXPECT_EQ(errors, 1);
    std::unique_ptr<KEFOGate> nand(KEFOGate::NewNand(&model, {}));
    EXPECT_FALSE(KEFOChecker::IsGateBuildable(nand.get()));
}

}  // namespace
