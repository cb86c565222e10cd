#include "io/checker.h"

#include "model/gate.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/type.h"
#include "model/variable.h"
#include "script/interpreter.h"
#include "script/messenger.h"

#include <vector>

KEFOChecker::KEFOChecker(KEFOInterpreter* interpreter) : _interpreter(interpreter) {}

KEFOChecker::~KEFOChecker() = default;

void KEFOChecker::_RaiseError(int& errors, int code, const char* argument) {
    ++errors;
    KEFOMessenger* messenger = _messenger;
    if (messenger == nullptr && _interpreter != nullptr) messenger = _interpreter->GetMessenger();
    if (messenger != nullptr) messenger->RaiseError(code, argument);
}

void KEFOChecker::CheckModel(int& errors, KEFOModel* model) {
    if (errors != 0 || model == nullptr) return;
    // Each check reports all its findings, then the next one runs.
    int count = 0;
    CheckGateDefinitions(count, model);
    int found = count;
    count = 0;
    CheckBasicEventDefinitions(count, model);
    found += count;
    count = 0;
    CheckHouseEventDefinitions(count, model);
    found += count;
    count = 0;
    CheckParameterDefinitions(count, model);
    errors += found + count;
}

void KEFOChecker::CheckGateDefinitions(int& errors, KEFOModel* model) {
    if (errors != 0 || model == nullptr) return;
    for (KEFODeclaration* d : model->GetDeclarations()) {
        if (!KEFOType::TestAsFlowVariable(d)) continue;
        if (static_cast<KEFOVariable*>(d)->GetDefinition() == nullptr) _RaiseError(errors, 10035, d->GetPathAsString());
    }
}

void KEFOChecker::CheckBasicEventDefinitions(int& errors, KEFOModel* model) {
    if (errors != 0 || model == nullptr) return;
    for (KEFODeclaration* d : model->GetDeclarations()) {
        if (!KEFOType::TestAsStateVariable(d)) continue;
        if (static_cast<KEFOVariable*>(d)->GetProbabilityDistribution() == nullptr) {
            _RaiseError(errors, 10036, d->GetPathAsString());
        }
    }
}

void KEFOChecker::CheckHouseEventDefinitions(int& errors, KEFOModel* model) {
    if (errors != 0 || model == nullptr) return;
    for (KEFODeclaration* d : model->GetDeclarations()) {
        if (!KEFOType::TestAsSourceVariable(d)) continue;
        if (static_cast<KEFOVariable*>(d)->GetDefinition() == nullptr) _RaiseError(errors, 10037, d->GetPathAsString());
    }
}

void KEFOChecker::CheckParameterDefinitions(int& errors, KEFOModel* model) {
    if (errors != 0 || model == nullptr) return;
    for (KEFODeclaration* d : model->GetDeclarations()) {
        if (!KEFOType::TestAsParameter(d)) continue;
        if (static_cast<KEFOParameter*>(d)->GetDefinition() == nullptr) _RaiseError(errors, 10038, d->GetPathAsString());
    }
}

void KEFOChecker::CheckVariableDefinitions(int& errors, KEFOModel* model) {
    if (errors != 0 || model == nullptr) return;
    for (KEFODeclaration* d : model->GetDeclarations()) {
        if (!KEFOType::IsVariableType(d->GetType())) continue;
        KEFOVariable* variable = static_cast<KEFOVariable*>(d);
        switch (variable->GetType()) {
        case KEFOType::Variable:
            _RaiseError(errors, 10034, d->GetPathAsString());
            break;
        case KEFOType::StateVariable:
            if (variable->GetProbabilityDistribution() == nullptr) _RaiseError(errors, 10036, d->GetPathAsString());
            break;
        case KEFOType::FlowVariable:
            if (variable->GetDefinition() == nullptr) _RaiseError(errors, 10035, d->GetPathAsString());
            break;
        default:
            if (variable->GetDefinition() == nullptr) _RaiseError(errors, 10037, d->GetPathAsString());
            break;
        }
    }
}

bool KEFOChecker::IsGateBuildable(const KEFOGate* gate) {
    if (gate == nullptr) return false;
    if (gate->IsLiteral()) return true;
    int type = gate->GetType();
    if (type != KEFOGate::And && type != KEFOGate::Or && type != KEFOGate::AtLeast) return false;
    for (KEFOTerm* c = gate->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
        const KEFOGate* child = KEFOGate::AsGate(c);
        if (child == nullptr || !child->IsLiteral()) return false;
    }
    return true;
}

void KEFOChecker::CheckNormalForm(int& errors, KEFOModel* model, KEFOVariable* top) {
    if (errors != 0 || model == nullptr || top == nullptr) return;
    KEFOGate* definition = top->GetDefinitionAsGate();
    if (definition != nullptr && definition->IsConstant()) {
        bool value = definition->HasAttribute("__VALUE__") && definition->GetConstantValue();
        _RaiseError(errors, value ? 11023 : 11022, top->GetPathAsString());
        return;
    }
    if (KEFOType::TestAsFlowVariable(top) && !IsGateBuildable(definition)) {
        _RaiseError(errors, 11021, top->GetPathAsString());
    }
    std::vector<KEFOPort*> descendants;
    top->CollectDescendants(KEFOType::CompareAsFlowVariable, nullptr, descendants);
    for (KEFOPort* port : descendants) {
        if (port == top) continue;
        const KEFOGate* gate = static_cast<KEFOVariable*>(port)->GetDefinitionAsGate();
        if (!IsGateBuildable(gate)) _RaiseError(errors, 11021, port->GetPathAsString());
    }
}
