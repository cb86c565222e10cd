#include "model/block.h"

#include "model/aliasing.h"
#include "model/ccf_group.h"
#include "model/gate.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"

KEFOBlock::KEFOBlock(int type, KEFOContainer* owner, KEFOPath* path) : KEFOContainer(type, owner, path) {}

KEFOBlock::~KEFOBlock() { delete _cloningPath; }

bool KEFOBlock::IsInPureModel() const {
    const KEFOContainer* root = GetRootContainer();
    if (root == nullptr) return _pure;
    const KEFOBlock* block = dynamic_cast<const KEFOBlock*>(root);
    return block != nullptr ? block->_pure : false;
}

KEFOPath* KEFOBlock::NewPath(const char* text) const { return new KEFOPath(text, IsInPureModel()); }

const char* KEFOBlock::GetCloningPathAsString() const {
    return _cloningPath != nullptr ? _cloningPath->GetString() : "";
}

void KEFOBlock::SetCloningPath(KEFOPath* path) {
    if (path == _cloningPath) return;
    delete _cloningPath;
    _cloningPath = path;
}

KEFOBlock* KEFOBlock::_NewContainer(int type, KEFOPath* path, KEFOPath* cloningPath) {
    KEFOBlock* block = new KEFOBlock(type, this, path);
    block->_cloningPath = cloningPath;
    InsertDeclarationInDictionary(block);
    return block;
}

KEFOBlock* KEFOBlock::NewBlock(KEFOPath* path) { return _NewContainer(KEFOType::Block, path, nullptr); }

KEFOBlock* KEFOBlock::NewClass(KEFOPath* path) { return _NewContainer(KEFOType::Class, path, nullptr); }

KEFOBlock* KEFOBlock::NewInstance(KEFOPath* path, KEFOPath* classPath) {
    return _NewContainer(KEFOType::Instance, path, classPath);
}

KEFOBlock* KEFOBlock::NewExtendsDirective(KEFOPath* extendedPath) {
    return _NewContainer(KEFOType::ExtendsDirective, nullptr, extendedPath);
}

KEFOBlock* KEFOBlock::NewClonesDirective(KEFOPath* path, KEFOPath* clonedPath) {
    return _NewContainer(KEFOType::ClonesDirective, path, clonedPath);
}

KEFOAliasing* KEFOBlock::NewEmbedsDirective(KEFOPath* path, KEFOPath* embeddedPath) {
    return new KEFOAliasing(this, path, embeddedPath);
}

KEFOParameter* KEFOBlock::NewParameter(KEFOPath* path) {
    KEFOParameter* parameter = new KEFOParameter(this, path);
    InsertDeclarationInDictionary(parameter);
    return parameter;
}

KEFOParameter* KEFOBlock::NewParameter(const char* path) { return NewParameter(NewPath(path)); }

KEFOVariable* KEFOBlock::NewVariable(int type, KEFOPath* path) {
    if (!KEFOType::IsVariableType(type)) type = KEFOType::Variable;
    KEFOVariable* variable = new KEFOVariable(type, this, path);
    InsertDeclarationInDictionary(variable);
    return variable;
}

KEFOCCFGroup* KEFOBlock::NewCCFGroup(int type, KEFOPath* path) {
    if (!KEFOType::IsCCFGroupType(type)) type = KEFOType::BetaFactorCCFGroup;
    KEFOCCFGroup* group = new KEFOCCFGroup(type, this, path);
    InsertDeclarationInDictionary(group);
    return group;
}

KEFOGate* KEFOBlock::NewVariableReference(int type, KEFOPath* path) {
    return KEFOGate::NewVariableReference(this, type, path);
}
KEFOGate* KEFOBlock::NewVariableReference(KEFOVariable* variable) {
    return KEFOGate::NewVariableReference(this, variable);
}
KEFOGate* KEFOBlock::NewConstant(bool value) { return KEFOGate::NewConstant(this, value); }
KEFOGate* KEFOBlock::NewGate(int type) { return KEFOGate::New(this, type); }
KEFOGate* KEFOBlock::NewAnd(const std::vector<KEFOGate*>& children) { return KEFOGate::NewAnd(this, children); }
KEFOGate* KEFOBlock::NewOr(const std::vector<KEFOGate*>& children) { return KEFOGate::NewOr(this, children); }
KEFOGate* KEFOBlock::NewNand(const std::vector<KEFOGate*>& children) { return KEFOGate::NewNand(this, children); }
KEFOGate* KEFOBlock::NewNor(const std::vector<KEFOGate*>& children) { return KEFOGate::NewNor(this, children); }
KEFOGate* KEFOBlock::NewAtLeast(int k, const std::vector<KEFOGate*>& children) {
    return KEFOGate::NewAtLeast(this, k, children);
}
KEFOGate* KEFOBlock::NewAtMost(int k, const std::vector<KEFOGate*>& children) {
    return KEFOGate::NewAtMost(this, k, children);
}
KEFOGate* KEFOBlock::NewCardinality(int min, int max, const std::vector<KEFOGate*>& children) {
    return KEFOGate::NewCardinality(this, min, max, children);
}
KEFOGate* KEFOBlock::NewNot(KEFOGate* gate) { return KEFOGate::NewNot(this, gate); }
KEFOGate* KEFOBlock::CopyGate(const KEFOGate* gate) { return KEFOGate::Copy(this, gate); }
void KEFOBlock::DeleteGate(KEFOGate* gate) { delete gate; }

KEFOStochasticExpression* KEFOBlock::NewParameterReference(KEFOPath* path) {
    return KEFOStochasticExpression::NewParameterReference(this, path);
}
KEFOStochasticExpression* KEFOBlock::NewParameterReference(KEFOParameter* parameter) {
    return KEFOStochasticExpression::NewParameterReference(this, parameter);
}
KEFOStochasticExpression* KEFOBlock::NewBooleanExpression(bool value) {
    return KEFOStochasticExpression::NewBoolean(this, value);
}
KEFOStochasticExpression* KEFOBlock::NewIntegerExpression(int value) {
    return KEFOStochasticExpression::NewInteger(this, value);
}
KEFOStochasticExpression* KEFOBlock::NewRealExpression(double value) {
    return KEFOStochasticExpression::NewReal(this, value);
}
KEFOStochasticExpression* KEFOBlock::NewStringExpression(const char* value) {
    return KEFOStochasticExpression::NewString(this, value);
}
KEFOStochasticExpression* KEFOBlock::NewStochasticExpression(int type) {
    return KEFOStochasticExpression::New(this, type);
}
KEFOStochasticExpression* KEFOBlock::NewStochasticExpression(int type,
                                                             const std::vector<KEFOStochasticExpression*>& children) {
    return KEFOStochasticExpression::New(this, type, children);
}
KEFOStochasticExpression* KEFOBlock::NewStochasticExpression(int type, KEFOStochasticExpression* child1) {
    return KEFOStochasticExpression::New(this, type, child1);
}
KEFOStochasticExpression* KEFOBlock::NewStochasticExpression(int type, KEFOStochasticExpression* child1,
                                                             KEFOStochasticExpression* child2) {
    return KEFOStochasticExpression::New(this, type, child1, child2);
}
KEFOStochasticExpression* KEFOBlock::NewStochasticExpression(int type, KEFOStochasticExpression* child1,
                                                             KEFOStochasticExpression* child2,
                                                             KEFOStochasticExpression* child3) {
    return KEFOStochasticExpression::New(this, type, child1, child2, child3);
}
KEFOStochasticExpression* KEFOBlock::CopyStochasticExpression(const KEFOStochasticExpression* expression) {
    return KEFOStochasticExpression::Copy(this, expression);
}

namespace {

template <typename T>
T* Typed(KEFODeclaration* found, bool (*test)(const KEFOObject*), bool& mismatch) {
    if (found == nullptr) return nullptr;
    if (mismatch || !test(found)) {
        mismatch = true;
        return nullptr;
    }
    return static_cast<T*>(found);
}

}  // namespace

KEFOBlock* KEFOBlock::LookForBlock(const KEFOPath* path, bool& mismatch) const {
    KEFODeclaration* found = LookForDeclarationInDictionary(path, KEFOType::TestAsBlock, mismatch);
    return Typed<KEFOBlock>(found, KEFOType::TestAsBlock, mismatch);
}

KEFOBlock* KEFOBlock::LookForClass(const KEFOPath* path, bool& mismatch) const {
    KEFODeclaration* found = LookForDeclarationInDictionary(path, KEFOType::TestAsClass, mismatch);
    return Typed<KEFOBlock>(found, KEFOType::TestAsClass, mismatch);
}

KEFOParameter* KEFOBlock::LookForParameter(const KEFOContainer* from, const KEFOPath* path, bool& mismatch) {
    mismatch = false;
    if (from == nullptr) return nullptr;
    KEFODeclaration* found = from->LookForDeclarationInDictionary(path, KEFOType::TestAsParameter, mismatch);
    return Typed<KEFOParameter>(found, KEFOType::TestAsParameter, mismatch);
}

KEFOParameter* KEFOBlock::LookForParameter(const KEFOPath* path, bool& mismatch) const {
    return LookForParameter(this, path, mismatch);
}

KEFOVariable* KEFOBlock::LookForVariable(const KEFOContainer* from, int type, const KEFOPath* path, bool& mismatch) {
    mismatch = false;
    if (from == nullptr) return nullptr;
    KEFODeclaration* found = from->LookForDeclarationInDictionary(path, KEFOType::TestAsVariable, mismatch);
    if (found == nullptr) return nullptr;
    if (!KEFOType::IsVariableType(found->GetType())) {
        mismatch = true;
        return nullptr;
    }
    int actual = found->GetType();
    switch (type) {
    case KEFOType::StateVariable:
    case KEFOType::FlowVariable:
    case KEFOType::SourceVariable:
        if (actual != KEFOType::Variable && actual != type) mismatch = true;
        break;
    default:
        break;
    }
    return static_cast<KEFOVariable*>(found);
}

KEFOVariable* KEFOBlock::LookForVariable(const KEFOPath* path, bool& mismatch) const {
    return LookForVariable(this, KEFOType::Variable, path, mismatch);
}

KEFOVariable* KEFOBlock::LookForVariable(int type, const KEFOPath* path, bool& mismatch) const {
    return LookForVariable(this, type, path, mismatch);
}

KEFOVariable* KEFOBlock::LookForStateVariable(const KEFOPath* path, bool& mismatch) const {
    return LookForVariable(this, KEFOType::StateVariable, path, mismatch);
}

KEFOVariable* KEFOBlock::LookForFlowVariable(const KEFOPath* path, bool& mismatch) const {
    return LookForVariable(this, KEFOType::FlowVariable, path, mismatch);
}

KEFOVariable* KEFOBlock::LookForSourceVariable(const KEFOPath* path, bool& mismatch) const {
    return LookForVariable(this, KEFOType::SourceVariable, path, mismatch);
}

KEFOCCFGroup* KEFOBlock::LookForCCFGroup(const KEFOPath* path, bool& mismatch) const {
    KEFODeclaration* found = LookForDeclarationInDictionary(path, KEFOType::TestAsCCFGroup, mismatch);
    return Typed<KEFOCCFGroup>(found, KEFOType::TestAsCCFGroup, mismatch);
}

KEFOBlock* KEFOBlock::LookForBlock(const char* path, bool& mismatch) const {
    KEFOPath p(path, IsInPureModel());
    return LookForBlock(&p, mismatch);
}

KEFOParameter* KEFOBlock::LookForParameter(const char* path, bool& mismatch) const {
    KEFOPath p(path, IsInPureModel());
    return LookForParameter(&p, mismatch);
}

KEFOVariable* KEFOBlock::LookForVariable(const char* path, bool& mismatch) const {
    KEFOPath p(path, IsInPureModel());
    return LookForVariable(&p, mismatch);
}

KEFOVariable* KEFOBlock::LookForVariable(int type, const char* path, bool& mismatch) const {
    KEFOPath p(path, IsInPureModel());
    return LookForVariable(type, &p, mismatch);
}

KEFOCCFGroup* KEFOBlock::LookForCCFGroup(const char* path, bool& mismatch) const {
    KEFOPath p(path, IsInPureModel());
    return LookForCCFGroup(&p, mismatch);
}

void KEFOBlock::CollectParameters(std::vector<KEFOParameter*>& out) const {
    for (KEFODeclaration* d : GetDeclarations()) {
        if (KEFOType::TestAsParameter(d)) out.push_back(static_cast<KEFOParameter*>(d));
    }
}

void KEFOBlock::CollectVariables(std::vector<KEFOVariable*>& out) const {
    for (KEFODeclaration* d : GetDeclarations()) {
        if (KEFOType::TestAsVariable(d)) out.push_back(static_cast<KEFOVariable*>(d));
    }
}

void KEFOBlock::CollectStateVariables(std::vector<KEFOVariable*>& out) const {
    for (KEFODeclaration* d : GetDeclarations()) {
        if (d->GetType() == KEFOType::StateVariable) out.push_back(static_cast<KEFOVariable*>(d));
    }
}

void KEFOBlock::CollectFlowVariables(std::vector<KEFOVariable*>& out) const {
    for (KEFODeclaration* d : GetDeclarations()) {
        if (d->GetType() == KEFOType::FlowVariable) out.push_back(static_cast<KEFOVariable*>(d));
    }
}

void KEFOBlock::CollectSourceVariables(std::vector<KEFOVariable*>& out) const {
    for (KEFODeclaration* d : GetDeclarations()) {
        if (d->GetType() == KEFOType::SourceVariable) out.push_back(static_cast<KEFOVariable*>(d));
    }
}

void KEFOBlock::CollectCCFGroups(std::vector<KEFOCCFGroup*>& out) const {
    for (KEFODeclaration* d : GetDeclarations()) {
        if (KEFOType::TestAsCCFGroup(d)) out.push_back(static_cast<KEFOCCFGroup*>(d));
    }
}

int KEFOBlock::GetNumberOfParameters() const { return CountDeclarations(KEFOType::TestAsParameter); }

int KEFOBlock::GetNumberOfVariables() const { return CountDeclarations(KEFOType::TestAsVariable); }

void KEFOBlock::UpdateInternalReferencesInGate(const KEFOContainer* context, KEFOGate* gate) {
    if (gate == nullptr) return;
    std::vector<KEFOTerm*> stack{gate};
    while (!stack.empty()) {
        KEFOTerm* term = stack.back();
        stack.pop_back();
        if (!term->IsGate()) continue;
        KEFOGate* g = static_cast<KEFOGate*>(term);
        if (g->IsConstant()) continue;
        if (g->IsReference()) {
            KEFOPath* path = g->GetReferredPortPath();
            if (path == nullptr) continue;
            const KEFOContainer* from = g->GetOwner() != nullptr ? g->GetOwner() : context;
            int type = g->HasAttribute("__REFERRED_PORT_TYPE__") ? g->GetReferredPortType() : KEFOType::Variable;
            bool mismatch = false;
            KEFOVariable* variable = LookForVariable(from, type, path, mismatch);
            if (variable != nullptr && !mismatch) {
                g->SetReferredPort(variable);
                if (type == KEFOType::Variable) g->SetReferredPortType(variable->GetType());
            } else {
                g->ResetReferredPort();
            }
            continue;
        }
        for (KEFOTerm* c = g->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) stack.push_back(c);
    }
}

void KEFOBlock::UpdateInternalReferencesInStochasticExpression(const KEFOContainer* context,
                                                               KEFOStochasticExpression* expression) {
    if (expression == nullptr) return;
    std::vector<KEFOTerm*> stack{expression};
    while (!stack.empty()) {
        KEFOTerm* term = stack.back();
        stack.pop_back();
        if (!term->IsStochasticExpression()) continue;
        KEFOStochasticExpression* e = static_cast<KEFOStochasticExpression*>(term);
        if (e->IsParameterReference()) {
            KEFOPath* path = e->GetReferredPortPath();
            if (path == nullptr) continue;
            const KEFOContainer* from = e->GetOwner() != nullptr ? e->GetOwner() : context;
            bool mismatch = false;
            KEFOParameter* parameter = LookForParameter(from, path, mismatch);
            if (parameter != nullptr && !mismatch) {
                e->SetReferredParameter(parameter);
            } else {
                e->ResetReferredPort();
            }
            continue;
        }
        for (KEFOTerm* c = e->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) stack.push_back(c);
    }
}

void KEFOBlock::UpdateInternalReferencesInDeclarations() {
    std::vector<const KEFOContainer*> containers{this};
    while (!containers.empty()) {
        const KEFOContainer* container = containers.back();
        containers.pop_back();
        std::vector<const KEFOContainer*> nested;
        for (KEFODeclaration* d : container->GetDeclarations()) {
            int type = d->GetType();
            if (d->IsContainer()) {
                nested.push_back(static_cast<KEFOContainer*>(d));
            } else if (KEFOType::IsVariableType(type)) {
                KEFOVariable* variable = static_cast<KEFOVariable*>(d);
                KEFOTerm* definition = variable->GetDefinition();
                if (definition != nullptr && definition->IsGate()) {
                    UpdateInternalReferencesInGate(container, static_cast<KEFOGate*>(definition));
                }
                UpdateInternalReferencesInStochasticExpression(container, variable->GetProbabilityDistribution());
            } else if (type == KEFOType::Parameter) {
                KEFOParameter* parameter = static_cast<KEFOParameter*>(d);
                UpdateInternalReferencesInStochasticExpression(container, parameter->GetDefinitionAsExpression());
            } else if (KEFOType::IsCCFGroupType(type)) {
                KEFOCCFGroup* group = static_cast<KEFOCCFGroup*>(d);
                for (int i = 1; i <= group->GetSizeOfMembers(); ++i) {
                    KEFOGate* member = group->GetMember(i);
                    if (member == nullptr) continue;
                    UpdateInternalReferencesInGate(container, member);
                    KEFOVariable* variable = group->GetMemberVariable(i);
                    if (variable != nullptr && variable->GetCCFGroup() == nullptr) variable->SetCCFGroup(group);
                }
                for (int i = 1; i <= group->GetSizeOfFactors(); ++i) {
                    UpdateInternalReferencesInStochasticExpression(container, group->GetFactor(i));
                }
                UpdateInternalReferencesInStochasticExpression(container, group->GetDistribution());
            }
        }
        // Nested containers in declaration order.
        for (auto it = nested.rbegin(); it != nested.rend(); ++it) containers.push_back(*it);
    }
}
