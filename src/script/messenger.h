// The engine's messenger: registers the table of message codes in a shared
// store and raises messages with their location (nothing, an XML node, a
// token or a script command). It never touches the error counter: the
// interpreter's RaiseError overloads count and forward here.
#ifndef KEFO_SCRIPT_MESSENGER_H
#define KEFO_SCRIPT_MESSENGER_H

#include "support/memory_manager.h"

class KEFOInterpreter;
class KEFOScriptCommand;
class KEFOToken;
class PLOVMessage;
class PLOVMessenger;
class PLOVStream;
class PLOVXMLNode;

class KEFOMessenger {
    PLOV_MANAGED_ALLOCATION(KEFOMessenger)
public:
    explicit KEFOMessenger(KEFOInterpreter* interpreter = nullptr);
    ~KEFOMessenger();
    KEFOMessenger(const KEFOMessenger&) = delete;
    KEFOMessenger& operator=(const KEFOMessenger&) = delete;

    // Remembers the store (not owned) and registers the table of codes.
    void Initialize(PLOVMessenger* store);
    PLOVMessenger* GetStore() const { return _store; }
    KEFOInterpreter* GetInterpreter() const { return _interpreter; }

    PLOVMessage* RaiseError(int code, const char* a1 = nullptr, const char* a2 = nullptr, const char* a3 = nullptr);
    PLOVMessage* RaiseError(int code, const PLOVXMLNode* node, const char* a1 = nullptr, const char* a2 = nullptr,
                            const char* a3 = nullptr);
    PLOVMessage* RaiseError(int code, const KEFOToken* token, const char* a1 = nullptr, const char* a2 = nullptr,
                            const char* a3 = nullptr);
    PLOVMessage* RaiseError(int code, const KEFOScriptCommand* command, const char* a1 = nullptr,
                            const char* a2 = nullptr, const char* a3 = nullptr);

    // Prints every pending message ("ERROR" layout) and empties the queue.
    void PrintErrorMessages();
    void PrintErrorMessage(const PLOVMessage* message);
    int GetNumberOfPendingMessages() const;

    PLOVStream* GetErrorStream() const { return _errorStream; }
    // Replaces (and deletes) the stream the messages are printed on.
    void SetErrorStream(PLOVStream* stream);

    // Registers the engine's table of codes in a store.
    static void RegisterMessagePatterns(PLOVMessenger* store);

private:
    KEFOInterpreter* _interpreter;
    PLOVMessenger* _store = nullptr;
    PLOVStream* _errorStream;
};

#endif
