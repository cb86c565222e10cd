// ModularizeSingletons, LayerModel, GroupChildren and DetectModules: the
// passes that give the preprocessed model its shape (one connective over
// literals per definition) and its modules.
#include "preprocessing/rewriter.h"

#include "model/gate.h"
#include "model/model.h"
#include "model/variable.h"
#include "preprocessing/module_record.h"
#include "preprocessing/pt_manager.h"
#include "preprocessing/rewriter_cone.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace {

bool IsSingletonLiteral(KEFOGate* gate) {
    if (gate->IsNegation() && gate->GetNumberOfChildren() == 1) gate = KEFOGate::AsGate(gate->GetFirstChild());
    if (gate == nullptr || !gate->IsReference()) return false;
    KEFOVariable* variable = gate->GetReferredVariable();
    return variable != nullptr && variable->IsSingleton();
}

}  // namespace

// ---- ModularizeSingletons ----------------------------------------------

void KEFORewriter::ModularizeSingletons(int& errors, KEFOModel* model, KEFOVariable* top) {
    if (errors != 0 || model == nullptr || top == nullptr) return;
    KEFORewriterCone cone(top);
    _ModularizeSingletons(model, cone);
}

void KEFORewriter::_ModularizeSingletons(KEFOModel* model, const KEFORewriterCone& cone) {
    const std::vector<KEFOVariable*>& variables = cone.GetVariables();
    // Local reference counts: references met in the definitions of the
    // cone, each definition counted once.
    std::vector<int> counts(variables.size(), 0);
    std::vector<KEFOGate*> references;
    for (KEFOVariable* variable : variables) {
        if (variable->IsStateVariable()) continue;
        references.clear();
        KEFORewriterCone::CollectReferences(variable->GetDefinitionAsGate(), references);
        for (KEFOGate* reference : references) {
            int index = cone.GetIndex(reference->GetReferredVariable());
            if (index >= 0) ++counts[static_cast<std::size_t>(index)];
        }
    }
    // Singletons, children first: referenced once, and (for a gate) every
    // variable of the definition a singleton too.
    for (std::size_t i = 0; i < variables.size(); ++i) {
        KEFOVariable* variable = variables[i];
        bool singleton = counts[i] == 1;
        KEFOGate* definition = variable->IsStateVariable() ? nullptr : variable->GetDefinitionAsGate();
        if (singleton && definition != nullptr) {
            references.clear();
            KEFORewriterCone::CollectReferences(definition, references);
            for (KEFOGate* reference : references) {
                KEFOVariable* child = reference->GetReferredVariable();
                if (child == nullptr || !child->IsSingleton() || !cone.Contains(child)) {
                    singleton = false;
                    break;
                }
            }
        }
        variable->SetLocalReferenceCount(counts[i]);
        variable->SetSingleton(singleton);
    }
    SetGeneratedFlowVariablePrefix(modulePrefix);
    _counter = 0;
    std::vector<KEFOGate*> nodes;
    std::vector<KEFOGate*> moved;
    for (KEFOVariable* variable : variables) {
        if (variable->IsSingleton() || variable->IsStateVariable()) continue;
        KEFOGate* definition = variable->GetDefinitionAsGate();
        if (definition == nullptr) continue;
        nodes.clear();
        KEFORewriterCone::CollectNodesInPostOrder(definition, nodes);
        for (KEFOGate* node : nodes) {
            int type = node->GetType();
            if (type != KEFOGate::And && type != KEFOGate::Or && type != KEFOGate::Nand && type != KEFOGate::Nor) {
                continue;
            }
            moved.clear();
            int n = 0;
            for (KEFOTerm* c = node->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
                ++n;
                KEFOGate* child = KEFOGate::AsGate(c);
                if (child != nullptr && IsSingletonLiteral(child)) moved.push_back(child);
            }
            if (moved.size() < 2 || static_cast<int>(moved.size()) == n) continue;
            // The singletons go under a new gate: and(...) for and and nand,
            // or(...) for or and nor, so that the node keeps its function.
            int inner = type == KEFOGate::And || type == KEFOGate::Nand ? KEFOGate::And : KEFOGate::Or;
            KEFOVariable* module = GenerateFlowVariable(model);
            KEFOGate* gate = KEFOGate::New(model, inner);
            node->AddChildBefore(moved.front(), KEFOGate::NewVariableReference(model, module));
            for (KEFOGate* child : moved) gate->AppendChild(child);
            module->SetDefinition(gate);
            module->SetLocalReferenceCount(1);
            module->SetSingleton(true);
        }
    }
    Reset();
}

// ---- LayerModel --------------------------------------------------------

void KEFORewriter::LayerModel(int& errors, KEFOModel* model, KEFOVariable* top) {
    if (errors != 0 || model == nullptr || top == nullptr) return;
    KEFORewriterCone cone(top);
    // Each nested connective of a definition becomes the definition of a
    // generated variable, depth first: a nested gate gets its name before
    // the gates nested in it, and those before its next sibling.
    struct Frame {
        KEFOVariable* variable;
        KEFOTerm* cursor;
    };
    std::vector<Frame> stack;
    for (KEFOVariable* variable : cone.GetVariables()) {
        if (variable->IsStateVariable()) continue;
        KEFOGate* definition = variable->GetDefinitionAsGate();
        if (definition == nullptr || definition->IsReference() || definition->IsConstant()) continue;
        stack.push_back(Frame{variable, definition->GetFirstChild()});
        while (!stack.empty()) {
            Frame& frame = stack.back();
            KEFOTerm* c = frame.cursor;
            if (c == nullptr) {
                stack.pop_back();
                continue;
            }
            frame.cursor = c->GetNextSibling();
            KEFOGate* child = KEFOGate::AsGate(c);
            if (child == nullptr || child->IsReference() || child->IsConstant() || child->IsLiteral()) continue;
            KEFOVariable* generated = GenerateFlowVariable(model);
            KEFOTerm* parent = child->GetParent();
            parent->SubstituteChild(child, KEFOGate::NewVariableReference(model, generated));
            generated->SetDefinition(child);
            stack.push_back(Frame{generated, child->GetFirstChild()});
        }
    }
}

// ---- GroupChildren -----------------------------------------------------

void KEFORewriter::GroupChildren(int& errors, KEFOModel* model, KEFOVariable* top) {
    if (errors != 0 || model == nullptr || top == nullptr) return;
    KEFOPTManager manager(this);
    manager.GroupChildrenWithSameParents(model, top);
}

// ---- DetectModules -----------------------------------------------------

void KEFORewriter::DetectModules(int& errors, KEFOModel* model, KEFOVariable* top) {
    if (errors != 0 || model == nullptr || top == nullptr) return;
    KEFORewriterCone cone(top);
    std::vector<KEFORewriterCone::Dates> dates;
    cone.ComputeVisitDates(dates);
    const std::vector<KEFOVariable*>& variables = cone.GetVariables();
    for (std::size_t i = 0; i < variables.size(); ++i) {
        KEFOModuleRecord* record = KEFOModuleRecord::Obtain(variables[i]);
        record->Reset();
        record->SetFirstDate(dates[i].first);
        record->SetSecondDate(dates[i].second);
        record->SetLastDate(dates[i].last);
        record->SetLowestDate(dates[i].lowest);
        record->SetHighestDate(dates[i].highest);
    }
}
