// The generic store of numbered message patterns and the queue of pending
// messages. Texts hold "%1" to "%5" where the arguments go.
#ifndef KEFO_SUPPORT_MESSENGER_H
#define KEFO_SUPPORT_MESSENGER_H

#include "support/memory_manager.h"

#include <list>
#include <map>
#include <string>

class PLOVStream;

class PLOVMessagePattern {
    PLOV_MANAGED_ALLOCATION(PLOVMessagePattern)
public:
    PLOVMessagePattern(int code, int numberOfArguments, const char* text);
    int GetCode() const { return _code; }
    int GetNumberOfArguments() const { return _numberOfArguments; }
    const std::string& GetText() const { return _text; }
    // Substitutes every "%i" by argument i for i up to the pattern's count;
    // absent arguments (null) and arguments beyond the count leave the marker.
    std::string BuildMessage(const char* a1 = nullptr, const char* a2 = nullptr, const char* a3 = nullptr,
                             const char* a4 = nullptr, const char* a5 = nullptr) const;
    std::string BuildMessage(int n, const char* const* arguments) const;
    int CompareCode(int code) const { return _code < code ? -1 : (_code > code ? 1 : 0); }

private:
    int _code;
    int _numberOfArguments;
    std::string _text;
};

class PLOVMessage {
    PLOV_MANAGED_ALLOCATION(PLOVMessage)
public:
    static const unsigned int noCode = 0xFFFFFFFFu;
    PLOVMessage(unsigned int code, const std::string& text) : _code(code), _text(text) {}
    unsigned int GetCode() const { return _code; }
    const std::string& GetText() const { return _text; }
    bool HasFileName() const { return _hasFileName; }
    const std::string& GetFileName() const { return _fileName; }
    void SetFileName(const char* name) {
        _hasFileName = name != nullptr;
        _fileName = name != nullptr ? name : "";
    }
    int GetLine() const { return _line; }
    void SetLine(int line) { _line = line; }
    int GetColumn() const { return _column; }
    void SetColumn(int column) { _column = column; }

private:
    unsigned int _code;
    std::string _text;
    bool _hasFileName = false;
    std::string _fileName;
    int _line = -1;
    int _column = -1;
};

class PLOVMessenger {
    PLOV_MANAGED_ALLOCATION(PLOVMessenger)
public:
    PLOVMessenger();
    ~PLOVMessenger();
    PLOVMessenger(const PLOVMessenger&) = delete;
    PLOVMessenger& operator=(const PLOVMessenger&) = delete;

    PLOVMessagePattern* LookForMessagePattern(int code) const;
    PLOVMessagePattern* NewMessagePattern(int code, int numberOfArguments, const char* text);
    void DeleteMessagePattern(int code);
    int GetNumberOfMessagePatterns() const { return static_cast<int>(_patterns.size()); }

    PLOVMessage* NewMessage(int code, const char* text);
    PLOVMessage* NewMessageFromPattern(int code, const char* a1 = nullptr, const char* a2 = nullptr,
                                       const char* a3 = nullptr, const char* a4 = nullptr,
                                       const char* a5 = nullptr);
    PLOVMessage* NewMessageFromPattern(const PLOVMessagePattern* pattern, const char* a1 = nullptr,
                                       const char* a2 = nullptr, const char* a3 = nullptr,
                                       const char* a4 = nullptr, const char* a5 = nullptr);
    PLOVMessage* NewMessageFromPattern(int code, int n, const char* const* arguments);
    PLOVMessage* NewMessageFromPattern(const PLOVMessagePattern* pattern, int n, const char* const* arguments);

    const std::list<PLOVMessage*>& GetMessages() const { return _messages; }
    int GetNumberOfMessages() const { return static_cast<int>(_messages.size()); }
    void ResetMessages();

    // Prints every pending message in raising order ("Error" layout), then
    // deletes them.
    void PrintErrorMessages();
    void PrintErrorMessage(const PLOVMessage* message);
    // Writes one message in the common layout, beginning with `head`.
    static void PrintMessageLayout(PLOVStream* stream, const char* head, const PLOVMessage* message);

    PLOVStream* GetErrorStream() const { return _errorStream; }
    // Replaces (and deletes) the stream the messages are printed on.
    void SetErrorStream(PLOVStream* stream);

private:
    std::map<int, PLOVMessagePattern*> _patterns;
    std::list<PLOVMessage*> _messages;
    PLOVStream* _errorStream;
};

#endif
