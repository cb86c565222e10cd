// Counting measures of diagrams: size, number of products, literals of the
// sum of products, orders and occurrences. Counts of products are exact
// integers held in doubles (exact up to 2^53) in a scratch array indexed by
// the node's value cell, rather than single-precision floats, which would
// miscount families of more than 2^24 products.
#include "diagrams/bdd_manager.h"
#include "diagrams/bdd_manager_engine.h"

#include <climits>
#include <initializer_list>

namespace {

struct CountSlot {
    double count;     // paths from the node to One
    double literals;  // then-edges summed over those paths
    double down;      // paths from the root to the node
    KEFOBDDNode* node;
};

int ClampToInt(double x) {
    if (!(x < 2147483647.0)) return INT_MAX;
    return static_cast<int>(x);
}

}  // namespace

int KEFOBDDManager::ComputeSizeOfDiagram(KEFOBDDNode* f) {
    if (f == nullptr) return 0;
    if (IsLeaf(f)) return 1;
    SetIntValues(f, -1);
    struct Visitor {
        KEFOBDDManager& m;
        int size;
        bool zero;
        bool one;
        bool Pending(KEFOBDDNode* n) const { return n->GetIntValue() == -1; }
        void Compute(KEFOBDDNode* n) {
            n->SetIntValue(0);
            ++size;
            for (KEFOBDDNode* son : {n->GetThenSon(), n->GetElseSon()}) {
                if (m.IsLeafZero(son)) zero = true;
                if (m.IsLeafOne(son)) one = true;
            }
        }
    } visitor{*this, 0, false, false};
    _PostOrder(f, visitor);
    return visitor.size + (visitor.zero ? 1 : 0) + (visitor.one ? 1 : 0);
}

int KEFOBDDManager::EstimateSizeOfDiagram(KEFOBDDNode* f) {
    if (f == nullptr) return 0;
    if (IsLeaf(f)) return 1;
    // Signalling NaNs: exponent all ones, quiet bit clear, a payload of 21
    // bits below one fixed bit, so that the payload is never zero.
    _sizeStamp = (_sizeStamp + 1) & 0x1FFFFFu;
    const int stamp = static_cast<int>(0x7FA00000u | _sizeStamp);
    int size = 0;
    bool zero = false;
    bool one = false;
    KEFOBDDStackGuard guard(*_stack);
    KEFOBDDNode* node = f;
    for (;;) {
        if (node == _zero) {
            zero = true;
        } else if (node == _one) {
            one = true;
        } else if (node->GetIntValue() != stamp) {
            node->SetIntValue(stamp);
            ++size;
            KEFOBDDNode* elseSon = node->GetElseSon();
            __builtin_prefetch(elseSon);
            _stack->Push()->a = elseSon;
            node = node->GetThenSon();
            continue;
        }
        if (_stack->GetDepth() == guard.GetDepth()) break;
        node = _stack->Top()->a;
        _stack->Pop();
    }
    return size + (zero ? 1 : 0) + (one ? 1 : 0);
}

namespace {

// Numbers the internal nodes in post-order (sons before fathers, so the
// numbering is a reverse topological order) and fills their slots with the
// number of paths to One and the number of then-edges along those paths.
template <class Manager>
struct CountingVisitor {
    Manager& m;
    void* (*reserve)(Manager&, std::size_t);
    int numberOfSlots;
    CountSlot* slots;

    double Count(KEFOBDDNode* n) const {
        if (m.IsLeafOne(n)) return 1.0;
        if (m.IsLeafZero(n)) return 0.0;
        return slots[n->GetIntValue()].count;
    }
    double Literals(KEFOBDDNode* n) const {
        if (m.IsLeaf(n)) return 0.0;
        return slots[n->GetIntValue()].literals;
    }
    bool Pending(KEFOBDDNode* n) const { return n->GetIntValue() == -1; }
    void Compute(KEFOBDDNode* n) {
        slots = static_cast<CountSlot*>(reserve(m, sizeof(CountSlot) * (static_cast<std::size_t>(numberOfSlots) + 1)));
        KEFOBDDNode* t = n->GetThenSon();
        KEFOBDDNode* e = n->GetElseSon();
        CountSlot& slot = slots[numberOfSlots];
        const double countOfThen = Count(t);
        slot.count = countOfThen + Count(e);
        slot.literals = Literals(t) + countOfThen + Literals(e);
        slot.down = 0.0;
        slot.node = n;
        n->SetIntValue(numberOfSlots);
        ++numberOfSlots;
    }
};

}  // namespace

double KEFOBDDManager::ComputeNumberOfProducts(KEFOBDDNode* f) {
    if (f == nullptr || IsLeafZero(f)) return 0.0;
    if (IsLeafOne(f)) return 1.0;
    SetIntValues(f, -1);
    CountingVisitor<KEFOBDDManager> visitor{
        *this, [](KEFOBDDManager& m, std::size_t bytes) { return m._ReserveScratch(bytes); }, 0, nullptr};
    _PostOrder(f, visitor);
    return visitor.Count(f);
}

double KEFOBDDManager::ComputeSizeOfSumOfProducts(KEFOBDDNode* f) {
    if (f == nullptr || IsLeaf(f)) return 0.0;
    SetIntValues(f, -1);
    CountingVisitor<KEFOBDDManager> visitor{
        *this, [](KEFOBDDManager& m, std::size_t bytes) { return m._ReserveScratch(bytes); }, 0, nullptr};
    _PostOrder(f, visitor);
    return visitor.Literals(f);
}

namespace {

// Highest (or lowest) number of then-edges on a path to One; -1 for none.
template <bool Highest>
struct OrderVisitor {
    const KEFOBDDManager& m;
    int Order(KEFOBDDNode* n) const {
        if (m.IsLeafOne(n)) return 0;
        if (m.IsLeafZero(n)) return -1;
        return n->GetIntValue();
    }
    bool Pending(KEFOBDDNode* n) const { return n->GetIntValue() == -1; }
    void Compute(KEFOBDDNode* n) {
        const int t = Order(n->GetThenSon());
        const int e = Order(n->GetElseSon());
        const int withThen = t < 0 ? -1 : t + 1;
        int order;
        if (withThen < 0)
            order = e;
        else if (e < 0)
            order = withThen;
        else if (Highest)
            order = withThen > e ? withThen : e;
        else
            order = withThen < e ? withThen : e;
        n->SetIntValue(order);
    }
};

}  // namespace

int KEFOBDDManager::ComputeLowestOrderOfMinimalCutsets(KEFOBDDNode* f) {
    if (f == nullptr || IsLeafZero(f)) return -1;
    if (IsLeafOne(f)) return 0;
    SetIntValues(f, -1);
    OrderVisitor<false> visitor{*this};
    _PostOrder(f, visitor);
    return f->GetIntValue();
}

int KEFOBDDManager::ComputeHighestOrderOfMinimalCutsets(KEFOBDDNode* f) {
    if (f == nullptr || IsLeafZero(f)) return -1;
    if (IsLeafOne(f)) return 0;
    SetIntValues(f, -1);
    OrderVisitor<true> visitor{*this};
    _PostOrder(f, visitor);
    return f->GetIntValue();
}

namespace {

// Numbers the internal nodes in post-order and gives each the highest
// order below it and the offset of its row of counts by order (h + 1
// cells, none for a node without product) in one flat table.
struct OrderRowVisitor {
    KEFOBDDManager& m;
    void* (*reserve)(KEFOBDDManager&, std::size_t);
    int numberOfSlots;
    std::size_t cells;
    struct Slot {
        KEFOBDDNode* node;
        std::size_t offset;
        int highest;
    }* slots;

    int Highest(KEFOBDDNode* n) const {
        if (m.IsLeafOne(n)) return 0;
        if (m.IsLeafZero(n)) return -1;
        return slots[n->GetIntValue()].highest;
    }
    bool Pending(KEFOBDDNode* n) const { return n->GetIntValue() == -1; }
    void Compute(KEFOBDDNode* n) {
        slots = static_cast<Slot*>(reserve(m, sizeof(Slot) * (static_cast<std::size_t>(numberOfSlots) + 1)));
        const int t = Highest(n->GetThenSon());
        const int e = Highest(n->GetElseSon());
        const int highest = t >= 0 && t + 1 > e ? t + 1 : e;
        slots[numberOfSlots] = Slot{n, cells, highest};
        if (highest >= 0) cells += static_cast<std::size_t>(highest) + 1;
        n->SetIntValue(numberOfSlots);
        ++numberOfSlots;
    }
};

}  // namespace

void KEFOBDDManager::ComputeOrdersOfMinimalCutsets(KEFOBDDNode* f, int*& counts, int& highest, int& total) {
    counts = nullptr;
    total = 0;
    highest = -1;
    if (f == nullptr || IsLeafZero(f)) return;
    if (IsLeafOne(f)) {
        highest = 0;
        counts = static_cast<int*>(PLOVMemoryManager::NewCell(sizeof(int)));
        counts[0] = 1;
        total = 1;
        return;
    }
    // Each node's row counts the paths from it to One by their number of
    // then-edges: row(f)[k] = row(f1)[k - 1] + row(f0)[k], sons before
    // fathers. The counts are whole numbers in doubles, exact up to 2^53;
    // any larger one is beyond INT_MAX, where the results saturate. The
    // work is one row per node, where walking every path would take time
    // in the number of cutsets (2^31 for the subsets of 31 events).
    SetIntValues(f, -1);
    OrderRowVisitor visitor{*this, [](KEFOBDDManager& m, std::size_t bytes) { return m._ReserveScratch(bytes); },
                            0, 0, nullptr};
    _PostOrder(f, visitor);
    const OrderRowVisitor::Slot* slots = visitor.slots;
    highest = slots[f->GetIntValue()].highest;
    if (highest < 0) return;
    double* rows = static_cast<double*>(PLOVMemoryManager::NewUninitializedCell(sizeof(double) * visitor.cells));
    try {
        counts = static_cast<int*>(PLOVMemoryManager::NewCell(sizeof(int) * (static_cast<std::size_t>(highest) + 1)));
    } catch (...) {
        PLOVMemoryManager::DeleteCell(rows);
        throw;
    }
    for (int s = 0; s < visitor.numberOfSlots; ++s) {
        const OrderRowVisitor::Slot& slot = slots[s];
        if (slot.highest < 0) continue;
        double* row = rows + slot.offset;
        for (int k = 0; k <= slot.highest; ++k) row[k] = 0.0;
        const KEFOBDDNode* sons[2] = {slot.node->GetThenSon(), slot.node->GetElseSon()};
        for (int side = 0; side < 2; ++side) {
            const KEFOBDDNode* son = sons[side];
            const int shift = side == 0 ? 1 : 0;
            if (IsLeafOne(son)) {
                row[shift] += 1.0;
            } else if (IsInternalNode(son)) {
                const OrderRowVisitor::Slot& of = slots[son->GetIntValue()];
                const double* below = rows + of.offset;
                for (int k = 0; k <= of.highest; ++k) row[k + shift] += below[k];
            }
        }
    }
    const double* top = rows + slots[f->GetIntValue()].offset;
    double sum = 0.0;
    for (int k = 0; k <= highest; ++k) {
        counts[k] = ClampToInt(top[k]);
        sum += top[k];
    }
    total = ClampToInt(sum);
    PLOVMemoryManager::DeleteCell(rows);
}

void KEFOBDDManager::ComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(KEFOBDDNode* f, KEFOVariable**& variables,
                                                                            int*& counts, int& highestIndex) {
    highestIndex = _entryTable->GetIndexOfHighestEntry();
    const std::size_t cells = static_cast<std::size_t>(highestIndex) + 1;
    variables = static_cast<KEFOVariable**>(PLOVMemoryManager::NewCell(sizeof(KEFOVariable*) * cells));
    counts = static_cast<int*>(PLOVMemoryManager::NewCell(sizeof(int) * cells));
    for (int i = 0; i <= highestIndex; ++i) variables[i] = GetModelVariable(i);
    if (!IsInternalNode(f)) return;

    SetIntValues(f, -1);
    CountingVisitor<KEFOBDDManager> visitor{
        *this, [](KEFOBDDManager& m, std::size_t bytes) { return m._ReserveScratch(bytes); }, 0, nullptr};
    _PostOrder(f, visitor);
    CountSlot* slots = visitor.slots;
    const int n = visitor.numberOfSlots;
    // Fathers come after their sons in the numbering: walking it backwards
    // propagates the number of paths from the root down to every node; a
    // node labelled i contributes (paths to it) x (paths from its then-son).
    double* occurrences = static_cast<double*>(PLOVMemoryManager::NewCell(sizeof(double) * cells));
    slots[n - 1].down = 1.0;
    for (int s = n - 1; s >= 0; --s) {
        KEFOBDDNode* node = slots[s].node;
        const double down = slots[s].down;
        KEFOBDDNode* t = node->GetThenSon();
        KEFOBDDNode* e = node->GetElseSon();
        if (IsInternalNode(t)) slots[t->GetIntValue()].down += down;
        if (IsInternalNode(e)) slots[e->GetIntValue()].down += down;
        const int index = node->GetIndex();
        if (index <= highestIndex) occurrences[index] += down * visitor.Count(t);
    }
    for (int i = 0; i <= highestIndex; ++i) counts[i] = ClampToInt(occurrences[i]);
    PLOVMemoryManager::DeleteCell(occurrences);
}
