// CCF groups: expansion of the four models on three- and four-member groups
// against the formulas, probabilities that follow later parameter changes,
// completion of the target model and the errors of ill-formed groups.
#include "model/ccf_group.h"
#include "model/expression_evaluator.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"
#include "script/messenger.h"
#include "support/messenger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

typedef KEFOStochasticExpression E;

struct CCF : ::testing::Test {
    KEFOModel model;
    KEFOExpressionEvaluator evaluator;
    PLOVMessenger store;
    KEFOMessenger messenger;
    std::vector<KEFOParameter*> factors;
    KEFOParameter* q = nullptr;
    int errors = 0;

    void SetUp() override {
        messenger.Initialize(&store);
        model.SetPure(true);
    }

    // A group over members A, B, C[, D] of basic events; factor parameters
    // f1..f4 with the given values, placed as the readers place them; Q a
    // parameter.
    KEFOCCFGroup* Group(int type, int n, std::vector<double> values, double qValue = 1e-3) {
        const char* names[] = {"A", "B", "C", "D", "E"};
        for (int i = 0; i < n; ++i) model.NewVariable(KEFOType::StateVariable, names[i]);
        q = model.NewParameter("Q");
        q->SetDefinition(model.NewRealExpression(qValue));
        KEFOCCFGroup* g = model.NewCCFGroup(type, "G");
        for (int i = 0; i < n; ++i) g->AddMember(model.NewVariableReference(KEFOType::StateVariable, names[i]));
        int first = type == KEFOType::BetaFactorCCFGroup ? n : (type == KEFOType::MGLCCFGroup ? 2 : 1);
        for (std::size_t i = 0; i < values.size(); ++i) {
            KEFOParameter* f = model.NewParameter(("f" + std::to_string(i + 1)).c_str());
            f->SetDefinition(model.NewRealExpression(values[i]));
            factors.push_back(f);
            g->SetFactor(first + static_cast<int>(i), model.NewParameterReference(f->GetIdentifier()));
        }
        g->SetDistribution(model.NewParameterReference("Q"));
        model.UpdateInternalReferencesInDeclarations();
        return g;
    }

    KEFOVariable* Event(const std::string& name) {
        bool mismatch = false;
        KEFOVariable* v = model.LookForVariable(name.c_str(), mismatch);
        EXPECT_NE(v, nullptr) << name;
        EXPECT_FALSE(mismatch) << name;
        return v;
    }
    double P(const std::string& name) {
        KEFOVariable* v = Event(name);
        if (v == nullptr) return -1.0;
        EXPECT_TRUE(v->IsStateVariable()) << name;
        return evaluator.EvaluateAsProbability(v->GetProbabilityDistribution(), 0.0);
    }
    // The subsets of a member's definition, by name, in order.
    std::vector<std::string> Definition(const char* member) {
        std::vector<std::string> names;
        KEFOVariable* v = Event(member);
        if (v == nullptr) return names;
        EXPECT_TRUE(v->IsFlowVariable());
        KEFOGate* d = v->GetDefinitionAsGate();
        EXPECT_NE(d, nullptr);
        if (d == nullptr) return names;
        EXPECT_EQ(d->GetType(), KEFOGate::Or);
        for (KEFOTerm* c : d->GetChildren()) {
            KEFOGate* r = KEFOGate::AsGate(c);
            EXPECT_TRUE(r->IsStateVariableReference());
            names.push_back(r->GetReferredVariable()->GetIdentifier());
            EXPECT_STREQ(r->GetReferredPortPathAsString(), names.back().c_str());
        }
        return names;
    }
    std::vector<std::string> DeclarationNames() {
        std::vector<std::string> names;
        for (KEFODeclaration* d : model.GetDeclarations()) names.push_back(d->GetPathAsString());
        return names;
    }
    void SetFactor(int i, double value) {
        factors[static_cast<std::size_t>(i - 1)]->SetDefinition(model.NewRealExpression(value));
    }
};

TEST_F(CCF, BetaFactorOverTwoMembers) {
    Group(KEFOType::BetaFactorCCFGroup, 2, {0.1});
    model.ExpandCCFGroups(errors, &store);
    ASSERT_EQ(errors, 0);
    EXPECT_EQ(Definition("A"), (std::vector<std::string>{"G-10", "G-11"}));
    EXPECT_EQ(Definition("B"), (std::vector<std::string>{"G-01", "G-11"}));
    EXPECT_DOUBLE_EQ(P("G-10"), 0.9 * 1e-3);
    EXPECT_DOUBLE_EQ(P("G-01"), 0.9 * 1e-3);
    EXPECT_DOUBLE_EQ(P("G-11"), 0.1 * 1e-3);
    bool mismatch = false;
    EXPECT_EQ(model.LookForCCFGroup("G", mismatch), nullptr);  // removed after expansion
    EXPECT_EQ(Event("A")->GetCCFGroup(), nullptr);
    EXPECT_EQ(Event("A")->GetProbabilityDistribution(), nullptr);
}

TEST_F(CCF, BetaFactorOverThreeAndFourMembers) {
    Group(KEFOType::BetaFactorCCFGroup, 3, {0.2}, 2e-3);
    model.ExpandCCFGroups(errors, &store);
    ASSERT_EQ(errors, 0);
    EXPECT_EQ(DeclarationNames(),
              (std::vector<std::string>{"A", "B", "C", "Q", "f1", "G-100", "G-111", "G-010", "G-001"}));
    EXPECT_EQ(Definition("C"), (std::vector<std::string>{"G-001", "G-111"}));
    EXPECT_DOUBLE_EQ(P("G-010"), 0.8 * 2e-3);
    EXPECT_DOUBLE_EQ(P("G-111"), 0.2 * 2e-3);
    SetFactor(1, 0.5);
    EXPECT_DOUBLE_EQ(P("G-001"), 0.5 * 2e-3);
    EXPECT_DOUBLE_EQ(P("G-111"), 0.5 * 2e-3);
}

TEST_F(CCF, BetaFactorOverFourMembers) {
    Group(KEFOType::BetaFactorCCFGroup, 4, {0.05});
    model.ExpandCCFGroups(errors, &store);
    ASSERT_EQ(errors, 0);
    EXPECT_EQ(Definition("D"), (std::vector<std::string>{"G-0001", "G-1111"}));
    EXPECT_DOUBLE_EQ(P("G-0100"), 0.95e-3);
    EXPECT_DOUBLE_EQ(P("G-1111"), 0.05e-3);
}

TEST_F(CCF, MembersOfTheOtherModelsListEverySubsetThatHoldsThemAllMembersLast) {
    Group(KEFOType::AlphaFactorCCFGroup, 3, {0.9, 0.07, 0.03});
    model.ExpandCCFGroups(errors, &store);
    ASSERT_EQ(errors, 0);
    EXPECT_EQ(Definition("A"), (std::vector<std::string>{"G-100", "G-110", "G-101", "G-111"}));
    EXPECT_EQ(Definition("B"), (std::vector<std::string>{"G-010", "G-110", "G-011", "G-111"}));
    EXPECT_EQ(Definition("C"), (std::vector<std::string>{"G-001", "G-101", "G-011", "G-111"}));
    EXPECT_EQ(DeclarationNames(), (std::vector<std::string>{"A", "B", "C", "Q", "f1", "f2", "f3", "G-100", "G-110",
                                                            "G-101", "G-111", "G-010", "G-011", "G-001"}));
}

TEST_F(CCF, AlphaFactorOverThreeMembers) {
    double a1 = 0.9, a2 = 0.07, a3 = 0.03, Q = 1e-3, sum = a1 + a2 + a3;
    Group(KEFOType::AlphaFactorCCFGroup, 3, {a1, a2, a3}, Q);
    model.ExpandCCFGroups(errors, &store);
    ASSERT_EQ(errors, 0);
    for (const char* single : {"G-100", "G-010", "G-001"}) EXPECT_DOUBLE_EQ(P(single), a1 / sum * Q);
    for (const char* pair : {"G-110", "G-101", "G-011"}) EXPECT_DOUBLE_EQ(P(pair), a2 / sum * Q / 2.0);
    EXPECT_DOUBLE_EQ(P("G-111"), a3 / sum * Q);
    // A later change of a factor's parameter is followed.
    SetFactor(2, 0.17);
    double sum2 = a1 + 0.17 + a3;
    EXPECT_DOUBLE_EQ(P("G-110"), 0.17 / sum2 * Q / 2.0);
    EXPECT_DOUBLE_EQ(P("G-100"), a1 / sum2 * Q);
    q->SetDefinition(model.NewRealExpression(4e-3));
    EXPECT_DOUBLE_EQ(P("G-111"), a3 / sum2 * 4e-3);
}

TEST_F(CCF, AlphaFactorOverFourMembers) {
    double a[4] = {0.8, 0.1, 0.06, 0.04}, Q = 2e-3, sum = 1.0;
    Group(KEFOType::AlphaFactorCCFGroup, 4, {a[0], a[1], a[2], a[3]}, Q);
    model.ExpandCCFGroups(errors, &store);
    ASSERT_EQ(errors, 0);
    // 1 / C(3, k - 1): 1, 1/3, 1/3, 1.
    EXPECT_DOUBLE_EQ(P("G-0010"), a[0] / sum * Q);
    EXPECT_DOUBLE_EQ(P("G-1001"), a[1] / sum * Q / 3.0);
    EXPECT_DOUBLE_EQ(P("G-0111"), a[2] / sum * Q / 3.0);
    EXPECT_DOUBLE_EQ(P("G-1111"), a[3] / sum * Q);
    std::vector<std::string> d = Definition("B");
    EXPECT_EQ(d.size(), 8u);
    EXPECT_EQ(d.front(), "G-0100");
    EXPECT_EQ(d.back(), "G-1111");
    EXPECT_EQ(std::set<std::string>(d.begin(), d.end()).size(), 8u);
    for (const std::string& name : d) EXPECT_EQ(name[2 + 1], '1') << name;  // B is in each
    EXPECT_EQ(model.GetNumberOfVariables(), 4 + 15);
    SetFactor(4, 0.14);
    EXPECT_DOUBLE_EQ(P("G-1111"), 0.14 / 1.1 * Q);
}

TEST_F(CCF, MGLOverThreeMembers) {
    double beta = 0.1, gamma = 0.3, Q = 1e-3;
    Group(KEFOType::MGLCCFGroup, 3, {beta, gamma}, Q);
    model.ExpandCCFGroups(errors, &store);
    ASSERT_EQ(errors, 0);
    EXPECT_DOUBLE_EQ(P("G-010"), (1 - beta) * Q);
    EXPECT_DOUBLE_EQ(P("G-101"), 0.5 * beta * (1 - gamma) * Q);
    EXPECT_DOUBLE_EQ(P("G-111"), beta * gamma * Q);
    SetFactor(1, 0.2);
    EXPECT_DOUBLE_EQ(P("G-011"), 0.5 * 0.2 * (1 - gamma) * Q);
}

TEST_F(CCF, MGLOverFourMembers) {
    double beta = 0.1, gamma = 0.3, delta = 0.6, Q = 1e-3;
    Group(KEFOType::MGLCCFGroup, 4, {beta, gamma, delta}, Q);
    model.ExpandCCFGroups(errors, &store);
    ASSERT_EQ(errors, 0);
    EXPECT_DOUBLE_EQ(P("G-0001"), (1 - beta) * Q);
    EXPECT_DOUBLE_EQ(P("G-0110"), beta * (1 - gamma) * Q / 3.0);
    EXPECT_DOUBLE_EQ(P("G-1101"), beta * gamma * (1 - delta) * Q / 3.0);
    EXPECT_DOUBLE_EQ(P("G-1111"), beta * gamma * delta * Q);
    SetFactor(3, 0.9);
    EXPECT_DOUBLE_EQ(P("G-1111"), beta * gamma * 0.9 * Q);
    EXPECT_DOUBLE_EQ(P("G-1011"), beta * gamma * 0.1 * Q / 3.0);
}

TEST_F(CCF, PhiFactorOverThreeAndFourMembers) {
    Group(KEFOType::PhiFactorCCFGroup, 4, {0.7, 0.2, 0.06, 0.04}, 5e-3);
    model.ExpandCCFGroups(errors, &store);
    ASSERT_EQ(errors, 0);
    EXPECT_DOUBLE_EQ(P("G-1000"), 0.7 * 5e-3);
    EXPECT_DOUBLE_EQ(P("G-0011"), 0.2 * 5e-3);
    EXPECT_DOUBLE_EQ(P("G-1110"), 0.06 * 5e-3);
    EXPECT_DOUBLE_EQ(P("G-1111"), 0.04 * 5e-3);
    SetFactor(2, 0.25);
    EXPECT_DOUBLE_EQ(P("G-0101"), 0.25 * 5e-3);
}

TEST_F(CCF, PhiFactorOverThreeMembers) {
    Group(KEFOType::PhiFactorCCFGroup, 3, {0.8, 0.15, 0.05}, 1e-2);
    model.ExpandCCFGroups(errors, &store);
    ASSERT_EQ(errors, 0);
    EXPECT_DOUBLE_EQ(P("G-001"), 0.8e-2);
    EXPECT_DOUBLE_EQ(P("G-011"), 0.15e-2);
    EXPECT_DOUBLE_EQ(P("G-111"), 0.05e-2);
}

TEST_F(CCF, ProbabilitiesFollowATimeDependentDistribution) {
    Group(KEFOType::BetaFactorCCFGroup, 2, {0.1});
    q->SetDefinition(E::New(&model, E::Exponential, model.NewRealExpression(1e-3)));
    model.ExpandCCFGroups(errors, &store);
    KEFOVariable* both = Event("G-11");
    EXPECT_TRUE(both->GetProbabilityDistribution()->IsTimeDependent());
    EXPECT_DOUBLE_EQ(evaluator.EvaluateAsDouble(both->GetProbabilityDistribution(), 100.0),
                     0.1 * (1.0 - std::exp(-0.1)));
}

TEST_F(CCF, ExistingEventsKeepTheirDistributionAndMissingMembersAreMade) {
    KEFOVariable* kept = model.NewVariable(KEFOType::Variable, "G-11");
    kept->SetProbabilityDistribution(model.NewRealExpression(0.5));
    q = model.NewParameter("Q");
    q->SetDefinition(model.NewRealExpression(1e-3));
    KEFOCCFGroup* g = model.NewCCFGroup(KEFOType::BetaFactorCCFGroup, "G");
    g->AddMember(model.NewVariableReference(KEFOType::StateVariable, "A"));  // declared nowhere
    g->AddMember(model.NewVariableReference(KEFOType::StateVariable, "B"));
    g->SetFactor(2, model.NewRealExpression(0.1));
    g->SetDistribution(model.NewParameterReference("Q"));
    model.UpdateInternalReferencesInDeclarations();
    model.ExpandCCFGroups(errors, &store);
    ASSERT_EQ(errors, 0);
    EXPECT_EQ(Event("G-11"), kept);
    EXPECT_TRUE(kept->IsStateVariable());
    EXPECT_DOUBLE_EQ(P("G-11"), 0.5);
    EXPECT_DOUBLE_EQ(P("G-10"), 0.9e-3);
    EXPECT_TRUE(Event("A")->IsFlowVariable());
    EXPECT_EQ(Definition("A"), (std::vector<std::string>{"G-10", "G-11"}));
}

TEST_F(CCF, IllFormedGroupsRaiseErrorsAndLeaveTheModelAlone) {
    struct Case {
        const char* what;
        int code;
        const char* text;
    };
    auto check = [this](KEFOCCFGroup* g, int code, const char* text) {
        int before = model.GetNumberOfDeclarations();
        int e = 0;
        g->Expand(e, &store);
        EXPECT_EQ(e, 1) << code;
        EXPECT_FALSE(g->IsExpanded());
        EXPECT_EQ(model.GetNumberOfDeclarations(), before);
        ASSERT_FALSE(store.GetMessages().empty());
        EXPECT_EQ(store.GetMessages().back()->GetCode(), static_cast<unsigned>(code));
        EXPECT_EQ(store.GetMessages().back()->GetText(), text);
    };
    model.NewVariable(KEFOType::StateVariable, "A");
    model.NewVariable(KEFOType::StateVariable, "B");
    KEFOVariable* gate = model.NewVariable(KEFOType::FlowVariable, "F");
    gate->SetDefinition(model.NewConstant(true));
    auto members = [this](KEFOCCFGroup* g, std::initializer_list<const char*> names) {
        for (const char* name : names) g->AddMember(model.NewVariableReference(KEFOType::StateVariable, name));
    };

    KEFOCCFGroup* lonely = model.NewCCFGroup(KEFOType::BetaFactorCCFGroup, "L");
    members(lonely, {"A"});
    lonely->SetFactor(1, model.NewRealExpression(0.1));
    lonely->SetDistribution(model.NewRealExpression(0.1));
    check(lonely, 10086, "Too few CCF group members");

    KEFOCCFGroup* noQ = model.NewCCFGroup(KEFOType::BetaFactorCCFGroup, "N");
    members(noQ, {"A", "B"});
    noQ->SetFactor(2, model.NewRealExpression(0.1));
    check(noQ, 10088, "A probability distribution was expected");

    KEFOCCFGroup* missing = model.NewCCFGroup(KEFOType::MGLCCFGroup, "M");
    members(missing, {"A", "B", "F"});
    missing->SetFactor(2, model.NewRealExpression(0.1));
    missing->SetDistribution(model.NewRealExpression(0.1));
    check(missing, 10085, "Factor of level 3 of CCF group is missing");

    missing->SetFactor(3, model.NewRealExpression(0.1));
    model.UpdateInternalReferencesInDeclarations();
    check(missing, 12003, "F is already declared with another type.");

    KEFOCCFGroup* twice = model.NewCCFGroup(KEFOType::PhiFactorCCFGroup, "T");
    members(twice, {"A", "B", "A"});
    for (int i = 1; i <= 3; ++i) twice->SetFactor(i, model.NewRealExpression(0.1));
    twice->SetDistribution(model.NewRealExpression(0.1));
    model.UpdateInternalReferencesInDeclarations();
    check(twice, 10087, "Ill formed CCF group member");

    // A subset name taken by a gate.
    KEFOVariable* clash = model.NewVariable(KEFOType::FlowVariable, "C-11");
    (void)clash;
    KEFOCCFGroup* c = model.NewCCFGroup(KEFOType::BetaFactorCCFGroup, "C");
    members(c, {"A", "B"});
    c->SetFactor(2, model.NewRealExpression(0.1));
    c->SetDistribution(model.NewRealExpression(0.1));
    model.UpdateInternalReferencesInDeclarations();
    check(c, 12003, "C-11 is already declared with another type.");

    // Too many members to enumerate their subsets.
    KEFOCCFGroup* huge = model.NewCCFGroup(KEFOType::AlphaFactorCCFGroup, "H");
    for (int i = 0; i < 17; ++i) {
        std::string name = "m" + std::to_string(i);
        model.NewVariable(KEFOType::StateVariable, name.c_str());
        huge->AddMember(model.NewVariableReference(KEFOType::StateVariable, name.c_str()));
        huge->SetFactor(i + 1, model.NewRealExpression(0.1));
    }
    huge->SetDistribution(model.NewRealExpression(0.1));
    check(huge, 10081, "Incorrect CCF group definition");

    // ExpandCCFGroups keeps the groups that failed and does nothing after an error.
    int e = 1;
    model.ExpandCCFGroups(e, &store);
    EXPECT_EQ(e, 1);
    e = 0;
    model.ExpandCCFGroups(e, &store);
    EXPECT_EQ(e, 6);
    bool mismatch = false;
    EXPECT_NE(model.LookForCCFGroup("L", mismatch), nullptr);
}

TEST_F(CCF, FactorPositionsAndMoves) {
    KEFOCCFGroup* g = model.NewCCFGroup(KEFOType::BetaFactorCCFGroup, "G");
    g->AddFactor(model.NewRealExpression(0.1));
    EXPECT_EQ(g->GetNumberOfFactors(), 1);
    g->MoveFactor(1, 3);
    EXPECT_EQ(g->GetFactor(1), nullptr);
    ASSERT_NE(g->GetFactor(3), nullptr);
    EXPECT_EQ(g->GetFactor(3)->GetValueAsDouble(), 0.1);
    EXPECT_EQ(g->GetNumberOfFactors(), 1);
    g->SetFactor(3, model.NewRealExpression(0.2));  // replaces and deletes
    EXPECT_EQ(g->GetFactor(3)->GetValueAsDouble(), 0.2);
    EXPECT_EQ(g->GetFactor(0), nullptr);
    EXPECT_EQ(g->GetFactor(9), nullptr);
    g->SetMember(2, model.NewVariableReference(KEFOType::StateVariable, "B"));
    EXPECT_EQ(g->GetNumberOfMembers(), 1);
    EXPECT_EQ(g->GetSizeOfMembers(), 2);
    EXPECT_EQ(g->GetMember(1), nullptr);
    g->Reset();
    EXPECT_EQ(g->GetNumberOfFactors(), 0);
    EXPECT_EQ(g->GetNumberOfMembers(), 0);
    EXPECT_DOUBLE_EQ(KEFOCCFGroup::InverseBinomial(5, 3), 1.0 / 6.0);
    EXPECT_DOUBLE_EQ(KEFOCCFGroup::InverseBinomial(5, 1), 1.0);
    EXPECT_DOUBLE_EQ(KEFOCCFGroup::InverseBinomial(5, 5), 1.0);
    EXPECT_DOUBLE_EQ(KEFOCCFGroup::InverseBinomial(5, 2), 0.25);
}

TEST(CompleteModel, DefaultsEveryMissingDefinition) {
    KEFOModel model;
    KEFOVariable* u = model.NewVariable(KEFOType::Variable, "u");
    KEFOVariable* e = model.NewVariable(KEFOType::StateVariable, "e");
    KEFOVariable* g = model.NewVariable(KEFOType::FlowVariable, "g");
    KEFOVariable* h = model.NewVariable(KEFOType::SourceVariable, "h");
    KEFOVariable* kept = model.NewVariable(KEFOType::StateVariable, "kept");
    kept->SetProbabilityDistribution(model.NewRealExpression(0.25));
    KEFOParameter* p = model.NewParameter("p");
    model.CompleteModel();
    EXPECT_TRUE(u->IsStateVariable());
    for (KEFOVariable* v : {u, e}) {
        ASSERT_NE(v->GetProbabilityDistribution(), nullptr);
        EXPECT_EQ(v->GetProbabilityDistribution()->GetType(), E::Real);
        EXPECT_EQ(v->GetProbabilityDistribution()->GetValueAsDouble(), 0.0);
    }
    for (KEFOVariable* v : {g, h}) {
        ASSERT_NE(v->GetDefinitionAsGate(), nullptr);
        EXPECT_TRUE(v->GetDefinitionAsGate()->IsConstantFalse());
    }
    EXPECT_EQ(kept->GetProbabilityDistribution()->GetValueAsDouble(), 0.25);
    ASSERT_NE(p->GetDefinitionAsExpression(), nullptr);
    EXPECT_EQ(p->GetDefinitionAsExpression()->GetType(), E::Real);
}

}  // namespace
