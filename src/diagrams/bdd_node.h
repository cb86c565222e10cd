// A node of the decision-diagram store: four 64-bit words, allocated only
// inside the pages of the unique table (and the two leaves embedded in it).
//
//   word 0, low half : index (24 bits) and saturating reference count (8 bits)
//   word 0, high half: value cell, an int or a float scratch for traversals
//   word 1           : then-son (label true / products containing the label)
//   word 2           : else-son (label false / products without the label)
//   word 3           : next node in the collision chain (a link, see
//                      bdd_hash_table.h) or in the free list
//
// A node's identity is its address: nodes are 32 bytes long and never move,
// so the address divided by 32 is a unique, stable integer per node.
#ifndef KEFO_DIAGRAMS_BDD_NODE_H
#define KEFO_DIAGRAMS_BDD_NODE_H

#include <cstdint>
#include <cstring>

class KEFOBDDNode {
public:
    static const std::uint32_t indexMask = 0xFFFFFFu;
    // The leaves carry the two highest indices so that, compared as indices,
    // they lie below every variable.
    static const std::uint32_t leafZeroIndex = 0xFFFFFFu;
    static const std::uint32_t leafOneIndex = 0xFFFFFEu;
    // The largest variable index a node may carry.
    static const int maximumVariableIndex = 0xFFFFFD;
    static const std::uint32_t saturatedCount = 255u;
    // The bits of a chain link that hold the address of the node it leads
    // to (bdd_hash_table.h).
    static const std::uintptr_t linkAddressMask = (std::uintptr_t(1) << 48) - 1;

    int GetIndex() const { return static_cast<int>(_word & indexMask); }
    int GetReferenceCount() const { return static_cast<int>(_word >> 24); }
    KEFOBDDNode* GetThenSon() const { return _then; }
    KEFOBDDNode* GetElseSon() const { return _else; }
    KEFOBDDNode* GetNext() const { return reinterpret_cast<KEFOBDDNode*>(_next & linkAddressMask); }
    bool IsFree() const { return (_word & indexMask) == 0; }

    int GetIntValue() const { return _value; }
    void SetIntValue(int value) { _value = value; }
    float GetFloatValue() const {
        float f;
        std::memcpy(&f, &_value, sizeof f);
        return f;
    }
    void SetFloatValue(float f) { std::memcpy(&_value, &f, sizeof f); }

    // Saturating reference counting: a count of 255 never changes again. The
    // leaves are created saturated, so they need no special case. Releasing a
    // node whose count is already 0 is a holder's fault; it is ignored rather
    // than wrapping the count to 255.
    void Retain() {
        if ((_word >> 24) != saturatedCount) _word += 1u << 24;
    }
    // Returns true when the count has just dropped to 0.
    bool Release() {
        const std::uint32_t count = _word >> 24;
        if (count == saturatedCount || count == 0) return false;
        _word -= 1u << 24;
        return count == 1;
    }

    // Identity used by the hash and cache formulas.
    std::uintptr_t GetIdentity() const { return reinterpret_cast<std::uintptr_t>(this); }

private:
    friend class KEFOBDDManager;
    friend class KEFOBDDUniqueTable;
    friend class KEFOBDDHashTable;

    void _Set(std::uint32_t index, std::uint32_t count, KEFOBDDNode* thenSon, KEFOBDDNode* elseSon) {
        _word = (index & indexMask) | (count << 24);
        _value = 0;
        _then = thenSon;
        _else = elseSon;
        _next = 0;
    }
    void _Clear() { _Set(0, 0, nullptr, nullptr); }
    // The next field of a node out of the hash tables: a plain address.
    KEFOBDDNode* _PlainNext() const { return reinterpret_cast<KEFOBDDNode*>(_next); }
    void _SetPlainNext(KEFOBDDNode* node) { _next = reinterpret_cast<std::uintptr_t>(node); }

    std::uint32_t _word;
    std::int32_t _value;
    KEFOBDDNode* _then;
    KEFOBDDNode* _else;
    std::uintptr_t _next;
};

static_assert(sizeof(KEFOBDDNode) == 32, "a BDD node must be a packed record of four 64-bit words");

#endif
