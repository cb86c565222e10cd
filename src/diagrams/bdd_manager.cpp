// The store itself: construction, entries, node creation, garbage
// collection, traversal marks and dumps.
#include "diagrams/bdd_manager.h"

#include "support/exception.h"

#include <cmath>
#include <cstring>

void KEFOBDDManager::RestoreDefaults() {
    KEFOBDDUniqueTable::RestoreDefaults();
    KEFOBDDEntryTable::RestoreDefaults();
    KEFOBDDHashTable::RestoreDefaults();
    KEFOBDDCache::RestoreDefaults();
}

KEFOBDDManager::KEFOBDDManager()
    : _uniqueTable(nullptr),
      _entryTable(nullptr),
      _cache(nullptr),
      _stack(nullptr),
      _sizeStamp(0),
      _minimalCutsetsMemo(nullptr),
      _pairMemoOfCall(nullptr),
      _pairMemo(nullptr),
      _expansionsAtCallStart(0),
      _nodesMadeAtCallStart(0),
      _numberOfExpansions(0),
      _numberOfNodesMade(0),
      _budgetLow(0.0),
      _budgetHigh(0.0),
      _zero(nullptr),
      _one(nullptr),
      _locked(0),
      _weightsChanged(false),
      _scratch(nullptr),
      _scratchCapacity(0),
      _unlinkedNodes(),
      _hashesOfUnlinkedNodes(),
      _numberOfUnlinkedNodes(0),
      _oldestUnlinkedNode(0),
      _depthOfOperations(0) {
    try {
        _uniqueTable = new KEFOBDDUniqueTable(this);
        _entryTable = new KEFOBDDEntryTable(this, KEFOBDDEntryTable::GetDefaultSize());
        _cache = new KEFOBDDCache(this, KEFOBDDCache::GetDefaultSize());
        _stack = new KEFOBDDStack();
    } catch (...) {
        // A store that could not be made in full leaves nothing behind.
        delete _cache;
        delete _entryTable;
        delete _uniqueTable;
        throw;
    }
    _zero = _uniqueTable->GetLeafZero();
    _one = _uniqueTable->GetLeafOne();
}

KEFOBDDManager::~KEFOBDDManager() {
    // Entries release their module diagrams, so they go before the pages.
    delete _entryTable;
    delete _uniqueTable;
    delete _cache;
    delete _stack;
    if (_scratch != nullptr) PLOVMemoryManager::DeleteCell(_scratch);
}

void KEFOBDDManager::Reset() {
    _LinkUnlinkedNodes();
    _cache->Reset();
    _entryTable->DeleteEntries();
    _uniqueTable->DeletePages();
    _locked = 0;
}

// ---- Entries

KEFOVariable* KEFOBDDManager::GetModelVariable(int index) const {
    const KEFOBDDEntry* entry = _entryTable->GetEntry(index);
    return entry != nullptr ? entry->GetModelVariable() : nullptr;
}
void KEFOBDDManager::SetModelVariable(int index, KEFOVariable* variable) {
    _entryTable->NewEntry(index)->SetModelVariable(variable);
}
KEFOSystemVariable* KEFOBDDManager::GetSystemVariable(int index) const {
    const KEFOBDDEntry* entry = _entryTable->GetEntry(index);
    return entry != nullptr ? entry->GetSystemVariable() : nullptr;
}
void KEFOBDDManager::SetSystemVariable(int index, KEFOSystemVariable* variable) {
    _entryTable->NewEntry(index)->SetSystemVariable(variable);
}
int KEFOBDDManager::GetValue(int index) const {
    const KEFOBDDEntry* entry = _entryTable->GetEntry(index);
    return entry != nullptr ? entry->GetValue() : KEFOBDDEntry::Unknown;
}
void KEFOBDDManager::SetValue(int index, int value) { _entryTable->NewEntry(index)->SetValue(value); }
double KEFOBDDManager::GetProbability(int index) const {
    const KEFOBDDEntry* entry = _entryTable->GetEntry(index);
    return entry != nullptr ? entry->GetProbability() : 0.0;
}
void KEFOBDDManager::SetProbability(int index, double p) { _entryTable->NewEntry(index)->SetProbability(p); }
double KEFOBDDManager::GetFailureIntensity(int index) const {
    const KEFOBDDEntry* entry = _entryTable->GetEntry(index);
    return entry != nullptr ? entry->GetFailureIntensity() : 0.0;
}
void KEFOBDDManager::SetFailureIntensity(int index, double lambda) {
    _entryTable->NewEntry(index)->SetFailureIntensity(lambda);
}
double KEFOBDDManager::GetWeight(int index) const {
    const KEFOBDDEntry* entry = _entryTable->GetEntry(index);
    return entry != nullptr ? entry->GetWeight() : 0.0;
}
void KEFOBDDManager::SetWeight(int index, double w) { _entryTable->NewEntry(index)->SetWeight(w); }
KEFOBDDNode* KEFOBDDManager::GetModuleBDD(int index) const {
    const KEFOBDDEntry* entry = _entryTable->GetEntry(index);
    return entry != nullptr ? entry->GetModuleBDD() : nullptr;
}
void KEFOBDDManager::SetModuleBDD(int index, KEFOBDDNode* root) { _entryTable->NewEntry(index)->SetModuleBDD(root); }

void KEFOBDDManager::SetWeights(double w) {
    const int highest = _entryTable->GetIndexOfHighestEntry();
    if (highest == 0) return;
    for (int i = _entryTable->GetIndexOfLowestEntry(); i <= highest; ++i) {
        KEFOBDDEntry* entry = _entryTable->GetEntry(i);
        if (entry != nullptr) entry->SetWeight(w);
    }
}

double KEFOBDDManager::ComputeWeightFromProbability(double p, double base) { return -std::log(p) / std::log(base); }

void KEFOBDDManager::ComputeWeightsFromProbabilities(double base) {
    const int highest = _entryTable->GetIndexOfHighestEntry();
    if (highest == 0) return;
    for (int i = _entryTable->GetIndexOfLowestEntry(); i <= highest; ++i) {
        KEFOBDDEntry* entry = _entryTable->GetEntry(i);
        if (entry != nullptr) entry->SetWeight(ComputeWeightFromProbability(entry->GetProbability(), base));
    }
}

void KEFOBDDManager::SetMaximumSizeOfHashTables(int size) {
    KEFOBDDHashTable::SetDefaultMaximumSize(size);
    _entryTable->SetMaximumSizeOfHashTables(size);
}

// ---- Nodes

KEFOBDDNode* KEFOBDDManager::_MakeNode(KEFOBDDEntry* entry, int index, KEFOBDDNode* thenSon, KEFOBDDNode* elseSon,
                                       bool late, std::uint64_t h, bool sonsGiven) {
    if (index <= 0 || index > KEFOBDDNode::maximumVariableIndex || thenSon == nullptr || elseSon == nullptr)
        PLOVException::RaiseInternalError();
    // The sons are held before a slot is asked for: the slot request may
    // collect garbage, and a caller may pass sons nobody else holds. Given
    // sons are held by the caller's references, which the node takes.
    if (!sonsGiven) {
        thenSon->Retain();
        elseSon->Retain();
    }
    KEFOBDDNode* node;
    try {
        node = _uniqueTable->NewNode();
    } catch (...) {
        if (!sonsGiven) {
            thenSon->Release();
            elseSon->Release();
        }
        throw;
    }
    ++_numberOfNodesMade;
    node->_Set(static_cast<std::uint32_t>(index), 1, thenSon, elseSon);
    if (entry == nullptr) return node;
    KEFOBDDHashTable* table = entry->GetHashTable();
    try {
        table->ReserveNode();
    } catch (...) {
        node->Release();
        CollectNode(node);
        throw;
    }
    if (!late) {
        table->LinkNode(node, h);
        return node;
    }
    __builtin_prefetch(table->GetBucketAddress(h));
    if (_numberOfUnlinkedNodes < maximumNumberOfUnlinkedNodes) {
        _hashesOfUnlinkedNodes[_numberOfUnlinkedNodes] = h;
        _unlinkedNodes[_numberOfUnlinkedNodes++] = node;
        return node;
    }
    KEFOBDDNode*& oldest = _unlinkedNodes[_oldestUnlinkedNode];
    std::uint64_t& hashOfOldest = _hashesOfUnlinkedNodes[_oldestUnlinkedNode];
    _entryTable->GetEntry(oldest->GetIndex())->GetHashTable()->LinkNode(oldest, hashOfOldest);
    oldest = node;
    hashOfOldest = h;
    _oldestUnlinkedNode = (_oldestUnlinkedNode + 1) % maximumNumberOfUnlinkedNodes;
    return node;
}

void KEFOBDDManager::_CheckExpansions() {
    if (_pairMemoOfCall == nullptr || _pairMemo != nullptr) return;
    const long expansions = _numberOfExpansions - _expansionsAtCallStart;
    const long made = _numberOfNodesMade - _nodesMadeAtCallStart;
    if (expansions >= 65536 && expansions > 4 * made) _pairMemo = _pairMemoOfCall;
}

void KEFOBDDManager::_LinkUnlinkedNodes() noexcept {
    for (int i = 0; i < _numberOfUnlinkedNodes; ++i) {
        const int k = (_oldestUnlinkedNode + i) % maximumNumberOfUnlinkedNodes;
        KEFOBDDNode* node = _unlinkedNodes[k];
        _entryTable->GetEntry(node->GetIndex())->GetHashTable()->LinkNode(node, _hashesOfUnlinkedNodes[k]);
    }
    _numberOfUnlinkedNodes = 0;
    _oldestUnlinkedNode = 0;
}

void KEFOBDDManager::SetIntValues(KEFOBDDNode* root, int value) {
    if (root == nullptr) return;
    KEFOBDDStackGuard guard(*_stack);
    KEFOBDDNode* node = root;
    for (;;) {
        if (node->GetIntValue() != value) {
            node->SetIntValue(value);
            if (node != _zero && node != _one) {
                // The else-son is visited once the then-side is done: its
                // load starts now, to overlap the walk of the then-side.
                __builtin_prefetch(node->_else);
                _stack->Push()->a = node->_else;
                node = node->_then;
                continue;
            }
        }
        if (_stack->GetDepth() == guard.GetDepth()) return;
        node = _stack->Top()->a;
        _stack->Pop();
    }
}

void KEFOBDDManager::SetFloatValues(KEFOBDDNode* root, float value) {
    // A float cell is its 32 bits: writing them as an integer, and comparing
    // bit for bit, overwrites NaN cells too.
    std::int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    SetIntValues(root, bits);
}

// ---- Memory

void KEFOBDDManager::CollectGarbage() {
    std::fputs("Launch garbage collection\n", stdout);
    std::fflush(stdout);
    _LinkUnlinkedNodes();
    for (KEFOBDDPage* page = _uniqueTable->GetPages(); page != nullptr; page = page->GetNext()) {
        KEFOBDDNode* nodes = page->GetNodes();
        const int n = page->GetNumberOfNodes();
        for (int i = 0; i < n; ++i) {
            KEFOBDDNode* node = nodes + i;
            if (!node->IsFree() && node->GetReferenceCount() == 0) CollectNode(node);
        }
    }
    _cache->Reset();
    if (_minimalCutsetsMemo != nullptr) _minimalCutsetsMemo->Reset();
    if (_pairMemo != nullptr) _pairMemo->Reset();
    std::fputs("Garbage collection done\n", stdout);
    std::fflush(stdout);
}

void KEFOBDDManager::CollectNode(KEFOBDDNode* node) {
    if (!IsInternalNode(node) || node->IsFree() || node->GetReferenceCount() != 0) return;
    _LinkUnlinkedNodes();
    // The nodes waiting to be reclaimed are chained through their next
    // field, which is free once they are out of their hash table: no
    // recursion and no allocation, however deep the diagram.
    KEFOBDDEntry* entry = _entryTable->GetEntry(node->GetIndex());
    if (entry != nullptr) entry->GetHashTable()->RemoveNode(node);
    node->_SetPlainNext(nullptr);
    KEFOBDDNode* pending = node;
    while (pending != nullptr) {
        KEFOBDDNode* current = pending;
        pending = current->_PlainNext();
        KEFOBDDNode* sons[2] = {current->_then, current->_else};
        _uniqueTable->FreeSlot(current);
        for (KEFOBDDNode* son : sons) {
            if (son->Release()) {
                KEFOBDDEntry* sonEntry = _entryTable->GetEntry(son->GetIndex());
                if (sonEntry != nullptr) sonEntry->GetHashTable()->RemoveNode(son);
                son->_SetPlainNext(pending);
                pending = son;
            }
        }
    }
}

void* KEFOBDDManager::_ReserveScratch(std::size_t bytes) {
    if (bytes > _scratchCapacity) {
        std::size_t capacity = _scratchCapacity == 0 ? 65536 : _scratchCapacity;
        while (capacity < bytes) capacity *= 2;
        // The content is kept: traversals fill the scratch as they grow it.
        _scratch = _scratch == nullptr ? PLOVMemoryManager::NewCell(capacity)
                                       : PLOVMemoryManager::ResizeCell(_scratch, _scratchCapacity, capacity);
        _scratchCapacity = capacity;
    }
    return _scratch;
}

// ---- Dumps

void KEFOBDDManager::DumpNode(KEFOBDDNode* node, FILE* file) const {
    std::fprintf(file, "%p\t%d\t%d\t%d\t%p\t%p\t%p\n", static_cast<void*>(node), node->GetIndex(),
                 node->GetReferenceCount(), node->GetIntValue(), static_cast<void*>(node->_then),
                 static_cast<void*>(node->_else), static_cast<void*>(node->GetNext()));
    std::fflush(file);
}

void KEFOBDDManager::DumpBDD(KEFOBDDNode* root, FILE* file) {
    if (root == nullptr) return;
    if (IsLeaf(root)) {
        DumpNode(root, file);
        return;
    }
    // Unvisited nodes hold -1; each is set to 0 when written.
    SetIntValues(root, -1);
    {
        KEFOBDDStackGuard guard(*_stack);
        KEFOBDDNode* node = root;
        for (;;) {
            if (node != _zero && node != _one && node->GetIntValue() == -1) {
                node->SetIntValue(0);
                DumpNode(node, file);
                _stack->Push()->a = node->_else;
                node = node->_then;
                continue;
            }
            if (_stack->GetDepth() == guard.GetDepth()) break;
            node = _stack->Top()->a;
            _stack->Pop();
        }
    }
    _zero->SetIntValue(0);
    _one->SetIntValue(0);
    DumpNode(_zero, file);
    DumpNode(_one, file);
}
