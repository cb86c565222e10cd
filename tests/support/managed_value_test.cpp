#include "support/managed_value.h"
#include "support/memory_manager.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using V = PLOVManagedValue;

V I(int x) { return V::NewInt(x); }
V D(double x) { return V::NewDouble(x); }
V B(bool x) { return V::NewBool(x); }
V S(const char* t) { return V::NewSymbol(t); }
V Str(const char* t) { return V::NewString(t); }

using Unary = void (V::*)(const V&);
using Binary = void (V::*)(const V&, const V&);

// Same kind and exactly the same value.
::testing::AssertionResult Same(const V& actual, const V& expected) {
    if (actual.GetType() == expected.GetType() && actual.Compare(expected) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.ToString() << " (kind " << actual.GetType() << ") instead of "
                                         << expected.ToString() << " (kind " << expected.GetType() << ")";
}

// The result of an operation on a value that held something else before, so
// that a nil result is really written.
V Op(Binary op, const V& a, const V& b) {
    V r = D(-999.0);
    (r.*op)(a, b);
    return r;
}
V Op(Unary op, const V& a) {
    V r = D(-999.0);
    (r.*op)(a);
    return r;
}

TEST(PLOVManagedValueTest, ScalarsLiveInTheValueAndCostNoAllocation) {
    EXPECT_LE(sizeof(V), 16u);
    PLOVMemoryManager::Start();
    V v;
    v.SetInt(3);
    v.SetDouble(2.5);
    v.SetBool(true);
    V w(v);
    w.SetAdd(I(1), D(2.0));
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0);
}

struct BinaryCase {
    Binary op;
    V a, b, expected;
};
struct UnaryCase {
    Unary op;
    V a, expected;
};

void ExpectAll(const std::vector<BinaryCase>& cases) {
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i) + ": " + cases[i].a.ToString() + ", " + cases[i].b.ToString());
        EXPECT_TRUE(Same(Op(cases[i].op, cases[i].a, cases[i].b), cases[i].expected));
    }
}
void ExpectAll(const std::vector<UnaryCase>& cases) {
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i) + ": " + cases[i].a.ToString());
        EXPECT_TRUE(Same(Op(cases[i].op, cases[i].a), cases[i].expected));
    }
}

// Division always gives a Real; integers wrap on thirty-two bits; the
// remainder keeps the sign of the dividend and refuses zero.
TEST(PLOVManagedValueTest, ArithmeticKindsWrappingAndRemaindersFollowTheScriptRules) {
    ExpectAll(std::vector<BinaryCase>{
        {&V::SetAdd, I(2), I(3), I(5)}, {&V::SetAdd, I(2), D(3.5), D(5.5)}, {&V::SetAdd, I(2), D(3.0), D(5.0)},
        {&V::SetDiv, I(4), I(2), D(2.0)}, {&V::SetDiv, I(7), I(2), D(3.5)}, {&V::SetDiv, I(1), I(0), V()},
        {&V::SetDiv, D(1.0), D(-0.0), V()}, {&V::SetPow, I(2), I(10), D(1024.0)}, {&V::SetMul, I(6), I(7), I(42)},
        {&V::SetSub, I(6), D(0.5), D(5.5)}, {&V::SetAdd, I(INT_MAX), I(1), I(INT_MIN)},
        {&V::SetSub, I(INT_MIN), I(1), I(INT_MAX)}, {&V::SetMul, I(65536), I(65536), I(0)},
        {&V::SetMul, I(INT_MAX), I(INT_MAX), I(1)}, {&V::SetMod, I(7), I(3), I(1)}, {&V::SetMod, I(-7), I(3), I(-1)},
        {&V::SetMod, I(7), I(-3), I(1)}, {&V::SetMod, I(INT_MIN), I(-1), I(0)}, {&V::SetMod, I(7), I(0), V()},
        {&V::SetMod, D(7.5), I(2), D(1.5)}, {&V::SetMod, D(7.5), D(0.0), V()}});
    ExpectAll(std::vector<UnaryCase>{{&V::SetNeg, I(4), I(-4)}, {&V::SetNeg, D(4.0), D(-4.0)},
                                     {&V::SetNeg, I(INT_MIN), I(INT_MIN)}, {&V::SetAbs, I(-3), D(3.0)},
                                     {&V::SetExp, I(0), D(1.0)}});
    V r = I(INT_MAX);
    r.Inc();
    EXPECT_TRUE(Same(r, I(INT_MIN)));
    r.Dec();
    EXPECT_TRUE(Same(r, I(INT_MAX)));
}

TEST(PLOVManagedValueTest, DomainLimitedFunctionsGiveNilUnlessStrictlyPositive) {
    V r;
    const Unary functions[] = {&V::SetLog, &V::SetLog10, &V::SetSqrt, &V::SetCeil, &V::SetFloor};
    for (Unary f : functions) {
        (r.*f)(I(0));
        EXPECT_TRUE(r.IsNil());
        (r.*f)(D(-1.5));
        EXPECT_TRUE(r.IsNil());
        (r.*f)(D(2.5));
        EXPECT_TRUE(r.IsDouble());
    }
    ExpectAll(std::vector<UnaryCase>{{&V::SetSqrt, I(16), D(4.0)}, {&V::SetCeil, D(1.2), D(2.0)},
                                     {&V::SetFloor, D(1.8), D(1.0)}, {&V::SetAsin, D(1.5), V()},
                                     {&V::SetAcos, I(1), D(0.0)}, {&V::SetCosh, I(0), D(1.0)}});
    r.SetLog(D(std::exp(2.0)));
    EXPECT_NEAR(r.GetDouble(), 2.0, 1e-15);
    r.SetLog10(I(1000));
    EXPECT_NEAR(r.GetDouble(), 3.0, 1e-15);
    r.SetAtan2(I(1), I(1));
    EXPECT_NEAR(r.GetDouble(), std::atan(1.0), 1e-15);
}

TEST(PLOVManagedValueTest, NonNumbersGiveNilAndNilStaysNil) {
    V r = I(0);
    r.Add(I(1));
    r.Add(S("x"));
    EXPECT_TRUE(r.IsNil());
    r.Add(I(1));
    EXPECT_TRUE(r.IsNil());
    ExpectAll(std::vector<BinaryCase>{{&V::SetMul, Str("2"), I(3), V()}, {&V::SetSub, B(true), I(1), V()}});
    ExpectAll(std::vector<UnaryCase>{{&V::SetNeg, V::NewList(), V()}, {&V::SetLog, V(), V()}});
    r = D(1.0);
    r.Inf(S("a"));
    EXPECT_TRUE(r.IsNil());
    r.Inf(I(0));
    EXPECT_TRUE(r.IsNil());
}

TEST(PLOVManagedValueTest, MinimumAndMaximumTakeTheOperandKind) {
    // min starts from the largest Real; max(-3, -5) keeps the Integer -3.
    V r = D(1.7976931348623157e308);
    r.Inf(I(4));
    r.Inf(D(2.5));
    EXPECT_TRUE(Same(r, D(2.5)));
    r = D(-1.7976931348623157e308);
    r.Sup(I(-3));
    r.Sup(I(-5));
    EXPECT_TRUE(Same(r, I(-3)));
    // A tie keeps the running value.
    r = I(2);
    r.Inf(D(2.0));
    EXPECT_TRUE(r.IsInt());
    r.Sup(D(2.0));
    EXPECT_TRUE(r.IsInt());
}

TEST(PLOVManagedValueTest, CompareOrdersByKindThenValue) {
    // Kinds in order: nil, Boolean, Integer and Real (by value), Symbol, String, ...
    const struct {
        V a, b;
        int sign;
    } cases[] = {
        {I(1), D(1.0), 0},       {I(1), D(1.5), -1},        {D(2.5), I(2), 1},
        {I(1), Str("1"), -1},    {V(), B(false), -1},       {B(true), I(-100), -1},
        {D(1e300), S("a"), -1},  {S("zzz"), Str("a"), -1},  {B(false), B(true), -1},
        {B(true), B(true), 0},   {V(), V(), 0},             {S("ab"), S("abc"), -1},
        {S("abc"), S("abd"), -1}, {Str("\xc3\xa9"), Str("z"), 1},  // bytes compare unsigned
        {Str("same"), Str("same"), 0}, {V::NewRange(1, 5, 1), V::NewRange(1, 5, 2), -1},
        {V::NewList(), V::NewTuple(0), 1},
    };
    auto sign = [](int c) { return (c > 0) - (c < 0); };
    for (const auto& c : cases) {
        EXPECT_EQ(sign(c.a.Compare(c.b)), c.sign) << c.a.ToString() << " and " << c.b.ToString();
        EXPECT_EQ(sign(c.b.Compare(c.a)), -c.sign) << c.b.ToString() << " and " << c.a.ToString();
    }
    EXPECT_LT(V::CompareReverseOrder(I(2), I(1)), 0);
    // The qsort comparators.
    V a = S("b"), b = I(3);
    EXPECT_GT(V::Compare(static_cast<const void*>(&a), static_cast<const void*>(&b)), 0);
    EXPECT_LT(V::CompareReverseOrder(static_cast<const void*>(&a), static_cast<const void*>(&b)), 0);
}

// A Symbol and a String, a number and a Symbol, two Booleans: not ordered.
TEST(PLOVManagedValueTest, ComparisonsAndImplicationGiveBooleansOrNil) {
    const V yes = B(true), no = B(false);
    ExpectAll(std::vector<BinaryCase>{
        {&V::SetEq, yes, yes, yes}, {&V::SetEq, no, no, yes}, {&V::SetEq, yes, no, no},
        {&V::SetEq, I(1), D(1.0), yes}, {&V::SetEq, I(1), Str("1"), no}, {&V::SetDf, I(1), Str("1"), yes},
        {&V::SetLt, I(1), D(1.5), yes}, {&V::SetGeq, I(2), D(2.0), yes}, {&V::SetGt, S("b"), S("a"), yes},
        {&V::SetLeq, Str("b"), Str("a"), no}, {&V::SetLt, S("a"), Str("b"), V()}, {&V::SetLt, I(1), S("b"), V()},
        {&V::SetLt, no, yes, V()}, {&V::SetImply, no, no, yes}, {&V::SetImply, yes, no, no}});
}

TEST(PLOVManagedValueTest, LogicOnBooleansOnly) {
    V r = B(true);
    r.And(B(true));
    EXPECT_TRUE(r.Is(true));
    r.And(false);
    EXPECT_TRUE(r.Is(false));
    r.Or(B(true));
    EXPECT_TRUE(r.Is(true));
    r.SetNot();
    EXPECT_TRUE(r.Is(false));
    r.SetNot(I(1));
    EXPECT_TRUE(r.IsNil());
    r = B(true);
    r.And(I(1));
    EXPECT_TRUE(r.IsNil());
    r.Or(B(true));
    EXPECT_TRUE(r.IsNil());
}

TEST(PLOVManagedValueTest, TextForms) {
    const std::pair<V, const char*> forms[] = {{V(), "nil"},        {B(true), "true"},   {B(false), "false"},
                                               {I(-42), "-42"},     {D(5.0), "5"},       {D(0.1), "0.1"},
                                               {D(1e-10), "1e-10"}, {S("DFLM"), "DFLM"}, {Str("a.txt"), "\"a.txt\""}};
    for (const auto& f : forms) EXPECT_EQ(f.first.ToString(), f.second);
    EXPECT_EQ(Str("results.txt").ToRawString(), "results.txt");
    V list = V::NewList();
    list.AppendToList(I(1));
    list.AppendToList(D(2.5));
    list.AppendToList(Str("s"));
    list.AppendToList(S("sym"));
    EXPECT_EQ(list.ToString(), "[1, 2.5, \"s\", sym]");
    EXPECT_EQ(list.ToRawString(), "[1, 2.5, \"s\", sym]");
    V tuple = V::NewTuple(2);
    tuple.SetValueInTuple(0, I(1));
    tuple.SetValueInTuple(1, V::NewList());
    EXPECT_EQ(tuple.ToString(), "(1, [])");
    EXPECT_EQ(V::NewRange(1, 10, 2).ToString(), "range(1,10,2)");
    V dict = V::NewDictionary();
    dict.InsertInDictionary(S("b"), I(2));
    dict.InsertInDictionary(S("a"), I(1));
    EXPECT_EQ(dict.ToString(), "{a: 1, b: 2}");
    V m = V::NewMatrix(2, 2);
    m.SetValueInMatrix(0, 0, I(1));
    m.SetValueInMatrix(1, 1, I(4));
    EXPECT_EQ(m.ToString(), "matrix((1, nil), (nil, 4))");
    std::string text = "x = ";
    I(3).Serialize(text);
    EXPECT_EQ(text, "x = 3");
}

TEST(PLOVManagedValueTest, CopiesShareBodiesAndTheLastReleaseFreesThem) {
    PLOVMemoryManager::Start();
    {
        V a = V::NewList();
        EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 1);
        a.AppendToList(Str("x"));
        EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 2);
        V b(a);
        V c;
        c.Set(a);
        V d = a;
        EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 2);  // no new body
        b.AppendToList(I(2));                                      // seen through every copy
        EXPECT_EQ(a.GetListSize(), 2);
        EXPECT_EQ(d.GetListSize(), 2);
        a.SetInt(1);  // the setter releases a's reference only
        EXPECT_EQ(c.GetListSize(), 2);
        b.SetNil();
        c.SetDouble(1.0);
        EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 2);
        d.SetNil();  // last reference: list and its string go
        EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0);
        V e = S("word");
        V f(e);
        V g(std::move(e));
        EXPECT_TRUE(e.IsNil());
        EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 1);
        f = g;
        g = I(1);
        EXPECT_STREQ(f.GetSymbol(), "word");
    }
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0);
}

TEST(PLOVManagedValueTest, ShallowAndDeepCopies) {
    PLOVMemoryManager::Start();
    {
        V inner = V::NewList();
        inner.AppendToList(I(1));
        V outer = V::NewList();
        outer.AppendToList(inner);
        V shallow = outer.ShallowCopy();
        V deep = outer.DeepCopy();
        EXPECT_EQ(shallow.Compare(outer), 0);
        EXPECT_EQ(deep.Compare(outer), 0);
        shallow.AppendToList(I(9));
        EXPECT_EQ(outer.GetListSize(), 1);  // a new outer body
        inner.AppendToList(I(2));
        EXPECT_EQ(shallow.GetValueInList(0).GetListSize(), 2);  // the same inner body
        EXPECT_EQ(deep.GetValueInList(0).GetListSize(), 1);     // a copied inner body
        V dict = V::NewDictionary();
        dict.InsertInDictionary(I(1), outer);
        V dictCopy = dict.DeepCopy();
        EXPECT_EQ(dictCopy.Compare(dict), 0);
    }
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0);
}

TEST(PLOVManagedValueTest, StringChangesNeverShowThroughAnotherValue) {
    V a = Str("ab");
    V b(a);
    a.AppendToString("c");
    EXPECT_STREQ(a.GetRawString(), "abc");
    EXPECT_STREQ(b.GetRawString(), "ab");
    a.QuoteString('\'');
    EXPECT_STREQ(a.GetRawString(), "'abc'");
    a.UnquoteString('\'');
    EXPECT_STREQ(a.GetRawString(), "abc");
    V s = S("sym");
    V t(s);
    t.CastSymbolIntoString();
    t.AppendToString("!");
    EXPECT_STREQ(s.GetSymbol(), "sym");
    EXPECT_STREQ(t.GetRawString(), "sym!");
    EXPECT_TRUE(t.IsString());
    t.CastStringIntoSymbol();
    EXPECT_TRUE(t.Is("sym!"));
    EXPECT_EQ(I(12).CopyAsSymbol().ToString(), "12");
    EXPECT_EQ(D(0.5).CopyAsString().ToString(), "\"0.5\"");
    EXPECT_EQ(a.GetSymbol(), nullptr);
    EXPECT_EQ(I(1).GetText(), nullptr);
}

TEST(PLOVManagedValueTest, ListOperations) {
    V list = V::NewList();
    for (int x : {3, 1, 2}) list.AppendToList(I(x));
    list.PrependToList(D(0.5));
    EXPECT_EQ(list.ToString(), "[0.5, 3, 1, 2]");
    EXPECT_TRUE(list.IsNumList());
    list.SortList();
    EXPECT_EQ(list.ToString(), "[0.5, 1, 2, 3]");
    list.SortList(true);
    EXPECT_EQ(list.ToString(), "[3, 2, 1, 0.5]");
    EXPECT_TRUE(list.RemoveFromList(D(2.0)));  // equal by value
    EXPECT_FALSE(list.RemoveFromList(I(7)));
    // Removing by an element of the list itself.
    EXPECT_TRUE(list.RemoveFromList(list.GetValueInList(0)));
    EXPECT_EQ(list.ToString(), "[1, 0.5]");
    V last;
    EXPECT_TRUE(list.PopFromList(last));
    EXPECT_TRUE(last.Is(0.5));
    EXPECT_TRUE(list.GetValueInList(5).IsNil());
    EXPECT_TRUE(list.GetValueInList(-1).IsNil());
    EXPECT_FALSE(list.AppendToList(list));  // a list never holds itself
    list.AppendToList(S("x"));
    EXPECT_FALSE(list.IsNumList());
    // Overwriting a list element by the list's own element is safe.
    list.SetValueInList(0, list.GetValueInList(1));
    EXPECT_EQ(list.ToString(), "[x, x]");
    EXPECT_FALSE(I(1).IsNumList());
    V notList = I(1);
    EXPECT_FALSE(notList.AppendToList(I(1)));
    EXPECT_FALSE(notList.PopFromList(last));
    EXPECT_TRUE(last.IsNil());
}

TEST(PLOVManagedValueTest, DictionaryKeysByValueAndVectorAndMatrixBounds) {
    V d = V::NewDictionary();
    d.InsertInDictionary(I(1), S("one"));
    d.InsertInDictionary(D(1.0), S("uno"));  // same key by value
    d.InsertInDictionary(Str("k"), I(5));
    EXPECT_EQ(d.GetDictionarySize(), 2);
    ASSERT_NE(d.LookForValueInDictionary(I(1)), nullptr);
    EXPECT_TRUE(d.LookForValueInDictionary(I(1))->Is("uno"));
    EXPECT_EQ(d.LookForValueInDictionary(S("k")), nullptr);  // Symbol k is not String k
    EXPECT_TRUE(d.RemoveFromDictionary(Str("k")));
    EXPECT_EQ(d.GetDictionaryKeys().ToString(), "[1]");
    EXPECT_EQ(d.GetDictionaryValues().ToString(), "[uno]");

    V v = V::NewVector(2);
    EXPECT_TRUE(v.SetValueInVector(4, I(7)));
    EXPECT_EQ(v.GetVectorSize(), 5);
    EXPECT_TRUE(v.GetValueInVector(4).Is(7));
    EXPECT_TRUE(v.GetValueInVector(1).IsNil());
    v.AppendToVector(I(8));
    EXPECT_EQ(v.ToString(), "vector(nil, nil, nil, nil, 7, 8)");
    EXPECT_FALSE(v.SetValueInVector(-1, I(1)));

    V m = V::NewMatrix(2, 3);
    EXPECT_TRUE(m.SetValueInMatrix(1, 2, D(0.5)));
    EXPECT_FALSE(m.SetValueInMatrix(2, 0, D(0.5)));
    EXPECT_TRUE(m.GetValueInMatrix(1, 2).Is(0.5));
    EXPECT_TRUE(m.GetValueInMatrix(0, 3).IsNil());

    EXPECT_EQ(I(3).GetRangeStep(), 0);  // not a range
}

TEST(PLOVManagedValueTest, HeapValuesGoThroughTheAccounting) {
    PLOVMemoryManager::Start();
    V* v = new V(V::NewString("text"));
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 2);
    delete v;
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0);
}

}  // namespace
