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

// A model for one group: members A, B, C[, D] of basic events; factor
// parameters f1..f4 placed as the readers place them; Q a parameter.
struct GroupModel {
    KEFOModel model;
    KEFOExpressionEvaluator evaluator;
    PLOVMessenger store;
    KEFOMessenger messenger;
    std::vector<KEFOParameter*> factors;
    KEFOParameter* q = nullptr;
    int errors = 0;

    GroupModel() {
        messenger.Initialize(&store);
        model.SetPure(true);
    }

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
};

struct CCF : ::testing::Test, GroupModel {};

// The probability of the event of a subset of k of n members, from the
// factors: beta-factor (only single failures and all), alpha-factor, MGL
// (rho_1 = 1, rho_2.. the factors, rho_n+1 = 0) and phi-factor.
double Formula(int type, int n, int k, const std::vector<double>& f, double Q) {
    double binomial = 1.0;  // C(n - 1, k - 1)
    for (int i = 1; i < k; ++i) binomial = binomial * (n - i) / i;
    switch (type) {
    case KEFOType::BetaFactorCCFGroup: return (k == 1 ? 1.0 - f[0] : f[0]) * Q;
    case KEFOType::AlphaFactorCCFGroup: {
        double sum = 0.0;
        for (double a : f) sum += a;
        return f[static_cast<std::size_t>(k - 1)] / sum * Q / binomial;
    }
    case KEFOType::MGLCCFGroup: {
        double p = Q;
        for (int i = 2; i <= k; ++i) p *= f[static_cast<std::size_t>(i - 2)];
        if (k < n) p *= 1.0 - f[static_cast<std::size_t>(k - 1)];
        return p / binomial;
    }
    default: return f[static_cast<std::size_t>(k - 1)] * Q;
    }
}

// Every model on three and four members (beta-factor on two as well): the
// event of every subset against the formula, before and after the factors and
// Q change; the members' definitions list the subsets that hold them.
TEST_F(CCF, EverySubsetProbabilityMatchesTheFormulaAndFollowsLaterChanges) {
    struct Case {
        int type, n;
        std::vector<double> factors;
        double Q;
    };
    const Case cases[] = {
        {KEFOType::BetaFactorCCFGroup, 2, {0.1}, 1e-3},
        {KEFOType::BetaFactorCCFGroup, 3, {0.2}, 2e-3},
        {KEFOType::BetaFactorCCFGroup, 4, {0.05}, 1e-3},
        {KEFOType::AlphaFactorCCFGroup, 3, {0.9, 0.07, 0.03}, 1e-3},
        {KEFOType::AlphaFactorCCFGroup, 4, {0.8, 0.1, 0.06, 0.04}, 2e-3},
        {KEFOType::MGLCCFGroup, 3, {0.1, 0.3}, 1e-3},
        {KEFOType::MGLCCFGroup, 4, {0.1, 0.3, 0.6}, 1e-3},
        {KEFOType::PhiFactorCCFGroup, 3, {0.8, 0.15, 0.05}, 1e-2},
        {KEFOType::PhiFactorCCFGroup, 4, {0.7, 0.2, 0.06, 0.04}, 5e-3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("model " + std::to_string(c.type) + " over " + std::to_string(c.n));
        GroupModel g;
        g.Group(c.type, c.n, c.factors, c.Q);
        g.model.ExpandCCFGroups(g.errors, &g.store);
        ASSERT_EQ(g.errors, 0);
        bool beta = c.type == KEFOType::BetaFactorCCFGroup, mismatch = false;
        EXPECT_EQ(g.model.LookForCCFGroup("G", mismatch), nullptr);  // removed after expansion
        EXPECT_EQ(g.model.GetNumberOfVariables(), c.n + (beta ? c.n + 1 : (1 << c.n) - 1));
        std::vector<double> f = c.factors;
        double Q = c.Q;
        for (int round = 0; round < 2; ++round) {
            for (int subset = 1; subset < (1 << c.n); ++subset) {
                std::string name = "G-";
                int k = 0;
                for (int i = 0; i < c.n; ++i) {
                    name += subset >> i & 1 ? '1' : '0';
                    k += subset >> i & 1;
                }
                if (beta && k > 1 && k < c.n) {
                    EXPECT_EQ(g.model.LookForVariable(name.c_str(), mismatch), nullptr) << name;
                } else {
                    EXPECT_DOUBLE_EQ(g.P(name), Formula(c.type, c.n, k, f, Q)) << name << " round " << round;
                }
            }
            // New values of every factor and of Q are followed.
            for (std::size_t i = 0; i < f.size(); ++i) {
                f[i] = 0.5 * f[i] + 0.04;
                g.factors[i]->SetDefinition(g.model.NewRealExpression(f[i]));
            }
            Q *= 3.0;
            g.q->SetDefinition(g.model.NewRealExpression(Q));
        }
        for (int i = 0; i < c.n; ++i) {
            const char member[] = {static_cast<char>('A' + i), '\0'};
            EXPECT_EQ(g.Event(member)->GetCCFGroup(), nullptr);
            EXPECT_EQ(g.Event(member)->GetProbabilityDistribution(), nullptr);
            std::string single = "G-" + std::string(static_cast<std::size_t>(c.n), '0');
            single[static_cast<std::size_t>(2 + i)] = '1';
            std::vector<std::string> d = g.Definition(member);
            ASSERT_EQ(d.size(), beta ? 2u : 1u << (c.n - 1)) << member;
            EXPECT_EQ(d.front(), single);
            EXPECT_EQ(d.back(), "G-" + std::string(static_cast<std::size_t>(c.n), '1'));
            EXPECT_EQ(std::set<std::string>(d.begin(), d.end()).size(), d.size());
            for (const std::string& name : d) EXPECT_EQ(name[static_cast<std::size_t>(2 + i)], '1') << name;
        }
    }
}

TEST_F(CCF, SubsetsAreDeclaredInOrderAndMembersListTheirsAllMembersLast) {
    Group(KEFOType::AlphaFactorCCFGroup, 3, {0.9, 0.07, 0.03});
    model.ExpandCCFGroups(errors, &store);
    ASSERT_EQ(errors, 0);
    EXPECT_EQ(Definition("A"), (std::vector<std::string>{"G-100", "G-110", "G-101", "G-111"}));
    EXPECT_EQ(Definition("B"), (std::vector<std::string>{"G-010", "G-110", "G-011", "G-111"}));
    EXPECT_EQ(Definition("C"), (std::vector<std::string>{"G-001", "G-101", "G-011", "G-111"}));
    EXPECT_EQ(DeclarationNames(), (std::vector<std::string>{"A", "B", "C", "Q", "f1", "f2", "f3", "G-100", "G-110",
                                                            "G-101", "G-111", "G-010", "G-011", "G-001"}));
    GroupModel beta;
    beta.Group(KEFOType::BetaFactorCCFGroup, 3, {0.2}, 2e-3);
    beta.model.ExpandCCFGroups(beta.errors, &beta.store);
    ASSERT_EQ(beta.errors, 0);
    EXPECT_EQ(beta.DeclarationNames(),
              (std::vector<std::string>{"A", "B", "C", "Q", "f1", "G-100", "G-111", "G-010", "G-001"}));
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
    // Factors of 0.1 at the given levels; a distribution unless told.
    auto group = [this](int type, const char* name, std::vector<std::string> members, std::vector<int> levels,
                        bool distribution = true) {
        KEFOCCFGroup* g = model.NewCCFGroup(type, name);
        for (const std::string& m : members) g->AddMember(model.NewVariableReference(KEFOType::StateVariable, m.c_str()));
        for (int level : levels) g->SetFactor(level, model.NewRealExpression(0.1));
        if (distribution) g->SetDistribution(model.NewRealExpression(0.1));
        return g;
    };
    model.NewVariable(KEFOType::StateVariable, "A");
    model.NewVariable(KEFOType::StateVariable, "B");
    model.NewVariable(KEFOType::FlowVariable, "F")->SetDefinition(model.NewConstant(true));
    check(group(KEFOType::BetaFactorCCFGroup, "L", {"A"}, {1}), 10086, "Too few CCF group members");
    check(group(KEFOType::BetaFactorCCFGroup, "N", {"A", "B"}, {2}, false), 10088,
          "A probability distribution was expected");
    KEFOCCFGroup* missing = group(KEFOType::MGLCCFGroup, "M", {"A", "B", "F"}, {2});
    check(missing, 10085, "Factor of level 3 of CCF group is missing");
    missing->SetFactor(3, model.NewRealExpression(0.1));
    model.UpdateInternalReferencesInDeclarations();
    check(missing, 12003, "F is already declared with another type.");
    KEFOCCFGroup* twice = group(KEFOType::PhiFactorCCFGroup, "T", {"A", "B", "A"}, {1, 2, 3});
    model.UpdateInternalReferencesInDeclarations();
    check(twice, 10087, "Ill formed CCF group member");
    // A subset name taken by a gate.
    model.NewVariable(KEFOType::FlowVariable, "C-11");
    KEFOCCFGroup* clash = group(KEFOType::BetaFactorCCFGroup, "C", {"A", "B"}, {2});
    model.UpdateInternalReferencesInDeclarations();
    check(clash, 12003, "C-11 is already declared with another type.");
    // Too many members to enumerate their subsets.
    std::vector<std::string> many;
    std::vector<int> levels;
    for (int i = 0; i < 17; ++i) {
        many.push_back("m" + std::to_string(i));
        model.NewVariable(KEFOType::StateVariable, many.back().c_str());
        levels.push_back(i + 1);
    }
    check(group(KEFOType::AlphaFactorCCFGroup, "H", many, levels), 10081, "Incorrect CCF group definition");

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
