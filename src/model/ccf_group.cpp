#include "model/ccf_group.h"

#include "model/block.h"
#include "model/gate.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"
#include "support/messenger.h"

#include <string>
#include <unordered_map>

KEFOCCFGroup::KEFOCCFGroup(int type, KEFOContainer* owner, KEFOPath* path) : KEFOConnection(type, owner, path) {}

KEFOCCFGroup::~KEFOCCFGroup() {
    // Unlink the member variables from the group, unless the whole model is
    // going (the variables may be gone already).
    if (!IsDyingWithOwner()) {
        for (std::size_t i = 0; i < _members.size(); ++i) {
            KEFOVariable* variable = GetMemberVariable(static_cast<int>(i) + 1);
            if (variable != nullptr && variable->GetCCFGroup() == this) variable->SetCCFGroup(nullptr);
        }
    }
    Reset();
}

bool KEFOCCFGroup::IsBetaFactorModel() const { return GetType() == KEFOType::BetaFactorCCFGroup; }
bool KEFOCCFGroup::IsMGLModel() const { return GetType() == KEFOType::MGLCCFGroup; }
bool KEFOCCFGroup::IsAlphaFactorModel() const { return GetType() == KEFOType::AlphaFactorCCFGroup; }
bool KEFOCCFGroup::IsPhiFactorModel() const { return GetType() == KEFOType::PhiFactorCCFGroup; }

int KEFOCCFGroup::GetNumberOfMembers() const {
    int n = 0;
    for (KEFOGate* member : _members) {
        if (member != nullptr) ++n;
    }
    return n;
}

KEFOGate* KEFOCCFGroup::GetMember(int i) const {
    if (i < 1 || i > static_cast<int>(_members.size())) return nullptr;
    return _members[static_cast<std::size_t>(i - 1)];
}

void KEFOCCFGroup::SetMember(int i, KEFOGate* gate) {
    if (i < 1) return;
    if (i > static_cast<int>(_members.size())) _members.resize(static_cast<std::size_t>(i), nullptr);
    KEFOGate*& slot = _members[static_cast<std::size_t>(i - 1)];
    if (slot == gate) return;
    delete slot;
    slot = gate;
}

void KEFOCCFGroup::AddMember(KEFOGate* gate) { _members.push_back(gate); }

KEFOVariable* KEFOCCFGroup::GetMemberVariable(int i) const {
    KEFOGate* member = GetMember(i);
    return member != nullptr ? member->GetReferredVariable() : nullptr;
}

int KEFOCCFGroup::GetNumberOfFactors() const {
    int n = 0;
    for (KEFOStochasticExpression* factor : _factors) {
        if (factor != nullptr) ++n;
    }
    return n;
}

KEFOStochasticExpression* KEFOCCFGroup::GetFactor(int i) const {
    if (i < 1 || i > static_cast<int>(_factors.size())) return nullptr;
    return _factors[static_cast<std::size_t>(i - 1)];
}

void KEFOCCFGroup::SetFactor(int i, KEFOStochasticExpression* factor) {
    if (i < 1) return;
    if (i > static_cast<int>(_factors.size())) _factors.resize(static_cast<std::size_t>(i), nullptr);
    KEFOStochasticExpression*& slot = _factors[static_cast<std::size_t>(i - 1)];
    if (slot == factor) return;
    delete slot;
    slot = factor;
}

void KEFOCCFGroup::AddFactor(KEFOStochasticExpression* factor) { _factors.push_back(factor); }

void KEFOCCFGroup::MoveFactor(int from, int to) {
    if (from == to || from < 1 || from > static_cast<int>(_factors.size()) || to < 1) return;
    KEFOStochasticExpression* factor = _factors[static_cast<std::size_t>(from - 1)];
    _factors[static_cast<std::size_t>(from - 1)] = nullptr;
    SetFactor(to, factor);
}

void KEFOCCFGroup::SetDistribution(KEFOStochasticExpression* distribution) {
    if (distribution == _distribution) return;
    delete _distribution;
    _distribution = distribution;
}

void KEFOCCFGroup::Reset() {
    for (KEFOGate* member : _members) delete member;
    _members.clear();
    for (KEFOStochasticExpression* factor : _factors) delete factor;
    _factors.clear();
    delete _distribution;
    _distribution = nullptr;
    _expanded = false;
}

double KEFOCCFGroup::InverseBinomial(int n, int k) {
    // C(n-1, k-1), exact in doubles for the sizes a group can have.
    int a = n - 1;
    int b = k - 1;
    if (b < 0 || b > a) return 0.0;
    if (b > a - b) b = a - b;
    double c = 1.0;
    for (int i = 1; i <= b; ++i) c = c * static_cast<double>(a - b + i) / static_cast<double>(i);
    return 1.0 / c;
}

void KEFOCCFGroup::_Raise(int& errors, PLOVMessenger* store, int code, const char* argument) const {
    ++errors;
    if (store != nullptr) store->NewMessageFromPattern(code, argument);
}

namespace {

typedef KEFOStochasticExpression E;

// Every subset that contains the member, in the order of the recursion:
// for each position j from `position` down to 0, other than the member's,
// take j out of the mask, recurse on the positions below j, put j back; then
// the subset the mask shows. (Depth at most the number of members.)
void EnumerateSubsets(int member, int position, unsigned& mask, std::vector<unsigned>& out) {
    for (int j = position; j >= 0; --j) {
        if (j == member) continue;
        mask &= ~(1u << j);
        EnumerateSubsets(member, j - 1, mask, out);
        mask |= 1u << j;
    }
    out.push_back(mask);
}

int CountBits(unsigned mask) {
    int k = 0;
    for (; mask != 0; mask &= mask - 1) ++k;
    return k;
}

}  // namespace

void KEFOCCFGroup::Expand(int& errors, PLOVMessenger* store) {
    if (errors != 0 || _expanded) return;
    const int errorsOnEntry = errors;
    std::string name = GetIdentifier() != nullptr ? GetIdentifier() : GetPathAsString();
    KEFOBlock* block = dynamic_cast<KEFOBlock*>(GetOwner());
    if (block == nullptr || name.empty()) {
        _Raise(errors, store, 10081, nullptr);
        return;
    }

    // Members and their variables.
    std::vector<KEFOGate*> members;
    for (KEFOGate* member : _members) {
        if (member == nullptr) continue;
        if (!member->IsReference() || (member->GetReferredPort() == nullptr && member->GetReferredPortPath() == nullptr)) {
            _Raise(errors, store, 10087, nullptr);
            return;
        }
        members.push_back(member);
    }
    const int n = static_cast<int>(members.size());
    if (n < 2) {
        _Raise(errors, store, 10086, nullptr);
        return;
    }
    if (_distribution == nullptr) {
        _Raise(errors, store, 10088, nullptr);
        return;
    }
    if (!IsBetaFactorModel() && n > maximumNumberOfExpandedMembers) {
        _Raise(errors, store, 10081, nullptr);
        return;
    }
    int firstFactor = IsBetaFactorModel() ? n : (IsMGLModel() ? 2 : 1);
    for (int level = firstFactor; level <= n; ++level) {
        if (GetFactor(level) == nullptr) {
            std::string text = std::to_string(level);
            _Raise(errors, store, 10085, text.c_str());
            return;
        }
    }
    std::vector<KEFOVariable*> variables(static_cast<std::size_t>(n), nullptr);
    for (int i = 0; i < n; ++i) {
        KEFOGate* member = members[static_cast<std::size_t>(i)];
        KEFOVariable* variable = member->GetReferredVariable();
        const char* text = member->GetReferredPort() != nullptr ? member->GetReferredPort()->GetPathAsString()
                                                                : member->GetReferredPortPathAsString();
        if (variable == nullptr) {
            if (member->GetReferredPort() != nullptr) {
                _Raise(errors, store, 12003, text);
                return;
            }
            bool mismatch = false;
            const KEFOContainer* from = member->GetOwner() != nullptr ? member->GetOwner() : block;
            KEFODeclaration* found =
                from->LookForDeclarationInDictionary(member->GetReferredPortPath(), nullptr, mismatch);
            if (found != nullptr && (mismatch || !KEFOType::IsVariableType(found->GetType()))) {
                _Raise(errors, store, 12003, text);
                return;
            }
            variable = static_cast<KEFOVariable*>(found);
        }
        if (variable != nullptr) {
            bool usable = variable->IsUndeterminedVariable() || variable->IsStateVariable() ||
                          (variable->IsFlowVariable() && variable->GetDefinition() == nullptr);
            if (!usable) {
                _Raise(errors, store, 12003, text);
                return;
            }
        }
        for (int j = 0; j < i; ++j) {
            bool same = variable != nullptr ? variables[static_cast<std::size_t>(j)] == variable
                                            : (variables[static_cast<std::size_t>(j)] == nullptr &&
                                               members[static_cast<std::size_t>(j)]->GetReferredPortPath() != nullptr &&
                                               members[static_cast<std::size_t>(j)]->GetReferredPortPath()->GetStdString() ==
                                                   member->GetReferredPortPath()->GetStdString());
            if (same) {
                _Raise(errors, store, 10087, nullptr);
                return;
            }
        }
        variables[static_cast<std::size_t>(i)] = variable;
    }

    // The subsets each member's definition needs, in order.
    const unsigned all = n >= 32 ? ~0u : (1u << n) - 1u;
    std::vector<std::vector<unsigned>> subsetsOfMember(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        std::vector<unsigned>& subsets = subsetsOfMember[static_cast<std::size_t>(i)];
        if (IsBetaFactorModel()) {
            subsets.push_back(1u << i);
            subsets.push_back(all);
        } else {
            unsigned mask = all;
            EnumerateSubsets(i, n - 1, mask, subsets);
        }
    }
    auto subsetName = [&name, n](unsigned mask) {
        std::string text = name;
        text += '-';
        for (int j = 0; j < n; ++j) text += (mask & (1u << j)) != 0 ? '1' : '0';
        return text;
    };
    // Check every subset name before touching the model.
    std::unordered_map<unsigned, KEFOVariable*> existing;
    for (const std::vector<unsigned>& subsets : subsetsOfMember) {
        for (unsigned mask : subsets) {
            if (existing.count(mask) != 0) continue;
            std::string text = subsetName(mask);
            KEFODeclaration* found = block->LookForDeclarationInDictionary(std::string_view(text));
            KEFOVariable* variable = nullptr;
            if (found != nullptr) {
                bool usable = found->GetType() == KEFOType::Variable || found->GetType() == KEFOType::StateVariable;
                for (KEFOVariable* member : variables) {
                    if (member == found) usable = false;
                }
                if (!usable) {
                    _Raise(errors, store, 12003, text.c_str());
                    return;
                }
                variable = static_cast<KEFOVariable*>(found);
            }
            existing[mask] = variable;
        }
    }
    if (errors != errorsOnEntry) return;

    // Probability of a subset of k members, an expression tree over copies of
    // the factors and of Q.
    auto copyOf = [block](const E* e) { return E::Copy(block, e); };
    auto probability = [&](int k) -> E* {
        E* q = copyOf(_distribution);
        if (IsBetaFactorModel()) {
            E* beta = copyOf(GetFactor(n));
            if (k == 1) return E::New(block, E::Mul, E::New(block, E::Sub, E::NewReal(block, 1.0), beta), q);
            return E::New(block, E::Mul, beta, q);
        }
        if (IsPhiFactorModel()) return E::New(block, E::Mul, copyOf(GetFactor(k)), q);
        E* product = E::New(block, E::Mul);
        product->AppendChild(E::NewReal(block, InverseBinomial(n, k)));
        if (IsMGLModel()) {
            for (int level = 2; level <= k; ++level) product->AppendChild(copyOf(GetFactor(level)));
            if (k < n) product->AppendChild(E::New(block, E::Sub, E::NewReal(block, 1.0), copyOf(GetFactor(k + 1))));
        } else {
            E* sum = E::New(block, E::Add);
            for (int level = 1; level <= n; ++level) sum->AppendChild(copyOf(GetFactor(level)));
            product->AppendChild(E::New(block, E::Div, copyOf(GetFactor(k)), sum));
        }
        product->AppendChild(q);
        return product;
    };

    // Members declared nowhere are made.
    for (int i = 0; i < n; ++i) {
        if (variables[static_cast<std::size_t>(i)] != nullptr) continue;
        KEFOGate* member = members[static_cast<std::size_t>(i)];
        KEFOVariable* variable = block->NewVariable(KEFOType::FlowVariable, member->GetReferredPortPath()->Copy());
        member->SetReferredPort(variable);
        variables[static_cast<std::size_t>(i)] = variable;
    }
    // Subset events and member definitions.
    std::unordered_map<unsigned, KEFOVariable*> events;
    for (int i = 0; i < n; ++i) {
        KEFOGate* definition = KEFOGate::NewOr(block);
        for (unsigned mask : subsetsOfMember[static_cast<std::size_t>(i)]) {
            KEFOVariable*& event = events[mask];
            std::string text = subsetName(mask);
            if (event == nullptr) {
                event = existing[mask];
                if (event == nullptr) event = block->NewVariable(KEFOType::StateVariable, new KEFOPath(text.c_str(), true));
                event->SetType(KEFOType::StateVariable);
                if (event->GetProbabilityDistribution() == nullptr) {
                    event->SetProbabilityDistribution(probability(CountBits(mask)));
                }
            }
            KEFOGate* reference =
                KEFOGate::NewVariableReference(block, KEFOType::StateVariable, new KEFOPath(text.c_str(), true));
            reference->SetReferredPort(event);
            definition->AppendChild(reference);
        }
        KEFOVariable* member = variables[static_cast<std::size_t>(i)];
        member->SetType(KEFOType::FlowVariable);
        member->SetProbabilityDistribution(nullptr);
        member->SetDefinition(definition);
        if (member->GetCCFGroup() == this) member->SetCCFGroup(nullptr);
    }
    _expanded = true;
}
