// A fixed-capacity array of plain values held in one block of the memory
// accounting (zero-filled; allocation failure throws the memory-overflow
// exception). For the bulk storage of the statistics tables.
#ifndef KEFO_SUPPORT_CELL_ARRAY_H
#define KEFO_SUPPORT_CELL_ARRAY_H

#include "support/memory_manager.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

template <class T>
class PLOVCellArray {
    static_assert(std::is_trivially_copyable<T>::value, "cells hold plain values");

public:
    PLOVCellArray() : _data(nullptr), _size(0) {}
    explicit PLOVCellArray(std::size_t size) : _data(nullptr), _size(0) { Allocate(size); }
    PLOVCellArray(const PLOVCellArray& other) : _data(nullptr), _size(0) {
        Allocate(other._size);
        if (_size > 0) std::memcpy(_data, other._data, _size * sizeof(T));
    }
    PLOVCellArray& operator=(const PLOVCellArray& other) {
        if (this != &other) {
            PLOVCellArray copy(other);
            Swap(copy);
        }
        return *this;
    }
    ~PLOVCellArray() { Free(); }

    // Replaces the contents by size zero-filled cells.
    void Allocate(std::size_t size) {
        T* data = size > 0 ? static_cast<T*>(PLOVMemoryManager::NewCell(size * sizeof(T))) : nullptr;
        Free();
        _data = data;
        _size = size;
    }
    void Free() {
        if (_data != nullptr) PLOVMemoryManager::DeleteCell(_data);
        _data = nullptr;
        _size = 0;
    }
    void Swap(PLOVCellArray& other) {
        T* d = _data;
        _data = other._data;
        other._data = d;
        std::size_t s = _size;
        _size = other._size;
        other._size = s;
    }

    std::size_t Size() const { return _size; }
    T* Data() { return _data; }
    const T* Data() const { return _data; }
    T& operator[](std::size_t i) { return _data[i]; }
    const T& operator[](std::size_t i) const { return _data[i]; }

private:
    T* _data;
    std::size_t _size;
};

#endif
