#include "support/managed_value.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

PLOVManagedObject::~PLOVManagedObject() = default;

const PLOVManagedValue PLOVManagedValue::nil;

// ---- Body management -----------------------------------------------------------

void PLOVManagedValue::_Retain() const noexcept { _u._object->IncrementReferenceCount(); }

void PLOVManagedValue::_Release() noexcept {
    PLOVManagedObject* body = _u._object;
    _type = Nil;
    body->DecrementReferenceCount();
}

void PLOVManagedValue::_Adopt(Type type, PLOVManagedObject* body) noexcept {
    body->IncrementReferenceCount();
    if (_type >= Symbol) _Release();
    _type = type;
    _u._object = body;
}

PLOVManagedValue& PLOVManagedValue::operator=(PLOVManagedValue&& other) noexcept {
    if (this == &other) return *this;
    if (_type >= Symbol) _Release();
    _type = other._type;
    _u = other._u;
    other._type = Nil;
    return *this;
}

void PLOVManagedValue::Set(const PLOVManagedValue& other) noexcept {
    if (this == &other) return;
    // Retain first: other may be an element of the body released below.
    if (other._type >= Symbol) other._Retain();
    Type type = other._type;
    Body body = other._u;
    if (_type >= Symbol) _Release();
    _type = type;
    _u = body;
}

// ---- Factories -------------------------------------------------------------------

PLOVManagedValue PLOVManagedValue::NewSymbol(const char* text) {
    PLOVManagedValue v;
    v.SetSymbol(text);
    return v;
}

PLOVManagedValue PLOVManagedValue::NewSymbol(const std::string& text) {
    PLOVManagedValue v;
    v.SetSymbol(text);
    return v;
}

PLOVManagedValue PLOVManagedValue::NewString(const char* text) {
    PLOVManagedValue v;
    v.SetRawString(text);
    return v;
}

PLOVManagedValue PLOVManagedValue::NewString(const std::string& text) {
    PLOVManagedValue v;
    v.SetRawString(text);
    return v;
}

PLOVManagedValue PLOVManagedValue::NewTuple(int size) {
    PLOVManagedValue v;
    v.SetTuple(size);
    return v;
}

PLOVManagedValue PLOVManagedValue::NewList() {
    PLOVManagedValue v;
    v.SetList();
    return v;
}

PLOVManagedValue PLOVManagedValue::NewDictionary() {
    PLOVManagedValue v;
    v.SetDictionary();
    return v;
}

PLOVManagedValue PLOVManagedValue::NewVector(int size) {
    PLOVManagedValue v;
    v.SetVector(size);
    return v;
}

PLOVManagedValue PLOVManagedValue::NewMatrix(int rows, int columns) {
    PLOVManagedValue v;
    v.SetMatrix(rows, columns);
    return v;
}

PLOVManagedValue PLOVManagedValue::NewRange(int lowerBound, int upperBound, int step) {
    PLOVManagedValue v;
    v.SetRange(lowerBound, upperBound, step);
    return v;
}

// ---- Kind tests --------------------------------------------------------------------

bool PLOVManagedValue::IsNumList() const {
    if (_type != List) return false;
    for (const PLOVManagedValue& e : _u._list->elements)
        if (!e.IsNum()) return false;
    return true;
}

bool PLOVManagedValue::Is(double value) const { return IsNum() && GetDouble() == value; }

bool PLOVManagedValue::Is(const char* text) const {
    return _type == Symbol && text != nullptr && _u._string->text == text;
}

// ---- Texts ---------------------------------------------------------------------------

const char* PLOVManagedValue::GetSymbol() const { return _type == Symbol ? _u._string->text.c_str() : nullptr; }

const char* PLOVManagedValue::GetRawString() const { return _type == String ? _u._string->text.c_str() : nullptr; }

const char* PLOVManagedValue::GetText() const { return IsText() ? _u._string->text.c_str() : nullptr; }

std::size_t PLOVManagedValue::GetTextLength() const { return IsText() ? _u._string->text.size() : 0; }

void PLOVManagedValue::SetSymbol(const char* text) { SetSymbol(std::string(text != nullptr ? text : "")); }

void PLOVManagedValue::SetSymbol(const std::string& text) { _Adopt(Symbol, new PLOVManagedString(text)); }

void PLOVManagedValue::SetRawString(const char* text) { SetRawString(std::string(text != nullptr ? text : "")); }

void PLOVManagedValue::SetRawString(const std::string& text) { _Adopt(String, new PLOVManagedString(text)); }

void PLOVManagedValue::SetString(PLOVManagedString* body) {
    if (body == nullptr) {
        SetNil();
        return;
    }
    if (_type == String && _u._string == body) return;
    _Adopt(String, body);
}

void PLOVManagedValue::_DetachText() {
    if (_u._string->GetReferenceCount() > 1) _Adopt(_type, new PLOVManagedString(_u._string->text));
}

void PLOVManagedValue::CastSymbolIntoString() {
    if (_type != Symbol) return;
    // Another value may hold the same body as a Symbol: give this one its own
    // text so that a later change to the String cannot alter that Symbol.
    _DetachText();
    _type = String;
}

void PLOVManagedValue::CastStringIntoSymbol() {
    if (_type != String) return;
    _DetachText();
    _type = Symbol;
}

bool PLOVManagedValue::AppendToString(const char* text) {
    if (!IsText()) return false;
    if (text == nullptr) return true;
    _DetachText();
    _u._string->text.append(text);
    return true;
}

bool PLOVManagedValue::AppendToString(const std::string& text) {
    if (!IsText()) return false;
    _DetachText();
    _u._string->text.append(text);
    return true;
}

bool PLOVManagedValue::QuoteString(char quote) {
    if (!IsText()) return false;
    _DetachText();
    std::string& t = _u._string->text;
    t.insert(t.begin(), quote);
    t.push_back(quote);
    return true;
}

bool PLOVManagedValue::UnquoteString(char quote) {
    if (!IsText()) return false;
    const std::string& t = _u._string->text;
    if (t.size() < 2 || t.front() != quote || t.back() != quote) return true;
    _DetachText();
    std::string& w = _u._string->text;
    w.erase(w.size() - 1, 1);
    w.erase(0, 1);
    return true;
}

PLOVManagedValue PLOVManagedValue::CopyAsSymbol() const {
    if (_type == Symbol) return *this;
    return NewSymbol(ToRawString());
}

PLOVManagedValue PLOVManagedValue::CopyAsString() const {
    if (_type == String) return *this;
    return NewString(ToRawString());
}

// ---- Tuples --------------------------------------------------------------------------

void PLOVManagedValue::SetTuple(int size) {
    _Adopt(Tuple, new PLOVManagedTuple(static_cast<std::size_t>(std::max(size, 0))));
}

int PLOVManagedValue::GetTupleSize() const {
    return _type == Tuple ? static_cast<int>(_u._tuple->elements.size()) : 0;
}

const PLOVManagedValue& PLOVManagedValue::GetValueInTuple(int index) const {
    if (_type != Tuple || index < 0 || static_cast<std::size_t>(index) >= _u._tuple->elements.size()) return nil;
    return _u._tuple->elements[static_cast<std::size_t>(index)];
}

bool PLOVManagedValue::SetValueInTuple(int index, const PLOVManagedValue& value) {
    if (_type != Tuple || index < 0 || static_cast<std::size_t>(index) >= _u._tuple->elements.size()) return false;
    if (value._u._object == _u._object && value._type == Tuple) return false;  // no container inside itself
    _u._tuple->elements[static_cast<std::size_t>(index)].Set(value);
    return true;
}

// ---- Lists ---------------------------------------------------------------------------

void PLOVManagedValue::SetList() { _Adopt(List, new PLOVManagedList); }

int PLOVManagedValue::GetListSize() const { return _type == List ? static_cast<int>(_u._list->elements.size()) : 0; }

const PLOVManagedValue& PLOVManagedValue::GetValueInList(int index) const {
    if (_type != List || index < 0 || static_cast<std::size_t>(index) >= _u._list->elements.size()) return nil;
    return _u._list->elements[static_cast<std::size_t>(index)];
}

bool PLOVManagedValue::SetValueInList(int index, const PLOVManagedValue& value) {
    if (_type != List || index < 0 || static_cast<std::size_t>(index) >= _u._list->elements.size()) return false;
    if (value._type == List && value._u._list == _u._list) return false;
    _u._list->elements[static_cast<std::size_t>(index)].Set(value);
    return true;
}

bool PLOVManagedValue::AppendToList(const PLOVManagedValue& value) {
    if (_type != List) return false;
    if (value._type == List && value._u._list == _u._list) return false;
    _u._list->elements.push_back(value);
    return true;
}

bool PLOVManagedValue::PrependToList(const PLOVManagedValue& value) {
    if (_type != List) return false;
    if (value._type == List && value._u._list == _u._list) return false;
    _u._list->elements.push_front(value);
    return true;
}

bool PLOVManagedValue::RemoveFromList(const PLOVManagedValue& value) {
    if (_type != List) return false;
    // The value may be an element of this very list: compare with a copy.
    PLOVManagedValue key(value);
    std::deque<PLOVManagedValue>& e = _u._list->elements;
    std::size_t before = e.size();
    e.erase(std::remove_if(e.begin(), e.end(), [&key](const PLOVManagedValue& x) { return x.Compare(key) == 0; }),
            e.end());
    return e.size() != before;
}

bool PLOVManagedValue::RemoveFromListAt(int index) {
    if (_type != List || index < 0 || static_cast<std::size_t>(index) >= _u._list->elements.size()) return false;
    _u._list->elements.erase(_u._list->elements.begin() + index);
    return true;
}

bool PLOVManagedValue::PopFromList(PLOVManagedValue& value) {
    if (_type != List || _u._list->elements.empty()) {
        if (&value != this) value.SetNil();
        return false;
    }
    PLOVManagedValue last(std::move(_u._list->elements.back()));
    _u._list->elements.pop_back();
    value = std::move(last);
    return true;
}

bool PLOVManagedValue::SortList(bool reverseOrder) {
    if (_type != List) return false;
    std::deque<PLOVManagedValue>& e = _u._list->elements;
    if (reverseOrder)
        std::stable_sort(e.begin(), e.end(),
                         [](const PLOVManagedValue& a, const PLOVManagedValue& b) { return b.Compare(a) < 0; });
    else
        std::stable_sort(e.begin(), e.end(),
                         [](const PLOVManagedValue& a, const PLOVManagedValue& b) { return a.Compare(b) < 0; });
    return true;
}

bool PLOVManagedValue::ClearList() {
    if (_type != List) return false;
    _u._list->elements.clear();
    return true;
}

// ---- Dictionaries ------------------------------------------------------------------

void PLOVManagedValue::SetDictionary() { _Adopt(Dictionary, new PLOVManagedDictionary); }

int PLOVManagedValue::GetDictionarySize() const {
    return _type == Dictionary ? static_cast<int>(_u._dictionary->entries.size()) : 0;
}

bool PLOVManagedValue::InsertInDictionary(const PLOVManagedValue& key, const PLOVManagedValue& value) {
    if (_type != Dictionary) return false;
    if ((key._type == Dictionary && key._u._dictionary == _u._dictionary) ||
        (value._type == Dictionary && value._u._dictionary == _u._dictionary))
        return false;
    PLOVManagedValue v(value);
    auto found = _u._dictionary->entries.find(key);
    if (found != _u._dictionary->entries.end())
        found->second = std::move(v);
    else
        _u._dictionary->entries.emplace(key, std::move(v));
    return true;
}

const PLOVManagedValue* PLOVManagedValue::LookForValueInDictionary(const PLOVManagedValue& key) const {
    if (_type != Dictionary) return nullptr;
    auto found = _u._dictionary->entries.find(key);
    return found == _u._dictionary->entries.end() ? nullptr : &found->second;
}

bool PLOVManagedValue::RemoveFromDictionary(const PLOVManagedValue& key) {
    if (_type != Dictionary) return false;
    PLOVManagedValue k(key);
    return _u._dictionary->entries.erase(k) > 0;
}

PLOVManagedValue PLOVManagedValue::GetDictionaryKeys() const {
    PLOVManagedValue list = NewList();
    if (_type == Dictionary)
        for (const auto& entry : _u._dictionary->entries) list.AppendToList(entry.first);
    return list;
}

PLOVManagedValue PLOVManagedValue::GetDictionaryValues() const {
    PLOVManagedValue list = NewList();
    if (_type == Dictionary)
        for (const auto& entry : _u._dictionary->entries) list.AppendToList(entry.second);
    return list;
}

// ---- Vectors ---------------------------------------------------------------------------

void PLOVManagedValue::SetVector(int size) {
    _Adopt(Vector, new PLOVManagedVector(static_cast<std::size_t>(std::max(size, 0))));
}

int PLOVManagedValue::GetVectorSize() const {
    return _type == Vector ? static_cast<int>(_u._vector->elements.size()) : 0;
}

const PLOVManagedValue& PLOVManagedValue::GetValueInVector(int index) const {
    if (_type != Vector || index < 0 || static_cast<std::size_t>(index) >= _u._vector->elements.size()) return nil;
    return _u._vector->elements[static_cast<std::size_t>(index)];
}

bool PLOVManagedValue::SetValueInVector(int index, const PLOVManagedValue& value) {
    if (_type != Vector || index < 0) return false;
    if (value._type == Vector && value._u._vector == _u._vector) return false;
    PLOVManagedValue v(value);
    std::vector<PLOVManagedValue>& e = _u._vector->elements;
    if (static_cast<std::size_t>(index) >= e.size()) e.resize(static_cast<std::size_t>(index) + 1);
    e[static_cast<std::size_t>(index)] = std::move(v);
    return true;
}

bool PLOVManagedValue::AppendToVector(const PLOVManagedValue& value) {
    if (_type != Vector) return false;
    if (value._type == Vector && value._u._vector == _u._vector) return false;
    _u._vector->elements.push_back(value);
    return true;
}

// ---- Matrices ----------------------------------------------------------------------------

void PLOVManagedValue::SetMatrix(int rows, int columns) {
    if (rows < 0) rows = 0;
    if (columns < 0) columns = 0;
    _Adopt(Matrix, new PLOVManagedMatrix(rows, columns));
}

int PLOVManagedValue::GetNumberOfRows() const { return _type == Matrix ? _u._matrix->rows : 0; }

int PLOVManagedValue::GetNumberOfColumns() const { return _type == Matrix ? _u._matrix->columns : 0; }

const PLOVManagedValue& PLOVManagedValue::GetValueInMatrix(int row, int column) const {
    if (_type != Matrix || row < 0 || column < 0 || row >= _u._matrix->rows || column >= _u._matrix->columns)
        return nil;
    return _u._matrix->elements[static_cast<std::size_t>(row) * static_cast<std::size_t>(_u._matrix->columns) +
                                static_cast<std::size_t>(column)];
}

bool PLOVManagedValue::SetValueInMatrix(int row, int column, const PLOVManagedValue& value) {
    if (_type != Matrix || row < 0 || column < 0 || row >= _u._matrix->rows || column >= _u._matrix->columns)
        return false;
    if (value._type == Matrix && value._u._matrix == _u._matrix) return false;
    _u._matrix
        ->elements[static_cast<std::size_t>(row) * static_cast<std::size_t>(_u._matrix->columns) +
                   static_cast<std::size_t>(column)]
        .Set(value);
    return true;
}

// ---- Ranges ------------------------------------------------------------------------------

void PLOVManagedValue::SetRange(int lowerBound, int upperBound, int step) {
    _Adopt(Range, new PLOVManagedRange(lowerBound, upperBound, step));
}

int PLOVManagedValue::GetRangeLowerBound() const { return _type == Range ? _u._range->lowerBound : 0; }
int PLOVManagedValue::GetRangeUpperBound() const { return _type == Range ? _u._range->upperBound : 0; }
int PLOVManagedValue::GetRangeStep() const { return _type == Range ? _u._range->step : 0; }
