// Model objects: attributes, paths, declarations, dictionaries, look-ups.
#include "model/alias.h"
#include "model/aliasing.h"
#include "model/attribute_list.h"
#include "model/ccf_group.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/path.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"
#include "diagrams/handle.h"
#include "support/stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int deletions = 0;
void CountingDeleter(void* pointer) {
    ++deletions;
    delete static_cast<int*>(pointer);
}

TEST(AttributeList, SettersReplaceAndKeepOrderGettersFallBackToDefaults) {
    PLOVAttributeList list;
    list.SetAttribute("a", 3);
    list.SetAttribute("b", "text");
    list.SetAttribute("c", 2.5);
    list.SetAttribute("a", true);  // replaces, keeps its place
    ASSERT_EQ(list.GetNumberOfAttributes(), 3);
    EXPECT_STREQ(list.GetAttributeName(0), "a");
    EXPECT_TRUE(list.GetAttributeAsBool("a", false));
    EXPECT_EQ(list.GetAttributeAsInt("a", -7), -7);  // now a Boolean
    EXPECT_STREQ(list.GetAttributeAsString("b", nullptr), "text");
    EXPECT_EQ(list.GetAttributeAsDouble("c", 0.0), 2.5);
    EXPECT_EQ(list.GetAttributeAsDouble("missing", 9.0), 9.0);
    EXPECT_EQ(list.GetAttributeAsPointer("b", nullptr), nullptr);
    // A string may be replaced by its own text.
    list.SetAttribute("b", list.GetAttributeAsString("b", ""));
    EXPECT_STREQ(list.GetAttributeAsString("b", nullptr), "text");
    EXPECT_TRUE(list.ResetAttribute("a"));
    EXPECT_FALSE(list.ResetAttribute("a"));
    EXPECT_STREQ(list.GetAttributeName(0), "b");
}

TEST(AttributeList, DeletersRunOnReplaceResetAndDeathButNotOnRelease) {
    deletions = 0;
    {
        PLOVAttributeList list;
        int* p = new int(1);
        list.SetAttribute("__MODULE_RECORD__", static_cast<void*>(p), CountingDeleter);
        list.SetAttribute("__MODULE_RECORD__", static_cast<void*>(p), CountingDeleter);  // same pointer: kept
        EXPECT_EQ(deletions, 0);
        list.SetAttribute("__MODULE_RECORD__", static_cast<void*>(new int(2)), CountingDeleter);
        EXPECT_EQ(deletions, 1);
        list.ResetAttribute("__MODULE_RECORD__");
        EXPECT_EQ(deletions, 2);
        int* q = new int(3);
        list.SetAttribute("x", static_cast<void*>(q), CountingDeleter);
        EXPECT_EQ(list.ReleaseAttribute("x"), q);
        delete q;
        EXPECT_EQ(deletions, 2);
        list.SetAttribute("y", static_cast<void*>(new int(4)), CountingDeleter);
    }
    EXPECT_EQ(deletions, 3);
    // Through a model object.
    deletions = 0;
    {
        KEFOModel model;
        KEFOVariable* v = model.NewVariable(KEFOType::StateVariable, "e");
        v->SetAttribute("__DEPTH__", static_cast<void*>(new int(5)), CountingDeleter);
    }
    EXPECT_EQ(deletions, 1);
}

TEST(Path, SplitsAtDotsUnlessPureAndResolvesKeywords) {
    KEFOPath p("a.b.c");
    ASSERT_EQ(p.GetNumberOfIdentifiers(), 3);
    EXPECT_STREQ(p.GetIdentifier(1), "a");
    EXPECT_STREQ(p.GetIdentifier(3), "c");
    EXPECT_EQ(p.GetIdentifier(0), nullptr);
    EXPECT_EQ(p.GetIdentifier(4), nullptr);
    KEFOPath pure("a.b", true);
    EXPECT_TRUE(pure.IsIdentifier());
    EXPECT_STREQ(pure.GetIdentifier(1), "a.b");
    KEFOPath empty("");
    EXPECT_EQ(empty.GetNumberOfIdentifiers(), 0);
    KEFOPath dots("a..b");
    ASSERT_EQ(dots.GetNumberOfIdentifiers(), 3);
    EXPECT_STREQ(dots.GetIdentifier(2), "");

    const char* resolutions[][2] = {
        {"a.b.owner.c.main.d.owner.e", "main.e"}, {"owner.owner.a.owner.b", "owner.owner.b"}, {"x.y", "x.y"}};
    for (const auto& r : resolutions) {
        KEFOPath path(r[0]);
        path.Resolve();
        EXPECT_STREQ(path.GetString(), r[1]);
        EXPECT_EQ(path.IsAbsolute(), r[1][0] == 'm');
    }

    std::unique_ptr<KEFOPath> prefix(p.CopyPrefix());
    EXPECT_STREQ(prefix->GetString(), "a.b");
    p.PrependString("m.n");
    p.AppendIdentifier("z");
    EXPECT_STREQ(p.GetString(), "m.n.a.b.c.z");
    p.RemoveFirstIdentifier();
    p.RemoveLastIdentifier();
    EXPECT_STREQ(p.GetString(), "n.a.b.c");
    p.MakeIdentifier();
    EXPECT_TRUE(p.IsIdentifier());

    for (const char* bad : {"1a", "", "a-b"}) EXPECT_FALSE(KEFOPath::IsValidIdentifier(bad)) << bad;
    EXPECT_TRUE(KEFOPath::IsValidIdentifier("_a1"));
    for (const char* bad : {"a..b", "a."}) EXPECT_FALSE(KEFOPath::IsValidPath(bad)) << bad;
    EXPECT_TRUE(KEFOPath::IsValidPath("a.b_2.c"));
}

TEST(Declarations, ListKeepsDeclarationOrderDictionaryKeepsTheFirstOfEachName) {
    KEFOModel model;
    KEFOVariable* first = model.NewVariable(KEFOType::StateVariable, "x");
    KEFOParameter* p = model.NewParameter("p");
    KEFOVariable* second = model.NewVariable(KEFOType::FlowVariable, "x");
    KEFOVariable* dotted = model.NewVariable(KEFOType::FlowVariable, "b.y");
    ASSERT_EQ(model.GetNumberOfDeclarations(), 4);
    std::vector<KEFODeclaration*> all;
    model.CollectDeclarations(static_cast<KEFOObjectTest>(nullptr), all);
    EXPECT_EQ(all, (std::vector<KEFODeclaration*>{first, p, second, dotted}));
    EXPECT_EQ(model.GetNumberOfDeclarationsInDictionary(), 2);
    bool mismatch = true;
    EXPECT_EQ(model.LookForDeclarationInDictionary("x", nullptr, mismatch), first);
    EXPECT_FALSE(mismatch);
    EXPECT_TRUE(first->IsInDictionary());
    EXPECT_FALSE(second->IsInDictionary());
    EXPECT_EQ(dotted->GetIdentifier(), nullptr);
    EXPECT_EQ(model.GetNumberOfVariables(), 3);
    EXPECT_EQ(model.GetNumberOfParameters(), 1);
    std::vector<KEFOVariable*> flows;
    model.CollectFlowVariables(flows);
    EXPECT_EQ(flows, (std::vector<KEFOVariable*>{second, dotted}));

    // Deleting the dictionary entry does not promote the duplicate.
    model.DeleteDeclaration(first);
    EXPECT_EQ(model.GetNumberOfDeclarations(), 3);
    EXPECT_EQ(model.LookForDeclarationInDictionary("x", nullptr, mismatch), nullptr);
    EXPECT_TRUE(model.InsertDeclarationInDictionary(second));
    EXPECT_EQ(model.LookForDeclarationInDictionary("x", nullptr, mismatch), second);

    // Renaming moves the dictionary entry.
    model.RenameDeclaration(second, "z");
    EXPECT_EQ(model.LookForDeclarationInDictionary(std::string_view("x")), nullptr);
    EXPECT_EQ(model.LookForDeclarationInDictionary(std::string_view("z")), second);
    second->SetPath(new KEFOPath("w"));
    EXPECT_EQ(model.LookForDeclarationInDictionary(std::string_view("w")), second);
    EXPECT_EQ(model.LookForDeclarationInDictionary(std::string_view("z")), nullptr);

    // Deleting a declaration directly takes it out of its owner.
    delete p;
    EXPECT_EQ(model.GetNumberOfDeclarations(), 2);
    EXPECT_EQ(model.LookForDeclarationInDictionary(std::string_view("p")), nullptr);

    // Identifier comparisons are byte-wise; a missing identifier sorts first.
    EXPECT_LT(KEFODeclaration::CompareIdentifiers(dotted, second), 0);
    EXPECT_EQ(second->CompareIdentifier("w"), 0);
    EXPECT_GT(second->CompareIdentifier("W"), 0);
}

struct Hierarchy : ::testing::Test {
    KEFOModel model;
    KEFOBlock* a = model.NewBlock("a");
    KEFOBlock* b = a->NewBlock("b");
    KEFOVariable* top = model.NewVariable(KEFOType::FlowVariable, "top");
    KEFOVariable* x = b->NewVariable(KEFOType::StateVariable, "x");
    KEFOVariable* y = a->NewVariable(KEFOType::FlowVariable, "y");
    KEFOParameter* p = b->NewParameter("p");
    KEFOCCFGroup* g = model.NewCCFGroup(KEFOType::AlphaFactorCCFGroup, "g");
    bool mismatch = false;

    KEFODeclaration* Find(const KEFOContainer* from, const char* text, KEFOObjectTest test = nullptr) {
        KEFOPath path(text);
        return from->LookForDeclarationInDictionary(&path, test, mismatch);
    }
};

TEST_F(Hierarchy, PathsWalkDownUpAndFromTheRoot) {
    // x is not a container: x.owner.p answers x, with the flag.
    const struct {
        const KEFOContainer* from;
        const char* path;
        const KEFODeclaration* found;
        bool mismatch;
    } walks[] = {{&model, "a.b.x", x, false}, {b, "owner.y", y, false},    {b, "owner.owner.top", top, false},
                 {b, "main.top", top, false},   {b, "main.a.b.p", p, false}, {b, "main", &model, false},
                 {b, "owner", a, false},        {b, "x.owner.p", x, true},   {b, "", b, false}};
    for (const auto& w : walks) {
        EXPECT_EQ(Find(w.from, w.path), w.found) << w.path;
        EXPECT_EQ(mismatch, w.mismatch) << w.path;
    }
    EXPECT_EQ(Find(b, "", KEFOType::TestAsVariable), nullptr);
    EXPECT_TRUE(mismatch);
}

TEST_F(Hierarchy, MovingADeclarationBetweenContainers) {
    KEFOBlock* c = model.NewBlock("c");
    c->AddDeclaration(x);
    EXPECT_EQ(x->GetOwner(), c);
    EXPECT_EQ(b->GetNumberOfDeclarations(), 1);  // p is left
    EXPECT_EQ(b->LookForDeclarationInDictionary(std::string_view("x")), nullptr);
    EXPECT_TRUE(c->InsertDeclarationInDictionary(x));
    EXPECT_EQ(c->GetFirstDeclaration(), x);
}

TEST_F(Hierarchy, MalformedPathsAnswerNotFound) {
    for (const char* path : {"owner.top", "owner", "main.owner.top", "a..b", ".", "a.", "nowhere.x"})
        EXPECT_EQ(Find(&model, path), nullptr) << path;
    EXPECT_EQ(Find(b, "owner.owner.owner.top"), nullptr);
    EXPECT_EQ(model.LookForDeclarationInDictionary(static_cast<const KEFOPath*>(nullptr), nullptr, mismatch), &model);
    EXPECT_EQ(model.LookForDeclarationInDictionary(static_cast<const char*>(nullptr), nullptr, mismatch), nullptr);
}

TEST_F(Hierarchy, TestsSetTheMismatchFlagButStillAnswer) {
    EXPECT_EQ(Find(&model, "a.b.x", KEFOType::TestAsParameter), x);
    EXPECT_TRUE(mismatch);
    // a.b where a is a variable answers that variable, with the flag.
    EXPECT_EQ(Find(&model, "top.b"), top);
    EXPECT_TRUE(mismatch);
    EXPECT_EQ(model.LookForVariable("top.b", mismatch), top);
    EXPECT_TRUE(mismatch);
    // Typed look-ups answer null for another kind, with the flag.
    EXPECT_EQ(model.LookForParameter("a.b.x", mismatch), nullptr);
    EXPECT_TRUE(mismatch);
    EXPECT_EQ(model.LookForParameter("a.b.p", mismatch), p);
    EXPECT_FALSE(mismatch);
    EXPECT_EQ(model.LookForBlock("a.b", mismatch), b);
    EXPECT_EQ(model.LookForCCFGroup("g", mismatch), g);
    EXPECT_EQ(model.LookForVariable(KEFOType::StateVariable, "a.b.x", mismatch), x);
    EXPECT_FALSE(mismatch);
    EXPECT_EQ(model.LookForVariable(KEFOType::FlowVariable, "a.b.x", mismatch), x);
    EXPECT_TRUE(mismatch);
    EXPECT_EQ(model.LookForVariable("missing", mismatch), nullptr);
    EXPECT_FALSE(mismatch);
}

TEST_F(Hierarchy, UndeterminedVariablesPassEveryKindOfVariableTest) {
    KEFOVariable* u = model.NewVariable(KEFOType::Variable, "u");
    for (int type : {KEFOType::Variable, KEFOType::StateVariable, KEFOType::FlowVariable, KEFOType::SourceVariable}) {
        EXPECT_EQ(model.LookForVariable(type, "u", mismatch), u);
        EXPECT_FALSE(mismatch) << type;
    }
    KEFOVariable* h = model.NewVariable(KEFOType::SourceVariable, "h");
    EXPECT_EQ(model.LookForVariable(KEFOType::StateVariable, "h", mismatch), h);
    EXPECT_TRUE(mismatch);
}

TEST_F(Hierarchy, AliasesExpandInPlaceChainAndCyclesAnswerNotFound) {
    model.NewAlias("inner", new KEFOPath("a.b"));
    model.NewAlias("deep", new KEFOPath("inner.x"));
    EXPECT_EQ(Find(&model, "inner.x"), x);
    EXPECT_EQ(Find(&model, "deep"), x);
    EXPECT_EQ(model.LookForDeclarationInDictionary("deep", nullptr, mismatch), x);
    // An alias wins over a dictionary entry of the same name.
    model.NewAlias("top", new KEFOPath("a.y"));
    EXPECT_EQ(Find(&model, "top"), y);
    // Replacing the path of an existing alias.
    model.NewAlias("inner", new KEFOPath("a"));
    EXPECT_EQ(model.GetNumberOfAliases(), 3);
    EXPECT_EQ(Find(&model, "inner.y"), y);
    EXPECT_STREQ(model.LookForAliasedPath("inner")->GetString(), "a");
    // Cycles, direct and through several aliases.
    model.NewAlias("loop", new KEFOPath("loop"));
    EXPECT_EQ(Find(&model, "loop"), nullptr);
    model.NewAlias("c1", new KEFOPath("c2.x"));
    model.NewAlias("c2", new KEFOPath("c1.x"));
    EXPECT_EQ(Find(&model, "c1"), nullptr);
    EXPECT_EQ(model.LookForDeclarationInDictionary("c1", nullptr, mismatch), nullptr);
    // A chain just under the bound resolves; a longer one does not.
    std::string previous = "a";
    for (int i = 0; i < KEFOContainer::maximumAliasExpansions; ++i) {
        std::string name = "s" + std::to_string(i);
        model.NewAlias(name.c_str(), new KEFOPath(previous.c_str()));
        previous = name;
    }
    std::string last = "s" + std::to_string(KEFOContainer::maximumAliasExpansions - 1);
    EXPECT_EQ(Find(&model, (last + ".y").c_str()), y);
    model.NewAlias("beyond", new KEFOPath(last.c_str()));
    EXPECT_EQ(Find(&model, "beyond.y"), nullptr);
}

TEST_F(Hierarchy, AbsoluteAndRelativePaths) {
    std::unique_ptr<KEFOPath> absolute(x->NewAbsolutePath(false));
    EXPECT_STREQ(absolute->GetString(), "a.b.x");
    std::unique_ptr<KEFOPath> rooted(x->NewAbsolutePath(true));
    EXPECT_STREQ(rooted->GetString(), "main.a.b.x");
    EXPECT_EQ(Find(b, rooted->GetString()), x);
    std::unique_ptr<KEFOPath> down(y->NewRelativePathToOtherDeclaration(x));
    EXPECT_STREQ(down->GetString(), "b.x");
    EXPECT_EQ(Find(a, down->GetString()), x);
    std::unique_ptr<KEFOPath> up(x->NewRelativePathToOtherDeclaration(top));
    EXPECT_STREQ(up->GetString(), "owner.owner.top");
    EXPECT_EQ(Find(b, up->GetString()), top);
    std::unique_ptr<KEFOPath> fromBlock(a->NewRelativePathToOtherDeclaration(x));
    EXPECT_STREQ(fromBlock->GetString(), "b.x");
    std::unique_ptr<KEFOPath> self(x->NewRelativePathToOtherDeclaration(x));
    EXPECT_TRUE(self->IsEmpty());
    std::unique_ptr<KEFOPath> toContainer(x->NewRelativePathToOtherDeclaration(a));
    EXPECT_STREQ(toContainer->GetString(), "owner");
    EXPECT_EQ(Find(b, toContainer->GetString()), a);
    KEFOModel other;
    KEFOVariable* elsewhere = other.NewVariable(KEFOType::StateVariable, "e");
    EXPECT_EQ(x->NewRelativePathToOtherDeclaration(elsewhere), nullptr);
    EXPECT_EQ(x->GetRootContainer(), &model);
    EXPECT_EQ(model.GetRootContainer(), &model);
}

TEST(Declarations, FactoriesOfBlocksDirectivesAndLabels) {
    KEFOModel model;
    KEFOBlock* c = model.NewClass("C");
    KEFOBlock* i = model.NewInstance("i", "C");
    KEFOBlock* e = c->NewExtendsDirective(new KEFOPath("D"));
    model.NewClonesDirective(new KEFOPath("k"), new KEFOPath("i"));
    KEFOAliasing* m = model.NewEmbedsDirective(new KEFOPath("m"), new KEFOPath("i.x"));
    EXPECT_STREQ(i->GetCloningPathAsString(), "C");
    EXPECT_EQ(e->GetPath(), nullptr);  // a directive has no name
    EXPECT_STREQ(e->GetCloningPathAsString(), "D");
    EXPECT_STREQ(m->GetAliasedPathAsString(), "i.x");
    EXPECT_FALSE(m->IsInDictionary());
    bool mismatch = false;
    KEFOPath classPath("C");
    EXPECT_EQ(model.LookForClass(&classPath, mismatch), c);
    EXPECT_EQ(model.LookForVariable(KEFOType::Parameter, "i", mismatch), nullptr);
    KEFOVariable* v = model.NewVariable(12345, "v");
    EXPECT_EQ(v->GetType(), KEFOType::Variable);
    v->SetLabel("a label");
    EXPECT_STREQ(v->GetAttributeAsString("__label__"), "a label");
    PLOVStringStream out;
    model.Dump(&out);
    EXPECT_EQ(out.GetText(), "-- C 0\n-- i 0\n-- k 0\n-- m 0\n-- v 0\n");
}

TEST(Variables, HandlesAreSortedByNameAndReplacedByName) {
    KEFOModel model;
    KEFOVariable* v = model.NewVariable(KEFOType::FlowVariable, "top");
    v->InsertHandle(new KEFOHandle("zbdd", 2));
    v->InsertHandle(new KEFOHandle("bdd", 1));
    KEFOHandle* replacement = v->InsertHandle(new KEFOHandle("zbdd", 3));
    ASSERT_EQ(v->GetNumberOfHandles(), 2);
    EXPECT_EQ(v->GetHandles().begin()->second->GetType(), 1);
    EXPECT_EQ(v->LookForHandle("zbdd"), replacement);
    auto ofType = [](const KEFOHandle* h, const void* key) { return h->GetType() == *static_cast<const int*>(key) ? 0 : 1; };
    int three = 3;
    EXPECT_EQ(v->SearchHandle(ofType, &three), replacement);
    v->DeleteHandles(ofType, &three);
    EXPECT_EQ(v->GetNumberOfHandles(), 1);
    v->DeleteHandle("bdd");
    EXPECT_EQ(v->GetNumberOfHandles(), 0);
    v->InsertHandle(new KEFOHandle("kept", 1));  // deleted with the variable
}

TEST(Ports, DefinitionsPointBackAndAreReplaced) {
    KEFOModel model;
    KEFOVariable* v = model.NewVariable(KEFOType::FlowVariable, "g");
    KEFOGate* first = model.NewConstant(true);
    v->SetDefinition(first);
    EXPECT_EQ(first->GetDefinedPort(), v);
    EXPECT_EQ(first->GetDefinedVariable(), v);
    EXPECT_TRUE(v->IsInternalPort());
    EXPECT_EQ(KEFOPort::CompareAsInternalPort(v, nullptr), 0);
    KEFOGate* second = model.NewConstant(false);
    v->SetDefinition(second);  // deletes the first
    v->SetDefinition(second);  // the same one again: kept
    EXPECT_EQ(v->GetDefinition(), second);
    EXPECT_EQ(second->GetDefinedPort(), v);
    KEFOTerm* released = v->ReleaseDefinition();
    EXPECT_EQ(released, second);
    EXPECT_EQ(second->GetDefinedPort(), nullptr);
    EXPECT_TRUE(v->IsInputPort());
    delete released;
}

}  // namespace
