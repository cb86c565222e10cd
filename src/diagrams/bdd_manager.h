// The decision-diagram store: every node of every BDD and ZBDD of the
// engine, shared (hash-consed) through one hash table per variable index,
// reference-counted with saturating 8-bit counts, memoised through one
// direct-mapped operation cache, and reclaimed by a garbage collection that
// runs only when the node budget is exhausted.
//
// Node references are KEFOBDDNode pointers. Every operation that creates or
// finds a node returns it with one reference owned by the caller, who gives
// it back with FreeNode; operations never consume their arguments'
// references. A node whose count drops to 0 stays findable until the next
// garbage collection.
//
// Variable indices run from 1 to the entry table's size - 1; a smaller index
// is nearer the root. Callers create the entry of an index (for instance by
// setting its model variable or its probability) before building nodes of
// that index.
//
// Every descent runs on an explicit stack, so the depth of a diagram (up to
// the number of variables) never threatens the machine stack.
#ifndef KEFO_DIAGRAMS_BDD_MANAGER_H
#define KEFO_DIAGRAMS_BDD_MANAGER_H

#include "diagrams/bdd_cache.h"
#include "diagrams/bdd_entry.h"
#include "diagrams/bdd_entry_table.h"
#include "diagrams/bdd_hash_table.h"
#include "diagrams/bdd_node.h"
#include "diagrams/bdd_node_memo.h"
#include "diagrams/bdd_pair_memo.h"
#include "diagrams/bdd_stack.h"
#include "diagrams/bdd_unique_table.h"
#include "support/exception.h"
#include "support/memory_manager.h"

#include <cstdio>

class KEFOVariable;
class KEFOSystemVariable;

class KEFOBDDManager {
    PLOV_MANAGED_ALLOCATION(KEFOBDDManager)
public:
    // Operation codes, the keys of the cache records.
    enum Operation {
        AndOperation = 101,
        OrOperation = 102,
        NotOperation = 103,
        MinimalCutsetsOperation = 104,
        WeightedBDDOperation = 110,
        WeightedAndOperation = 111,
        WeightedNotOperation = 113,
        WeightedMinimalCutsetsOperation = 114,
        WithoutOperation = 204,
        BDDFromZBDDOperation = 205,
        ExtensionOperation = 206,
        UnionOperation = 207
    };

    // Process-wide defaults, read when each part of a store is constructed.
    static int GetDefaultSizeOfPages() { return KEFOBDDUniqueTable::GetDefaultSizeOfPages(); }
    static void SetDefaultSizeOfPages(int size) { KEFOBDDUniqueTable::SetDefaultSizeOfPages(size); }
    static int GetDefaultUniqueTableSize() { return KEFOBDDUniqueTable::GetDefaultMaximumNumberOfNodes(); }
    static void SetDefaultUniqueTableSize(int size) { KEFOBDDUniqueTable::SetDefaultMaximumNumberOfNodes(size); }
    static int GetDefaultSizeOfEntryTable() { return KEFOBDDEntryTable::GetDefaultSize(); }
    static void SetDefaultSizeOfEntryTable(int size) { KEFOBDDEntryTable::SetDefaultSize(size); }
    static int GetDefaultSizeOfCache() { return KEFOBDDCache::GetDefaultSize(); }
    static void SetDefaultSizeOfCache(int size) { KEFOBDDCache::SetDefaultSize(size); }
    static void SetDefaultMinimumSizeOfHashTables(int size) { KEFOBDDHashTable::SetDefaultMinimumSize(size); }
    static void SetDefaultResizingRatioOfHashTables(float ratio) { KEFOBDDHashTable::SetDefaultResizingRatio(ratio); }
    static void SetDefaultResizingFactorOfHashTables(int factor) { KEFOBDDHashTable::SetDefaultResizingFactor(factor); }
    // Back to 32768 nodes per page, 16777216 nodes, 8192 entries, hash
    // tables of 256 to 65536 buckets with ratio 1.0 and factor 4, and a cache
    // of 131072 records.
    static void RestoreDefaults();

    KEFOBDDManager();
    ~KEFOBDDManager();
    KEFOBDDManager(const KEFOBDDManager&) = delete;
    KEFOBDDManager& operator=(const KEFOBDDManager&) = delete;

    // Empties the cache, destroys every entry, returns every page and clears
    // the locked flag; sizes and settings are kept.
    void Reset();
    void Lock(int flag) { _locked = flag; }
    int IsLocked() const { return _locked; }

    KEFOBDDUniqueTable* GetUniqueTable() const { return _uniqueTable; }
    KEFOBDDEntryTable* GetEntryTable() const { return _entryTable; }
    KEFOBDDCache* GetCache() const { return _cache; }
    KEFOBDDNodeMemo* GetMinimalCutsetsMemo() const { return _minimalCutsetsMemo; }
    // The memo of the top-level And or Or under way once it has been
    // switched on (bdd_pair_memo.h), none otherwise.
    KEFOBDDPairMemo* GetPairMemo() const { return _pairMemo; }
    // Counts one expansion of a pair by And or Or. Every 65536 expansions,
    // a top-level call that has expanded four times more pairs than it made
    // nodes switches its memo on: its recursion is expanding pairs whose
    // results the cache has lost.
    void CountExpansion() {
        if ((++_numberOfExpansions & 0xFFFF) == 0) _CheckExpansions();
    }
    // The budgets for which the last result of a weighted operation holds:
    // the same call with any budget in [low, high) gives the same diagram
    // (high included when it is infinite). Set by each weighted call as it
    // returns, read by its caller, recorded beside the result in the cache.
    void SetBudgetInterval(double low, double high) {
        _budgetLow = low;
        _budgetHigh = high;
    }
    double GetBudgetLow() const { return _budgetLow; }
    double GetBudgetHigh() const { return _budgetHigh; }
    // Expansions by And and Or, and nodes made, since the manager was made.
    long GetNumberOfExpansions() const { return _numberOfExpansions; }
    long GetNumberOfNodesMade() const { return _numberOfNodesMade; }

    // ---- Unique table
    int GetUniqueTableSize() const { return _uniqueTable->GetMaximumNumberOfNodes(); }
    void SetUniqueTableSize(int size) { _uniqueTable->SetMaximumNumberOfNodes(size); }
    int GetSizeOfPages() const { return _uniqueTable->GetSizeOfPages(); }
    void SetSizeOfPages(int size) { _uniqueTable->SetSizeOfPages(size); }
    int GetNumberOfNodesInUniqueTable() const { return _uniqueTable->GetNumberOfNodes(); }
    int GetNumberOfPagesInUniqueTable() const { return _uniqueTable->GetNumberOfPages(); }
    int GetNumberOfActiveNodesInUniqueTable() const { return _uniqueTable->GetNumberOfActiveNodes(); }

    // ---- Entry table. Getters on an index without entry give none / 0
    // (and the value code 2, free, which is how the operations read a
    // missing entry); setters create the entry.
    int GetSizeOfEntryTable() const { return _entryTable->GetSize(); }
    void SetSizeOfEntryTable(int size) { _entryTable->SetSize(size); }
    int GetIndexOfLowestEntry() const { return _entryTable->GetIndexOfLowestEntry(); }
    int GetIndexOfHighestEntry() const { return _entryTable->GetIndexOfHighestEntry(); }
    int GetNumberOfActiveEntries() const { return _entryTable->GetNumberOfActiveEntries(); }
    KEFOBDDEntry* GetEntry(int index) const { return _entryTable->GetEntry(index); }
    KEFOBDDEntry* NewEntry(int index) { return _entryTable->NewEntry(index); }

    KEFOVariable* GetModelVariable(int index) const;
    void SetModelVariable(int index, KEFOVariable* variable);
    KEFOSystemVariable* GetSystemVariable(int index) const;
    void SetSystemVariable(int index, KEFOSystemVariable* variable);
    int GetValue(int index) const;
    void SetValue(int index, int value);
    double GetProbability(int index) const;
    void SetProbability(int index, double p);
    double GetFailureIntensity(int index) const;
    void SetFailureIntensity(int index, double lambda);
    double GetWeight(int index) const;
    void SetWeight(int index, double w);
    KEFOBDDNode* GetModuleBDD(int index) const;
    // The entry takes its own reference on the module diagram.
    void SetModuleBDD(int index, KEFOBDDNode* root);

    // ---- Weights
    void SetWeights(double w);
    // -ln p / ln base (base 10: the number of decades of p below 1).
    static double ComputeWeightFromProbability(double p, double base);
    void ComputeWeightsFromProbabilities(double base);

    // Records of the weighted operations depend on the weights. Every change
    // of a weight (or creation of an entry) calls this; the next weighted
    // operation first discards those records, so that a build under other
    // weights never reuses truncations made under the old ones.
    void InvalidateWeightedRecords() { _weightsChanged = true; }

    // ---- Hash tables
    int GetMaximumSizeOfHashTables() const { return KEFOBDDHashTable::GetDefaultMaximumSize(); }
    // Changes the process-wide default and the maximum of every existing
    // table (tables are not resized at once).
    void SetMaximumSizeOfHashTables(int size);

    // ---- Nodes
    KEFOBDDNode* NewLeafZero() const { return _zero; }
    KEFOBDDNode* NewLeafOne() const { return _one; }
    KEFOBDDNode* NewLeafEmptySet() const { return _zero; }
    KEFOBDDNode* NewLeafEmptyProduct() const { return _one; }
    bool IsLeafZero(const KEFOBDDNode* node) const { return node == _zero; }
    bool IsLeafOne(const KEFOBDDNode* node) const { return node == _one; }
    bool IsLeafEmptySet(const KEFOBDDNode* node) const { return node == _zero; }
    bool IsLeafEmptyProduct(const KEFOBDDNode* node) const { return node == _one; }
    bool IsLeaf(const KEFOBDDNode* node) const { return node == _zero || node == _one; }
    bool IsInternalNode(const KEFOBDDNode* node) const { return node != nullptr && node != _zero && node != _one; }

    // sonsGiven: the caller holds one reference of its own on each son (the
    // sub-results of an operation) and gives it to the result: the made
    // node keeps it as its own, an existing or redundant one releases it.
    // Every node holds a reference on each of its sons, dead nodes included
    // until they are collected, so such a son whose count is 1 has no
    // father: no node (index, then, else) exists, and the look-up, a chain
    // of cache misses, is skipped.
    //
    // BDD rule: a node with equal sons is never made.
    KEFOBDDNode* NewBDDNode(int index, KEFOBDDNode* thenSon, KEFOBDDNode* elseSon, bool sonsGiven = false) {
        if (thenSon == elseSon) {
            if (sonsGiven)
                elseSon->Release();  // the reference of the then-son is the result's
            else
                thenSon->Retain();
            return thenSon;
        }
        return _FindOrMakeNode(index, thenSon, elseSon, sonsGiven);
    }
    // ZBDD rule: a node whose then-son is the empty family is never made.
    KEFOBDDNode* NewZBDDNode(int index, KEFOBDDNode* thenSon, KEFOBDDNode* elseSon, bool sonsGiven = false) {
        if (thenSon == _zero) {
            if (!sonsGiven) elseSon->Retain();  // else the else-son's reference is the result's
            return elseSon;
        }
        return _FindOrMakeNode(index, thenSon, elseSon, sonsGiven);
    }
    KEFOBDDNode* CopyNode(KEFOBDDNode* node) {
        if (node != nullptr) node->Retain();
        return node;
    }
    void FreeNode(KEFOBDDNode* node) {
        if (node != nullptr) node->Release();
    }
    static int GetIndex(const KEFOBDDNode* node) { return node->GetIndex(); }
    static int GetReferenceCount(const KEFOBDDNode* node) { return node->GetReferenceCount(); }
    static KEFOBDDNode* GetThenSon(const KEFOBDDNode* node) { return node->GetThenSon(); }
    static KEFOBDDNode* GetElseSon(const KEFOBDDNode* node) { return node->GetElseSon(); }
    static int GetIntValue(const KEFOBDDNode* node) { return node->GetIntValue(); }
    static void SetIntValue(KEFOBDDNode* node, int value) { node->SetIntValue(value); }
    static float GetFloatValue(const KEFOBDDNode* node) { return node->GetFloatValue(); }
    static void SetFloatValue(KEFOBDDNode* node, float value) { node->SetFloatValue(value); }
    // Writes the value into every node reachable from the root, stopping the
    // descent at nodes that already hold it and at the leaves (whose cells
    // are written too).
    void SetIntValues(KEFOBDDNode* root, int value);
    void SetFloatValues(KEFOBDDNode* root, float value);

    // ---- Memory
    // Prints "Launch garbage collection", reclaims every node whose count is
    // 0 (and the sons that it was the last holder of), empties the cache and
    // prints "Garbage collection done".
    void CollectGarbage();
    // Reclaims one node of count 0 and, transitively, the sons it was the
    // last holder of.
    void CollectNode(KEFOBDDNode* node);

    // ---- Cache. A look-up returns the recorded result (without taking a
    // reference on it) or none; missing arguments are 0 / none.
    int GetCacheSize() const { return _cache->GetSize(); }
    void ResizeCache(int size) { _cache->Resize(size); }
    int GetNumberOfRecordedOperationsInCache() const { return _cache->GetNumberOfRecordedOperations(); }
    void ResetCache() { _cache->Reset(); }
    KEFOBDDNode* LookUpCache(int op, KEFOBDDNode* a) const { return _cache->LookUp(op, 0, a, nullptr); }
    KEFOBDDNode* LookUpCache(int op, KEFOBDDNode* a, KEFOBDDNode* b) const { return _cache->LookUp(op, 0, a, b); }
    KEFOBDDNode* LookUpCache(int op, int k, KEFOBDDNode* a) const { return _cache->LookUp(op, k, a, nullptr); }
    KEFOBDDNode* LookUpCache(int op, int k, KEFOBDDNode* a, KEFOBDDNode* b) const { return _cache->LookUp(op, k, a, b); }
    void InsertInCache(int op, KEFOBDDNode* a, KEFOBDDNode* result) { _cache->Insert(op, 0, a, nullptr, result); }
    void InsertInCache(int op, KEFOBDDNode* a, KEFOBDDNode* b, KEFOBDDNode* result) { _cache->Insert(op, 0, a, b, result); }
    void InsertInCache(int op, int k, KEFOBDDNode* a, KEFOBDDNode* result) { _cache->Insert(op, k, a, nullptr, result); }
    void InsertInCache(int op, int k, KEFOBDDNode* a, KEFOBDDNode* b, KEFOBDDNode* result) {
        _cache->Insert(op, k, a, b, result);
    }

    // ---- Statistics
    long long ComputeMemoryOccupationOfUniqueTableInBytes() const { return _uniqueTable->ComputeMemoryOccupationInBytes(); }
    long long ComputeMemoryOccupationOfEntryTableInBytes() const { return _entryTable->ComputeMemoryOccupationInBytes(); }
    long long ComputeMemoryOccupationOfCacheInBytes() const { return _cache->ComputeMemoryOccupationInBytes(); }
    static int GetSizeOfNodeInBytes() { return 32; }
    static int GetSizeOfRecordInBytes() { return 32; }
    // The measure is anything with AddValue(double) (PLOVMeasure): one value
    // per existing entry of index 1 to size - 1, resp. one per bucket.
    template <class Measure>
    void MeasureNumbersOfNodesInHashTables(Measure* measure) const {
        for (int i = 1; i < _entryTable->GetSize(); ++i) {
            const KEFOBDDEntry* entry = _entryTable->GetEntry(i);
            if (entry != nullptr) measure->AddValue(static_cast<double>(entry->GetHashTable()->GetNumberOfNodes()));
        }
    }
    template <class Measure>
    void MeasureSizesOfCollisionChainInHashTables(Measure* measure) const {
        for (int i = 1; i < _entryTable->GetSize(); ++i) {
            const KEFOBDDEntry* entry = _entryTable->GetEntry(i);
            if (entry == nullptr) continue;
            const KEFOBDDHashTable* table = entry->GetHashTable();
            for (int b = 0; b < table->GetSize(); ++b)
                measure->AddValue(static_cast<double>(table->ComputeSizeOfCollisionChain(b)));
        }
    }
    // One line: identity, index, count, integer value, then-son, else-son,
    // next, separated by tabs.
    void DumpNode(KEFOBDDNode* node, FILE* file) const;
    // Every internal node once, depth first (node, then-side, else-side),
    // then the leaves; a leaf root writes only its own line. Leaves the
    // integer marks of the diagram at 0.
    void DumpBDD(KEFOBDDNode* root, FILE* file);

    // ---- Construction on BDDs
    KEFOBDDNode* BuildPositiveLiteral(int index);
    KEFOBDDNode* BuildNegativeLiteral(int index);
    KEFOBDDNode* BuildAnd(KEFOBDDNode* f, KEFOBDDNode* g);
    KEFOBDDNode* BuildOr(KEFOBDDNode* f, KEFOBDDNode* g);
    KEFOBDDNode* BuildNot(KEFOBDDNode* f);
    KEFOBDDNode* BuildIfThenElse(KEFOBDDNode* f, KEFOBDDNode* g, KEFOBDDNode* h);

    // ---- Minimal cutsets and ZBDDs
    // The ZBDD of the minimal sets of variables whose truth (all others
    // false) makes f true; negative literals are ignored.
    KEFOBDDNode* BuildMinimalCutsets(KEFOBDDNode* f);
    // The products of F that contain no product of G.
    KEFOBDDNode* BuildWithout(KEFOBDDNode* F, KEFOBDDNode* G);
    KEFOBDDNode* BuildSingleton(int index);
    // {p u {i} : p in F}.
    KEFOBDDNode* BuildExtension(KEFOBDDNode* F, int index);
    // F u G, where the empty product absorbs the products of the other side.
    KEFOBDDNode* BuildUnion(KEFOBDDNode* F, KEFOBDDNode* G);
    // The BDD of the monotone function whose products are F.
    KEFOBDDNode* BuildBDDFromZBDD(KEFOBDDNode* F);

    // ---- Weighted construction: a budget w keeps the paths whose positive
    // literals weigh at most w in total; a negative budget gives Zero.
    KEFOBDDNode* BuildWeightedPositiveLiteral(int index, double w);
    KEFOBDDNode* BuildWeightedNegativeLiteral(int index, double w);
    KEFOBDDNode* BuildWeightedBDD(KEFOBDDNode* f, double w);
    KEFOBDDNode* BuildWeightedAnd(KEFOBDDNode* f, KEFOBDDNode* g, double w);
    KEFOBDDNode* BuildWeightedOr(KEFOBDDNode* f, KEFOBDDNode* g, double w);
    KEFOBDDNode* BuildWeightedNot(KEFOBDDNode* f, double w);
    KEFOBDDNode* BuildWeightedIfThenElse(KEFOBDDNode* f, KEFOBDDNode* g, KEFOBDDNode* h, double w);
    KEFOBDDNode* BuildWeightedMinimalCutsets(KEFOBDDNode* f, double w);

    // ---- Measures (a none root gives 0)
    int ComputeSizeOfDiagram(KEFOBDDNode* f);
    // The same count by one walk instead of two, for choices that only need
    // sizes to compare (the order in which a gate's children are combined).
    // Each call marks the nodes it reaches with a stamp of its own, taken
    // among the bit patterns of signalling NaNs, which no other use of the
    // value cells writes (counters and slot numbers are far smaller, and
    // arithmetic makes quiet NaNs only); a node still holding the stamp
    // from the walk that used it a cycle of 2^21 calls earlier would be
    // missed, and the count then falls short.
    int EstimateSizeOfDiagram(KEFOBDDNode* f);
    double ComputeNumberOfProducts(KEFOBDDNode* f);
    double ComputeSizeOfSumOfProducts(KEFOBDDNode* f);
    int ComputeLowestOrderOfMinimalCutsets(KEFOBDDNode* f);
    int ComputeHighestOrderOfMinimalCutsets(KEFOBDDNode* f);
    // counts[k] = the number of products with k positive literals, for k
    // from 0 to highest; allocated with PLOVMemoryManager::NewCell and owned
    // by the caller (DeleteCell). An empty family gives highest -1, total 0
    // and no array.
    void ComputeOrdersOfMinimalCutsets(KEFOBDDNode* f, int*& counts, int& highest, int& total);
    // highestIndex = the entry table's highest index; variables[i] = the
    // model variable of entry i and counts[i] = the number of products that
    // contain variable i, for i from 0 to highestIndex. Both arrays are
    // allocated with PLOVMemoryManager::NewCell and owned by the caller.
    void ComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(KEFOBDDNode* f, KEFOVariable**& variables, int*& counts,
                                                               int& highestIndex);

    // ---- Probabilities (single precision inside the value cells, returned
    // as double). Each starts with its own marker pass.
    double ComputeProbability(KEFOBDDNode* f);
    double ComputeHighestMinimalCutsetProbability(KEFOBDDNode* f);
    double ComputeRareEventApproximation(KEFOBDDNode* f);
    double ComputeMincutUpperBound(KEFOBDDNode* f);
    double ComputePivotalUpperBound(KEFOBDDNode* f);
    // One cutset given by its variable indices (double precision).
    double ComputeProbabilityOfMinimalCutset(const int* indices, int order) const;
    double ComputeFailureIntensityOfMinimalCutset(const int* indices, int order) const;
    // Any cutset record with GetOrder() and GetIndex(k) (KEFOMinimalCutset).
    template <class Cutset>
    double ComputeProbabilityOfMinimalCutset(const Cutset* cutset) const {
        double p = 1.0;
        for (int k = 0; k < cutset->GetOrder(); ++k) p *= GetProbability(cutset->GetIndex(k));
        return p;
    }
    template <class Cutset>
    double ComputeFailureIntensityOfMinimalCutset(const Cutset* cutset) const {
        double sum = 0.0;
        const int order = cutset->GetOrder();
        for (int i = 0; i < order; ++i) {
            double term = GetFailureIntensity(cutset->GetIndex(i));
            for (int j = 0; j < order; ++j)
                if (j != i) term *= GetProbability(cutset->GetIndex(j));
            sum += term;
        }
        return sum;
    }

private:
    friend class KEFOBDDUniqueTable;

    KEFOBDDNode* _FindOrMakeNode(int index, KEFOBDDNode* thenSon, KEFOBDDNode* elseSon, bool sonsGiven) {
        KEFOBDDEntry* entry = _entryTable->GetEntry(index);
        const bool fatherless = sonsGiven && (thenSon->GetReferenceCount() == 1 || elseSon->GetReferenceCount() == 1);
        // The hash code serves the look-up, the prefetch and the linking.
        const std::uint64_t h = entry != nullptr ? KEFOBDDHashTable::Hash(thenSon, elseSon) : 0;
        if (entry != nullptr && !fatherless) {
            KEFOBDDNode* node = entry->GetHashTable()->LookUp(thenSon, elseSon, h);
            if (node == nullptr && _numberOfUnlinkedNodes != 0) node = _FindUnlinkedNode(index, thenSon, elseSon);
            if (node != nullptr) {
                node->Retain();
                if (sonsGiven) {
                    thenSon->Release();
                    elseSon->Release();
                }
                return node;
            }
        }
#ifndef NDEBUG
        // A caller that does not hold its sons, or a count that went wrong,
        // would make a second copy of a node.
        if (fatherless && entry != nullptr &&
            (entry->GetHashTable()->LookUp(thenSon, elseSon) != nullptr ||
             _FindUnlinkedNode(index, thenSon, elseSon) != nullptr))
            PLOVException::RaiseInternalError();
#endif
        return _MakeNode(entry, index, thenSon, elseSon, fatherless, h, sonsGiven);
    }
    // late: the node may be linked into its chain a few nodes later (below).
    // h: the hash code of the sons when entry is not null. sonsGiven: the
    // node takes the caller's references on its sons (NewBDDNode); when it
    // cannot be made, they stay the caller's.
    KEFOBDDNode* _MakeNode(KEFOBDDEntry* entry, int index, KEFOBDDNode* thenSon, KEFOBDDNode* elseSon, bool late,
                           std::uint64_t h, bool sonsGiven = false);

    // Nodes made without a look-up are counted in their hash table at once
    // but linked into their chain only when numberOfUnlinkedNodes younger
    // ones have been made: the bucket, a cache miss of its own, is fetched
    // when the node is made and written once it has arrived. Until then a
    // look-up that fails in the table searches these few nodes as well.
    // The outermost operation links them all before it returns or raises
    // (operations run inner ones, as minimal cutsets run Without), so none is
    // left unlinked between operations; the garbage collector links them
    // first as well.
    static const int maximumNumberOfUnlinkedNodes = 8;
    KEFOBDDNode* _FindUnlinkedNode(int index, const KEFOBDDNode* thenSon, const KEFOBDDNode* elseSon) const {
        for (int i = 0; i < _numberOfUnlinkedNodes; ++i) {
            KEFOBDDNode* node = _unlinkedNodes[i];
            if (node->_then == thenSon && node->_else == elseSon && node->GetIndex() == index) return node;
        }
        return nullptr;
    }
    void _LinkUnlinkedNodes() noexcept;
    struct UnlinkedNodesGuard {
        explicit UnlinkedNodesGuard(KEFOBDDManager& m) : manager(m) { ++manager._depthOfOperations; }
        ~UnlinkedNodesGuard() {
            if (--manager._depthOfOperations == 0) manager._LinkUnlinkedNodes();
        }
        KEFOBDDManager& manager;
    };


    // Runs an operation described by Op on the explicit stack
    // (bdd_manager_engine.h).
    template <class Op>
    KEFOBDDNode* _Run(KEFOBDDNode* a, KEFOBDDNode* b, double w, int k);
    // _Run for a top-level And or Or, with a memo ready to be switched on.
    template <class Op>
    KEFOBDDNode* _RunWithPairMemo(KEFOBDDNode* a, KEFOBDDNode* b);
    void _CheckExpansions();

    void _DiscardWeightedRecordsIfWeightsChanged() {
        if (_weightsChanged) {
            _cache->ResetOperations(WeightedBDDOperation, WeightedMinimalCutsetsOperation);
            _weightsChanged = false;
        }
    }

    // The weight of an index for the weighted operations: 0 without entry.
    double _GetWeightOfIndex(int index) const {
        const KEFOBDDEntry* entry = _entryTable->GetEntry(index);
        return entry != nullptr ? entry->GetWeight() : 0.0;
    }

    // Walks, after their sons, the internal nodes reachable from the root
    // that the visitor calls pending (bdd_manager_engine.h).
    template <class Visitor>
    void _PostOrder(KEFOBDDNode* root, Visitor& visitor);

    // Scratch memory for the counting traversals, grown on demand and kept.
    void* _ReserveScratch(std::size_t bytes);

    // Private recursions of the probabilities (marker pass done by the
    // public operations).
    float _ComputeProbability(KEFOBDDNode* f);
    float _ComputeHighestMinimalCutsetProbability(KEFOBDDNode* f);
    float _ComputeRareEventApproximation(KEFOBDDNode* f);
    float _ComputePivotalUpperBound(KEFOBDDNode* f);
    void _ComputeMincutUpperBound(KEFOBDDNode* f, double& bound, double pathProbability);

    KEFOBDDUniqueTable* _uniqueTable;
    KEFOBDDEntryTable* _entryTable;
    KEFOBDDCache* _cache;
    KEFOBDDStack* _stack;
    std::uint32_t _sizeStamp;
    // The memo of the minimal-cutset call under way, none between calls.
    KEFOBDDNodeMemo* _minimalCutsetsMemo;
    // The memo of the top-level And or Or under way (none between calls),
    // and the same once switched on; the counters at the start of the call.
    KEFOBDDPairMemo* _pairMemoOfCall;
    KEFOBDDPairMemo* _pairMemo;
    long _expansionsAtCallStart;
    long _nodesMadeAtCallStart;
    long _numberOfExpansions;
    long _numberOfNodesMade;
    double _budgetLow;
    double _budgetHigh;
    KEFOBDDNode* _zero;
    KEFOBDDNode* _one;
    int _locked;
    bool _weightsChanged;
    void* _scratch;
    std::size_t _scratchCapacity;
    // The nodes waiting to be linked, oldest first from _oldestUnlinkedNode
    // around the ring.
    KEFOBDDNode* _unlinkedNodes[maximumNumberOfUnlinkedNodes];
    std::uint64_t _hashesOfUnlinkedNodes[maximumNumberOfUnlinkedNodes];
    int _numberOfUnlinkedNodes;
    int _oldestUnlinkedNode;
    int _depthOfOperations;
};

#endif
