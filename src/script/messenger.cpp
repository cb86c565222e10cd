#include "script/messenger.h"

#include "script/script_command.h"
#include "script/token.h"
#include "support/messenger.h"
#include "support/stream.h"
#include "support/xml_node.h"

#include <cstdio>

namespace {
struct MessageEntry {
    int code;
    int numberOfArguments;
    const char* text;
};

// The engine's codes, in registration order.
const MessageEntry messageTable[] = {
    {10001, 0, "File name missing."},
    {10002, 0, "Incorrect file name."},
    {10003, 1, "Unable to open file %1"},
    {10004, 0, "No root element \"open-psa\"."},
    {10005, 0, "No root element \"kefo\"."},
    {10011, 0, "Definition without body"},
    {10012, 0, "Definition with more than one body"},
    {10020, 1, "Already defined %1."},
    {10021, 1, "Already defined with another type %1."},
    {10030, 1, "Gate %1 is already defined"},
    {10031, 1, "Basic event %1 is already defined"},
    {10032, 1, "House event %1 is already defined"},
    {10033, 1, "Parameter %1 is already defined"},
    {10034, 1, "Event %1 is not defined"},
    {10035, 1, "Gate %1 is not defined"},
    {10036, 1, "Basic event %1 is not defined"},
    {10037, 1, "House event %1 is not defined"},
    {10038, 1, "Parameter %1 is not defined"},
    {10039, 1, "Variable (event) %1 is not defined"},
    {10040, 1, "Gate %1 used as a basic event"},
    {10041, 1, "Gate %1 used as a house event"},
    {10042, 1, "Basic event %1 used as a gate"},
    {10043, 1, "Basic event %1 used as a house event"},
    {10044, 1, "Event %1 declared as a house event but used as a gate"},
    {10045, 1, "House event %1 used as a basic event"},
    {10046, 1, "Event %1 already used/declared as a gate"},
    {10047, 1, "Event %1 already used/declared as a basic event"},
    {10048, 1, "Event %1 already used/declared as a house event"},
    {10050, 0, "No top event"},
    {10051, 1, "Multiple top events: %1"},
    {10052, 0, "Unspecified top event"},
    {10053, 1, "Not a basic event %1"},
    {10060, 1, "Type conflict: %1 is not declared as a parameter"},
    {10061, 1, "Type conflict: %1 is not declared as a variable (event)"},
    {10062, 1, "Type conflict: %1 is not declared as a state variable (basic event)"},
    {10063, 1, "Type conflict: %1 is not declared as a flow variable (gate)"},
    {10064, 1, "Type conflict: %1 is not declared as a source variable (house event)"},
    {10065, 1, "Type conflict: %1 is not declared as a CCF group"},
    {10070, 1, "Attribute \"%1\" is missing"},
    {10071, 1, "\"%1\" is not a Boolean value"},
    {10072, 1, "\"%1\" is not an integer"},
    {10073, 1, "\"%1\" is not a real"},
    {10080, 1, "Group %1 is already defined"},
    {10081, 0, "Incorrect CCF group definition"},
    {10082, 0, "A CCF model was expected"},
    {10083, 0, "Unknown CCF model"},
    {10084, 0, "Unknown CCF group option"},
    {10085, 1, "Factor of level %1 of CCF group is missing"},
    {10086, 0, "Too few CCF group members"},
    {10087, 0, "Ill formed CCF group member"},
    {10088, 0, "A probability distribution was expected"},
    {10090, 0, "Syntax error"},
    {10091, 0, "Unexpected end of file"},
    {10092, 1, "Unexpected token %1."},
    {10093, 1, "A %1 was expected."},
    {10094, 0, "Unexpected number of children"},
    {10099, 0, "Unknown RiskSpectum Model"},
    {11001, 0, "The target model has not been built yet."},
    {11021, 1, "Gate %1 is not a flat formula (after pre-processing)"},
    {11022, 1, "Gate %1 reduces to constant false (after pre-processing)"},
    {11023, 1, "Gate %1 reduces to constant true (after pre-processing)"},
    {11051, 1, "Invalid option of the command %1"},
    {11052, 2, "%1 is not a valid option of the command %2"},
    {11053, 0, "Option name is missing"},
    {11054, 1, "%1 is not a valid value (on/off was expected)"},
    {11055, 1, "%1 is not a valid value (an integer was expected)"},
    {11056, 1, "%1 is not a valid value (a real was expected)"},
    {11057, 1, "%1 is not a valid value (O/1 was expected)"},
    {11058, 1, "Unknown format %1"},
    {11060, 0, "No suitable source handle"},
    {11061, 0, "No suitable target handle"},
    {11062, 2, "Missing handle %2 for variable %1"},
    {11063, 2, "Handle %2 of variable %1 is not of the expected type"},
    {11064, 0, "System and MCS handles cannot be the same"},
    {11065, 1, "No source handle for module %1"},
    {11066, 1, "Non suitable handle %1"},
    {11067, 1, "No handle %1"},
    {11068, 1, "Undefined quantification method %1"},
    {11069, 1, "Undefined variable ordering heuristic %1"},
    {11201, 0, "Too few arguments."},
    {11202, 2, "Wrong number of arguments: %1 expected, %2 given."},
    {11203, 1, "The value of argument %1 must be an integer."},
    {11204, 1, "The value of argument %1 must be a floating point number."},
    {11205, 1, "The value of argument %1 must be an identifier."},
    {11206, 1, "The value of argument %1 must be a string."},
    {11207, 1, "The value of argument %1 must be a list of identifiers."},
    {11208, 1, "The value of argument %1 is out of range."},
    {11210, 2, "Invalid value %2 of argument %1."},
    {11300, 1, "Undefined option %1."},
    {11301, 1, "Undefined value of option %1."},
    {11302, 1, "The value of option %1 must be a Boolean."},
    {11303, 1, "The value of option %1 must be an integer."},
    {11304, 1, "The value of option %1 must be a floating point number."},
    {11305, 1, "The value of option %1 must be an identifier."},
    {11306, 1, "The value of option %1 must be a string."},
    {11307, 1, "The value of option %1 is out of range."},
    {11308, 1, "The value of option %1 is not of the expected type."},
    {12001, 1, "%1 has no parent block."},
    {12002, 1, "%1 is already declared."},
    {12003, 1, "%1 is already declared with another type."},
    {12004, 1, "Type conflict in definition of %1."},
    {12005, 1, "Undeclared element %1."},
    {12006, 1, "Unable to complete declaration of %1."},
    {12101, 0, "This declaration is not allowed here."},
    {12103, 0, "Wrong number of factors."},
    {13001, 0, "A command was expected."},
    {13002, 0, "Command not implemented yet."},
    {13003, 1, "Nesting deeper than %1 levels."},
    {13004, 0, "The condition of this loop cannot change: the loop would never end."},
    {14001, 1, "Incorrect or corrupted empirical distribution file '%1'."},
};
}  // namespace

KEFOMessenger::KEFOMessenger(KEFOInterpreter* interpreter)
    : _interpreter(interpreter), _errorStream(new PLOVFileStream(stderr)) {}

KEFOMessenger::~KEFOMessenger() { delete _errorStream; }

void KEFOMessenger::RegisterMessagePatterns(PLOVMessenger* store) {
    for (const MessageEntry& entry : messageTable)
        store->NewMessagePattern(entry.code, entry.numberOfArguments, entry.text);
}

void KEFOMessenger::Initialize(PLOVMessenger* store) {
    _store = store;
    if (_store != nullptr) RegisterMessagePatterns(_store);
}

PLOVMessage* KEFOMessenger::RaiseError(int code, const char* a1, const char* a2, const char* a3) {
    if (_store == nullptr) return nullptr;
    return _store->NewMessageFromPattern(code, a1, a2, a3);
}

PLOVMessage* KEFOMessenger::RaiseError(int code, const PLOVXMLNode* node, const char* a1, const char* a2,
                                       const char* a3) {
    PLOVMessage* message = RaiseError(code, a1, a2, a3);
    if (message != nullptr && node != nullptr) {
        if (node->GetFileName() != nullptr) message->SetFileName(node->GetFileName());
        message->SetLine(node->GetLine());
    }
    return message;
}

PLOVMessage* KEFOMessenger::RaiseError(int code, const KEFOToken* token, const char* a1, const char* a2,
                                       const char* a3) {
    PLOVMessage* message = RaiseError(code, a1, a2, a3);
    if (message != nullptr && token != nullptr) {
        if (token->GetFileName() != nullptr) message->SetFileName(token->GetFileName());
        message->SetLine(token->GetLine());
        message->SetColumn(token->GetColumn());
    }
    return message;
}

PLOVMessage* KEFOMessenger::RaiseError(int code, const KEFOScriptCommand* command, const char* a1,
                                       const char* a2, const char* a3) {
    PLOVMessage* message = RaiseError(code, a1, a2, a3);
    if (message != nullptr && command != nullptr) {
        if (command->GetFileName() != nullptr) message->SetFileName(command->GetFileName());
        message->SetLine(command->GetLineNumber());
    }
    return message;
}

void KEFOMessenger::PrintErrorMessages() {
    if (_store == nullptr) return;
    for (const PLOVMessage* message : _store->GetMessages()) PrintErrorMessage(message);
    _store->ResetMessages();
}

void KEFOMessenger::PrintErrorMessage(const PLOVMessage* message) {
    PLOVMessenger::PrintMessageLayout(_errorStream, "ERROR", message);
}

int KEFOMessenger::GetNumberOfPendingMessages() const {
    return _store == nullptr ? 0 : _store->GetNumberOfMessages();
}

void KEFOMessenger::SetErrorStream(PLOVStream* stream) {
    if (stream == _errorStream) return;
    delete _errorStream;
    _errorStream = stream;
}
