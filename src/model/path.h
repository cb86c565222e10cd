// A name that may cross containers: the text as written and its identifiers.
// A path built from text is split at every "." unless it belongs to a pure
// model, where the whole text is one identifier. Inside paths, "main" names
// the root container and "owner" the container one level up.
// Identifiers are numbered from 1.
#ifndef KEFO_MODEL_PATH_H
#define KEFO_MODEL_PATH_H

#include "support/memory_manager.h"

#include <string>
#include <vector>

class KEFOPath {
    PLOV_MANAGED_ALLOCATION(KEFOPath)
public:
    KEFOPath() = default;
    // pure: the whole text is one identifier (no split at dots).
    explicit KEFOPath(const char* text, bool pure = false) { Reset(text, pure); }
    KEFOPath(const KEFOPath&) = default;
    KEFOPath& operator=(const KEFOPath&) = default;

    KEFOPath* Copy() const { return new KEFOPath(*this); }
    // All identifiers but the last.
    KEFOPath* CopyPrefix() const;

    const char* GetString() const { return _string.c_str(); }
    const std::string& GetStdString() const { return _string; }
    int GetNumberOfIdentifiers() const { return static_cast<int>(_identifiers.size()); }
    bool IsEmpty() const { return _identifiers.empty(); }
    // Exactly one identifier.
    bool IsIdentifier() const { return _identifiers.size() == 1; }
    // Some identifier is "main".
    bool IsAbsolute() const;
    bool IsRelative() const { return !IsAbsolute(); }
    // Identifier i, 1 to GetNumberOfIdentifiers(); null out of range.
    const char* GetIdentifier(int i) const;
    const char* GetFirstIdentifier() const { return GetIdentifier(1); }
    const char* GetLastIdentifier() const { return GetIdentifier(GetNumberOfIdentifiers()); }
    const std::string& GetIdentifierString(int i) const { return _identifiers[static_cast<std::size_t>(i - 1)]; }

    void Reset(const char* text, bool pure = false);
    void AppendIdentifier(const char* identifier);
    // Appends the identifiers of the text split at dots.
    void AppendString(const char* text);
    void AppendPath(const KEFOPath* path);
    void PrependIdentifier(const char* identifier);
    void PrependString(const char* text);
    void PrependPath(const KEFOPath* path);
    void RemoveFirstIdentifier();
    void RemoveLastIdentifier();
    // Rebuilds the text from the identifiers joined by ".".
    void RecreateString();
    // The whole text becomes one identifier.
    void MakeIdentifier();
    // Simplifies the identifiers: "main" drops everything before it (and is
    // kept as the first identifier, so that the path stays absolute); "owner"
    // cancels the identifier before it when there is one to cancel (a leading
    // "owner", or one that follows "main", is kept: it still climbs, or fails,
    // at look-up time). The text is rebuilt when something changed.
    void Resolve();

    static bool IsValidIdentifier(const char* text);
    static bool IsValidPath(const char* text);
    static bool IsRootContainerKeyword(const char* text);
    static bool IsParentContainerKeyword(const char* text);

    static const char* const rootContainerKeyword;    // "main"
    static const char* const parentContainerKeyword;  // "owner"
    static const char separator = '.';

private:
    static void _Split(const char* text, std::vector<std::string>& out);

    std::string _string;
    std::vector<std::string> _identifiers;
};

#endif
