// Stochastic expressions: kinds, keywords, child counts, dependencies, copies
// and the value of every non-distribution kind.
#include "model/empirical_distribution.h"
#include "model/expression_evaluator.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/type.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <memory>
#include <string>
#include <tuple>

namespace {

typedef KEFOStochasticExpression E;

struct Expressions : ::testing::Test {
    KEFOModel model;
    KEFOExpressionEvaluator evaluator;

    E* R(double x) { return model.NewRealExpression(x); }
    E* I(int x) { return model.NewIntegerExpression(x); }
    E* B(bool x) { return model.NewBooleanExpression(x); }
    E* S(const char* x) { return model.NewStringExpression(x); }
    E* N(int type, std::initializer_list<E*> children) { return model.NewStochasticExpression(type, children); }
    // Evaluates and deletes the expression; answers its value.
    PLOVManagedValue Value(E* e, double t = 0.0) {
        std::unique_ptr<E> owned(e);
        PLOVManagedValue v = evaluator.Evaluate(e, t);
        return v;
    }
    // Same kind and exactly the same value.
    static ::testing::AssertionResult Same(const PLOVManagedValue& v, const PLOVManagedValue& expected) {
        if (v.GetType() == expected.GetType() && v.Compare(expected) == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << v.ToString() << " instead of " << expected.ToString();
    }
    double Real(E* e, double t = 0.0) {
        PLOVManagedValue v = Value(e, t);
        EXPECT_TRUE(v.IsDouble()) << v.ToString();
        return v.GetDouble();
    }
};

TEST_F(Expressions, KeywordsRoundTripAndUnknownWordsAnswerMinusOne) {
    for (int type = 0; type < E::numberOfTypes; ++type) {
        const char* keyword = E::GetFunctorFromType(type);
        ASSERT_NE(keyword, nullptr) << type;
        EXPECT_EQ(E::GetTypeFromFunctor(keyword), type) << keyword;
    }
    EXPECT_EQ(E::GetFunctorFromType(65), nullptr);
    EXPECT_EQ(E::GetFunctorFromType(-1), nullptr);
    EXPECT_EQ(E::GetTypeFromFunctor("weibull"), -1);
    EXPECT_EQ(E::GetTypeFromFunctor(nullptr), -1);
    std::unique_ptr<E> e(N(E::GLM, {R(0.1), R(0.2), R(0.3)}));
    EXPECT_STREQ(e->GetAttributeAsString("__FUNCTOR__"), "GLM");
}

TEST_F(Expressions, NumbersOfChildren) {
    // Accepted counts; atLeast >= 0 means "that many or more".
    struct Case {
        int type;
        std::vector<int> exactly;
        int atLeast;
    };
    const std::vector<Case> cases = {
        {E::Parameter, {0}, -1}, {E::Real, {0}, -1}, {E::MissionTime, {0}, -1}, {E::And, {}, 2}, {E::Not, {1}, -1},
        {E::Eq, {2}, -1}, {E::Neg, {1}, -1}, {E::Add, {}, 2}, {E::Sub, {2}, -1}, {E::Log10, {1}, -1},
        {E::Mod, {2}, -1}, {E::Min, {}, 2}, {E::Mean, {}, 2}, {E::Ite, {3}, -1}, {E::Switch, {}, 1},
        {E::Case, {2}, -1}, {E::Dirac, {1, 2}, -1}, {E::Periodic, {3}, -1}, {E::Exponential, {1, 2}, -1},
        {E::GLM, {3, 4}, -1}, {E::MTT, {3}, -1}, {E::Dormant, {3}, -1}, {E::Weibull, {3, 4}, -1},
        {E::Standby, {6}, -1}, {E::PeriodicTest, {3, 4, 10}, -1}, {E::BoundTime, {3}, -1},
        {E::FailureOnDemand, {2}, -1}, {E::EmpiricalDistribution, {0}, -1}, {E::UniformDeviate, {2}, -1},
        {E::LoguniformDeviate, {2}, -1}, {E::NormalDeviate, {2}, -1}, {E::LognormalDeviate, {3}, -1},
        {E::TriangularDeviate, {3}, -1}, {E::BetaDeviate, {2}, -1}, {E::GammaDeviate, {2}, -1},
        {E::Histogram, {0}, -1},
    };
    for (const Case& c : cases) {
        for (int n = 0; n <= 12; ++n) {
            bool expected = std::find(c.exactly.begin(), c.exactly.end(), n) != c.exactly.end() ||
                            (c.atLeast >= 0 && n >= c.atLeast);
            EXPECT_EQ(E::CheckNumberOfChildren(c.type, n), expected) << E::GetFunctorFromType(c.type) << " " << n;
        }
    }
    EXPECT_FALSE(E::CheckNumberOfChildren(65, 0));
    EXPECT_FALSE(E::CheckNumberOfChildren(-1, 0));
}

TEST_F(Expressions, TimeAndRepairDependency) {
    KEFOParameter* lambda = model.NewParameter("lambda");
    lambda->SetDefinition(N(E::Mul, {R(2.0), model.NewStochasticExpression(E::MissionTime)}));
    KEFOParameter* rate = model.NewParameter("rate");
    rate->SetDefinition(R(1e-3));
    auto timeDependent = [](E* e) { return std::unique_ptr<E>(e)->IsTimeDependent(); };
    auto repairDependent = [](E* e) { return std::unique_ptr<E>(e)->IsRepairDependent(); };
    EXPECT_TRUE(timeDependent(model.NewStochasticExpression(E::MissionTime)));
    EXPECT_FALSE(timeDependent(R(1.0)));
    EXPECT_TRUE(timeDependent(N(E::Add, {R(1.0), N(E::Exponential, {R(1.0)})})));
    EXPECT_TRUE(timeDependent(model.NewParameterReference(lambda)));
    EXPECT_FALSE(timeDependent(model.NewParameterReference(rate)));
    EXPECT_TRUE(timeDependent(N(E::MTT, {R(1.0), R(1.0), R(1.0)})));  // every distribution kind
    EXPECT_FALSE(timeDependent(N(E::UniformDeviate, {model.NewStochasticExpression(E::MissionTime), R(1.0)})));
    EXPECT_FALSE(timeDependent(model.NewParameterReference("unresolved")));

    EXPECT_TRUE(repairDependent(N(E::Exponential, {R(1.0)})));
    EXPECT_TRUE(repairDependent(N(E::GLM, {R(0.1), R(0.2), R(0.3)})));
    EXPECT_FALSE(repairDependent(N(E::Weibull, {R(1.0), R(1.0), R(0.0)})));
    EXPECT_TRUE(repairDependent(N(E::Weibull, {N(E::Exponential, {R(1.0)}), R(1.0), R(0.0)})));
    EXPECT_TRUE(repairDependent(N(E::BoundTime, {R(0.0), R(1.0), N(E::Dormant, {R(1.0), R(1.0), R(1.0)})})));
    EXPECT_FALSE(repairDependent(N(E::Dirac, {R(1.0)})));
    EXPECT_FALSE(repairDependent(N(E::FailureOnDemand, {N(E::Exponential, {R(1.0)}), R(0.0)})));
    EXPECT_FALSE(repairDependent(model.NewStochasticExpression(E::MissionTime)));

    // A cycle of parameters does not loop.
    KEFOParameter* p = model.NewParameter("p");
    p->SetDefinition(N(E::Add, {model.NewParameterReference(p), R(1.0)}));
    EXPECT_FALSE(timeDependent(model.NewParameterReference(p)));
    EXPECT_FALSE(repairDependent(model.NewParameterReference(p)));
}

TEST_F(Expressions, CopiesAreDeepWithTablesAndReferences) {
    KEFOParameter* p = model.NewParameter("p");
    p->SetDefinition(R(0.25));
    auto* table = new KEFOEmpiricalDistribution(KEFOEmpiricalDistribution::Step, "table.txt");
    table->SetTable({0.0, 1.0, 2.0}, {0.1, 0.2, 0.3});
    std::unique_ptr<E> e(N(E::Add, {model.NewParameterReference(p), model.NewParameterReference("owner.q"),
                                     E::NewEmpiricalDistribution(&model, table), S("text")}));
    e->SetAttribute("note", "kept");
    e->SetUnconditionalFailureIntensity(0.5);
    p->GetDefinition()->SetAttribute("extra", 3);
    KEFOBlock* other = model.NewBlock("other");
    std::unique_ptr<E> copy(E::Copy(other, e.get()));
    ASSERT_EQ(copy->GetNumberOfChildren(), 4);
    EXPECT_EQ(copy->GetOwner(), other);
    EXPECT_EQ(copy->GetExpressionChild(1)->GetReferredParameter(), p);
    EXPECT_STREQ(copy->GetExpressionChild(2)->GetReferredPortPathAsString(), "owner.q");
    EXPECT_EQ(copy->GetExpressionChild(2)->GetReferredPortType(), KEFOType::Parameter);
    KEFOEmpiricalDistribution* copied = copy->GetExpressionChild(3)->GetEmpiricalDistribution();
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, table);
    EXPECT_STREQ(copied->GetFileName(), "table.txt");
    EXPECT_EQ(copied->GetYFromX(1.5), 0.2);
    EXPECT_EQ(copy->GetExpressionChild(4)->GetValue().ToRawString(), "text");
    EXPECT_STREQ(copy->GetAttributeAsString("note"), "kept");
    EXPECT_EQ(copy->GetUnconditionalFailureIntensity(), 0.5);
    std::unique_ptr<E> definitionCopy(E::Copy(&model, static_cast<E*>(p->GetDefinition())));
    EXPECT_FALSE(definitionCopy->HasAttribute("__DEFINED_PORT__"));
    EXPECT_EQ(definitionCopy->GetAttributeAsInt("extra"), 3);
    EXPECT_EQ(definitionCopy->GetValueAsDouble(), 0.25);
    e.reset();
    EXPECT_EQ(copied->GetYFromX(0.5), 0.1);
}

TEST_F(Expressions, ConstantsAndTheirTextForms) {
    EXPECT_EQ(std::unique_ptr<E>(R(0.1))->GetValueAsRawString(), "0.1");
    EXPECT_EQ(std::unique_ptr<E>(I(-3))->GetValueAsDouble(), -3.0);
    EXPECT_EQ(std::unique_ptr<E>(B(true))->GetValueAsRawString(), "true");
    std::unique_ptr<E> s(S("a b"));
    EXPECT_EQ(s->GetValueAsRawString(), "a b");
    EXPECT_EQ(s->GetValueAsString(), "\"a b\"");
    EXPECT_EQ(s->GetValueAsDouble(), 0.0);
    EXPECT_DOUBLE_EQ(Real(model.NewStochasticExpression(E::Pi)), 3.141592653589793);
    EXPECT_EQ(Real(model.NewStochasticExpression(E::MissionTime), 8760.0), 8760.0);
}

// The evaluator applies the value operations of each kind; the rules
// themselves are checked on values in the support tests.
TEST_F(Expressions, ArithmeticAndComparisonsFollowTheValueRules) {
    typedef PLOVManagedValue MV;
    const MV nil, yes = MV::NewBool(true), no = MV::NewBool(false);
    const struct {
        E* e;
        MV expected;
    } cases[] = {
        {N(E::Add, {I(2), I(3)}), MV::NewInt(5)},          {N(E::Add, {I(2), R(3.5), I(1)}), MV::NewDouble(6.5)},
        {N(E::Div, {I(4), I(2)}), MV::NewDouble(2.0)},     {N(E::Div, {I(4), I(0)}), nil},
        {N(E::Log, {R(0.0)}), nil},                        {N(E::Sqrt, {R(-1.0)}), nil},
        {N(E::Add, {I(1), S("x")}), nil},                  {N(E::Add, {B(true), I(1)}), nil},
        {N(E::Sub, {I(2), I(5)}), MV::NewInt(-3)},         {N(E::Mul, {I(2), I(3), I(4)}), MV::NewInt(24)},
        {N(E::Neg, {I(7)}), MV::NewInt(-7)},               {N(E::Abs, {I(-7)}), MV::NewDouble(7.0)},
        {N(E::Mod, {I(7), I(3)}), MV::NewInt(1)},          {N(E::Mod, {R(7.5), I(2)}), MV::NewDouble(1.5)},
        {N(E::Pow, {I(2), I(10)}), MV::NewDouble(1024.0)}, {N(E::Exp, {R(1.0)}), MV::NewDouble(std::exp(1.0))},
        {N(E::Log10, {R(1000.0)}), MV::NewDouble(3.0)},    {N(E::Cos, {R(0.5)}), MV::NewDouble(std::cos(0.5))},
        {N(E::Tanh, {R(0.5)}), MV::NewDouble(std::tanh(0.5))}, {N(E::Atan, {R(2.0)}), MV::NewDouble(std::atan(2.0))},
        {N(E::Ceil, {R(1.2)}), MV::NewDouble(2.0)},        {N(E::Floor, {R(1.8)}), MV::NewDouble(1.0)},
        {N(E::Mean, {I(1), I(2), I(4)}), MV::NewDouble(7.0 / 3.0)},
        {N(E::Min, {I(3), I(2)}), MV::NewInt(2)},          {N(E::Max, {I(-1), I(-2)}), MV::NewInt(-1)},
        {N(E::Max, {R(-0.5), I(-2)}), MV::NewDouble(-0.5)}, {N(E::Min, {I(1), S("a")}), nil},
        {N(E::Lt, {I(1), R(1.5)}), yes},                   {N(E::Geq, {I(2), R(2.0)}), yes},
        {N(E::Gt, {S("b"), S("a")}), yes},                 {N(E::Lt, {S("b"), I(1)}), nil},
        {N(E::Eq, {I(2), R(2.0)}), yes},                   {N(E::Df, {S("a"), I(2)}), yes},
        {N(E::Eq, {B(false), B(false)}), yes},             {N(E::And, {B(true), B(true), B(false)}), no},
        {N(E::Or, {B(false), B(true)}), yes},              {N(E::And, {B(true), I(1)}), nil},
        {N(E::Not, {B(false)}), yes},                      {N(E::Not, {I(0)}), nil},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE("row " + std::to_string(i) + ": " + E::GetFunctorFromType(cases[i].e->GetType()));
        EXPECT_TRUE(Same(Value(cases[i].e), cases[i].expected));
    }
}

TEST_F(Expressions, ConditionalsEvaluateOnlyWhatTheyNeed) {
    EXPECT_EQ(Value(N(E::Ite, {B(true), I(1), I(2)})).GetInt(), 1);
    EXPECT_EQ(Value(N(E::Ite, {B(false), I(1), I(2)})).GetInt(), 2);
    EXPECT_EQ(Value(N(E::Ite, {I(1), I(1), I(2)})).GetInt(), 2);  // not a Boolean: false
    // The branch not taken is not evaluated: its value slot stays nil.
    E* untaken = N(E::Add, {I(1), I(1)});
    std::unique_ptr<E> ite(N(E::Ite, {B(true), I(1), untaken}));
    evaluator.Evaluate(ite.get(), 0.0);
    EXPECT_TRUE(untaken->GetValue().IsNil());

    auto Case = [this](E* condition, E* value) { return N(E::Case, {condition, value}); };
    EXPECT_EQ(Value(N(E::Switch, {Case(B(false), I(1)), Case(B(true), I(2)), I(3)})).GetInt(), 2);
    EXPECT_EQ(Value(N(E::Switch, {Case(B(false), I(1)), Case(I(1), I(2)), I(3)})).GetInt(), 3);
    EXPECT_TRUE(Value(N(E::Switch, {Case(B(false), I(1))})).IsNil());
    // The first child that is not a case gives its value, later cases are not looked at.
    EXPECT_EQ(Value(N(E::Switch, {I(4), Case(B(true), I(2))})).GetInt(), 4);
    EXPECT_EQ(Value(Case(B(true), I(5))).GetInt(), 5);
    EXPECT_TRUE(Value(Case(B(false), I(5))).IsNil());
    // Conditions depending on the mission time.
    E* switchOnTime = N(E::Switch, {Case(N(E::Lt, {model.NewStochasticExpression(E::MissionTime), R(10.0)}), R(0.1)),
                                    R(0.9)});
    std::unique_ptr<E> owned(switchOnTime);
    EXPECT_EQ(evaluator.EvaluateAsDouble(switchOnTime, 5.0), 0.1);
    EXPECT_EQ(evaluator.EvaluateAsDouble(switchOnTime, 50.0), 0.9);
}

TEST_F(Expressions, ParameterReferencesFollowTheirDefinitionsAndCutCycles) {
    KEFOParameter* a = model.NewParameter("a");
    KEFOParameter* b = model.NewParameter("b");
    a->SetDefinition(N(E::Mul, {model.NewParameterReference("b"), model.NewStochasticExpression(E::MissionTime)}));
    b->SetDefinition(R(2.0));
    model.UpdateInternalReferencesInDeclarations();
    std::unique_ptr<E> ref(model.NewParameterReference(a));
    EXPECT_EQ(evaluator.EvaluateAsDouble(ref.get(), 3.0), 6.0);
    b->SetDefinition(R(5.0));
    EXPECT_EQ(evaluator.EvaluateAsDouble(ref.get(), 3.0), 15.0);
    EXPECT_EQ(a->GetDefinitionAsExpression()->GetValueAsDouble(), 15.0);
    EXPECT_TRUE(Same(Value(model.NewParameterReference("unresolved")), PLOVManagedValue::NewDouble(0.0)));
    KEFOParameter* undefined = model.NewParameter("undefined");
    EXPECT_EQ(Real(model.NewParameterReference(undefined)), 0.0);
    // p = p + 1: the inner reference reads the current value of p.
    KEFOParameter* p = model.NewParameter("p");
    p->SetDefinition(N(E::Add, {model.NewParameterReference(p), R(1.0)}));
    std::unique_ptr<E> pref(model.NewParameterReference(p));
    PLOVManagedValue first = evaluator.Evaluate(pref.get(), 0.0);
    EXPECT_TRUE(first.IsNil());  // nil + 1 is nil
    p->GetDefinitionAsExpression()->GetMutableValue().SetDouble(1.0);
    EXPECT_EQ(evaluator.EvaluateAsDouble(pref.get(), 0.0), 2.0);
    EXPECT_EQ(evaluator.EvaluateAsDouble(pref.get(), 0.0), 3.0);
}

TEST_F(Expressions, ChainOfOneHundredThousandParametersIsEvaluatedIteratively) {
    const int n = 100000;
    std::vector<KEFOParameter*> parameters;
    for (int i = 0; i < n; ++i) parameters.push_back(model.NewParameter(("p" + std::to_string(i)).c_str()));
    for (int i = 0; i + 1 < n; ++i) {
        parameters[static_cast<std::size_t>(i)]->SetDefinition(
            N(E::Add, {model.NewParameterReference(parameters[static_cast<std::size_t>(i + 1)]), I(1)}));
    }
    parameters.back()->SetDefinition(model.NewStochasticExpression(E::MissionTime));
    std::unique_ptr<E> ref(model.NewParameterReference(parameters[0]));
    EXPECT_EQ(evaluator.EvaluateAsDouble(ref.get(), 0.5), 0.5 + (n - 1));
    EXPECT_TRUE(ref->IsTimeDependent());
    // And a nested expression as deep.
    E* nested = R(1.0);
    for (int i = 0; i < n; ++i) nested = N(E::Neg, {nested});
    std::unique_ptr<E> owned(nested);
    EXPECT_EQ(evaluator.EvaluateAsDouble(nested, 0.0), 1.0);
    std::unique_ptr<E> copy(E::Copy(&model, nested));
    EXPECT_EQ(evaluator.EvaluateAsDouble(copy.get(), 0.0), 1.0);
    EXPECT_FALSE(copy->IsTimeDependent());
}

TEST_F(Expressions, BoundTimeEvaluatesItsThirdChildAtTheLocalTime) {
    std::unique_ptr<E> e(N(E::BoundTime, {R(10.0), R(5.0), N(E::Exponential, {R(0.1)})}));
    EXPECT_EQ(evaluator.EvaluateAsDouble(e.get(), 3.0), KEFOExpressionEvaluator::smallestNormal);  // at 0
    EXPECT_DOUBLE_EQ(evaluator.EvaluateAsDouble(e.get(), 12.0), 1.0 - std::exp(-0.1 * 2.0));
    EXPECT_DOUBLE_EQ(evaluator.EvaluateAsDouble(e.get(), 15.0), 1.0 - std::exp(-0.1 * 5.0));
    EXPECT_DOUBLE_EQ(evaluator.EvaluateAsDouble(e.get(), 100.0), 1.0 - std::exp(-0.1 * 5.0));
    std::unique_ptr<E> time(N(E::BoundTime, {R(10.0), R(5.0), model.NewStochasticExpression(E::MissionTime)}));
    EXPECT_EQ(evaluator.EvaluateAsDouble(time.get(), 13.0), 3.0);
    EXPECT_EQ(evaluator.EvaluateAsDouble(time.get(), 10.0), KEFOExpressionEvaluator::smallestNormal);
}

TEST_F(Expressions, DiracPeriodicAndFailureOnDemand) {
    // (expression, mission time, value); the third periodic one has no period.
    const std::tuple<E*, double, double> cases[] = {
        {N(E::Dirac, {R(5.0)}), 4.0, 1.0},          {N(E::Dirac, {R(5.0)}), 6.0, 0.0},
        {N(E::Dirac, {R(5.0), R(5.0)}), 100.0, 1.0}, {N(E::Periodic, {R(2.0), R(3.0), R(8.0)}), 0.0, 1.0},
        {N(E::Periodic, {R(2.0), R(3.0), R(9.0)}), 0.0, 0.0}, {N(E::Periodic, {R(2.0), R(0.0), R(2.0)}), 0.0, 0.0},
        {N(E::FailureOnDemand, {R(0.3), R(99.0)}), 0.0, 0.3}, {N(E::FailureOnDemand, {R(3.0), R(0.0)}), 0.0, 1.0},
        {N(E::FailureOnDemand, {S("x"), R(0.0)}), 0.0, 0.0}, {N(E::FailureOnDemand, {I(1), R(0.0)}), 0.0, 1.0}};
    for (const auto& [e, t, value] : cases) EXPECT_EQ(Real(e, t), value) << "at " << t << ", expected " << value;
}

TEST_F(Expressions, ProbabilityReadsClampAndNonNumbersReadZero) {
    const std::pair<E*, double> reads[] = {{R(3.0), 1.0}, {N(E::Neg, {R(0.5)}), 0.0}, {S("0.5"), 0.0}, {I(1), 1.0}};
    for (const auto& r : reads)
        EXPECT_EQ(evaluator.EvaluateAsProbability(std::unique_ptr<E>(r.first).get(), 0.0), r.second);
    EXPECT_TRUE(evaluator.Evaluate(nullptr, 0.0).IsNil());
    // Arguments of distributions that are not numbers read 0.
    EXPECT_EQ(Real(N(E::Exponential, {S("x"), R(10.0)})), 0.0);
    EXPECT_EQ(Real(N(E::Exponential, {R(-1.0), R(10.0)})), 0.0);
}

}  // namespace
