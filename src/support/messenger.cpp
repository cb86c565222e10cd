#include "support/messenger.h"

#include "support/stream.h"

#include <cstdio>

PLOVMessagePattern::PLOVMessagePattern(int code, int numberOfArguments, const char* text)
    : _code(code), _numberOfArguments(numberOfArguments), _text(text != nullptr ? text : "") {}

std::string PLOVMessagePattern::BuildMessage(const char* a1, const char* a2, const char* a3, const char* a4,
                                             const char* a5) const {
    const char* arguments[5] = {a1, a2, a3, a4, a5};
    return BuildMessage(5, arguments);
}

std::string PLOVMessagePattern::BuildMessage(int n, const char* const* arguments) const {
    // Markers are substituted in the pattern text only, so an argument that
    // itself holds "%2" is never substituted again.
    std::string result;
    result.reserve(_text.size() + 32);
    for (std::size_t i = 0; i < _text.size(); ++i) {
        char c = _text[i];
        if (c == '%' && i + 1 < _text.size() && _text[i + 1] >= '1' && _text[i + 1] <= '5') {
            int index = _text[i + 1] - '0';
            if (index <= n && index <= _numberOfArguments && arguments[index - 1] != nullptr) {
                result += arguments[index - 1];
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

PLOVMessenger::PLOVMessenger() : _errorStream(new PLOVFileStream(stderr)) {}

PLOVMessenger::~PLOVMessenger() {
    ResetMessages();
    for (auto& entry : _patterns) delete entry.second;
    delete _errorStream;
}

PLOVMessagePattern* PLOVMessenger::LookForMessagePattern(int code) const {
    auto it = _patterns.find(code);
    return it == _patterns.end() ? nullptr : it->second;
}

PLOVMessagePattern* PLOVMessenger::NewMessagePattern(int code, int numberOfArguments, const char* text) {
    DeleteMessagePattern(code);
    PLOVMessagePattern* pattern = new PLOVMessagePattern(code, numberOfArguments, text);
    _patterns[code] = pattern;
    return pattern;
}

void PLOVMessenger::DeleteMessagePattern(int code) {
    auto it = _patterns.find(code);
    if (it == _patterns.end()) return;
    delete it->second;
    _patterns.erase(it);
}

PLOVMessage* PLOVMessenger::NewMessage(int code, const char* text) {
    PLOVMessage* message = new PLOVMessage(static_cast<unsigned int>(code), text != nullptr ? text : "");
    _messages.push_back(message);
    return message;
}

PLOVMessage* PLOVMessenger::NewMessageFromPattern(int code, const char* a1, const char* a2, const char* a3,
                                                  const char* a4, const char* a5) {
    PLOVMessagePattern* pattern = LookForMessagePattern(code);
    if (pattern == nullptr) {
        // An unregistered code is a programming error; keep the report rather
        // than lose it.
        char text[64];
        std::snprintf(text, sizeof text, "Unregistered message code %d", code);
        return NewMessage(code, text);
    }
    return NewMessageFromPattern(pattern, a1, a2, a3, a4, a5);
}

PLOVMessage* PLOVMessenger::NewMessageFromPattern(const PLOVMessagePattern* pattern, const char* a1,
                                                  const char* a2, const char* a3, const char* a4,
                                                  const char* a5) {
    std::string text = pattern->BuildMessage(a1, a2, a3, a4, a5);
    return NewMessage(pattern->GetCode(), text.c_str());
}

PLOVMessage* PLOVMessenger::NewMessageFromPattern(int code, int n, const char* const* arguments) {
    PLOVMessagePattern* pattern = LookForMessagePattern(code);
    if (pattern == nullptr) return NewMessageFromPattern(code);
    return NewMessageFromPattern(pattern, n, arguments);
}

PLOVMessage* PLOVMessenger::NewMessageFromPattern(const PLOVMessagePattern* pattern, int n,
                                                  const char* const* arguments) {
    std::string text = pattern->BuildMessage(n, arguments);
    return NewMessage(pattern->GetCode(), text.c_str());
}

void PLOVMessenger::ResetMessages() {
    for (PLOVMessage* message : _messages) delete message;
    _messages.clear();
}

void PLOVMessenger::PrintErrorMessages() {
    for (PLOVMessage* message : _messages) PrintErrorMessage(message);
    ResetMessages();
}

void PLOVMessenger::PrintErrorMessage(const PLOVMessage* message) {
    PrintMessageLayout(_errorStream, "Error", message);
}

void PLOVMessenger::PrintMessageLayout(PLOVStream* stream, const char* head, const PLOVMessage* message) {
    if (stream == nullptr || message == nullptr) return;
    stream->PrintString(head);
    if (message->GetCode() != PLOVMessage::noCode) {
        stream->PrintString(" code: ");
        stream->PrintInt(static_cast<long>(message->GetCode()));
    }
    if (message->HasFileName()) {
        stream->PrintString(" file: ");
        stream->PrintString(message->GetFileName());
    }
    if (message->GetLine() != -1) {
        stream->PrintString(" line: ");
        stream->PrintInt(message->GetLine());
    }
    if (message->GetColumn() != -1) {
        stream->PrintString(" column: ");
        stream->PrintInt(message->GetColumn());
    }
    stream->PrintNewLine();
    stream->Flush();
    stream->PrintString(message->GetText());
    stream->PrintNewLine();
    stream->Flush();
    stream->PrintString("---\n");
    stream->Flush();
    stream->PrintNewLine();
    stream->Flush();
}

void PLOVMessenger::SetErrorStream(PLOVStream* stream) {
    if (stream == _errorStream) return;
    delete _errorStream;
    _errorStream = stream;
}
