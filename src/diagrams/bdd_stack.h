// The explicit stack on which the operations of the store run their
// descents. Diagrams may be as deep as the number of variables (hundreds of
// thousands), far more than the machine stack can take as recursion. The
// stack is made of fixed chunks that are kept once allocated, so that frames
// never move while other operations push above them and the steady state
// makes no allocation.
#ifndef KEFO_DIAGRAMS_BDD_STACK_H
#define KEFO_DIAGRAMS_BDD_STACK_H

#include "diagrams/bdd_node.h"
#include "support/memory_manager.h"

#include <cstddef>
#include <cstdint>

// One pending call of an operation: its operands, budget, the label of the
// node it will make, the sub-results received so far and where it stands.
struct KEFOBDDFrame {
    KEFOBDDNode* a;
    KEFOBDDNode* b;
    KEFOBDDNode* r0;
    KEFOBDDNode* r1;
    double w;
    int k;
    int index;
    int state;
    int kind;
    std::uint32_t slot;  // cache slot of the call's key, for its result
    // Weighted operations: the budgets for which the sub-results received so
    // far hold, as budgets of this call.
    double low;
    double high;
};

class KEFOBDDStack {
    PLOV_MANAGED_ALLOCATION(KEFOBDDStack)
public:
    static const int chunkSize = 4096;

    KEFOBDDStack();
    ~KEFOBDDStack();
    KEFOBDDStack(const KEFOBDDStack&) = delete;
    KEFOBDDStack& operator=(const KEFOBDDStack&) = delete;

    std::size_t GetDepth() const { return _depth; }
    KEFOBDDFrame* Push() {
        if (_offset == chunkSize) _NextChunk();
        ++_depth;
        return _chunk + _offset++;
    }
    KEFOBDDFrame* Top() const { return _chunk + _offset - 1; }
    void Pop() {
        --_depth;
        if (--_offset == 0 && _depth != 0) _PreviousChunk();
    }
    // Pops back to the given depth (used when an exception unwinds a
    // descent).
    void PopTo(std::size_t depth) {
        while (_depth > depth) Pop();
    }

private:
    void _NextChunk();
    void _PreviousChunk();

    KEFOBDDFrame** _chunks;
    int _numberOfChunks;  // allocated
    int _capacityOfChunks;
    int _current;         // index of the chunk holding the top
    KEFOBDDFrame* _chunk;
    int _offset;          // frames used in the current chunk
    std::size_t _depth;
};

// Restores the stack depth when a descent leaves by an exception.
class KEFOBDDStackGuard {
public:
    explicit KEFOBDDStackGuard(KEFOBDDStack& stack) : _stack(stack), _depth(stack.GetDepth()) {}
    ~KEFOBDDStackGuard() { _stack.PopTo(_depth); }
    std::size_t GetDepth() const { return _depth; }
    KEFOBDDStackGuard(const KEFOBDDStackGuard&) = delete;
    KEFOBDDStackGuard& operator=(const KEFOBDDStackGuard&) = delete;

private:
    KEFOBDDStack& _stack;
    std::size_t _depth;
};

#endif
