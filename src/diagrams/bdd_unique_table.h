// The unique table hands out node slots from pages, recycles them through a
// free list threaded by the nodes' next field, and embeds the two leaves.
// When a new page would exceed the maximum number of nodes it asks the
// manager to collect garbage; if no slot is freed it raises the
// memory-overflow exception.
#ifndef KEFO_DIAGRAMS_BDD_UNIQUE_TABLE_H
#define KEFO_DIAGRAMS_BDD_UNIQUE_TABLE_H

#include "diagrams/bdd_node.h"
#include "diagrams/bdd_page.h"
#include "support/memory_manager.h"

class KEFOBDDManager;

class KEFOBDDUniqueTable {
    PLOV_MANAGED_ALLOCATION(KEFOBDDUniqueTable)
public:
    static int GetDefaultSizeOfPages() { return _defaultSizeOfPages; }
    static int GetDefaultMaximumNumberOfNodes() { return _defaultMaximumNumberOfNodes; }
    static void SetDefaultSizeOfPages(int size) { _defaultSizeOfPages = size < 1 ? 1 : size; }
    static void SetDefaultMaximumNumberOfNodes(int size) { _defaultMaximumNumberOfNodes = size < 0 ? 0 : size; }
    static void RestoreDefaults() {
        _defaultSizeOfPages = 32768;
        _defaultMaximumNumberOfNodes = 16777216;
    }

    explicit KEFOBDDUniqueTable(KEFOBDDManager* manager);
    ~KEFOBDDUniqueTable();
    KEFOBDDUniqueTable(const KEFOBDDUniqueTable&) = delete;
    KEFOBDDUniqueTable& operator=(const KEFOBDDUniqueTable&) = delete;

    KEFOBDDManager* GetManager() const { return _manager; }
    int GetSizeOfPages() const { return _sizeOfPages; }
    void SetSizeOfPages(int size) { _sizeOfPages = size < 1 ? 1 : size; }
    int GetMaximumNumberOfNodes() const { return _maximumNumberOfNodes; }
    void SetMaximumNumberOfNodes(int size) { _maximumNumberOfNodes = size < 0 ? 0 : size; }
    int GetNumberOfNodes() const { return _numberOfNodes; }
    int GetNumberOfPages() const { return _numberOfPages; }
    int GetNumberOfFreeNodes() const { return _numberOfFreeNodes; }
    // Slots in use (index not 0) plus the two leaves.
    int GetNumberOfActiveNodes() const { return _numberOfNodes - _numberOfFreeNodes + 2; }
    KEFOBDDPage* GetPages() const { return _pages; }

    KEFOBDDNode* GetLeafZero() { return &_leafZero; }
    KEFOBDDNode* GetLeafOne() { return &_leafOne; }

    // A free slot, its fields zeroed except next: the head of the free list,
    // else the next slot never used of the newest page, else a slot of a new
    // page or one freed by garbage collection.
    KEFOBDDNode* NewNode() {
        KEFOBDDNode* node = _freeList;
        if (node != nullptr) {
            _freeList = node->_PlainNext();
        } else if (_freshSlots != _endOfFreshSlots) {
            node = _freshSlots++;
        } else {
            return _NewNodeSlowly();
        }
        --_numberOfFreeNodes;
        return node;
    }
    // Clears a slot and pushes it on the free list.
    void FreeSlot(KEFOBDDNode* node) {
        node->_Clear();
        node->_SetPlainNext(_freeList);
        _freeList = node;
        ++_numberOfFreeNodes;
    }
    // Returns every page; the node and page counts become 0.
    void DeletePages();
    // Whether the slab of the next pages is already mapped.
    bool HasSpareSlab() const { return _spareSlab != nullptr; }

    // 8 + the sum over the pages of 32 + 32 x nodes of the page.
    long long ComputeMemoryOccupationInBytes() const;

private:
    // Adds a page or collects garbage, then takes a slot by NewNode.
    KEFOBDDNode* _NewNodeSlowly();
    bool _AddPage();
    KEFOBDDPage* _NewPage();
    void _MapSpareSlab(std::size_t slabBytes) noexcept;
    void _BackMoreFreshSlots() noexcept;
    void _DeleteSpareSlab() noexcept;

    static int _defaultSizeOfPages;
    static int _defaultMaximumNumberOfNodes;

    KEFOBDDManager* _manager;
    int _sizeOfPages;
    int _maximumNumberOfNodes;
    int _numberOfNodes;
    int _numberOfPages;
    int _numberOfFreeNodes;
    KEFOBDDPage* _pages;
    KEFOBDDNode* _freeList;
    // The slots of the newest page that were never used, zeroed, handed out
    // in order after the free list: a new page is not threaded slot by slot
    // into the free list (which would write the whole page at once), and
    // the slots are still taken from the first of the page on, after those
    // freed by garbage collection, as they would be from the list.
    KEFOBDDNode* _freshSlots;
    KEFOBDDNode* _endOfFreshSlots;
    // The fresh slots of a page of the first slab, which is not populated
    // in the background, are handed out only as far as their pages have
    // been backed: each time they run out, the next stretch of the page is
    // backed in one request (doubling from 64 KB to 512 KB), which costs a
    // fraction of the page faults its first touches would take. Where the
    // system gives the slab a huge page, the first request backs it all.
    KEFOBDDNode* _endOfPageSlots;
    std::size_t _backingStep;
    bool _backsByHand;
    // The unused end of the newest slab of pages (see KEFOBDDPage).
    char* _slabCursor;
    std::size_t _slabRemainder;
    // The slab the next pages will come from, mapped and given to the
    // populating worker as soon as the newest slab has no room for another
    // page, so that the worker is a whole page ahead of the first touches.
    char* _spareSlab;
    std::size_t _spareSlabBytes;
    KEFOBDDNode _leafZero;
    KEFOBDDNode _leafOne;
};

#endif
