// One element of a parent set of the shared-children grouping: a parent gate
// variable, the connective of its definition and the polarity under which
// the child occurs, followed by the rest of the set. Sets are kept sorted by
// the parents' indices and are shared: the PT manager makes every node once,
// so that two variables with equal parent sets hold the very same node.
#ifndef KEFO_PREPROCESSING_PT_NODE_H
#define KEFO_PREPROCESSING_PT_NODE_H

#include "support/memory_manager.h"

class KEFOVariable;

class KEFOPTNode {
    PLOV_MANAGED_ALLOCATION(KEFOPTNode)
public:
    // `parentIndex` is the parent's "PTINDEX"; `serial` numbers the nodes in
    // order of creation (a deterministic order between different sets).
    KEFOPTNode(KEFOVariable* parent, int parentIndex, int connective, bool polarity, KEFOPTNode* next, int serial)
        : _parent(parent), _parentIndex(parentIndex), _connective(connective), _polarity(polarity), _next(next),
          _length(next != nullptr ? next->_length + 1 : 1), _serial(serial) {
        if (next != nullptr) next->Acquire();
    }
    KEFOPTNode(const KEFOPTNode&) = delete;
    KEFOPTNode& operator=(const KEFOPTNode&) = delete;

    KEFOVariable* GetParent() const { return _parent; }
    int GetParentIndex() const { return _parentIndex; }
    int GetConnective() const { return _connective; }
    // True when the child occurs as a plain reference, false under a not.
    bool GetPolarity() const { return _polarity; }
    KEFOPTNode* GetNext() const { return _next; }
    int GetLength() const { return _length; }
    int GetSerial() const { return _serial; }

    // 1 at creation, plus one per variable that holds the node as its set
    // and one per longer node whose next it is.
    int GetReferenceCount() const { return _referenceCount; }
    void Acquire() { ++_referenceCount; }
    void Release() { --_referenceCount; }

    // Orders by the parent's index, then connective, then polarity (false
    // first), then the rest of the set (a longer set first).
    static int Compare(const KEFOPTNode* a, const KEFOPTNode* b);

private:
    KEFOVariable* _parent;
    int _parentIndex;
    int _connective;
    bool _polarity;
    KEFOPTNode* _next;
    int _length;
    int _serial;
    int _referenceCount = 1;
};

#endif
