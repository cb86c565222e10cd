#include "diagrams/bdd_stack.h"

KEFOBDDStack::KEFOBDDStack()
    : _chunks(nullptr), _numberOfChunks(0), _capacityOfChunks(0), _current(0), _chunk(nullptr), _offset(0), _depth(0) {
    _capacityOfChunks = 16;
    _chunks = static_cast<KEFOBDDFrame**>(PLOVMemoryManager::NewCell(sizeof(KEFOBDDFrame*) * _capacityOfChunks));
    try {
        _chunks[0] = static_cast<KEFOBDDFrame*>(PLOVMemoryManager::NewUninitializedCell(sizeof(KEFOBDDFrame) * chunkSize));
    } catch (...) {
        PLOVMemoryManager::DeleteCell(_chunks);
        throw;
    }
    _numberOfChunks = 1;
    _chunk = _chunks[0];
}

KEFOBDDStack::~KEFOBDDStack() {
    for (int i = 0; i < _numberOfChunks; ++i) PLOVMemoryManager::DeleteCell(_chunks[i]);
    PLOVMemoryManager::DeleteCell(_chunks);
}

void KEFOBDDStack::_NextChunk() {
    if (_current + 1 == _numberOfChunks) {
        if (_numberOfChunks == _capacityOfChunks) {
            const int capacity = _capacityOfChunks * 2;
            _chunks = static_cast<KEFOBDDFrame**>(PLOVMemoryManager::ResizeCell(
                _chunks, sizeof(KEFOBDDFrame*) * _capacityOfChunks, sizeof(KEFOBDDFrame*) * capacity));
            _capacityOfChunks = capacity;
        }
        _chunks[_numberOfChunks] = static_cast<KEFOBDDFrame*>(PLOVMemoryManager::NewUninitializedCell(sizeof(KEFOBDDFrame) * chunkSize));
        ++_numberOfChunks;
    }
    ++_current;
    _chunk = _chunks[_current];
    _offset = 0;
}

void KEFOBDDStack::_PreviousChunk() {
    --_current;
    _chunk = _chunks[_current];
    _offset = chunkSize;
}
