// The weighted (truncated) constructions. A budget is the largest total
// weight of the positive literals that a kept path may carry: descending into
// a then-son costs the weight of the node's variable, descending into an
// else-son costs nothing, and a negative budget gives Zero (EmptySet). The
// cache key carries the ceiling of the budget, so that calls on the same
// nodes whose budgets have the same ceiling share one record.
#include "diagrams/bdd_manager.h"
#include "diagrams/bdd_manager_engine.h"

using namespace kefo_bdd;

namespace {

// Sub-calls on the then-cofactors with the budget less the label's weight and
// on the else-cofactors with the same budget; the node is made by the BDD or
// the ZBDD rule (the latter after removing from the then-result the products
// that the else-result already covers, for minimal cutsets).
template <int Code, bool MinimalCutsets>
bool WeightedStep(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                  KEFOBDDNode*& result) {
    switch (frame.state) {
        case 0:
            frame.state = 1;
            next.a = ThenCofactor(frame.a, frame.index);
            next.b = frame.b != nullptr ? ThenCofactor(frame.b, frame.index) : nullptr;
            next.w = frame.w - m.GetWeight(frame.index);
            return true;
        case 1:
            frame.r0 = child;
            frame.state = 2;
            next.a = ElseCofactor(frame.a, frame.index);
            next.b = frame.b != nullptr ? ElseCofactor(frame.b, frame.index) : nullptr;
            next.w = frame.w;
            return true;
        default:
            if (MinimalCutsets) {
                KEFOBDDNode* t = m.BuildWithout(frame.r0, child);
                result = m.NewZBDDNode(frame.index, t, child);
                m.FreeNode(t);
            } else {
                result = m.NewBDDNode(frame.index, frame.r0, child);
            }
            m.FreeNode(frame.r0);
            m.FreeNode(child);
            m.GetCache()->Insert(Code, frame.k, frame.a, frame.b, result);
            return false;
    }
}

// Common opening of the unary weighted operations: negative budget, leaves
// (mapped by `one` and `zero`), cache.
template <int Code>
bool WeightedUnaryBegin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result, KEFOBDDNode* one,
                        KEFOBDDNode* zero) {
    KEFOBDDNode* f = call.a;
    if (call.w < 0.0) {
        result = m.NewLeafZero();
        return true;
    }
    if (m.IsLeafOne(f)) {
        result = one;
        return true;
    }
    if (m.IsLeafZero(f)) {
        result = zero;
        return true;
    }
    call.b = nullptr;
    call.k = BudgetKey(call.w);
    KEFOBDDNode* cached = m.GetCache()->LookUp(Code, call.k, f, nullptr);
    if (cached != nullptr) {
        result = Retained(cached);
        return true;
    }
    call.index = f->GetIndex();
    return false;
}

struct WeightedBDDOp {
    static bool Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
        return WeightedUnaryBegin<KEFOBDDManager::WeightedBDDOperation>(m, call, result, m.NewLeafOne(),
                                                                         m.NewLeafZero());
    }
    static bool Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                     KEFOBDDNode*& result) {
        return WeightedStep<KEFOBDDManager::WeightedBDDOperation, false>(m, frame, child, next, result);
    }
};

struct WeightedNotOp {
    static bool Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
        return WeightedUnaryBegin<KEFOBDDManager::WeightedNotOperation>(m, call, result, m.NewLeafZero(),
                                                                         m.NewLeafOne());
    }
    static bool Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                     KEFOBDDNode*& result) {
        return WeightedStep<KEFOBDDManager::WeightedNotOperation, false>(m, frame, child, next, result);
    }
};

struct WeightedMinimalCutsetsOp {
    static bool Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
        return WeightedUnaryBegin<KEFOBDDManager::WeightedMinimalCutsetsOperation>(m, call, result, m.NewLeafOne(),
                                                                                   m.NewLeafZero());
    }
    static bool Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                     KEFOBDDNode*& result) {
        return WeightedStep<KEFOBDDManager::WeightedMinimalCutsetsOperation, true>(m, frame, child, next, result);
    }
};

struct WeightedAndOp {
    static bool Begin(KEFOBDDManager& m, KEFOBDDFrame& call, KEFOBDDNode*& result) {
        KEFOBDDNode* f = call.a;
        KEFOBDDNode* g = call.b;
        if (call.w < 0.0 || m.IsLeafZero(f) || m.IsLeafZero(g)) {
            result = m.NewLeafZero();
            return true;
        }
        if (m.IsLeafOne(f)) {
            result = m.BuildWeightedBDD(g, call.w);
            return true;
        }
        if (m.IsLeafOne(g) || f == g) {
            result = m.BuildWeightedBDD(f, call.w);
            return true;
        }
        OrderOperands(call);
        call.k = BudgetKey(call.w);
        KEFOBDDNode* cached = m.GetCache()->LookUp(KEFOBDDManager::WeightedAndOperation, call.k, call.a, call.b);
        if (cached != nullptr) {
            result = Retained(cached);
            return true;
        }
        call.index = MinimumIndex(call.a, call.b);
        return false;
    }
    static bool Step(KEFOBDDManager& m, KEFOBDDFrame& frame, KEFOBDDNode* child, KEFOBDDFrame& next,
                     KEFOBDDNode*& result) {
        return WeightedStep<KEFOBDDManager::WeightedAndOperation, false>(m, frame, child, next, result);
    }
};

}  // namespace

KEFOBDDNode* KEFOBDDManager::BuildWeightedPositiveLiteral(int index, double w) {
    if (w < 0.0 || w - _GetWeightOfIndex(index) < 0.0) return _zero;
    return NewBDDNode(index, _one, _zero);
}

KEFOBDDNode* KEFOBDDManager::BuildWeightedNegativeLiteral(int index, double w) {
    if (w < 0.0) return _zero;
    return NewBDDNode(index, _zero, _one);
}

KEFOBDDNode* KEFOBDDManager::BuildWeightedBDD(KEFOBDDNode* f, double w) {
    _DiscardWeightedRecordsIfWeightsChanged();
    return _Run<WeightedBDDOp>(f, nullptr, w, 0);
}

KEFOBDDNode* KEFOBDDManager::BuildWeightedAnd(KEFOBDDNode* f, KEFOBDDNode* g, double w) {
    _DiscardWeightedRecordsIfWeightsChanged();
    return _Run<WeightedAndOp>(f, g, w, 0);
}

KEFOBDDNode* KEFOBDDManager::BuildWeightedOr(KEFOBDDNode* f, KEFOBDDNode* g, double) { return BuildOr(f, g); }

KEFOBDDNode* KEFOBDDManager::BuildWeightedNot(KEFOBDDNode* f, double w) {
    _DiscardWeightedRecordsIfWeightsChanged();
    return _Run<WeightedNotOp>(f, nullptr, w, 0);
}

KEFOBDDNode* KEFOBDDManager::BuildWeightedIfThenElse(KEFOBDDNode* f, KEFOBDDNode* g, KEFOBDDNode* h, double w) {
    KEFOBDDNode* fg = BuildWeightedAnd(f, g, w);
    KEFOBDDNode* nf = BuildWeightedNot(f, w);
    KEFOBDDNode* nfh = BuildWeightedAnd(nf, h, w);
    KEFOBDDNode* result = BuildOr(fg, nfh);
    FreeNode(fg);
    FreeNode(nf);
    FreeNode(nfh);
    return result;
}

KEFOBDDNode* KEFOBDDManager::BuildWeightedMinimalCutsets(KEFOBDDNode* f, double w) {
    _DiscardWeightedRecordsIfWeightsChanged();
    return _Run<WeightedMinimalCutsetsOp>(f, nullptr, w, 0);
}
