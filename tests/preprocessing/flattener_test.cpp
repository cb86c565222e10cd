// The flattener on hierarchical models read from short texts: forward
// references, nested blocks, directives and their overrides, absolute paths,
// naming of the flat model and the coded errors (instances of classes are
// checked through scripts, in preprocessing_script_test.cpp).
#include "model/ccf_group.h"
#include "io/model_parser.h"
#include "preprocessing/flattener.h"
#include "preprocessing_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
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

    // Reads a model (the source model unless told) from its text.
    void Load(const std::string& text, KEFOModel* model = nullptr) {
        KEFOModelParser parser;
        int count = 0;
        parser.ParseModelAtQOLNFormatFromText(count, text, "m.sbe", model != nullptr ? model : &source);
        ASSERT_EQ(count, 0) << text.substr(0, 200);
    }
    KEFOModel* Flatten() {
        result.reset(flattener.FlattenModel(errors, &source));
        return result.get();
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

// A cycle flattens too: it is left to the preprocessing.
TEST_F(FlattenerFixture, ForwardReferencesAndCyclesResolveWithoutError) {
    Load("gate top = g and basic-event e;\ngate g = e or f;\ngate c1 = c2 or e;\ngate c2 = c1 and e;\n"
         "basic-event e = 0.1;\nbasic-event f = 0.2;\n");
    KEFOModel* flat = Flatten();
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(errors, 0);
    EXPECT_TRUE(flat->IsPure());
    EXPECT_EQ(Children(Find(flat, "top")), (Names{"g", "e"}));
    EXPECT_EQ(Children(Find(flat, "g")), (Names{"e", "f"}));
    EXPECT_EQ(Children(Find(flat, "c2")), (Names{"c1", "e"}));
    // References point at the flat model's own variables.
    KEFOGate* first = KEFOGate::AsGate(Find(flat, "top")->GetDefinition()->GetFirstChild());
    EXPECT_EQ(first->GetReferredVariable(), Find(flat, "g"));
    // Declaration order is kept.
    std::vector<std::string> order;
    for (KEFODeclaration* d : flat->GetDeclarations()) order.push_back(d->GetPathAsString());
    EXPECT_EQ(order, (Names{"top", "g", "c1", "c2", "e", "f"}));
    // Stamps are gone from both models.
    EXPECT_FALSE(Find(flat, "g")->HasAttribute(KEFOFlattener::stampAttribute));
    for (KEFODeclaration* d : source.GetDeclarations()) EXPECT_FALSE(d->HasAttribute(KEFOFlattener::stampAttribute));
}

TEST_F(FlattenerFixture, NestedBlocksGiveDottedNamesReadAsOneIdentifier) {
    // The top refers forward into blocks declared after it.
    Load("gate top = a.b.g and main.a.y;\nblock a\n  block b\n    basic-event x = 0.3;\n    gate g = x or owner.y;\n"
         "  end\n  basic-event y = 0.4;\nend\n");
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

TEST_F(FlattenerFixture, ExtendsClonesAndEmbedsCopyWithOverrides) {
    Load("class C\n  basic-event e = 0.1;\n  gate g = e or f;\n  basic-event f = 0.2;\nend\n"
         "block b\n  extends C\n    basic-event e = 0.5;\n  end\nend\nclones b as c\n  basic-event f = 0.9;\nend\n"
         "block a\n  basic-event e = 0.3;\nend\nblock d\n  embeds main.a.e as x;\n  gate g = not x;\nend\n");
    KEFOModel* flat = Flatten();
    ASSERT_NE(flat, nullptr) << (messages.Texts().empty() ? "" : messages.Texts()[0]);
    EXPECT_DOUBLE_EQ(Probability(Find(flat, "b.e")), 0.5);
    EXPECT_DOUBLE_EQ(Probability(Find(flat, "b.f")), 0.2);
    EXPECT_EQ(Children(Find(flat, "b.g")), (Names{"b.e", "b.f"}));
    // The clone refers to its own events and keeps the override of its body.
    EXPECT_DOUBLE_EQ(Probability(Find(flat, "c.e")), 0.5);
    EXPECT_DOUBLE_EQ(Probability(Find(flat, "c.f")), 0.9);
    EXPECT_EQ(Children(Find(flat, "c.g")), (Names{"c.e", "c.f"}));
    // Embedding makes an alias of the event.
    EXPECT_EQ(Children(Find(flat, "d.g")), (Names{"a.e"}));
}

TEST_F(FlattenerFixture, CloneWaitsUntilTheClonedBlockIsComplete) {
    // b.g refers to an event of the root declared after the clone: the
    // clone is made once b.g has its definition.
    Load("block b\n  gate g = main.x and y;\n  basic-event y = 0.2;\nend\nclones b as c;\nbasic-event x = 0.1;\n");
    KEFOModel* flat = Flatten();
    ASSERT_NE(flat, nullptr) << (messages.Texts().empty() ? "" : messages.Texts()[0]);
    EXPECT_EQ(Children(Find(flat, "b.g")), (Names{"x", "b.y"}));
    EXPECT_EQ(Children(Find(flat, "c.g")), (Names{"x", "c.y"}));
}

// Each faulty model gives no flat model and its one coded message (of a
// self-instantiating class, its beginning: the path of the deepest instance).
TEST_F(FlattenerFixture, FaultyModelsEndOnTheirCodedMessage) {
    const struct {
        const char* model;
        unsigned code;
        std::string text;
        bool whole;
    } cases[] = {
        {"block b\nend\nbasic-event b = 0.1;\n", 12003, "b is already declared with another type.", true},
        {"block B\nend\nB i;\n", 12003, "B is already declared with another type.", true},
        {"parameter p = 0.5;\ngate g = p or e;\nbasic-event e = 0.1;\n", 12004, "Type conflict in definition of g.",
         true},
        {"gate x.g = true;\n", 12001, "x.g has no parent block.", true},
        {"class C\n  C inner;\nend\nC i;\n", 12006, "Unable to complete declaration of i.inner.inner.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        KEFOModel model;
        Load(c.model, &model);
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
    Load("parameter lambda = 0.001;\nblock b\n  basic-event e = exponential(main.lambda);\n  basic-event f = 0.01;\n"
         "  CCF-group G = beta-factor [e, f] [0.1] 0.01;\nend\n");
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

TEST_F(FlattenerFixture, LongChainDeclaredTopDown) {
    // g0 = g1 or e0, g1 = g2 or e1, ... declared before the events.
    // Built call by call: reading its text would take longer than the flattening.
    const int n = 100000;
    for (int i = 0; i < n; ++i) {
        std::string e = "e" + std::to_string(i), next = i + 1 < n ? "g" + std::to_string(i + 1) : e;
        KEFOVariable* g = source.NewVariable(KEFOType::FlowVariable, ("g" + std::to_string(i)).c_str());
        g->SetDefinition(source.NewOr({source.NewVariableReference(KEFOType::Variable, next.c_str()),
                                       source.NewVariableReference(KEFOType::Variable, e.c_str())}));
    }
    for (int i = 0; i < n; ++i) {
        KEFOVariable* e = source.NewVariable(KEFOType::StateVariable, ("e" + std::to_string(i)).c_str());
        e->SetProbabilityDistribution(source.NewRealExpression(0.001));
    }
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
