#include "diagrams/bdd_entry_table.h"

#include "diagrams/bdd_manager.h"
#include "support/exception.h"

#include <cstring>

int KEFOBDDEntryTable::_defaultSize = 8192;

KEFOBDDEntryTable::KEFOBDDEntryTable(KEFOBDDManager* manager, int size)
    : _manager(manager), _entries(nullptr), _size(size < 2 ? 2 : size), _lowest(0), _highest(0) {
    _entries = static_cast<KEFOBDDEntry**>(PLOVMemoryManager::NewCell(sizeof(KEFOBDDEntry*) * static_cast<std::size_t>(_size)));
}

KEFOBDDEntryTable::~KEFOBDDEntryTable() {
    DeleteEntries();
    PLOVMemoryManager::DeleteCell(_entries);
}

void KEFOBDDEntryTable::SetSize(int size) {
    if (size <= _size) return;
    KEFOBDDEntry** entries = static_cast<KEFOBDDEntry**>(PLOVMemoryManager::NewCell(sizeof(KEFOBDDEntry*) * static_cast<std::size_t>(size)));
    std::memcpy(entries, _entries, sizeof(KEFOBDDEntry*) * static_cast<std::size_t>(_size));
    PLOVMemoryManager::DeleteCell(_entries);
    _entries = entries;
    _size = size;
}

int KEFOBDDEntryTable::GetNumberOfActiveEntries() const {
    int count = 0;
    if (_highest == 0) return 0;
    for (int i = _lowest; i <= _highest; ++i) {
        if (_entries[i] != nullptr && _entries[i]->IsActive()) ++count;
    }
    return count;
}

int KEFOBDDEntryTable::GetNumberOfEntries() const {
    int count = 0;
    if (_highest == 0) return 0;
    for (int i = _lowest; i <= _highest; ++i) {
        if (_entries[i] != nullptr) ++count;
    }
    return count;
}

KEFOBDDEntry* KEFOBDDEntryTable::NewEntry(int index) {
    if (index <= 0 || index >= _size) PLOVException::RaiseInternalError();
    KEFOBDDEntry* entry = _entries[index];
    if (entry != nullptr) return entry;
    entry = new KEFOBDDEntry(this, index);
    _entries[index] = entry;
    // The index weighed 0 without entry and weighs 1 now.
    if (_manager != nullptr) _manager->InvalidateWeightedRecords();
    if (_highest == 0) {
        _lowest = index;
        _highest = index;
    } else {
        if (index < _lowest) _lowest = index;
        if (index > _highest) _highest = index;
    }
    return entry;
}

void KEFOBDDEntryTable::DeleteEntries() {
    if (_highest != 0) {
        for (int i = _lowest; i <= _highest; ++i) {
            delete _entries[i];
            _entries[i] = nullptr;
        }
    }
    _lowest = 0;
    _highest = 0;
}

void KEFOBDDEntryTable::SetMinimumSizeOfHashTables(int size) {
    if (_highest == 0) return;
    for (int i = _lowest; i <= _highest; ++i)
        if (_entries[i] != nullptr) _entries[i]->GetHashTable()->SetMinimumSize(size);
}

void KEFOBDDEntryTable::SetMaximumSizeOfHashTables(int size) {
    if (_highest == 0) return;
    for (int i = _lowest; i <= _highest; ++i)
        if (_entries[i] != nullptr) _entries[i]->GetHashTable()->SetMaximumSize(size);
}

void KEFOBDDEntryTable::SetResizingRatioOfHashTables(float ratio) {
    if (_highest == 0) return;
    for (int i = _lowest; i <= _highest; ++i)
        if (_entries[i] != nullptr) _entries[i]->GetHashTable()->SetResizingRatio(ratio);
}

void KEFOBDDEntryTable::SetResizingFactorOfHashTables(int factor) {
    if (_highest == 0) return;
    for (int i = _lowest; i <= _highest; ++i)
        if (_entries[i] != nullptr) _entries[i]->GetHashTable()->SetResizingFactor(factor);
}

long long KEFOBDDEntryTable::ComputeMemoryOccupationInBytes() const {
    long long bytes = 16;
    if (_highest == 0) return bytes;
    for (int i = _lowest; i <= _highest; ++i) {
        if (_entries[i] != nullptr) bytes += 120 + 8LL * _entries[i]->GetHashTable()->GetSize();
    }
    return bytes;
}
