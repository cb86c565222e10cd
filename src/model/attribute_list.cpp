#include "model/attribute_list.h"

#include <cstring>

namespace {

// Names used by the model and the engines on many objects: they are shared
// rather than copied into every list.
const char* const knownNames[] = {
    "__label__",
    "__DEFINED_PORT__",
    "__REFERRED_PORT__",
    "__REFERRED_PORT_TYPE__",
    "__REFERRED_PORT_PATH__",
    "__FUNCTOR__",
    "__VALUE__",
    "__min__",
    "__max__",
    "__EMPIRICAL_DISTRIBUTION__",
    "__HISTOGRAM__",
    "__MODULE_RECORD__",
    "__DEPTH__",
    "__NUMBER_OF_PARENTS__",
};

const char* LookForKnownName(const char* name) {
    for (const char* known : knownNames) {
        if (known == name || std::strcmp(known, name) == 0) return known;
    }
    return nullptr;
}

char* CopyText(const char* text) {
    std::size_t length = std::strlen(text);
    char* copy = static_cast<char*>(PLOVMemoryManager::NewCell(length + 1));
    std::memcpy(copy, text, length + 1);
    return copy;
}

}  // namespace

PLOVAttributeList::~PLOVAttributeList() { ResetAttributes(); }

int PLOVAttributeList::_Find(const char* name) const {
    if (name == nullptr) return -1;
    // Known names are shared, so the engine's own look-ups usually match by
    // address; texts are compared only when no address matches.
    for (std::uint32_t i = 0; i < _size; ++i) {
        if (_entries[i].name == name) return static_cast<int>(i);
    }
    for (std::uint32_t i = 0; i < _size; ++i) {
        const char* entryName = _entries[i].name;
        if (entryName[0] == name[0] && std::strcmp(entryName, name) == 0) return static_cast<int>(i);
    }
    return -1;
}

int PLOVAttributeList::GetAttributeType(const char* name) const {
    int i = _Find(name);
    return i < 0 ? -1 : _entries[i].type;
}

const char* PLOVAttributeList::GetAttributeName(int i) const {
    if (i < 0 || static_cast<std::uint32_t>(i) >= _size) return nullptr;
    return _entries[i].name;
}

int PLOVAttributeList::GetAttributeTypeAt(int i) const {
    if (i < 0 || static_cast<std::uint32_t>(i) >= _size) return -1;
    return _entries[i].type;
}

const char* PLOVAttributeList::GetAttributeAsString(const char* name, const char* byDefault) const {
    int i = _Find(name);
    if (i < 0 || _entries[i].type != String) return byDefault;
    return _entries[i].text;
}

bool PLOVAttributeList::GetAttributeAsBool(const char* name, bool byDefault) const {
    int i = _Find(name);
    if (i < 0 || _entries[i].type != Boolean) return byDefault;
    return _entries[i].boolean;
}

int PLOVAttributeList::GetAttributeAsInt(const char* name, int byDefault) const {
    int i = _Find(name);
    if (i < 0 || _entries[i].type != Integer) return byDefault;
    return _entries[i].integer;
}

double PLOVAttributeList::GetAttributeAsDouble(const char* name, double byDefault) const {
    int i = _Find(name);
    if (i < 0) return byDefault;
    // An integer attribute reads as a double too: engines store counts as
    // integers and compare them with double thresholds.
    if (_entries[i].type == Real) return _entries[i].real;
    if (_entries[i].type == Integer) return _entries[i].integer;
    return byDefault;
}

void* PLOVAttributeList::GetAttributeAsPointer(const char* name, void* byDefault) const {
    int i = _Find(name);
    if (i < 0 || _entries[i].type != Pointer) return byDefault;
    return _entries[i].pointer;
}

PLOVAttributeList::Deleter PLOVAttributeList::GetAttributeDeleter(const char* name) const {
    int i = _Find(name);
    if (i < 0 || _entries[i].type != Pointer) return nullptr;
    return _entries[i].deleter;
}

void PLOVAttributeList::_Release(Entry& entry) {
    if (entry.type == String && entry.ownedText && entry.text != nullptr) {
        PLOVMemoryManager::DeleteCell(const_cast<char*>(entry.text));
    } else if (entry.type == Pointer && entry.deleter != nullptr && entry.pointer != nullptr) {
        Deleter deleter = entry.deleter;
        void* pointer = entry.pointer;
        entry.deleter = nullptr;
        entry.pointer = nullptr;
        deleter(pointer);
    }
    entry.text = nullptr;
    entry.ownedText = false;
    entry.deleter = nullptr;
}

PLOVAttributeList::Entry* PLOVAttributeList::_Prepare(const char* name) {
    int i = _Find(name);
    if (i >= 0) {
        _Release(_entries[i]);
        return &_entries[i];
    }
    if (_size == _capacity) {
        std::uint32_t capacity = _capacity == 0 ? 4 : _capacity * 2;
        if (_entries == nullptr) {
            _entries = static_cast<Entry*>(PLOVMemoryManager::NewCell(capacity * sizeof(Entry)));
        } else {
            _entries = static_cast<Entry*>(
                PLOVMemoryManager::ResizeCell(_entries, _capacity * sizeof(Entry), capacity * sizeof(Entry)));
        }
        _capacity = capacity;
    }
    Entry& entry = _entries[_size++];
    const char* known = LookForKnownName(name);
    entry.name = known != nullptr ? known : CopyText(name);
    entry.ownedName = known == nullptr;
    entry.text = nullptr;
    entry.ownedText = false;
    entry.deleter = nullptr;
    return &entry;
}

void PLOVAttributeList::SetAttribute(const char* name, const char* value) {
    if (name == nullptr) return;
    // Copy first: the value may be the text of the attribute it replaces.
    char* copy = CopyText(value != nullptr ? value : "");
    Entry* entry = _Prepare(name);
    entry->type = String;
    entry->text = copy;
    entry->ownedText = true;
}

void PLOVAttributeList::SetStaticStringAttribute(const char* name, const char* value) {
    if (name == nullptr) return;
    Entry* entry = _Prepare(name);
    entry->type = String;
    entry->text = value != nullptr ? value : "";
    entry->ownedText = false;
}

void PLOVAttributeList::SetAttribute(const char* name, bool value) {
    if (name == nullptr) return;
    Entry* entry = _Prepare(name);
    entry->type = Boolean;
    entry->boolean = value;
}

void PLOVAttributeList::SetAttribute(const char* name, int value) {
    if (name == nullptr) return;
    Entry* entry = _Prepare(name);
    entry->type = Integer;
    entry->integer = value;
}

void PLOVAttributeList::SetAttribute(const char* name, double value) {
    if (name == nullptr) return;
    Entry* entry = _Prepare(name);
    entry->type = Real;
    entry->real = value;
}

void PLOVAttributeList::SetAttribute(const char* name, void* value, Deleter deleter) {
    if (name == nullptr) return;
    int i = _Find(name);
    if (i >= 0 && _entries[i].type == Pointer && _entries[i].pointer == value) {
        // Setting the same pointer again must not delete it.
        _entries[i].deleter = deleter;
        return;
    }
    Entry* entry = _Prepare(name);
    entry->type = Pointer;
    entry->pointer = value;
    entry->deleter = deleter;
}

bool PLOVAttributeList::ResetAttribute(const char* name) {
    int i = _Find(name);
    if (i < 0) return false;
    // Take the entry out before calling the deleter, which may look at this
    // list again.
    Entry entry = _entries[i];
    for (std::uint32_t j = static_cast<std::uint32_t>(i) + 1; j < _size; ++j) _entries[j - 1] = _entries[j];
    --_size;
    _Release(entry);
    if (entry.ownedName) PLOVMemoryManager::DeleteCell(const_cast<char*>(entry.name));
    return true;
}

void* PLOVAttributeList::ReleaseAttribute(const char* name) {
    int i = _Find(name);
    if (i < 0) return nullptr;
    void* pointer = nullptr;
    if (_entries[i].type == Pointer) {
        pointer = _entries[i].pointer;
        _entries[i].deleter = nullptr;
        _entries[i].pointer = nullptr;
    }
    ResetAttribute(name);
    return pointer;
}

void PLOVAttributeList::ResetAttributes() {
    while (_size > 0) {
        Entry entry = _entries[_size - 1];
        --_size;
        _Release(entry);
        if (entry.ownedName) PLOVMemoryManager::DeleteCell(const_cast<char*>(entry.name));
    }
    if (_entries != nullptr) {
        PLOVMemoryManager::DeleteCell(_entries);
        _entries = nullptr;
    }
    _capacity = 0;
}
