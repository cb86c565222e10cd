#include "diagrams/bdd_cache.h"

#include <cstring>

int KEFOBDDCache::_defaultSize = 131072;

KEFOBDDCache::KEFOBDDCache(KEFOBDDManager* manager, int size)
    : _manager(manager), _records(nullptr), _intervals(nullptr), _size(0), _mask(0) {
    _Allocate(size);
}

KEFOBDDCache::~KEFOBDDCache() {
    PLOVMemoryManager::DeleteLargeCell(_records, sizeof(KEFOBDDRecord) * static_cast<std::size_t>(_size));
    if (_intervals != nullptr)
        PLOVMemoryManager::DeleteLargeCell(_intervals, sizeof(KEFOBDDBudgetInterval) * static_cast<std::size_t>(_size));
}

void KEFOBDDCache::_AllocateIntervals() {
    _intervals = static_cast<KEFOBDDBudgetInterval*>(
        PLOVMemoryManager::NewLargeCell(sizeof(KEFOBDDBudgetInterval) * static_cast<std::size_t>(_size), PLOVMemoryManager::Backing::HugePages));
}

void KEFOBDDCache::_Allocate(int size) {
    if (size < 1) size = 1;
    KEFOBDDRecord* records =
        static_cast<KEFOBDDRecord*>(PLOVMemoryManager::NewLargeCell(sizeof(KEFOBDDRecord) * static_cast<std::size_t>(size), PLOVMemoryManager::Backing::HugePages));
    _records = records;
    _size = size;
    const std::uint64_t s = static_cast<std::uint64_t>(size);
    _mask = (s > 1 && (s & (s - 1)) == 0) ? s - 1 : 0;
}

void KEFOBDDCache::Resize(int size) {
    // The new array is obtained first: if the machine refuses it, the cache
    // keeps its old records.
    KEFOBDDRecord* old = _records;
    const int oldSize = _size;
    _Allocate(size);
    PLOVMemoryManager::DeleteLargeCell(old, sizeof(KEFOBDDRecord) * static_cast<std::size_t>(oldSize));
    // The intervals follow the records' size: made again at the next
    // weighted record.
    if (_intervals != nullptr)
        PLOVMemoryManager::DeleteLargeCell(_intervals, sizeof(KEFOBDDBudgetInterval) * static_cast<std::size_t>(oldSize));
    _intervals = nullptr;
}

void KEFOBDDCache::Reset() {
    std::memset(static_cast<void*>(_records), 0, sizeof(KEFOBDDRecord) * static_cast<std::size_t>(_size));
}

void KEFOBDDCache::ResetOperations(int first, int last) {
    for (int i = 0; i < _size; ++i) {
        KEFOBDDRecord& record = _records[i];
        if (record.operation >= first && record.operation <= last) record = KEFOBDDRecord{0, 0, nullptr, nullptr, nullptr};
    }
}

int KEFOBDDCache::GetNumberOfRecordedOperations() const {
    int count = 0;
    for (int i = 0; i < _size; ++i)
        if (_records[i].operation != 0) ++count;
    return count;
}
