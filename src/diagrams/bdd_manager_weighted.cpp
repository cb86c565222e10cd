// The weighted (truncated) constructions. A budget is the largest total
// weight of the positive literals that a kept path may carry: descending into
// a then-son costs the weight of the node's variable, descending into an
// else-son costs nothing, and a negative budget gives Zero (EmptySet).
//
// Every call also gives the interval of the budgets for which its result
// holds: a negative budget gives Zero for every budget below 0, a leaf
// holds for every budget from 0 on, and an expanded call holds where both
// its sub-results hold, the then-side's interval shifted by the label's
// weight. The cache slot is keyed by the ceiling of the budget, and a record
// answers only the budgets of its interval, so that calls on the same nodes
// share a record exactly when they would compute the same diagram.
#include "diagrams/bdd_manager.h"
#include "diagrams/bdd_manager_engine.h"

#include <algorithm>
#include <cmath>

using namespace kefo_bdd;

namespace {

// The interval [low, high) of a sub-result received by a call, shifted by
// the weight the call paid to descend into it, and narrowed to the budgets
// the call expands (from 0 on).
inline void Shift(double low, double high, double weight, double& shiftedLow, double& shiftedHigh) {
    shiftedLow = low == -HUGE_VAL ? 0.0 : std::max(0.0, low + weight);
    shiftedHigh = high == HUGE_VAL ? HUGE_VAL : high + weight;
}

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
            Shift(m.GetBudgetLow(), m.GetBudgetHigh(), m.GetWeight(frame.index), frame.low, frame.high);
            next.a = ElseCofactor(frame.a, frame.index);
            next.b = frame.b != nullptr ? ElseCofactor(frame.b, frame.index) : nullptr;
            next.w = frame.w;
            return true;
        default: {
            double low, high;
            Shift(m.GetBudgetLow(), m.GetBudgetHigh(), 0.0, low, high);
            low = std::max(low, frame.low);
            high = std::min(high, frame.high);
            if (MinimalCutsets) {
                KEFOBDDNode* t = m.BuildWithout(frame.r0, child);
                result = m.NewZBDDNode(frame.index, t, child);
                m.FreeNode(t);
            } else {
                result = m.NewBDDNode(frame.index, frame.r0, child);
            }
            m.FreeNode(frame.r0);
            m.FreeNode(child);
            m.GetCache()->InsertWeightedAt(frame.slot, Code, frame.k, frame.a, frame.b, result, low, high);
            m.SetBudgetInterval(low, high);
            return false;
        }
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
        m.SetBudgetInterval(-HUGE_VAL, 0.0);
        return true;
    }
    if (m.IsLeafOne(f) || m.IsLeafZero(f)) {
        result = m.IsLeafOne(f) ? one : zero;
        // Zero is also what a negative budget gives.
        m.SetBudgetInterval(m.IsLeafZero(result) ? -HUGE_VAL : 0.0, HUGE_VAL);
        return true;
    }
    call.b = nullptr;
    call.k = BudgetKey(call.w);
    double low, high;
    KEFOBDDNode* cached = m.GetCache()->LookUpWeighted(Code, call.k, call.w, f, nullptr, call.slot, low, high);
    if (cached != nullptr) {
        m.SetBudgetInterval(low, high);
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
        if (m.IsLeafZero(f) || m.IsLeafZero(g)) {
            result = m.NewLeafZero();
            m.SetBudgetInterval(-HUGE_VAL, HUGE_VAL);
            return true;
        }
        if (call.w < 0.0) {
            result = m.NewLeafZero();
            m.SetBudgetInterval(-HUGE_VAL, 0.0);
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
        double low, high;
        KEFOBDDNode* cached = m.GetCache()->LookUpWeighted(KEFOBDDManager::WeightedAndOperation, call.k, call.w,
                                                           call.a, call.b, call.slot, low, high);
        if (cached != nullptr) {
            m.SetBudgetInterval(low, high);
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
