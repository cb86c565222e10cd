#include "model/model.h"

#include "model/ccf_group.h"
#include "model/gate.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "support/stream.h"

#include <unordered_set>

KEFOModel::KEFOModel() : KEFOBlock(KEFOType::Model, nullptr, nullptr) {}

KEFOModel::~KEFOModel() = default;

namespace {

// Every declaration of the model, nested containers included, in
// depth-first declaration order.
template <typename Visit>
void ForEachDeclaration(const KEFOContainer* root, Visit visit) {
    std::vector<KEFODeclaration*> stack;
    for (KEFODeclaration* d = root->GetLastDeclaration(); d != nullptr; d = d->GetPreviousDeclaration()) {
        stack.push_back(d);
    }
    while (!stack.empty()) {
        KEFODeclaration* d = stack.back();
        stack.pop_back();
        // Read the children first: the visit may change the declaration.
        if (d->IsContainer()) {
            const KEFOContainer* c = static_cast<const KEFOContainer*>(d);
            for (KEFODeclaration* e = c->GetLastDeclaration(); e != nullptr; e = e->GetPreviousDeclaration()) {
                stack.push_back(e);
            }
        }
        visit(d);
    }
}

// Computes the variables of the set in an order where each comes after the
// variables of the set its formula refers to.
void ComputeInDependencyOrder(const std::vector<KEFOVariable*>& variables) {
    std::unordered_set<KEFOVariable*> wanted(variables.begin(), variables.end());
    std::unordered_set<KEFOVariable*> visited;
    struct Frame {
        KEFOVariable* variable;
        std::size_t begin;
        std::size_t next;
        std::size_t end;
    };
    std::vector<Frame> stack;
    std::vector<KEFOPort*> children;
    auto push = [&](KEFOVariable* v) {
        visited.insert(v);
        std::size_t begin = children.size();
        if (v->GetDefinition() != nullptr) v->GetDefinition()->CollectReferredPorts(children);
        stack.push_back(Frame{v, begin, begin, children.size()});
    };
    for (KEFOVariable* root : variables) {
        if (root == nullptr || visited.count(root) != 0) continue;
        push(root);
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next < frame.end) {
                KEFOPort* port = children[frame.next++];
                if (!KEFOType::IsVariableType(port->GetType())) continue;
                KEFOVariable* child = static_cast<KEFOVariable*>(port);
                if (wanted.count(child) != 0 && visited.count(child) == 0) push(child);
                continue;
            }
            KEFOVariable* v = frame.variable;
            children.resize(frame.begin);
            stack.pop_back();
            v->ComputeValue();
        }
    }
}

}  // namespace

void KEFOModel::ResetValues(KEFOVariable::Value stateValue, KEFOVariable::Value flowValue) {
    ForEachDeclaration(this, [=](KEFODeclaration* d) {
        int type = d->GetType();
        if (type == KEFOType::StateVariable) {
            static_cast<KEFOVariable*>(d)->SetValue(stateValue);
        } else if (type == KEFOType::FlowVariable || type == KEFOType::SourceVariable) {
            static_cast<KEFOVariable*>(d)->SetValue(flowValue);
        }
    });
}

void KEFOModel::ComputeValues() {
    std::vector<KEFOVariable*> defined;
    ForEachDeclaration(this, [&defined](KEFODeclaration* d) {
        if (!KEFOType::IsVariableType(d->GetType())) return;
        KEFOVariable* v = static_cast<KEFOVariable*>(d);
        if (v->GetDefinitionAsGate() != nullptr) defined.push_back(v);
    });
    ComputeInDependencyOrder(defined);
}

void KEFOModel::ComputeValues(const std::vector<KEFOVariable*>& variables) { ComputeInDependencyOrder(variables); }

void KEFOModel::Dump(PLOVStream* stream) const {
    if (stream == nullptr) return;
    for (KEFODeclaration* d : GetDeclarations()) stream->Printf("-- %s %d\n", d->GetPathAsString(), d->GetFlag());
}

void KEFOModel::CompleteModel() {
    ForEachDeclaration(this, [](KEFODeclaration* d) {
        int type = d->GetType();
        KEFOContainer* owner = d->GetOwner();
        if (KEFOType::IsVariableType(type)) {
            KEFOVariable* v = static_cast<KEFOVariable*>(d);
            if (type == KEFOType::Variable) v->SetType(KEFOType::StateVariable);
            if (v->IsStateVariable()) {
                if (v->GetProbabilityDistribution() == nullptr) {
                    v->SetProbabilityDistribution(KEFOStochasticExpression::NewReal(owner, 0.0));
                }
            } else if (v->GetDefinition() == nullptr) {
                v->SetDefinition(KEFOGate::NewConstant(owner, false));
            }
        } else if (type == KEFOType::Parameter) {
            KEFOParameter* p = static_cast<KEFOParameter*>(d);
            if (p->GetDefinition() == nullptr) p->SetDefinition(KEFOStochasticExpression::NewReal(owner, 0.0));
        }
    });
}

void KEFOModel::ExpandCCFGroups(int& errors, PLOVMessenger* store) {
    if (errors != 0) return;
    std::vector<KEFOCCFGroup*> groups;
    ForEachDeclaration(this, [&groups](KEFODeclaration* d) {
        if (KEFOType::IsCCFGroupType(d->GetType())) groups.push_back(static_cast<KEFOCCFGroup*>(d));
    });
    for (KEFOCCFGroup* group : groups) {
        int groupErrors = 0;
        if (!group->IsExpanded()) group->Expand(groupErrors, store);
        errors += groupErrors;
        if (group->IsExpanded()) group->GetOwner()->DeleteDeclaration(group);
    }
}
