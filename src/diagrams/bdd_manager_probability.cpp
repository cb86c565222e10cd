// Probabilities of diagrams. The memoised recursions run in single
// precision inside the nodes' value cells, -1.0 marking a node not yet
// computed; each public operation starts with the marker pass. The entry of
// a node's variable may force it false (code 0) or true (code 1); otherwise
// (code 2, or no entry, whose probability counts as 0) the variable is free.
#include "diagrams/bdd_manager.h"
#include "diagrams/bdd_manager_engine.h"

#include <cstring>

namespace {

const float unvisited = -1.0f;

bool IsUnvisited(const KEFOBDDNode* n) {
    const float v = n->GetFloatValue();
    std::int32_t bits;
    std::int32_t mark;
    std::memcpy(&bits, &v, sizeof bits);
    std::memcpy(&mark, &unvisited, sizeof mark);
    return bits == mark;
}

float Clamp01(float x) {
    if (x < 0.0f) return 0.0f;
    if (x > 1.0f) return 1.0f;
    return x;
}

// Shared part of the visitors: leaf values, entry reading, which sons the
// value code needs.
struct ProbabilityVisitor {
    const KEFOBDDManager& m;
    float Value(KEFOBDDNode* n) const {
        if (m.IsLeafOne(n)) return 1.0f;
        if (m.IsLeafZero(n)) return 0.0f;
        return n->GetFloatValue();
    }
    int Code(const KEFOBDDNode* n) const {
        const KEFOBDDEntry* entry = m.GetEntry(n->GetIndex());
        return entry != nullptr ? entry->GetValue() : KEFOBDDEntry::Unknown;
    }
    float Probability(const KEFOBDDNode* n) const {
        const KEFOBDDEntry* entry = m.GetEntry(n->GetIndex());
        return entry != nullptr ? static_cast<float>(entry->GetProbability()) : 0.0f;
    }
    bool Pending(KEFOBDDNode* n) const { return IsUnvisited(n); }
    // Both sons are computed even where a value code makes one of them
    // useless (the post-order walks every pending node): the marker pass has
    // set every reachable cell to -1.0, and a cell left at -1.0 above
    // computed ones would stop the next marker pass early and leave stale
    // values below it.
};

struct ExactVisitor : ProbabilityVisitor {
    void Compute(KEFOBDDNode* n) const {
        const int code = Code(n);
        float v;
        if (code == KEFOBDDEntry::True)
            v = Value(n->GetThenSon());
        else if (code == KEFOBDDEntry::False)
            v = Value(n->GetElseSon());
        else {
            const float p = Probability(n);
            v = Value(n->GetElseSon()) * (1.0f - p) + Value(n->GetThenSon()) * p;
        }
        n->SetFloatValue(v);
    }
};

struct RareEventVisitor : ProbabilityVisitor {
    void Compute(KEFOBDDNode* n) const {
        const int code = Code(n);
        float v;
        if (code == KEFOBDDEntry::True)
            v = Value(n->GetThenSon()) + Value(n->GetElseSon());
        else if (code == KEFOBDDEntry::False)
            v = Value(n->GetElseSon());
        else
            v = Probability(n) * Value(n->GetThenSon()) + Value(n->GetElseSon());
        n->SetFloatValue(v);
    }
};

struct PivotalVisitor : ProbabilityVisitor {
    void Compute(KEFOBDDNode* n) const {
        const int code = Code(n);
        float v;
        if (code == KEFOBDDEntry::False) {
            v = Value(n->GetElseSon());
        } else if (code == KEFOBDDEntry::True || code == KEFOBDDEntry::Unknown) {
            const float a = code == KEFOBDDEntry::True ? Value(n->GetThenSon()) : Probability(n) * Value(n->GetThenSon());
            const float b = Value(n->GetElseSon());
            v = a + b - a * b;
        } else {
            v = 0.0f;
        }
        n->SetFloatValue(v);
    }
};

struct HighestCutsetVisitor : ProbabilityVisitor {
    void Compute(KEFOBDDNode* n) const {
        const float a = Probability(n) * Value(n->GetThenSon());
        const float b = Value(n->GetElseSon());
        n->SetFloatValue(a > b ? a : b);
    }
};

}  // namespace

float KEFOBDDManager::_ComputeProbability(KEFOBDDNode* f) {
    ExactVisitor visitor{{*this}};
    _PostOrder(f, visitor);
    return visitor.Value(f);
}

float KEFOBDDManager::_ComputeRareEventApproximation(KEFOBDDNode* f) {
    RareEventVisitor visitor{{*this}};
    _PostOrder(f, visitor);
    return visitor.Value(f);
}

float KEFOBDDManager::_ComputePivotalUpperBound(KEFOBDDNode* f) {
    PivotalVisitor visitor{{*this}};
    _PostOrder(f, visitor);
    return visitor.Value(f);
}

float KEFOBDDManager::_ComputeHighestMinimalCutsetProbability(KEFOBDDNode* f) {
    HighestCutsetVisitor visitor{{*this}};
    _PostOrder(f, visitor);
    return visitor.Value(f);
}

double KEFOBDDManager::ComputeProbability(KEFOBDDNode* f) {
    if (f == nullptr) return 0.0;
    SetFloatValues(f, unvisited);
    return static_cast<double>(_ComputeProbability(f));
}

double KEFOBDDManager::ComputeRareEventApproximation(KEFOBDDNode* f) {
    if (f == nullptr) return 0.0;
    SetFloatValues(f, unvisited);
    return static_cast<double>(Clamp01(_ComputeRareEventApproximation(f)));
}

double KEFOBDDManager::ComputePivotalUpperBound(KEFOBDDNode* f) {
    if (f == nullptr) return 0.0;
    SetFloatValues(f, unvisited);
    return static_cast<double>(Clamp01(_ComputePivotalUpperBound(f)));
}

double KEFOBDDManager::ComputeHighestMinimalCutsetProbability(KEFOBDDNode* f) {
    if (f == nullptr) return 0.0;
    SetFloatValues(f, unvisited);
    return static_cast<double>(_ComputeHighestMinimalCutsetProbability(f));
}

double KEFOBDDManager::ComputeMincutUpperBound(KEFOBDDNode* f) {
    if (f == nullptr) return 0.0;
    double bound = 0.0;
    _ComputeMincutUpperBound(f, bound, 1.0);
    return bound;
}

void KEFOBDDManager::_ComputeMincutUpperBound(KEFOBDDNode* f, double& bound, double pathProbability) {
    // The bound is 1 - the product over the cutsets of (1 - their
    // probability), then-sides walked before else-sides. It is carried as
    // itself, each path to One taking it from s to s + pi (1 - s), which is
    // 1 - (1 - s)(1 - pi): a product carried instead rounds every factor
    // 1 - pi to a multiple of 2^-53, so that cutsets below 1e-16 counted for
    // nothing, and a few thousand near 1e-15 moved the bound by some tenths
    // of a percent, even above the rare-event sum.
    KEFOBDDStackGuard guard(*_stack);
    KEFOBDDNode* node = f;
    double pi = pathProbability;
    for (;;) {
        bool descend = false;
        if (IsLeafOne(node)) {
            bound += pi * (1.0 - bound);
        } else if (!IsLeafZero(node)) {
            const KEFOBDDEntry* entry = GetEntry(node->GetIndex());
            const int code = entry != nullptr ? entry->GetValue() : KEFOBDDEntry::Unknown;
            if (code == KEFOBDDEntry::False) {
                node = node->GetElseSon();
                continue;
            }
            if (code == KEFOBDDEntry::True || code == KEFOBDDEntry::Unknown) {
                KEFOBDDFrame* frame = _stack->Push();
                frame->a = node->GetElseSon();
                frame->w = pi;
                if (code == KEFOBDDEntry::Unknown) {
                    const float p = entry != nullptr ? static_cast<float>(entry->GetProbability()) : 0.0f;
                    pi *= static_cast<double>(p);
                }
                node = node->GetThenSon();
                descend = true;
            }
        }
        if (descend) continue;
        if (_stack->GetDepth() == guard.GetDepth()) return;
        KEFOBDDFrame* frame = _stack->Top();
        node = frame->a;
        pi = frame->w;
        _stack->Pop();
    }
}

double KEFOBDDManager::ComputeProbabilityOfMinimalCutset(const int* indices, int order) const {
    double p = 1.0;
    for (int k = 0; k < order; ++k) p *= GetProbability(indices[k]);
    return p;
}

double KEFOBDDManager::ComputeFailureIntensityOfMinimalCutset(const int* indices, int order) const {
    double sum = 0.0;
    for (int i = 0; i < order; ++i) {
        double term = GetFailureIntensity(indices[i]);
        for (int j = 0; j < order; ++j)
            if (j != i) term *= GetProbability(indices[j]);
        sum += term;
    }
    return sum;
}
