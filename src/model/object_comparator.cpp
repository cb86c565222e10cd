#include "model/object_comparator.h"

#include <cstring>

namespace {
template <typename T>
int Order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}
}  // namespace

int KEFOObjectComparator::Compare(const KEFOObject* a, const KEFOObject* b) const {
    if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
    const char* name = _name.c_str();
    int order = 0;
    switch (_type) {
    case IncreasingInteger:
    case DecreasingInteger:
        order = Order(a->GetAttributeAsInt(name, 0), b->GetAttributeAsInt(name, 0));
        break;
    case IncreasingDouble:
    case DecreasingDouble:
        order = Order(a->GetAttributeAsDouble(name, 0.0), b->GetAttributeAsDouble(name, 0.0));
        break;
    case IncreasingString:
    case DecreasingString: {
        int c = std::strcmp(a->GetAttributeAsString(name, ""), b->GetAttributeAsString(name, ""));
        order = c < 0 ? -1 : (c > 0 ? 1 : 0);
        break;
    }
    default:
        return 0;
    }
    bool decreasing = _type == DecreasingInteger || _type == DecreasingDouble || _type == DecreasingString;
    return decreasing ? -order : order;
}
