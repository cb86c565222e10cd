#include "preprocessing/rewriter.h"

#include "io/checker.h"
#include "model/ccf_group.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/path.h"
#include "model/variable.h"
#include "preprocessing/module_record.h"
#include "preprocessing/rewriter_cone.h"
#include "script/interpreter.h"
#include "script/messenger.h"

#include <cstdio>
#include <vector>

const char* const KEFORewriter::defaultPrefix = "G";
const char* const KEFORewriter::modulePrefix = "MODULE";
const char* const KEFORewriter::groupPrefix = "GROUP";
const char* const KEFORewriter::oppositePrefix = "not-";

KEFORewriter::KEFORewriter(KEFOInterpreter* interpreter) : _interpreter(interpreter), _prefix(defaultPrefix) {}

KEFORewriter::~KEFORewriter() = default;

void KEFORewriter::RaiseError(int& errors, int code, const char* a1, const char* a2, const char* a3) {
    ++errors;
    KEFOMessenger* messenger = _GetMessenger();
    if (messenger != nullptr) messenger->RaiseError(code, a1, a2, a3);
}

KEFOMessenger* KEFORewriter::_GetMessenger() const {
    if (_messenger != nullptr) return _messenger;
    return _interpreter != nullptr ? _interpreter->GetMessenger() : nullptr;
}

void KEFORewriter::Reset() {
    _prefix = defaultPrefix;
    _counter = 0;
}

void KEFORewriter::SetGeneratedFlowVariablePrefix(const char* prefix) {
    _prefix = prefix != nullptr ? prefix : defaultPrefix;
}

KEFOVariable* KEFORewriter::GenerateFlowVariable(KEFOModel* model) {
    if (model == nullptr) return nullptr;
    char name[64];
    for (;;) {
        ++_counter;
        std::snprintf(name, sizeof name, "%.40s%06d", _prefix.c_str(), _counter);
        if (model->LookForDeclarationInDictionary(std::string_view(name)) == nullptr) break;
    }
    return model->NewVariable(KEFOType::FlowVariable, new KEFOPath(name, true));
}

KEFOVariable* KEFORewriter::_NewOppositeVariable(KEFOModel* model, KEFOVariable* variable) {
    std::string name = oppositePrefix;
    name += variable->GetPathAsString();
    KEFODeclaration* existing = model->LookForDeclarationInDictionary(std::string_view(name));
    if (existing == nullptr) return model->NewVariable(KEFOType::FlowVariable, new KEFOPath(name.c_str(), true));
    // A "not-" gate left by an earlier preprocessing of a basic event, still
    // defined as the negation of that very event, is the opposite already.
    if (variable->GetDefinition() == nullptr && existing->GetType() == KEFOType::FlowVariable) {
        KEFOGate* definition = static_cast<KEFOVariable*>(existing)->GetDefinitionAsGate();
        if (definition != nullptr && definition->IsNegation() && definition->GetNumberOfChildren() == 1) {
            KEFOGate* child = KEFOGate::AsGate(definition->GetFirstChild());
            if (child != nullptr && child->IsReference() && child->GetReferredVariable() == variable) {
                return static_cast<KEFOVariable*>(existing);
            }
        }
    }
    return GenerateFlowVariable(model);
}

void KEFORewriter::CompleteModel(int& errors, KEFOModel* model) {
    if (errors != 0 || model == nullptr) return;
    model->CompleteModel();
}

void KEFORewriter::ExpandCCFGroups(int& errors, KEFOModel* model) {
    if (errors != 0 || model == nullptr) return;
    std::vector<KEFOCCFGroup*> groups;
    model->CollectCCFGroups(groups);
    for (KEFOCCFGroup* group : groups) {
        ExpandCCFGroup(errors, model, group);
        if (errors != 0) return;
    }
}

void KEFORewriter::ExpandCCFGroup(int& errors, KEFOModel* model, KEFOCCFGroup* group) {
    if (errors != 0 || model == nullptr || group == nullptr) return;
    if (!group->IsExpanded()) {
        int before = errors;
        KEFOMessenger* messenger = _GetMessenger();
        group->Expand(errors, messenger != nullptr ? messenger->GetStore() : nullptr);
        if (errors != before) return;
    }
    if (group->GetOwner() == model) model->DeleteDeclaration(group);
}

void KEFORewriter::CheckCone(int& errors, KEFOModel* model, KEFOVariable* top) {
    if (errors != 0) return;
    if (top == nullptr || model == nullptr) {
        RaiseError(errors, 12005, top != nullptr ? top->GetPathAsString() : "");
        return;
    }
    KEFORewriterCone cone(top);
    for (KEFOGate* reference : cone.GetUnresolvedReferences()) {
        RaiseError(errors, 12005, reference->GetReferredPortPathAsString());
    }
    for (KEFOVariable* variable : cone.GetCycleVariables()) {
        RaiseError(errors, 12006, variable->GetPathAsString());
    }
}

void KEFORewriter::BuildPreprocessedModel(int& errors, KEFOModel* model, KEFOVariable* top, KEFOChecker* checker) {
    if (errors != 0) return;
    CheckCone(errors, model, top);
    if (errors != 0) return;
    Reset();
    PushDownNegations(errors, model, top);
    if (errors != 0) return;
    // Constants and chains of references only take references away or move
    // them to descendants: one cone serves both. The singleton modules need
    // exact counts, so a fresh cone; coalescing and the removal of
    // duplicates keep it valid again.
    KEFORewriterCone cone(top);
    _PropagateConstants(model, cone);
    _DereferenceVariables(model, cone);
    cone.Build(top);
    _ModularizeSingletons(model, cone);
    _CoalesceGates(model, cone);
    _RemoveDuplicatedChildren(model, cone);
    cone.Clear();
    LayerModel(errors, model, top);
    GroupChildren(errors, model, top);
    DetectModules(errors, model, top);
    if (checker != nullptr && errors == 0) {
        checker->CheckGateDefinitions(errors, model);
        checker->CheckBasicEventDefinitions(errors, model);
        checker->CheckHouseEventDefinitions(errors, model);
        checker->CheckParameterDefinitions(errors, model);
        checker->CheckNormalForm(errors, model, top);
    }
}

bool KEFORewriter::IsModule(const KEFOVariable* variable) const {
    return variable != nullptr && variable->GetDefinitionAsGate() != nullptr && variable->IsModule();
}

void KEFORewriter::NormalizeConnectives(int& errors, KEFOModel* model, KEFOVariable* top) {
    PushDownNegations(errors, model, top);
    PropagateConstants(errors, model, top);
}

void KEFORewriter::Modularize(int& errors, KEFOModel* model, KEFOVariable* top) { DetectModules(errors, model, top); }

namespace {

void SortChildrenOfCone(KEFOVariable* top, const char* name, bool increasing) {
    KEFORewriterCone cone(top);
    std::vector<KEFOGate*> nodes;
    for (KEFOVariable* variable : cone.GetVariables()) {
        nodes.clear();
        KEFORewriterCone::CollectNodesInPostOrder(variable->GetDefinitionAsGate(), nodes);
        for (KEFOGate* node : nodes) {
            if (node->GetNumberOfChildren() < 2 || !node->IsCommutative()) continue;
            if (increasing) {
                node->SortChildrenInIncreasingOrderOfAttributeValue(name);
            } else {
                node->SortChildrenInDecreasingOrderOfAttributeValue(name);
            }
        }
    }
}

}  // namespace

void KEFORewriter::SortChildrenInIncreasingOrderOfAttributeValue(int& errors, KEFOVariable* top, const char* name) {
    if (errors != 0 || top == nullptr || name == nullptr) return;
    SortChildrenOfCone(top, name, true);
}

void KEFORewriter::SortChildrenInDecreasingOrderOfAttributeValue(int& errors, KEFOVariable* top, const char* name) {
    if (errors != 0 || top == nullptr || name == nullptr) return;
    SortChildrenOfCone(top, name, false);
}
