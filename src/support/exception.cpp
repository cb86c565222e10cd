#include "support/exception.h"

const PLOVException PLOVException::memoryOverflow(PLOVException::MemoryOverflow);
const PLOVException PLOVException::internalError(PLOVException::InternalError);
const PLOVException PLOVException::bddFailure(PLOVException::BDDFailure);

const char* PLOVException::what() const noexcept {
    switch (_kind) {
    case MemoryOverflow: return "memory overflow";
    case InternalError: return "internal error";
    default: return "failure of the BDD store";
    }
}

void PLOVException::Raise(int kind) {
    switch (kind) {
    case MemoryOverflow: throw PLOVException(memoryOverflow);
    case InternalError: throw PLOVException(internalError);
    default: throw PLOVException(bddFailure);
    }
}
