// The named attributes of a model object: an ordered list of (name, value)
// pairs where the value is a string, a Boolean, an integer, a double or a
// pointer with an optional deleter. Engines attach their scratch data to model
// objects through it ("__MODULE_RECORD__", "__DEPTH__", ...); the model keeps
// its own bookkeeping there too ("__label__", "__REFERRED_PORT__", ...).
//
// Lists are short (a handful of entries), so look-ups scan them. Names that the
// engine uses all the time are not copied: they point into a static table.
#ifndef KEFO_MODEL_ATTRIBUTE_LIST_H
#define KEFO_MODEL_ATTRIBUTE_LIST_H

#include "support/memory_manager.h"

#include <cstdint>

class PLOVAttributeList {
    PLOV_MANAGED_ALLOCATION(PLOVAttributeList)
public:
    typedef void (*Deleter)(void* pointer);

    enum Type {
        String = 0,
        Boolean = 1,
        Integer = 2,
        Real = 3,
        Pointer = 4
    };

    PLOVAttributeList() = default;
    ~PLOVAttributeList();
    PLOVAttributeList(const PLOVAttributeList&) = delete;
    PLOVAttributeList& operator=(const PLOVAttributeList&) = delete;

    int GetNumberOfAttributes() const { return static_cast<int>(_size); }
    bool HasAttribute(const char* name) const { return _Find(name) >= 0; }
    // -1 when absent.
    int GetAttributeType(const char* name) const;
    // Name and type of the attribute at position i (0-based, insertion order).
    const char* GetAttributeName(int i) const;
    int GetAttributeTypeAt(int i) const;

    // Each getter answers the default when the attribute is absent or holds
    // another type.
    const char* GetAttributeAsString(const char* name, const char* byDefault) const;
    bool GetAttributeAsBool(const char* name, bool byDefault) const;
    int GetAttributeAsInt(const char* name, int byDefault) const;
    double GetAttributeAsDouble(const char* name, double byDefault) const;
    void* GetAttributeAsPointer(const char* name, void* byDefault) const;
    Deleter GetAttributeDeleter(const char* name) const;

    // Each setter replaces an existing attribute of that name (calling its
    // deleter) and keeps its place in the list; a new name goes at the end.
    void SetAttribute(const char* name, const char* value);
    void SetAttribute(const char* name, bool value);
    void SetAttribute(const char* name, int value);
    void SetAttribute(const char* name, double value);
    void SetAttribute(const char* name, void* value, Deleter deleter = nullptr);
    // A string value that lives for the whole process (a keyword table entry):
    // stored without a copy.
    void SetStaticStringAttribute(const char* name, const char* value);

    // Removes the attribute (calling its deleter); false when absent.
    bool ResetAttribute(const char* name);
    // Removes the attribute without calling its deleter and answers the
    // pointer it held (null when absent or not a pointer).
    void* ReleaseAttribute(const char* name);
    void ResetAttributes();

private:
    struct Entry {
        const char* name;
        union {
            const char* text;
            bool boolean;
            int integer;
            double real;
            void* pointer;
        };
        Deleter deleter;
        std::uint8_t type;
        bool ownedName;
        bool ownedText;
    };

    int _Find(const char* name) const;
    Entry* _Prepare(const char* name);
    static void _Release(Entry& entry);

    Entry* _entries = nullptr;
    std::uint32_t _size = 0;
    std::uint32_t _capacity = 0;
};

#endif
