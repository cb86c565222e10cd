// The array of entries of the store, indexed by variable index. Entries are
// created on first use; valid indices are 1 to size - 1.
#ifndef KEFO_DIAGRAMS_BDD_ENTRY_TABLE_H
#define KEFO_DIAGRAMS_BDD_ENTRY_TABLE_H

#include "diagrams/bdd_bucket_pool.h"
#include "diagrams/bdd_entry.h"
#include "support/memory_manager.h"

class KEFOBDDManager;

class KEFOBDDEntryTable {
    PLOV_MANAGED_ALLOCATION(KEFOBDDEntryTable)
public:
    static int GetDefaultSize() { return _defaultSize; }
    static void SetDefaultSize(int size) { _defaultSize = size < 2 ? 2 : size; }
    static void RestoreDefaults() { _defaultSize = 8192; }

    KEFOBDDEntryTable(KEFOBDDManager* manager, int size);
    ~KEFOBDDEntryTable();
    KEFOBDDEntryTable(const KEFOBDDEntryTable&) = delete;
    KEFOBDDEntryTable& operator=(const KEFOBDDEntryTable&) = delete;

    KEFOBDDManager* GetManager() const { return _manager; }
    int GetSize() const { return _size; }
    // Grows only: a larger size copies the entries into a new array.
    void SetSize(int size);
    int GetIndexOfLowestEntry() const { return _lowest; }
    int GetIndexOfHighestEntry() const { return _highest; }
    int GetNumberOfActiveEntries() const;
    int GetNumberOfEntries() const;

    // None for an index without entry or outside the table.
    KEFOBDDEntry* GetEntry(int index) const {
        return (index > 0 && index < _size) ? _entries[index] : nullptr;
    }
    // The entry of the index, created when missing. An index outside
    // [1, size - 1] is an internal fault of the caller and raises the
    // internal-error exception.
    KEFOBDDEntry* NewEntry(int index);
    // Destroys every entry with its hash table.
    void DeleteEntries();

    void SetMinimumSizeOfHashTables(int size);
    void SetMaximumSizeOfHashTables(int size);
    void SetResizingRatioOfHashTables(float ratio);
    void SetResizingFactorOfHashTables(int factor);

    // Where the hash tables of the entries take their bucket arrays.
    KEFOBDDBucketPool* GetBucketPool() { return &_bucketPool; }

    // 16 + the sum over the entries of 120 + 8 x buckets of their table.
    long long ComputeMemoryOccupationInBytes() const;

private:
    static int _defaultSize;

    KEFOBDDManager* _manager;
    KEFOBDDEntry** _entries;
    int _size;
    int _lowest;
    int _highest;
    // Destroyed after the entries, whose tables give their arrays back.
    KEFOBDDBucketPool _bucketPool;
};

#endif
