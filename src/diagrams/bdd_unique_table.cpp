#include "diagrams/bdd_unique_table.h"

#include "diagrams/bdd_manager.h"
#include "support/exception.h"

#include <algorithm>
#include <cstdint>

int KEFOBDDUniqueTable::_defaultSizeOfPages = 32768;
int KEFOBDDUniqueTable::_defaultMaximumNumberOfNodes = 16777216;

KEFOBDDPage::KEFOBDDPage(KEFOBDDUniqueTable* uniqueTable, int numberOfNodes)
    : _uniqueTable(uniqueTable),
      _numberOfNodes(numberOfNodes),
      _cell(nullptr),
      _slabBytes(0),
      _nodes(nullptr),
      _next(nullptr) {
    // One spare node's worth of bytes lets the slots start on a 32-byte
    // boundary, so that no node straddles two cache lines.
    const std::size_t bytes = sizeof(KEFOBDDNode) * (static_cast<std::size_t>(numberOfNodes) + 1);
    _cell = PLOVMemoryManager::NewCell(bytes);
    std::uintptr_t address = reinterpret_cast<std::uintptr_t>(_cell);
    address = (address + 31u) & ~static_cast<std::uintptr_t>(31u);
    _nodes = reinterpret_cast<KEFOBDDNode*>(address);
}

KEFOBDDPage::KEFOBDDPage(KEFOBDDUniqueTable* uniqueTable, int numberOfNodes, KEFOBDDNode* nodes, void* slab,
                         std::size_t slabBytes)
    : _uniqueTable(uniqueTable),
      _numberOfNodes(numberOfNodes),
      _cell(slab),
      _slabBytes(slab != nullptr ? slabBytes : 0),
      _nodes(nodes),
      _next(nullptr) {}

KEFOBDDPage::~KEFOBDDPage() {
    if (_cell == nullptr) return;
    if (_slabBytes != 0)
        PLOVMemoryManager::DeleteLargeCell(_cell, _slabBytes);
    else
        PLOVMemoryManager::DeleteCell(_cell);
}

KEFOBDDUniqueTable::KEFOBDDUniqueTable(KEFOBDDManager* manager)
    : _manager(manager),
      _sizeOfPages(_defaultSizeOfPages),
      _maximumNumberOfNodes(_defaultMaximumNumberOfNodes),
      _numberOfNodes(0),
      _numberOfPages(0),
      _numberOfFreeNodes(0),
      _pages(nullptr),
      _freeList(nullptr),
      _freshSlots(nullptr),
      _endOfFreshSlots(nullptr),
      _endOfPageSlots(nullptr),
      _backingStep(0),
      _backsByHand(false),
      _slabCursor(nullptr),
      _slabRemainder(0),
      _spareSlab(nullptr),
      _spareSlabBytes(0) {
    _leafZero._Set(KEFOBDDNode::leafZeroIndex, KEFOBDDNode::saturatedCount, nullptr, nullptr);
    _leafOne._Set(KEFOBDDNode::leafOneIndex, KEFOBDDNode::saturatedCount, nullptr, nullptr);
}

KEFOBDDUniqueTable::~KEFOBDDUniqueTable() { DeletePages(); }

void KEFOBDDUniqueTable::DeletePages() {
    while (_pages != nullptr) {
        KEFOBDDPage* next = _pages->GetNext();
        delete _pages;
        _pages = next;
    }
    _numberOfNodes = 0;
    _numberOfPages = 0;
    _numberOfFreeNodes = 0;
    _freeList = nullptr;
    _freshSlots = nullptr;
    _endOfFreshSlots = nullptr;
    _endOfPageSlots = nullptr;
    _backingStep = 0;
    _backsByHand = false;
    _slabCursor = nullptr;
    _slabRemainder = 0;
    _DeleteSpareSlab();
}

void KEFOBDDUniqueTable::_DeleteSpareSlab() noexcept {
    if (_spareSlab != nullptr) PLOVMemoryManager::DeleteLargeCell(_spareSlab, _spareSlabBytes);
    _spareSlab = nullptr;
    _spareSlabBytes = 0;
}

// The spare is a head start only: when memory is short, the next slab is
// mapped when it is needed, and its failure then is the one reported.
void KEFOBDDUniqueTable::_MapSpareSlab(std::size_t slabBytes) noexcept {
    try {
        _spareSlab = static_cast<char*>(
            PLOVMemoryManager::NewLargeCell(slabBytes, PLOVMemoryManager::Backing::PopulatedHugePages));
        _spareSlabBytes = slabBytes;
    } catch (...) {
        _spareSlab = nullptr;
        _spareSlabBytes = 0;
    }
}

bool KEFOBDDUniqueTable::_AddPage() {
    const long long wanted = static_cast<long long>(_numberOfNodes) + _sizeOfPages;
    if (wanted > _maximumNumberOfNodes) return false;
    KEFOBDDPage* page = _NewPage();
    page->SetNext(_pages);
    _pages = page;
    _numberOfNodes += _sizeOfPages;
    ++_numberOfPages;
    // The slots are handed out from the first on (NewNode).
    _freshSlots = page->GetNodes();
    _endOfPageSlots = _freshSlots + _sizeOfPages;
    _endOfFreshSlots = _freshSlots;
    if (_backsByHand)
        _BackMoreFreshSlots();
    else
        _endOfFreshSlots = _endOfPageSlots;
    _numberOfFreeNodes += _sizeOfPages;
    return true;
}

KEFOBDDPage* KEFOBDDUniqueTable::_NewPage() {
    const std::size_t bytes = sizeof(KEFOBDDNode) * static_cast<std::size_t>(_sizeOfPages);
    if (bytes < KEFOBDDPage::slabThreshold) {
        _backsByHand = false;
        return new KEFOBDDPage(this, _sizeOfPages);
    }
    // A slab is the largest multiple of the large-cell alignment that a page
    // fits in, at least one unit; the rest of it serves later pages.
    const std::size_t unit = PLOVMemoryManager::largeCellAlignment;
    const std::size_t slabBytes = (bytes + unit - 1) / unit * unit;
    KEFOBDDPage* page = nullptr;
    if (_slabRemainder >= bytes) {
        page = new KEFOBDDPage(this, _sizeOfPages, reinterpret_cast<KEFOBDDNode*>(_slabCursor), nullptr, 0);
        _slabCursor += bytes;
        _slabRemainder -= bytes;
    } else {
        char* slab = nullptr;
        if (_spareSlab != nullptr && _spareSlabBytes == slabBytes) {
            slab = _spareSlab;
            _spareSlab = nullptr;
            _spareSlabBytes = 0;
        } else {
            // No spare, or one made for pages of another size.
            _DeleteSpareSlab();
            // The first slab is backed by hand as it fills: most analyses
            // need no more, and for them a worker thread would cost more
            // than the faults it saves. A later one is needed at once,
            // before the worker could back it; it is given to the worker
            // all the same. Every slab is advised to huge pages: the first
            // backing request of the first slab then takes one fault for
            // the whole slab (on virtual machines a fortieth of what the
            // faults of its 4 KB pages cost), and the look-ups and rehashes
            // of the hash tables of a long build read the nodes at random
            // over many megabytes.
            const PLOVMemoryManager::Backing backing = _numberOfPages == 0
                                                           ? PLOVMemoryManager::Backing::HugePages
                                                           : PLOVMemoryManager::Backing::PopulatedHugePages;
            slab = static_cast<char*>(PLOVMemoryManager::NewLargeCell(slabBytes, backing));
        }
        try {
            page = new KEFOBDDPage(this, _sizeOfPages, reinterpret_cast<KEFOBDDNode*>(slab), slab, slabBytes);
        } catch (...) {
            PLOVMemoryManager::DeleteLargeCell(slab, slabBytes);
            throw;
        }
        _slabCursor = slab + bytes;
        _slabRemainder = slabBytes - bytes;
        // Only the first slab is backed by hand; the others are populated
        // in the background.
        _backsByHand = _numberOfPages == 0;
    }
    // The newest slab is full once this page is handed out: the next one is
    // mapped now, while a page of nodes is still to be made, unless the
    // store could not take another page anyway.
    const long long afterNext = static_cast<long long>(_numberOfNodes) + 2LL * _sizeOfPages;
    if (_slabRemainder < bytes && _spareSlab == nullptr && afterNext <= _maximumNumberOfNodes)
        _MapSpareSlab(slabBytes);
    return page;
}

void KEFOBDDUniqueTable::_BackMoreFreshSlots() noexcept {
    const std::size_t smallestStep = std::size_t(64) << 10;
    const std::size_t largestStep = std::size_t(512) << 10;
    _backingStep = _backingStep == 0 ? smallestStep : std::min(2 * _backingStep, largestStep);
    const std::size_t left = static_cast<std::size_t>(_endOfPageSlots - _endOfFreshSlots);
    const std::size_t slots = std::min(left, _backingStep / sizeof(KEFOBDDNode));
    PLOVMemoryManager::BackPagesNow(_endOfFreshSlots, slots * sizeof(KEFOBDDNode));
    _endOfFreshSlots += slots;
}

KEFOBDDNode* KEFOBDDUniqueTable::_NewNodeSlowly() {
    if (_freshSlots != _endOfPageSlots) {
        _BackMoreFreshSlots();
        return NewNode();
    }
    bool added = false;
    try {
        added = _AddPage();
    } catch (const PLOVException& e) {
        // The machine refused a new page: reclaiming dead nodes may still
        // give a slot; otherwise the overflow goes on.
        if (e.GetKind() != PLOVException::MemoryOverflow) throw;
        _manager->CollectGarbage();
        if (_freeList == nullptr) throw;
        return NewNode();
    }
    if (!added) {
        _manager->CollectGarbage();
        if (_freeList == nullptr) PLOVException::RaiseMemoryOverflow();
    }
    // A page was added or a collection freed slots: NewNode takes one.
    return NewNode();
}

long long KEFOBDDUniqueTable::ComputeMemoryOccupationInBytes() const {
    long long bytes = 8;
    for (const KEFOBDDPage* page = _pages; page != nullptr; page = page->GetNext())
        bytes += 32 + 32LL * page->GetNumberOfNodes();
    return bytes;
}
