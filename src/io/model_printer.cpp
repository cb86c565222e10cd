// The parts of the model printer shared by both formats.
#include "io/model_printer.h"

#include "model/path.h"
#include "model/port.h"
#include "model/term.h"
#include "script/messenger.h"
#include "support/messenger.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

KEFOModelPrinter::KEFOModelPrinter(KEFOMessenger* messenger, KEFOInterpreter* interpreter)
    : _messenger(messenger), _interpreter(interpreter) {
    if (_messenger == nullptr) SetModelMessenger(nullptr);
}

KEFOModelPrinter::~KEFOModelPrinter() {
    delete _ownMessenger;
    delete _ownStore;
}

void KEFOModelPrinter::SetModelMessenger(KEFOMessenger* messenger) {
    if (messenger != nullptr) {
        _messenger = messenger;
        return;
    }
    if (_ownMessenger == nullptr) {
        _ownStore = new PLOVMessenger();
        _ownMessenger = new KEFOMessenger(_interpreter);
        _ownMessenger->Initialize(_ownStore);
    }
    _messenger = _ownMessenger;
}

void KEFOModelPrinter::_RaiseUnableToOpen(int& errors, const char* fileName) {
    ++errors;
    _messenger->RaiseError(10003, fileName != nullptr ? fileName : "");
}

std::string KEFOModelPrinter::FormatReal(double value) {
    if (std::isnan(value)) return "nan";
    // Beyond the largest double: a literal that reads back as infinity.
    if (std::isinf(value)) return value > 0 ? "1e999" : "-1e999";
    char buffer[40];
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        if (digits == 17 || std::strtod(buffer, nullptr) == value) break;
    }
    std::string text(buffer);
    if (text.find_first_of(".eE") == std::string::npos) text += ".0";
    return text;
}

std::string KEFOModelPrinter::GetReferencePath(const KEFOTerm* term) {
    const KEFOPath* path = term->GetReferredPortPath();
    if (path != nullptr) return path->GetStdString();
    const KEFOPort* port = term->GetReferredPort();
    return port != nullptr ? std::string(port->GetPathAsString()) : std::string();
}
