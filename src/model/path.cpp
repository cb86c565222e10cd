#include "model/path.h"

#include <cstring>

const char* const KEFOPath::rootContainerKeyword = "main";
const char* const KEFOPath::parentContainerKeyword = "owner";

void KEFOPath::_Split(const char* text, std::vector<std::string>& out) {
    if (text == nullptr || *text == '\0') return;
    const char* start = text;
    for (const char* p = text;; ++p) {
        if (*p == separator || *p == '\0') {
            out.emplace_back(start, static_cast<std::size_t>(p - start));
            if (*p == '\0') break;
            start = p + 1;
        }
    }
}

void KEFOPath::Reset(const char* text, bool pure) {
    _string = text != nullptr ? text : "";
    _identifiers.clear();
    if (_string.empty()) return;
    if (pure) {
        _identifiers.push_back(_string);
    } else {
        _Split(_string.c_str(), _identifiers);
    }
}

KEFOPath* KEFOPath::CopyPrefix() const {
    KEFOPath* prefix = new KEFOPath;
    if (!_identifiers.empty()) {
        prefix->_identifiers.assign(_identifiers.begin(), _identifiers.end() - 1);
    }
    prefix->RecreateString();
    return prefix;
}

bool KEFOPath::IsAbsolute() const {
    for (const std::string& identifier : _identifiers) {
        if (identifier == rootContainerKeyword) return true;
    }
    return false;
}

const char* KEFOPath::GetIdentifier(int i) const {
    if (i < 1 || i > GetNumberOfIdentifiers()) return nullptr;
    return _identifiers[static_cast<std::size_t>(i - 1)].c_str();
}

void KEFOPath::AppendIdentifier(const char* identifier) {
    _identifiers.emplace_back(identifier != nullptr ? identifier : "");
    RecreateString();
}

void KEFOPath::AppendString(const char* text) {
    _Split(text, _identifiers);
    RecreateString();
}

void KEFOPath::AppendPath(const KEFOPath* path) {
    if (path == nullptr) return;
    _identifiers.insert(_identifiers.end(), path->_identifiers.begin(), path->_identifiers.end());
    RecreateString();
}

void KEFOPath::PrependIdentifier(const char* identifier) {
    _identifiers.insert(_identifiers.begin(), std::string(identifier != nullptr ? identifier : ""));
    RecreateString();
}

void KEFOPath::PrependString(const char* text) {
    std::vector<std::string> front;
    _Split(text, front);
    _identifiers.insert(_identifiers.begin(), front.begin(), front.end());
    RecreateString();
}

void KEFOPath::PrependPath(const KEFOPath* path) {
    if (path == nullptr) return;
    _identifiers.insert(_identifiers.begin(), path->_identifiers.begin(), path->_identifiers.end());
    RecreateString();
}

void KEFOPath::RemoveFirstIdentifier() {
    if (_identifiers.empty()) return;
    _identifiers.erase(_identifiers.begin());
    RecreateString();
}

void KEFOPath::RemoveLastIdentifier() {
    if (_identifiers.empty()) return;
    _identifiers.pop_back();
    RecreateString();
}

void KEFOPath::RecreateString() {
    _string.clear();
    for (std::size_t i = 0; i < _identifiers.size(); ++i) {
        if (i > 0) _string += separator;
        _string += _identifiers[i];
    }
}

void KEFOPath::MakeIdentifier() {
    _identifiers.clear();
    if (!_string.empty()) _identifiers.push_back(_string);
}

void KEFOPath::Resolve() {
    std::vector<std::string> resolved;
    resolved.reserve(_identifiers.size());
    for (const std::string& identifier : _identifiers) {
        if (identifier == rootContainerKeyword) {
            resolved.clear();
            resolved.push_back(identifier);
        } else if (identifier == parentContainerKeyword) {
            if (!resolved.empty() && resolved.back() != parentContainerKeyword &&
                resolved.back() != rootContainerKeyword) {
                resolved.pop_back();
            } else {
                resolved.push_back(identifier);
            }
        } else {
            resolved.push_back(identifier);
        }
    }
    if (resolved != _identifiers) {
        _identifiers.swap(resolved);
        RecreateString();
    }
}

bool KEFOPath::IsValidIdentifier(const char* text) {
    if (text == nullptr) return false;
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (!isLetter(text[0])) return false;
    for (const char* p = text + 1; *p != '\0'; ++p) {
        if (!isLetter(*p) && !isDigit(*p)) return false;
    }
    return true;
}

bool KEFOPath::IsValidPath(const char* text) {
    if (text == nullptr || *text == '\0') return false;
    std::vector<std::string> identifiers;
    _Split(text, identifiers);
    for (const std::string& identifier : identifiers) {
        if (!IsValidIdentifier(identifier.c_str())) return false;
    }
    return true;
}

bool KEFOPath::IsRootContainerKeyword(const char* text) {
    return text != nullptr && std::strcmp(text, rootContainerKeyword) == 0;
}

bool KEFOPath::IsParentContainerKeyword(const char* text) {
    return text != nullptr && std::strcmp(text, parentContainerKeyword) == 0;
}
