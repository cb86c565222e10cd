// The one exception of the library: it ends an evaluation on memory
// exhaustion or on an internal inconsistency. Only KEFO_EvalScript catches it
// (and the BDD store, which collects garbage and retries or rethrows).
#ifndef KEFO_SUPPORT_EXCEPTION_H
#define KEFO_SUPPORT_EXCEPTION_H

#include <exception>

class PLOVException : public std::exception {
public:
    enum Kind {
        MemoryOverflow = 0,
        InternalError = 1,
        BDDFailure = 2
    };

    explicit PLOVException(int kind) : _kind(kind) {}
    int GetKind() const { return _kind; }
    const char* what() const noexcept override;

    // Throws a copy of the static instance of the given kind.
    [[noreturn]] static void Raise(int kind);
    [[noreturn]] static void RaiseMemoryOverflow() { Raise(MemoryOverflow); }
    [[noreturn]] static void RaiseInternalError() { Raise(InternalError); }
    [[noreturn]] static void RaiseBDDFailure() { Raise(BDDFailure); }

    static const PLOVException memoryOverflow;
    static const PLOVException internalError;
    static const PLOVException bddFailure;

private:
    int _kind;
};

#endif
