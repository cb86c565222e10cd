// The variables under a top variable, as the rewriter's passes walk them:
// every variable reached from the top through the references of the
// definitions (nested connectives included), listed children first (a
// variable comes after every variable its definition refers to, unless a
// cycle makes that impossible). The walk uses explicit stacks, so deep models
// are safe; the references that close a cycle and the references that do not
// designate a variable are recorded for the checks.
#ifndef KEFO_PREPROCESSING_REWRITER_CONE_H
#define KEFO_PREPROCESSING_REWRITER_CONE_H

#include "support/memory_manager.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class KEFOGate;
class KEFOTerm;
class KEFOVariable;

// A map from pointers to integers with open addressing (linear probing,
// power-of-two capacity): the index of the cone is looked up at every
// reference of every pass, far more often than anything else.
class KEFOPointerIndex {
public:
    void Clear() {
        _keys.clear();
        _values.clear();
        _size = 0;
    }
    std::size_t GetSize() const { return _size; }
    // -1 when absent.
    int Find(const void* key) const {
        if (_keys.empty()) return -1;
        std::size_t mask = _keys.size() - 1;
        for (std::size_t i = _Hash(key) & mask;; i = (i + 1) & mask) {
            const void* k = _keys[i];
            if (k == key) return _values[i];
            if (k == nullptr) return -1;
        }
    }
    // Inserts or replaces.
    void Set(const void* key, int value) {
        if ((_size + 1) * 2 > _keys.size()) _Grow();
        std::size_t mask = _keys.size() - 1;
        for (std::size_t i = _Hash(key) & mask;; i = (i + 1) & mask) {
            if (_keys[i] == key) {
                _values[i] = value;
                return;
            }
            if (_keys[i] == nullptr) {
                _keys[i] = key;
                _values[i] = value;
                ++_size;
                return;
            }
        }
    }

private:
    static std::size_t _Hash(const void* key) {
        std::uint64_t h = reinterpret_cast<std::uintptr_t>(key);
        h ^= h >> 29;
        h *= 0xbf58476d1ce4e5b9ull;
        h ^= h >> 32;
        return static_cast<std::size_t>(h);
    }
    void _Grow() {
        std::vector<const void*> keys;
        std::vector<int> values;
        keys.swap(_keys);
        values.swap(_values);
        std::size_t capacity = keys.empty() ? 64 : keys.size() * 2;
        _keys.assign(capacity, nullptr);
        _values.assign(capacity, -1);
        _size = 0;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] != nullptr) Set(keys[i], values[i]);
        }
    }

    std::vector<const void*> _keys;
    std::vector<int> _values;
    std::size_t _size = 0;
};

class KEFORewriterCone {
    PLOV_MANAGED_ALLOCATION(KEFORewriterCone)
public:
    KEFORewriterCone() = default;
    explicit KEFORewriterCone(KEFOVariable* top) { Build(top); }

    void Build(KEFOVariable* top);
    void Clear();

    KEFOVariable* GetTop() const { return _top; }
    // Children first; the top comes last (when it is not on a cycle).
    const std::vector<KEFOVariable*>& GetVariables() const { return _variables; }
    int GetNumberOfVariables() const { return static_cast<int>(_variables.size()); }
    // Position in GetVariables(), -1 for a variable outside the cone.
    int GetIndex(const KEFOVariable* variable) const;
    bool Contains(const KEFOVariable* variable) const { return GetIndex(variable) >= 0; }

    // Variables whose definition refers, directly or not, back to
    // themselves: the first variable of each cycle met, in walk order.
    const std::vector<KEFOVariable*>& GetCycleVariables() const { return _cycleVariables; }
    // Reference gates whose port is not a variable (unresolved references).
    const std::vector<KEFOGate*>& GetUnresolvedReferences() const { return _unresolved; }
    // Number of gate nodes in the definitions of the cone (counted on
    // demand).
    long CountTerms() const;

    // The reference gates of a formula, in depth-first order, children in
    // order (explicit stack).
    static void CollectReferences(KEFOGate* root, std::vector<KEFOGate*>& out);
    // The gate nodes of a formula with the children of each node before the
    // node itself (explicit stack).
    static void CollectNodesInPostOrder(KEFOGate* root, std::vector<KEFOGate*>& out);
    // Makes a reference designate another variable (port, expected type and
    // path).
    static void RedirectReference(KEFOGate* reference, KEFOVariable* variable);

    // Visit dates of the module detection, one record per variable of the
    // cone (same positions as GetVariables()). A depth-first walk from the
    // top moves a counter at every visit of a variable and at every exit:
    // first date at the first visit, second date at the exit, last date at
    // the latest visit; then, children first, the lowest date is the
    // smallest first date of the variable and its descendants and the
    // highest date the largest last date of its descendants. A variable is
    // a module when first <= lowest and second >= highest: nothing below it
    // is visited before it is entered or after it is left.
    struct Dates {
        int first = 0;
        int second = 0;
        int last = 0;
        int lowest = 0;
        int highest = 0;
        bool IsModule() const { return first <= lowest && second >= highest; }
    };
    void ComputeVisitDates(std::vector<Dates>& dates) const;
    // Positions of the variables each definition refers to, in the order of
    // the references: children of variable i are children[begins[i]] to
    // children[begins[i + 1] - 1].
    void ComputeChildren(std::vector<int>& begins, std::vector<int>& children) const;

private:
    KEFOVariable* _top = nullptr;
    std::vector<KEFOVariable*> _variables;
    KEFOPointerIndex _index;
    std::vector<KEFOVariable*> _cycleVariables;
    std::vector<KEFOGate*> _unresolved;
};

#endif
