// A common-cause-failure group: members (references to state variables), the
// factors of its model indexed by CCF level, and the distribution Q of the
// total failure probability of one member. Positions are numbered from 1.
// Factor positions with n members: beta-factor, beta at n; MGL, the factors
// at 2 to n; alpha-factor, alpha_1 to alpha_n at 1 to n; phi-factor, phi_1 to
// phi_n at 1 to n.
#ifndef KEFO_MODEL_CCF_GROUP_H
#define KEFO_MODEL_CCF_GROUP_H

#include "model/connection.h"

#include <vector>

class KEFOBlock;
class KEFOGate;
class KEFOStochasticExpression;
class KEFOVariable;
class PLOVMessenger;

class KEFOCCFGroup : public KEFOConnection {
    PLOV_MANAGED_ALLOCATION(KEFOCCFGroup)
public:
    // Groups with more members than this (for the models that make one
    // event per subset of members, that is all but beta-factor) are refused
    // by the expansion: they would make 2^n events.
    static const int maximumNumberOfExpandedMembers = 16;

    KEFOCCFGroup(int type, KEFOContainer* owner, KEFOPath* path);
    // Deletes members, factors and distribution.
    ~KEFOCCFGroup() override;

    bool IsBetaFactorModel() const;
    bool IsMGLModel() const;
    bool IsAlphaFactorModel() const;
    bool IsPhiFactorModel() const;

    // Members: gates referring to state variables, in the order written.
    // The number of members present (holes of the sparse array not counted).
    int GetNumberOfMembers() const;
    // Highest position in use.
    int GetSizeOfMembers() const { return static_cast<int>(_members.size()); }
    KEFOGate* GetMember(int i) const;
    // Replaces (and deletes) the member at that position.
    void SetMember(int i, KEFOGate* gate);
    // Appends at the position after the highest one.
    void AddMember(KEFOGate* gate);
    // The variable a member designates (null when unresolved).
    KEFOVariable* GetMemberVariable(int i) const;

    // Factors.
    int GetNumberOfFactors() const;
    int GetSizeOfFactors() const { return static_cast<int>(_factors.size()); }
    KEFOStochasticExpression* GetFactor(int i) const;
    // Replaces (and deletes) the factor at that position.
    void SetFactor(int i, KEFOStochasticExpression* factor);
    void AddFactor(KEFOStochasticExpression* factor);
    // The factor at `from` replaces (and deletes) the one at `to`; `from`
    // becomes empty.
    void MoveFactor(int from, int to);

    KEFOStochasticExpression* GetDistribution() const { return _distribution; }
    // Replaces (and deletes) the distribution.
    void SetDistribution(KEFOStochasticExpression* distribution);

    bool IsExpanded() const { return _expanded; }
    void SetExpanded(bool expanded) { _expanded = expanded; }
    // Deletes members, factors and distribution; not expanded.
    void Reset();

    // Expansion into basic events in the group's own container (the target
    // model): one state variable per subset of members named after the group
    // (identifier, "-", one "1" or "0" per member in member order), made when
    // missing and given the subset's probability unless it already has a
    // distribution; each member variable becomes a flow variable defined by
    // an or over the subsets that contain it (beta-factor: the member alone,
    // then all members; other models: every subset that contains it, the set
    // of all members last). Probabilities are expression trees over copies of
    // the factors and of Q, so they follow later changes of parameters.
    // Errors (counted, and queued in `store` when given): fewer than two
    // members 10086; a member that is not a reference, or twice in the group,
    // 10087; no distribution 10088; a missing factor 10085 (its level); too
    // many members to enumerate, or no identifier, 10081; a member or subset
    // name already declared as something else, 12003. The model is not
    // touched when the group has an error. Does nothing when errors is
    // non-zero on entry, or when the group is already expanded.
    void Expand(int& errors, PLOVMessenger* store);

    // 1 / C(n-1, k-1) as the expansion writes it.
    static double InverseBinomial(int n, int k);

private:
    void _Raise(int& errors, PLOVMessenger* store, int code, const char* argument) const;

    std::vector<KEFOGate*> _members;
    std::vector<KEFOStochasticExpression*> _factors;
    KEFOStochasticExpression* _distribution = nullptr;
    bool _expanded = false;
};

#endif
