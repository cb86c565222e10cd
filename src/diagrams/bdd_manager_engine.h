// The machinery shared by the operations of KEFOBDDManager: the driver that
// runs a memoised descent on the explicit stack, and small helpers. Only the
// implementation files of the manager include it.
//
// An operation is a class Op with two static members:
//
//   bool Op::Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result)
//     Reads the call's operands (a, b, budget w, integer k), handles the
//     terminal cases and cache hits (result set, with a reference for the
//     caller, and true returned), or prepares the call to be expanded: the
//     operands in their canonical form, the label `index` of the node to
//     make and the `kind` of expansion; then returns false.
//
//   bool Op::Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child,
//                 KEFOBDDFrame& next, KEFOBDDNode*& result)
//     Advances a pending call: `child` is the result of its previous
//     sub-call (none on the first step). Either sets `next` to the operands
//     of the following sub-call and returns true, or makes the call's
//     result (result set, sub-results released, cache filled) and returns
//     false.
//
// Frames never move while they are pending, so a Step may run other
// operations of the manager (which push above it) and still use `frame`.
#ifndef KEFO_DIAGRAMS_BDD_MANAGER_ENGINE_H
#define KEFO_DIAGRAMS_BDD_MANAGER_ENGINE_H

#include "diagrams/bdd_manager.h"

#include <climits>
#include <cmath>

template <class Op>
KEFOBDDNode* KEFOBDDManager::_Run(KEFOBDDNode* a, KEFOBDDNode* b, double w, int k) {
    KEFOBDDStack& stack = *_stack;
    KEFOBDDStackGuard guard(stack);
    UnlinkedNodesGuard linker(*this);
    KEFOBDDFrame call;
    call.a = a;
    call.b = b;
    call.r0 = nullptr;
    call.r1 = nullptr;
    call.w = w;
    call.k = k;
    call.index = 0;
    call.state = 0;
    call.kind = 0;
    call.slot = 0;
    call.low = 0.0;
    call.high = 0.0;
    KEFOBDDNode* result = nullptr;
    for (;;) {
        if (!Op::Begin(*this, call, result)) {
            KEFOBDDFrame* frame = stack.Push();
            *frame = call;
            frame->state = 0;
            Op::Step(*this, *frame, nullptr, call, result);
            continue;
        }
        for (;;) {
            if (stack.GetDepth() == guard.GetDepth()) return result;
            KEFOBDDFrame* frame = stack.Top();
            if (Op::Step(*this, *frame, result, call, result)) break;
            stack.Pop();
        }
    }
}

// The memo and the counters of a call that would run inside another one
// (no And or Or does so today) are its own; the outer ones come back after.
template <class Op>
KEFOBDDNode* KEFOBDDManager::_RunWithPairMemo(KEFOBDDNode* a, KEFOBDDNode* b) {
    KEFOBDDPairMemo memo;
    struct Scope {
        KEFOBDDManager& m;
        KEFOBDDPairMemo* ofCall;
        KEFOBDDPairMemo* on;
        long expansions;
        long made;
        ~Scope() {
            m._pairMemoOfCall = ofCall;
            m._pairMemo = on;
            m._expansionsAtCallStart = expansions;
            m._nodesMadeAtCallStart = made;
        }
    } scope{*this, _pairMemoOfCall, _pairMemo, _expansionsAtCallStart, _nodesMadeAtCallStart};
    _pairMemoOfCall = &memo;
    _pairMemo = nullptr;
    _expansionsAtCallStart = _numberOfExpansions;
    _nodesMadeAtCallStart = _numberOfNodesMade;
    return _Run<Op>(a, b, 0.0, 0);
}

namespace kefo_bdd {

// Cofactors of a node on the variable x: a node not labelled x is its own.
inline KEFOBDDNode* ThenCofactor(KEFOBDDNode* node, int x) {
    return node->GetIndex() == x ? node->GetThenSon() : node;
}
inline KEFOBDDNode* ElseCofactor(KEFOBDDNode* node, int x) {
    return node->GetIndex() == x ? node->GetElseSon() : node;
}

inline int MinimumIndex(const KEFOBDDNode* f, const KEFOBDDNode* g) {
    const int i = f->GetIndex();
    const int j = g->GetIndex();
    return i < j ? i : j;
}

// The fixed total order of node identities that puts the operands of a
// commutative operation in canonical order.
inline void OrderOperands(KEFOBDDFrame& call) {
    if (reinterpret_cast<std::uintptr_t>(call.a) > reinterpret_cast<std::uintptr_t>(call.b)) {
        KEFOBDDNode* t = call.a;
        call.a = call.b;
        call.b = t;
    }
}

// The cache key of a budget: its ceiling, as an int.
inline int BudgetKey(double w) {
    const double c = std::ceil(w);
    if (!(c < 2147483647.0)) return INT_MAX;
    if (c < -2147483647.0) return -INT_MAX;
    return static_cast<int>(c);
}

inline KEFOBDDNode* Retained(KEFOBDDNode* node) {
    node->Retain();
    return node;
}

}  // namespace kefo_bdd

// A visitor has:
//   bool Pending(KEFOBDDNode* n)   the internal node n still needs Compute;
//   void Compute(KEFOBDDNode* n)   called once both sons are done.
// Every pending node reachable from the root is computed, so that a marker
// pass followed by a walk leaves no mark behind.
// A node is on the stack at most once (the diagram is acyclic), so the depth
// is bounded by the number of variables.
template <class Visitor>
void KEFOBDDManager::_PostOrder(KEFOBDDNode* root, Visitor& visitor) {
    if (!IsInternalNode(root) || !visitor.Pending(root)) return;
    KEFOBDDStack& stack = *_stack;
    KEFOBDDStackGuard guard(stack);
    KEFOBDDFrame* frame = stack.Push();
    frame->a = root;
    frame->state = 0;
    while (stack.GetDepth() != guard.GetDepth()) {
        frame = stack.Top();
        KEFOBDDNode* node = frame->a;
        if (frame->state == 0) {
            frame->state = 1;
            // The else-son is read once the then-side is done: its load
            // starts now, to overlap the walk of the then-side.
            __builtin_prefetch(node->GetElseSon());
            KEFOBDDNode* son = node->GetThenSon();
            if (IsInternalNode(son) && visitor.Pending(son)) {
                KEFOBDDFrame* pushed = stack.Push();
                pushed->a = son;
                pushed->state = 0;
                continue;
            }
        }
        if (frame->state == 1) {
            frame->state = 2;
            KEFOBDDNode* son = node->GetElseSon();
            if (IsInternalNode(son) && visitor.Pending(son)) {
                KEFOBDDFrame* pushed = stack.Push();
                pushed->a = son;
                pushed->state = 0;
                continue;
            }
        }
        visitor.Compute(node);
        stack.Pop();
    }
}

#endif
