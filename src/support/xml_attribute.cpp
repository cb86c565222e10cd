#include "support/xml_attribute.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The value without the blanks around it.
void Trim(const char*& first, const char*& last) {
    while (first < last && IsBlank(*first)) ++first;
    while (last > first && IsBlank(last[-1])) --last;
}
}  // namespace

bool PLOVXMLAttribute::HasName(const char* name) const {
    return name != nullptr && std::strcmp(_name, name) == 0;
}

bool PLOVXMLAttribute::HasValue(const char* value) const {
    return value != nullptr && std::strlen(value) == _valueLength && std::memcmp(_value, value, _valueLength) == 0;
}

bool PLOVXMLAttribute::IsBool() const { return HasValue("true") || HasValue("false"); }

bool PLOVXMLAttribute::GetBoolValue(bool& value) const {
    if (HasValue("true")) {
        value = true;
        return true;
    }
    if (HasValue("false")) {
        value = false;
        return true;
    }
    return false;
}

bool PLOVXMLAttribute::GetIntegerValue(long& value) const {
    const char* first = _value;
    const char* last = _value + _valueLength;
    Trim(first, last);
    if (first < last && *first == '+') ++first;
    if (first == last) return false;
    long result = 0;
    std::from_chars_result r = std::from_chars(first, last, result);
    if (r.ec != std::errc() || r.ptr != last) return false;
    value = result;
    return true;
}

bool PLOVXMLAttribute::GetRealValue(double& value) const {
    const char* first = _value;
    const char* last = _value + _valueLength;
    Trim(first, last);
    if (first < last && *first == '+') ++first;
    if (first == last) return false;
    // Only the decimal notation: from_chars would also take "inf" and "nan".
    bool digit = false;
    for (const char* p = first; p < last; ++p) {
        char c = *p;
        if (c >= '0' && c <= '9') {
            digit = true;
            continue;
        }
        if (c != '-' && c != '+' && c != '.' && c != 'e' && c != 'E') return false;
    }
    if (!digit) return false;
    double result = 0.0;
    std::from_chars_result r = std::from_chars(first, last, result, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != last) return false;
    value = result;
    return true;
}
