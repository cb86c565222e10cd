// Boolean connectives on BDDs, minimal cutsets and the family operations on
// ZBDDs. Each is a memoised descent run by the driver of
// bdd_manager_engine.h.
#include "diagrams/bdd_manager.h"
#include "diagrams/bdd_manager_engine.h"

#include <utility>

using namespace kefo_bdd;

namespace {

// The slot of a call whose result the cache neither gives nor records.
const std::uint32_t unrecordedSlot = 0xffffffffu;

// Shared expansion of the Shannon operations: the sub-calls on the then- and
// else-cofactors of both operands on the frame's label, then one node made by
// the BDD rule (or the ZBDD rule).
template <int Code, bool ZBDD, bool WithPairMemo = false>
bool ShannonStep(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                 KEFOBDDNode*& result) {
    switch (frame.state) {
        case 0: {
            frame.state = 1;
            if (WithPairMemo) m.CountExpansion();
            next.a = ThenCofactor(frame.a, frame.index);
            next.b = frame.b != nullptr ? ThenCofactor(frame.b, frame.index) : nullptr;
            // The cache slot of the else-call is fetched now: the whole
            // then-call runs before it is read.
            const KEFOBDDNode* e1 = ElseCofactor(frame.a, frame.index);
            const KEFOBDDNode* e2 = frame.b != nullptr ? ElseCofactor(frame.b, frame.index) : nullptr;
            if (e2 != nullptr && reinterpret_cast<std::uintptr_t>(e1) > reinterpret_cast<std::uintptr_t>(e2))
                std::swap(e1, e2);
            m.GetCache()->Prefetch(Code, 0, e1, e2);
            __builtin_prefetch(e1);
            if (e2 != nullptr) __builtin_prefetch(e2);
            return true;
        }
        case 1:
            frame.r0 = child;
            frame.state = 2;
            next.a = ElseCofactor(frame.a, frame.index);
            next.b = frame.b != nullptr ? ElseCofactor(frame.b, frame.index) : nullptr;
            return true;
        default:
            // The node takes the references on the two sub-results.
            result = ZBDD ? m.NewZBDDNode(frame.index, frame.r0, child, true)
                          : m.NewBDDNode(frame.index, frame.r0, child, true);
            if (frame.slot != unrecordedSlot) m.GetCache()->InsertAt(frame.slot, Code, 0, frame.a, frame.b, result);
            if (WithPairMemo) {
                if (KEFOBDDPairMemo* memo = m.GetPairMemo()) memo->Insert(frame.a, frame.b, result);
            }
            return false;
    }
}

// The end of Begin for And and Or once the terminal cases are ruled out:
// the operands in canonical order, then a result already known to the cache
// or, failing it, to the pair memo (copied back into the cache); otherwise
// the expansion starts on the operands' topmost label.
//
// A pair of operands each held once is left out of the cache: each is
// reached only from its one holder (or is the operand itself), so along the
// chains of nodes held once above the two, the descent from any call that
// is recorded meets the pair at most once (each call steps down the operand
// of the lower label, or both), and the pair comes back only from the few
// recorded calls at the ends of those chains. In the BDD builds of the
// largest benchmark models, a third to a half of the look-ups were of such
// pairs and 0.2 to 0.3% of those were found; each look-up costs a miss in
// the memory caches, and the record it writes evicts one that would be
// found. Counts can only be higher than the number of holders (a result
// made on the way may coincide with a node for a while), so a pair that can
// come back by several paths is always recorded. Once the pair memo is on
// (an operation expanding pairs again), every pair is recorded, as before.
template <int Code>
bool BeginPairExpansion(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
    OrderOperands(call);
    if (call.a->GetReferenceCount() == 1 && call.b->GetReferenceCount() == 1 && m.GetPairMemo() == nullptr) {
        call.slot = unrecordedSlot;
        call.index = MinimumIndex(call.a, call.b);
        return false;
    }
    KEFOBDDNode* cached = m.GetCache()->LookUp(Code, 0, call.a, call.b, call.slot);
    if (cached == nullptr) {
        if (KEFOBDDPairMemo* memo = m.GetPairMemo()) {
            cached = memo->Find(call.a, call.b);
            if (cached != nullptr) m.GetCache()->InsertAt(call.slot, Code, 0, call.a, call.b, cached);
        }
    }
    if (cached != nullptr) {
        result = Retained(cached);
        return true;
    }
    call.index = MinimumIndex(call.a, call.b);
    return false;
}

struct AndOp {
    static bool Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
        KEFOBDDNode* f = call.a;
        KEFOBDDNode* g = call.b;
        if (m.IsLeafZero(f) || m.IsLeafZero(g)) {
            result = m.NewLeafZero();
            return true;
        }
        if (m.IsLeafOne(f)) {
            result = Retained(g);
            return true;
        }
        if (m.IsLeafOne(g) || f == g) {
            result = Retained(f);
            return true;
        }
        return BeginPairExpansion<KEFOBDDManager::AndOperation>(m, call, result);
    }
    static bool Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                     KEFOBDDNode*& result) {
        return ShannonStep<KEFOBDDManager::AndOperation, false, true>(m, frame, child, next, result);
    }
};

struct OrOp {
    static bool Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
        KEFOBDDNode* f = call.a;
        KEFOBDDNode* g = call.b;
        if (m.IsLeafOne(f) || m.IsLeafOne(g)) {
            result = m.NewLeafOne();
            return true;
        }
        if (m.IsLeafZero(f)) {
            result = Retained(g);
            return true;
        }
        if (m.IsLeafZero(g) || f == g) {
            result = Retained(f);
            return true;
        }
        return BeginPairExpansion<KEFOBDDManager::OrOperation>(m, call, result);
    }
    static bool Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                     KEFOBDDNode*& result) {
        return ShannonStep<KEFOBDDManager::OrOperation, false, true>(m, frame, child, next, result);
    }
};

struct NotOp {
    static bool Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
        KEFOBDDNode* f = call.a;
        if (m.IsLeafOne(f)) {
            result = m.NewLeafZero();
            return true;
        }
        if (m.IsLeafZero(f)) {
            result = m.NewLeafOne();
            return true;
        }
        KEFOBDDNode* cached = m.GetCache()->LookUp(KEFOBDDManager::NotOperation, 0, f, nullptr, call.slot);
        if (cached != nullptr) {
            result = Retained(cached);
            return true;
        }
        call.b = nullptr;
        call.index = f->GetIndex();
        return false;
    }
    static bool Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                     KEFOBDDNode*& result) {
        return ShannonStep<KEFOBDDManager::NotOperation, false>(m, frame, child, next, result);
    }
};

// A node held once is reached once by a descent from its only holder (its
// one father, or the caller for the root): the memo need not record it. Its
// count can only be higher than the number of its holders (results made on
// the way may coincide with it for a while), never lower, so a node with
// several fathers is always recorded.
inline bool IsShared(const KEFOBDDNode* node) { return node->GetReferenceCount() != 1; }

struct MinimalCutsetsOp {
    static bool Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
        KEFOBDDNode* f = call.a;
        if (m.IsLeaf(f)) {
            result = f;  // Zero is the empty family, One the empty product
            return true;
        }
        // Within a call the memo holds every result so far, and the cache
        // is left to the Without records.
        KEFOBDDNodeMemo* memo = m.GetMinimalCutsetsMemo();
        KEFOBDDNode* cached = nullptr;
        if (memo == nullptr)
            cached = m.GetCache()->LookUp(KEFOBDDManager::MinimalCutsetsOperation, 0, f, nullptr);
        else if (IsShared(f))
            cached = memo->Find(f);
        if (cached != nullptr) {
            result = Retained(cached);
            return true;
        }
        call.b = nullptr;
        call.index = f->GetIndex();
        return false;
    }
    static bool Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                     KEFOBDDNode*& result) {
        switch (frame.state) {
            case 0: {
                frame.state = 1;
                next.a = frame.a->GetThenSon();
                // The else-son and its memo slot are fetched now: the whole
                // then-call runs before they are read.
                const KEFOBDDNode* e = frame.a->GetElseSon();
                __builtin_prefetch(e);
                if (KEFOBDDNodeMemo* memo = m.GetMinimalCutsetsMemo()) memo->Prefetch(e);
                return true;
            }
            case 1:
                frame.r0 = child;
                frame.state = 2;
                next.a = frame.a->GetElseSon();
                return true;
            default: {
                KEFOBDDNode* m1 = frame.r0;
                KEFOBDDNode* m0 = child;
                KEFOBDDNode* t = m.BuildWithout(m1, m0);
                result = m.NewZBDDNode(frame.index, t, m0, true);  // takes t and m0
                m.FreeNode(m1);
                if (KEFOBDDNodeMemo* memo = m.GetMinimalCutsetsMemo()) {
                    if (IsShared(frame.a)) memo->Insert(frame.a, result);
                } else
                    m.GetCache()->Insert(KEFOBDDManager::MinimalCutsetsOperation, 0, frame.a, nullptr, result);
                return false;
            }
        }
    }
};

struct WithoutOp {
    enum { Lower = 0, Equal = 1 };
    static bool Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
        KEFOBDDNode* F = call.a;
        KEFOBDDNode* G = call.b;
        if (m.IsLeafEmptySet(F)) {
            result = F;
            return true;
        }
        for (;;) {
            if (m.IsLeafEmptyProduct(G) || F == G) {
                result = m.NewLeafEmptySet();
                return true;
            }
            if (m.IsLeafEmptyProduct(F)) {
                result = F;
                return true;
            }
            if (m.IsLeafEmptySet(G)) {
                result = Retained(F);
                return true;
            }
            // The products of G that contain its top variable cannot lie in
            // a product of F, which lacks it.
            if (F->GetIndex() > G->GetIndex())
                G = G->GetElseSon();
            else
                break;
        }
        call.b = G;
        KEFOBDDNode* cached = m.GetCache()->LookUp(KEFOBDDManager::WithoutOperation, 0, F, G, call.slot);
        if (cached != nullptr) {
            result = Retained(cached);
            return true;
        }
        call.index = F->GetIndex();
        call.kind = F->GetIndex() < G->GetIndex() ? Lower : Equal;
        return false;
    }
    static bool Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                     KEFOBDDNode*& result) {
        KEFOBDDNode* F = frame.a;
        KEFOBDDNode* G = frame.b;
        if (frame.kind == Lower) {
            switch (frame.state) {
                case 0:
                    frame.state = 1;
                    next.a = F->GetThenSon();
                    next.b = G;
                    // The else-call runs after the whole then-call: its
                    // slot is fetched now (under the key it has unless
                    // its G is shortened on the way).
                    m.GetCache()->Prefetch(KEFOBDDManager::WithoutOperation, 0, F->GetElseSon(), G);
                    return true;
                case 1:
                    frame.r0 = child;
                    frame.state = 2;
                    next.a = F->GetElseSon();
                    next.b = G;
                    return true;
                default:
                    break;
            }
        } else {
            // Then-side Without(Without(F1, G1), G0), else-side
            // Without(F0, G0). The else-call runs between the two calls of
            // the then-side, so that the slot of the second one, whose first
            // operand is only known once the first call is done (and is
            // often a node just made, which no record holds), is fetched
            // while the else-call runs.
            switch (frame.state) {
                case 0:
                    frame.state = 1;
                    next.a = F->GetThenSon();
                    next.b = G->GetThenSon();
                    m.GetCache()->Prefetch(KEFOBDDManager::WithoutOperation, 0, F->GetElseSon(), G->GetElseSon());
                    return true;
                case 1:
                    frame.r1 = child;
                    frame.state = 2;
                    next.a = F->GetElseSon();
                    next.b = G->GetElseSon();
                    m.GetCache()->Prefetch(KEFOBDDManager::WithoutOperation, 0, child, next.b);
                    return true;
                case 2:
                    frame.r0 = child;
                    frame.state = 3;
                    next.a = frame.r1;
                    next.b = G->GetElseSon();
                    return true;
                default:
                    m.FreeNode(frame.r1);
                    frame.r1 = nullptr;
                    result = m.NewZBDDNode(frame.index, child, frame.r0, true);  // takes both sub-results
                    m.GetCache()->InsertAt(frame.slot, KEFOBDDManager::WithoutOperation, 0, F, G, result);
                    return false;
            }
        }
        result = m.NewZBDDNode(frame.index, frame.r0, child, true);  // takes both sub-results
        m.GetCache()->InsertAt(frame.slot, KEFOBDDManager::WithoutOperation, 0, F, G, result);
        return false;
    }
};

struct UnionOp {
    enum { LeftFirst = 0, RightFirst = 1, Equal = 2 };
    static bool Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
        KEFOBDDNode* F = call.a;
        KEFOBDDNode* G = call.b;
        if (m.IsLeafEmptyProduct(F) || m.IsLeafEmptyProduct(G)) {
            result = m.NewLeafEmptyProduct();
            return true;
        }
        if (m.IsLeafEmptySet(F)) {
            result = Retained(G);
            return true;
        }
        if (m.IsLeafEmptySet(G) || F == G) {
            result = Retained(F);
            return true;
        }
        OrderOperands(call);
        KEFOBDDNode* cached = m.GetCache()->LookUp(KEFOBDDManager::UnionOperation, 0, call.a, call.b);
        if (cached != nullptr) {
            result = Retained(cached);
            return true;
        }
        const int ia = call.a->GetIndex();
        const int ib = call.b->GetIndex();
        call.kind = ia < ib ? LeftFirst : (ib < ia ? RightFirst : Equal);
        call.index = ia < ib ? ia : ib;
        return false;
    }
    static bool Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                     KEFOBDDNode*& result) {
        KEFOBDDNode* a = frame.a;
        KEFOBDDNode* b = frame.b;
        switch (frame.kind) {
            case LeftFirst:
                if (frame.state == 0) {
                    frame.state = 1;
                    next.a = a->GetElseSon();
                    next.b = b;
                    return true;
                }
                result = m.NewZBDDNode(frame.index, a->GetThenSon(), child);
                m.FreeNode(child);
                break;
            case RightFirst:
                if (frame.state == 0) {
                    frame.state = 1;
                    next.a = a;
                    next.b = b->GetElseSon();
                    return true;
                }
                result = m.NewZBDDNode(frame.index, b->GetThenSon(), child);
                m.FreeNode(child);
                break;
            default:
                if (frame.state == 0) {
                    frame.state = 1;
                    next.a = a->GetThenSon();
                    next.b = b->GetThenSon();
                    return true;
                }
                if (frame.state == 1) {
                    frame.r0 = child;
                    frame.state = 2;
                    next.a = a->GetElseSon();
                    next.b = b->GetElseSon();
                    return true;
                }
                result = m.NewZBDDNode(frame.index, frame.r0, child);
                m.FreeNode(frame.r0);
                m.FreeNode(child);
                break;
        }
        m.GetCache()->Insert(KEFOBDDManager::UnionOperation, 0, a, b, result);
        return false;
    }
};

struct ExtensionOp {
    // The variable index travels in k and is recorded as the second operand
    // of the cache record.
    static KEFOBDDNode* IndexAsOperand(int i) {
        return reinterpret_cast<KEFOBDDNode*>(static_cast<std::uintptr_t>(static_cast<unsigned>(i)));
    }
    static bool Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
        KEFOBDDNode* F = call.a;
        const int i = call.k;
        if (m.IsLeafEmptySet(F)) {
            result = F;
            return true;
        }
        if (m.IsLeafEmptyProduct(F)) {
            result = m.BuildSingleton(i);
            return true;
        }
        const int index = F->GetIndex();
        if (i < index) {
            result = m.NewZBDDNode(i, F, m.NewLeafEmptySet());
            return true;
        }
        if (index == i) {
            // {p u {i} : p in F} = i . (F1 u F0)
            KEFOBDDNode* u = m.BuildUnion(F->GetThenSon(), F->GetElseSon());
            result = m.NewZBDDNode(i, u, m.NewLeafEmptySet());
            m.FreeNode(u);
            return true;
        }
        KEFOBDDNode* cached = m.GetCache()->LookUp(KEFOBDDManager::ExtensionOperation, 0, F, IndexAsOperand(i));
        if (cached != nullptr) {
            result = Retained(cached);
            return true;
        }
        call.b = nullptr;
        call.index = index;
        return false;
    }
    static bool Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                     KEFOBDDNode*& result) {
        switch (frame.state) {
            case 0:
                frame.state = 1;
                next.a = frame.a->GetThenSon();
                next.k = frame.k;
                return true;
            case 1:
                frame.r0 = child;
                frame.state = 2;
                next.a = frame.a->GetElseSon();
                next.k = frame.k;
                return true;
            default:
                result = m.NewZBDDNode(frame.index, frame.r0, child);
                m.FreeNode(frame.r0);
                m.FreeNode(child);
                m.GetCache()->Insert(KEFOBDDManager::ExtensionOperation, 0, frame.a, IndexAsOperand(frame.k), result);
                return false;
        }
    }
};

struct BDDFromZBDDOp {
    static bool Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
        KEFOBDDNode* F = call.a;
        if (m.IsLeaf(F)) {
            result = F;  // EmptySet is Zero, EmptyProduct is One
            return true;
        }
        KEFOBDDNode* cached = m.GetCache()->LookUp(KEFOBDDManager::BDDFromZBDDOperation, 0, F, nullptr);
        if (cached != nullptr) {
            result = Retained(cached);
            return true;
        }
        call.b = nullptr;
        call.index = F->GetIndex();
        return false;
    }
    static bool Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                     KEFOBDDNode*& result) {
        switch (frame.state) {
            case 0:
                frame.state = 1;
                next.a = frame.a->GetThenSon();
                return true;
            case 1:
                frame.r0 = child;
                frame.state = 2;
                next.a = frame.a->GetElseSon();
                return true;
            default: {
                KEFOBDDNode* b1 = frame.r0;
                KEFOBDDNode* b0 = child;
                KEFOBDDNode* t = m.BuildOr(b1, b0);
                // The BDD rule: for a family that is not minimal the two sons
                // may coincide, and the node must then not be made.
                result = m.NewBDDNode(frame.index, t, b0);
                m.FreeNode(t);
                m.FreeNode(b1);
                m.FreeNode(b0);
                m.GetCache()->Insert(KEFOBDDManager::BDDFromZBDDOperation, 0, frame.a, nullptr, result);
                return false;
            }
        }
    }
};

}  // namespace

KEFOBDDNode* KEFOBDDManager::BuildPositiveLiteral(int index) { return NewBDDNode(index, _one, _zero); }

KEFOBDDNode* KEFOBDDManager::BuildNegativeLiteral(int index) { return NewBDDNode(index, _zero, _one); }

KEFOBDDNode* KEFOBDDManager::BuildAnd(KEFOBDDNode* f, KEFOBDDNode* g) { return _RunWithPairMemo<AndOp>(f, g); }

KEFOBDDNode* KEFOBDDManager::BuildOr(KEFOBDDNode* f, KEFOBDDNode* g) { return _RunWithPairMemo<OrOp>(f, g); }

KEFOBDDNode* KEFOBDDManager::BuildNot(KEFOBDDNode* f) { return _Run<NotOp>(f, nullptr, 0.0, 0); }

KEFOBDDNode* KEFOBDDManager::BuildIfThenElse(KEFOBDDNode* f, KEFOBDDNode* g, KEFOBDDNode* h) {
    KEFOBDDNode* fg = BuildAnd(f, g);
    KEFOBDDNode* nf = BuildNot(f);
    KEFOBDDNode* nfh = BuildAnd(nf, h);
    KEFOBDDNode* result = BuildOr(fg, nfh);
    FreeNode(fg);
    FreeNode(nf);
    FreeNode(nfh);
    return result;
}

KEFOBDDNode* KEFOBDDManager::BuildMinimalCutsets(KEFOBDDNode* f) {
    if (_minimalCutsetsMemo != nullptr || IsLeaf(f)) return _Run<MinimalCutsetsOp>(f, nullptr, 0.0, 0);
    KEFOBDDNode* cached = _cache->LookUp(MinimalCutsetsOperation, 0, f, nullptr);
    if (cached != nullptr) return Retained(cached);
    // Every result of the call is kept in the memo until the call ends
    // (bdd_node_memo.h), the cache being left to the Without records; the
    // cache receives the result of the root for later calls.
    KEFOBDDNodeMemo memo;
    struct Scope {
        KEFOBDDNodeMemo*& current;
        ~Scope() { current = nullptr; }
    } scope{_minimalCutsetsMemo};
    _minimalCutsetsMemo = &memo;
    KEFOBDDNode* result = _Run<MinimalCutsetsOp>(f, nullptr, 0.0, 0);
    _cache->Insert(MinimalCutsetsOperation, 0, f, nullptr, result);
    return result;
}

KEFOBDDNode* KEFOBDDManager::BuildWithout(KEFOBDDNode* F, KEFOBDDNode* G) { return _Run<WithoutOp>(F, G, 0.0, 0); }

KEFOBDDNode* KEFOBDDManager::BuildSingleton(int index) { return NewZBDDNode(index, _one, _zero); }

KEFOBDDNode* KEFOBDDManager::BuildExtension(KEFOBDDNode* F, int index) {
    return _Run<ExtensionOp>(F, nullptr, 0.0, index);
}

KEFOBDDNode* KEFOBDDManager::BuildUnion(KEFOBDDNode* F, KEFOBDDNode* G) { return _Run<UnionOp>(F, G, 0.0, 0); }

KEFOBDDNode* KEFOBDDManager::BuildBDDFromZBDD(KEFOBDDNode* F) { return _Run<BDDFromZBDDOp>(F, nullptr, 0.0, 0); }
