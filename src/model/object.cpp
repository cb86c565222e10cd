#include "model/object.h"

KEFOObject::~KEFOObject() = default;

int KEFOObject::CompareType(const KEFOObject* a, const KEFOObject* b) {
    if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
    return a->CompareType(b->_type);
}
