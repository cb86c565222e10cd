// The flattener on hierarchical models built with the model API: forward
// references, nested blocks, directives and their overrides, absolute paths,
// naming of the flat model and the coded errors (instances of classes are
// checked through scripts, in preprocessing_script_test.cpp).
#include "model/aliasing.h"
#include "model/block.h"
#include "model/ccf_group.h"
#include "model/parameter.h"
#include "preprocessing/flattener.h"
#include "preprocessing_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

using namespace kefo_test;

namespace {

struct FlattenerFixture : ::testing::Test {
    Messages messages;
    KEFOFlattener flattener;
    KEFOModel source;
    std::unique_ptr<KEFOModel> result;  // the last flat model
    int errors = 0;

    void SetUp() override { flattener.SetMessenger(&messages.messenger); }

    KEFOModel* Flatten() {
        result.reset(flattener.FlattenModel(errors, &source));
        return result.get();
    }

    static KEFOVariable* BasicEvent(KEFOBlock* block, const char* name, double p) {
        KEFOVariable* e = block->NewVariable(KEFOType::StateVariable, name);
        e->SetProbabilityDistribution(block->NewRealExpression(p));
        return e;
    }
    static KEFOGate* Ref(KEFOBlock* block, const char* path, int type = KEFOType::Variable) {
        return block->NewVariableReference(type, path);
    }
    static KEFOVariable* Gate(KEFOBlock* block, const char* name, KEFOGate* definition) {
        KEFOVariable* g = block->NewVariable(KEFOType::FlowVariable, name);
        g->SetDefinition(definition);
        return g;
    }
    static KEFOVariable* Find(KEFOModel* flat, const char* name) {
        bool mismatch = false;
        return flat->LookForVariable(name, mismatch);
    }
    static double Probability(KEFOVariable* e) {
        return e->GetProbabilityDistribution() != nullptr ? e->GetProbabilityDistribution()->GetValueAsDouble() : -1;
    }
    // The names of the variables a definition refers to, in order.
    static std::vector<std::string> Children(KEFOVariable* v) {
        std::vector<std::string> names;
        std::vector<KEFOPort*> ports;
        if (v == nullptr || v->GetDefinition() == nullptr) return names;
        v->GetDefinition()->CollectReferredPorts(ports);
        for (KEFOPort* p : ports) names.push_back(p->GetPathAsString());
        return names;
    }
};

typedef std::vector<std::string> Names;

TEST_F(FlattenerFixture, ForwardReferencesResolveWithoutError) {
    Gate(&source, "top", source.NewAnd({Ref(&source, "g"), Ref(&source, "e", KEFOType::StateVariable)}));
    Gate(&source, "g", source.NewOr({Ref(&source, "e"), Ref(&source, "f")}));
    BasicEvent(&source, "e", 0.1);
    BasicEvent(&source, "f", 0.2);
    KEFOModel* flat = Flatten();
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(errors, 0);
    EXPECT_TRUE(flat->IsPure());
    EXPECT_EQ(Children(Find(flat, "top")), (Names{"g", "e"}));
    EXPECT_EQ(Children(Find(flat, "g")), (Names{"e", "f"}));
    // References point at the flat model's own variables.
    KEFOGate* first = KEFOGate::AsGate(Find(flat, "top")->GetDefinition()->GetFirstChild());
    EXPECT_EQ(first->GetReferredVariable(), Find(flat, "g"));
    // Declaration order is kept.
    std::vector<std::string> order;
    for (KEFODeclaration* d : flat->GetDeclarations()) order.push_back(d->GetPathAsString());
    EXPECT_EQ(order, (Names{"top", "g", "e", "f"}));
    // Stamps are gone from both models.
    EXPECT_FALSE(Find(flat, "g")->HasAttribute(KEFOFlattener::stampAttribute));
    for (KEFODeclaration* d : source.GetDeclarations()) EXPECT_FALSE(d->HasAttribute(KEFOFlattener::stampAttribute));
}

TEST_F(FlattenerFixture, NestedBlocksGiveDottedNamesReadAsOneIdentifier) {
    // The top refers forward into blocks declared after it.
    Gate(&source, "top", source.NewAnd({Ref(&source, "a.b.g"), Ref(&source, "main.a.y")}));
    KEFOBlock* a = source.NewBlock("a");
    KEFOBlock* b = a->NewBlock("b");
    BasicEvent(b, "x", 0.3);
    Gate(b, "g", b->NewOr({Ref(b, "x"), Ref(b, "owner.y")}));
    BasicEvent(a, "y", 0.4);
    KEFOModel* flat = Flatten();
    ASSERT_NE(flat, nullptr) << (messages.Texts().empty() ? "" : messages.Texts()[0]);
    KEFOVariable* x = Find(flat, "a.b.x");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->GetPath()->GetNumberOfIdentifiers(), 1);
    EXPECT_DOUBLE_EQ(Probability(x), 0.3);
    EXPECT_EQ(Children(Find(flat, "a.b.g")), (Names{"a.b.x", "a.y"}));
    EXPECT_EQ(Children(Find(flat, "top")), (Names{"a.b.g", "a.y"}));
    // Only ports are left: no blocks.
    for (KEFODeclaration* d : flat->GetDeclarations()) EXPECT_FALSE(d->IsContainer());
    EXPECT_EQ(flat->GetNumberOfDeclarations(), 4);
}

TEST_F(FlattenerFixture, ExtendsAndClonesCopyWithOverrides) {
    KEFOBlock* c = source.NewClass("C");
    BasicEvent(c, "e", 0.1);
    Gate(c, "g", c->NewOr({Ref(c, "e"), Ref(c, "f")}));
    BasicEvent(c, "f", 0.2);
    KEFOBlock* b = source.NewBlock("b");
    KEFOBlock* extends = b->NewExtendsDirective(new KEFOPath("C"));
    BasicEvent(extends, "e", 0.5);
    KEFOBlock* clone = source.NewClonesDirective(new KEFOPath("c"), new KEFOPath("b"));
    BasicEvent(clone, "f", 0.9);
    KEFOModel* flat = Flatten();
    ASSERT_NE(flat, nullptr) << (messages.Texts().empty() ? "" : messages.Texts()[0]);
    EXPECT_DOUBLE_EQ(Probability(Find(flat, "b.e")), 0.5);
    EXPECT_DOUBLE_EQ(Probability(Find(flat, "b.f")), 0.2);
    EXPECT_EQ(Children(Find(flat, "b.g")), (Names{"b.e", "b.f"}));
    // The clone refers to its own events and keeps the override of its body.
    EXPECT_DOUBLE_EQ(Probability(Find(flat, "c.e")), 0.5);
    EXPECT_DOUBLE_EQ(Probability(Find(flat, "c.f")), 0.9);
    EXPECT_EQ(Children(Find(flat, "c.g")), (Names{"c.e", "c.f"}));
}

TEST_F(FlattenerFixture, CloneWaitsUntilTheClonedBlockIsComplete) {
    // b.g refers to an event of the root declared after the clone: the
    // clone is made once b.g has its definition.
    KEFOBlock* b = source.NewBlock("b");
    Gate(b, "g", b->NewAnd({Ref(b, "main.x"), Ref(b, "y")}));
    BasicEvent(b, "y", 0.2);
    source.NewClonesDirective(new KEFOPath("c"), new KEFOPath("b"));
    BasicEvent(&source, "x", 0.1);
    KEFOModel* flat = Flatten();
    ASSERT_NE(flat, nullptr) << (messages.Texts().empty() ? "" : messages.Texts()[0]);
    EXPECT_EQ(Children(Find(flat, "b.g")), (Names{"x", "b.y"}));
    EXPECT_EQ(Children(Find(flat, "c.g")), (Names{"x", "c.y"}));
}

TEST_F(FlattenerFixture, EmbedsMakesAnAlias) {
    KEFOBlock* a = source.NewBlock("a");
    BasicEvent(a, "e", 0.3);
    KEFOBlock* b = source.NewBlock("b");
    b->NewEmbedsDirective(new KEFOPath("x"), new KEFOPath("main.a.e"));
    Gate(b, "g", b->NewNot(Ref(b, "x")));
    KEFOModel* flat = Flatten();
    ASSERT_NE(flat, nullptr) << (messages.Texts().empty() ? "" : messages.Texts()[0]);
    EXPECT_EQ(Children(Find(flat, "b.g")), (Names{"a.e"}));
}

// Each faulty model gives no flat model and its one coded message (of a
// self-instantiating class, its beginning: the path of the deepest instance).
TEST_F(FlattenerFixture, FaultyModelsEndOnTheirCodedMessage) {
    struct Case {
        std::function<void(KEFOModel&)> make;
        unsigned code;
        std::string text;
        bool whole;
    };
    const Case cases[] = {
        {[](KEFOModel& m) {
             m.NewBlock("b");
             BasicEvent(&m, "b", 0.1);
         },
         12003, "b is already declared with another type.", true},
        {[](KEFOModel& m) {
             m.NewBlock("B");
             m.NewInstance("i", "B");
         },
         12003, "B is already declared with another type.", true},
        {[](KEFOModel& m) {
             m.NewParameter("p")->SetDefinition(m.NewRealExpression(0.5));
             Gate(&m, "g", m.NewOr({Ref(&m, "p"), Ref(&m, "e")}));
             BasicEvent(&m, "e", 0.1);
         },
         12004, "Type conflict in definition of g.", true},
        {[](KEFOModel& m) { Gate(&m, "x.g", m.NewConstant(true)); }, 12001, "x.g has no parent block.", true},
        {[](KEFOModel& m) {
             m.NewClass("C")->NewInstance("inner", "C");
             m.NewInstance("i", "C");
         },
         12006, "Unable to complete declaration of i.inner.inner.", false},
    };
    for (const Case& c : cases) {
        KEFOModel model;
        c.make(model);
        int count = 0;
        EXPECT_EQ(flattener.FlattenModel(count, &model), nullptr);
        EXPECT_EQ(messages.Codes(), std::vector<unsigned>{c.code});
        ASSERT_EQ(messages.Texts().size(), 1u);
        const std::string text = messages.Texts()[0];
        EXPECT_EQ(c.whole ? text : text.substr(0, c.text.size()), c.text);
        messages.store.ResetMessages();
    }
}

TEST_F(FlattenerFixture, ParametersAndCCFGroupsAreCopied) {
    KEFOParameter* lambda = source.NewParameter("lambda");
    lambda->SetDefinition(source.NewRealExpression(0.001));
    KEFOBlock* b = source.NewBlock("b");
    KEFOVariable* e = b->NewVariable(KEFOType::StateVariable, "e");
    e->SetProbabilityDistribution(
        b->NewStochasticExpression(KEFOStochasticExpression::Exponential, b->NewParameterReference("main.lambda")));
    BasicEvent(b, "f", 0.01);
    KEFOCCFGroup* group = b->NewCCFGroup(KEFOType::BetaFactorCCFGroup, "G");
    group->AddMember(Ref(b, "e", KEFOType::StateVariable));
    group->AddMember(Ref(b, "f", KEFOType::StateVariable));
    group->SetFactor(2, b->NewRealExpression(0.1));
    group->SetDistribution(b->NewRealExpression(0.01));
    KEFOModel* flat = Flatten();
    ASSERT_NE(flat, nullptr) << (messages.Texts().empty() ? "" : messages.Texts()[0]);
    KEFOStochasticExpression* distribution = Find(flat, "b.e")->GetProbabilityDistribution();
    ASSERT_NE(distribution, nullptr);
    KEFOStochasticExpression* reference = distribution->GetExpressionChild(1);
    ASSERT_TRUE(reference->IsParameterReference());
    bool mismatch = false;
    EXPECT_EQ(reference->GetReferredParameter(), flat->LookForParameter("lambda", mismatch));
    KEFOCCFGroup* copy = flat->LookForCCFGroup("b.G", mismatch);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetNumberOfMembers(), 2);
    EXPECT_EQ(copy->GetMemberVariable(1), Find(flat, "b.e"));
    EXPECT_EQ(copy->GetMemberVariable(2), Find(flat, "b.f"));
    EXPECT_EQ(Find(flat, "b.e")->GetCCFGroup(), copy);
    ASSERT_NE(copy->GetFactor(2), nullptr);
    EXPECT_DOUBLE_EQ(copy->GetFactor(2)->GetValueAsDouble(), 0.1);
}

TEST_F(FlattenerFixture, CyclesFlattenAndAreLeftToThePreprocessing) {
    Gate(&source, "g1", source.NewOr({Ref(&source, "g2"), Ref(&source, "e")}));
    Gate(&source, "g2", source.NewAnd({Ref(&source, "g1"), Ref(&source, "e")}));
    BasicEvent(&source, "e", 0.1);
    KEFOModel* flat = Flatten();
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(Children(Find(flat, "g2")), (Names{"g1", "e"}));
}

TEST_F(FlattenerFixture, LongChainDeclaredTopDown) {
    // g0 = g1 or e0, g1 = g2 or e1, ... declared before the events.
    const int n = 100000;
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) {
        std::string g = "g" + std::to_string(i);
        std::string next = i + 1 < n ? "g" + std::to_string(i + 1) : "e" + std::to_string(i);
        Gate(&source, g.c_str(), source.NewOr({Ref(&source, next.c_str()), Ref(&source, ("e" + std::to_string(i)).c_str())}));
    }
    for (int i = 0; i < n; ++i) BasicEvent(&source, ("e" + std::to_string(i)).c_str(), 0.001);
    auto start = std::chrono::steady_clock::now();
    KEFOModel* flat = Flatten();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(flat->GetNumberOfDeclarations(), 2 * n);
    EXPECT_EQ(Children(Find(flat, "g99998")), (Names{"g99999", "e99998"}));
    EXPECT_LT(seconds, 60.0);
    RecordProperty("flatten-seconds", std::to_string(seconds));
    std::printf("flattening %d gates and %d events: %.2f s\n", n, n, seconds);
}

}  // namespace
