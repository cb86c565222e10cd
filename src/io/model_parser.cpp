// The parts of the model reader shared by both formats: messenger plumbing,
// error raising, nesting guard, tabulated distributions and the placement
// of CCF factors.
#include "io/model_parser.h"

#include "model/block.h"
#include "model/ccf_group.h"
#include "model/empirical_distribution.h"
#include "model/model.h"
#include "model/stochastic_expression.h"
#include "script/messenger.h"
#include "script/token.h"
#include "support/messenger.h"
#include "support/xml_node.h"

#include <string>

const char* const KEFOModelParser::nestingTooDeepText = "Nesting deeper than %1 levels.";

KEFOModelParser::KEFOModelParser(KEFOMessenger* messenger, KEFOInterpreter* interpreter)
    : _modelMessenger(messenger), _ownMessenger(nullptr), _interpreter(interpreter) {
    if (_modelMessenger == nullptr) {
        _ownMessenger = new KEFOMessenger(interpreter);
        _ownMessenger->Initialize(GetMessenger());
        _modelMessenger = _ownMessenger;
    }
}

KEFOModelParser::~KEFOModelParser() { delete _ownMessenger; }

void KEFOModelParser::SetModelMessenger(KEFOMessenger* messenger) {
    if (messenger != nullptr) {
        _modelMessenger = messenger;
        return;
    }
    if (_ownMessenger == nullptr) {
        _ownMessenger = new KEFOMessenger(_interpreter);
        _ownMessenger->Initialize(GetMessenger());
    }
    _modelMessenger = _ownMessenger;
}

void KEFOModelParser::_RaiseError(int& errors, int code, const KEFOToken* token, const char* a1, const char* a2) {
    ++errors;
    _modelMessenger->RaiseError(code, token, a1, a2);
}

void KEFOModelParser::_RaiseError(int& errors, int code, const PLOVXMLNode* node, const char* a1, const char* a2) {
    ++errors;
    _modelMessenger->RaiseError(code, node, a1, a2);
}

void KEFOModelParser::_RaiseErrorInFile(int& errors, int code, const char* fileName, const char* a1) {
    ++errors;
    PLOVMessage* message = _modelMessenger->RaiseError(code, a1);
    if (message != nullptr && fileName != nullptr) message->SetFileName(fileName);
}

void KEFOModelParser::_RaiseNestingTooDeep(int& errors, const KEFOToken* token, const PLOVXMLNode* node) {
    // The code is the reader's own: it is registered in whatever store the
    // messenger uses the first time it is needed.
    PLOVMessenger* store = _modelMessenger->GetStore();
    if (store != nullptr && store->LookForMessagePattern(nestingTooDeepCode) == nullptr)
        store->NewMessagePattern(nestingTooDeepCode, 1, nestingTooDeepText);
    std::string limit = std::to_string(maximumNestingDepth);
    if (token != nullptr)
        _RaiseError(errors, nestingTooDeepCode, token, limit.c_str());
    else
        _RaiseError(errors, nestingTooDeepCode, node, limit.c_str());
}

bool KEFOModelParser::_EnterNesting(int& errors, const KEFOToken* token, const PLOVXMLNode* node) {
    if (_depth >= maximumNestingDepth) {
        _RaiseNestingTooDeep(errors, token, node);
        return false;
    }
    ++_depth;
    return true;
}

void KEFOModelParser::_ForwardXMLSyntaxMessages() {
    PLOVMessenger* own = GetMessenger();
    PLOVMessenger* target = _modelMessenger->GetStore();
    if (target == nullptr || target == own) return;
    for (const PLOVMessage* message : own->GetMessages()) {
        PLOVMessage* copy = target->NewMessage(static_cast<int>(message->GetCode()), message->GetText().c_str());
        if (message->HasFileName()) copy->SetFileName(message->GetFileName().c_str());
        copy->SetLine(message->GetLine());
        copy->SetColumn(message->GetColumn());
    }
    own->ResetMessages();
}

void KEFOModelParser::_PrintErrorMessages() {
    _ForwardXMLSyntaxMessages();
    _modelMessenger->PrintErrorMessages();
}

KEFOStochasticExpression* KEFOModelParser::_NewTabulatedDistribution(int& errors, KEFOBlock* block, int type,
                                                                     const char* fileName, int tableType,
                                                                     const KEFOToken* token,
                                                                     const PLOVXMLNode* node) {
    if (errors) return nullptr;
    KEFOEmpiricalDistribution* table = new KEFOEmpiricalDistribution(tableType, fileName);
    int failures = 0;
    if (!table->Load(failures, nullptr)) {
        delete table;
        if (token != nullptr)
            _RaiseError(errors, 14001, token, fileName);
        else
            _RaiseError(errors, 14001, node, fileName);
        return nullptr;
    }
    if (type == KEFOStochasticExpression::Histogram) return KEFOStochasticExpression::NewHistogram(block, table);
    return KEFOStochasticExpression::NewEmpiricalDistribution(block, table);
}

bool KEFOModelParser::PlaceFactorsOfCCFGroup(KEFOCCFGroup* group, std::vector<KEFOStochasticExpression*>& factors) {
    int n = group->GetNumberOfMembers();
    int count = static_cast<int>(factors.size());
    int first = 1;
    bool fits = false;
    switch (group->GetType()) {
    case KEFOType::BetaFactorCCFGroup:
        fits = count == 1;
        first = n;
        break;
    case KEFOType::MGLCCFGroup:
        fits = count == n - 1;
        first = 2;
        break;
    default:
        fits = count == n;
        first = 1;
        break;
    }
    if (!fits || n < 1) {
        for (KEFOStochasticExpression* factor : factors) delete factor;
        factors.clear();
        return false;
    }
    for (int i = 0; i < count; ++i) group->SetFactor(first + i, factors[static_cast<std::size_t>(i)]);
    factors.clear();
    return true;
}
