// Dynamically typed values of scripts, settings and command arguments.
//
// A PLOVManagedValue is a small object (16 bytes) that owns its body:
//  - nil, Boolean, Integer (32-bit signed) and Real (double) live inside the
//    value itself, so creating, copying and overwriting them never touches
//    the heap;
//  - Symbol and String texts, Tuples, Lists, Dictionaries, Vectors, Matrices
//    and Ranges live in shared, reference-counted bodies (PLOVManagedObject
//    and its derived classes). Copying a value shares its body (one more
//    reference); every setter first releases the previous body (one
//    reference less) and the last reference deletes it.
//
// Containers have reference semantics, as in most scripting languages: a value
// copied with Set (or the copy constructor) shares the container, so a change
// made through one copy (AppendToList, InsertInDictionary, ...) is seen
// through the other. ShallowCopy gives a new container holding the same
// elements, DeepCopy a new container with copies of the elements all the way
// down. Symbol texts never change in place; String texts do only through
// AppendToString, QuoteString and UnquoteString, which detach a shared text
// first, so a string change never shows through another value.
// A container refuses to hold itself directly; deeper cycles (a list holding
// a list that holds the first) are the caller's to avoid, as reference counts
// would never free them. Scripts cannot build such cycles.
//
// Arithmetic follows the script rules: two Integers give an Integer (32-bit,
// wrapping) for addition, subtraction, multiplication, remainder, negation,
// minimum and maximum; otherwise numbers give a Real. Division and power
// always give a Real; division by zero gives nil. Logarithms, square root,
// ceiling and floor give nil unless their argument is strictly positive. Any
// operand that is not a number gives nil, so nil stays nil.
//
// Binary operations come in two forms: SetOp(a, b) makes this value a op b,
// Op(b) makes it (this op b). Unary operations: SetOp(a) makes this value
// op(a), SetOp() applies op to this value. Each has forms taking an int or a
// double operand instead of a value. Operands may be this value itself.
#ifndef KEFO_SUPPORT_MANAGED_VALUE_H
#define KEFO_SUPPORT_MANAGED_VALUE_H

#include "support/memory_manager.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Base of the reference-counted bodies. A body is created with a count of 0;
// each value that takes it adds one reference; DecrementReferenceCount deletes
// the body when the count falls to zero.
class PLOVManagedObject {
    PLOV_MANAGED_ALLOCATION(PLOVManagedObject)
public:
    PLOVManagedObject() : _referenceCount(0) {}
    virtual ~PLOVManagedObject();
    PLOVManagedObject(const PLOVManagedObject&) = delete;
    PLOVManagedObject& operator=(const PLOVManagedObject&) = delete;

    void IncrementReferenceCount() { ++_referenceCount; }
    void DecrementReferenceCount() {
        if (--_referenceCount <= 0) delete this;
    }
    int GetReferenceCount() const { return _referenceCount; }

private:
    int _referenceCount;
};

class PLOVManagedString;
class PLOVManagedTuple;
class PLOVManagedList;
class PLOVManagedDictionary;
class PLOVManagedVector;
class PLOVManagedMatrix;
class PLOVManagedRange;

class PLOVManagedValue {
    PLOV_MANAGED_ALLOCATION(PLOVManagedValue)
public:
    enum Type : unsigned char {
        Nil = 0,
        Boolean = 1,
        Integer = 2,
        Real = 3,
        Symbol = 4,
        String = 5,
        Tuple = 6,
        List = 7,
        Dictionary = 8,
        Vector = 9,
        Matrix = 10,
        Range = 11
    };

    // ---- Construction, copy (sharing bodies), destruction ----------------
    constexpr PLOVManagedValue() noexcept : _type(Nil), _u{} {}
    explicit PLOVManagedValue(bool value) noexcept : _type(Boolean) { _u._double = 0.0; _u._bool = value; }
    explicit PLOVManagedValue(int value) noexcept : _type(Integer) { _u._double = 0.0; _u._int = value; }
    explicit PLOVManagedValue(double value) noexcept : _type(Real) { _u._double = value; }
    PLOVManagedValue(const PLOVManagedValue& other) noexcept : _type(other._type), _u(other._u) {
        if (_type >= Symbol) _Retain();
    }
    PLOVManagedValue(PLOVManagedValue&& other) noexcept : _type(other._type), _u(other._u) {
        other._type = Nil;
    }
    PLOVManagedValue& operator=(const PLOVManagedValue& other) noexcept {
        Set(other);
        return *this;
    }
    PLOVManagedValue& operator=(PLOVManagedValue&& other) noexcept;
    ~PLOVManagedValue() {
        if (_type >= Symbol) _Release();
    }

    // ---- Factories -------------------------------------------------------
    static PLOVManagedValue NewNil() { return PLOVManagedValue(); }
    static PLOVManagedValue NewBool(bool value) { return PLOVManagedValue(value); }
    static PLOVManagedValue NewInt(int value) { return PLOVManagedValue(value); }
    static PLOVManagedValue NewDouble(double value) { return PLOVManagedValue(value); }
    static PLOVManagedValue NewSymbol(const char* text);
    static PLOVManagedValue NewSymbol(const std::string& text);
    static PLOVManagedValue NewString(const char* text);
    static PLOVManagedValue NewString(const std::string& text);
    static PLOVManagedValue NewTuple(int size);  // size nil elements
    static PLOVManagedValue NewList();           // empty list
    static PLOVManagedValue NewDictionary();     // empty dictionary
    static PLOVManagedValue NewVector(int size = 0);
    static PLOVManagedValue NewMatrix(int rows, int columns);
    static PLOVManagedValue NewRange(int lowerBound, int upperBound, int step);

    // ---- Kind tests ------------------------------------------------------
    Type GetType() const { return _type; }
    bool IsNil() const { return _type == Nil; }
    bool IsBool() const { return _type == Boolean; }
    bool IsInt() const { return _type == Integer; }
    bool IsDouble() const { return _type == Real; }     // Real only
    bool IsNum() const { return _type == Integer || _type == Real; }
    bool IsSymbol() const { return _type == Symbol; }
    bool IsString() const { return _type == String; }
    bool IsText() const { return _type == Symbol || _type == String; }
    bool IsTuple() const { return _type == Tuple; }
    bool IsList() const { return _type == List; }
    bool IsNumList() const;  // a List whose elements are all numbers
    bool IsDictionary() const { return _type == Dictionary; }
    bool IsVector() const { return _type == Vector; }
    bool IsMatrix() const { return _type == Matrix; }
    bool IsRange() const { return _type == Range; }
    // Kind and value tests: a Boolean with that value; an Integer with that
    // value; a number equal to that double; a Symbol with that text; a value
    // that compares equal (Compare) to the other.
    bool Is(bool value) const { return _type == Boolean && _u._bool == value; }
    bool Is(int value) const { return _type == Integer && _u._int == value; }
    bool Is(double value) const;
    bool Is(const char* text) const;
    bool Is(const PLOVManagedValue& other) const { return Compare(other) == 0; }

    // ---- Scalars ---------------------------------------------------------
    void SetNil() {
        if (_type >= Symbol) _Release();
        _type = Nil;
    }
    // false unless a Boolean
    bool GetBool() const { return _type == Boolean && _u._bool; }
    void SetBool(bool value) {
        if (_type >= Symbol) _Release();
        _type = Boolean;
        _u._bool = value;
    }
    // 0 unless an Integer
    int GetInt() const { return _type == Integer ? _u._int : 0; }
    void SetInt(int value) {
        if (_type >= Symbol) _Release();
        _type = Integer;
        _u._int = value;
    }
    // A Real, or an Integer converted; 0.0 for any other kind
    double GetDouble() const {
        return _type == Real ? _u._double : (_type == Integer ? static_cast<double>(_u._int) : 0.0);
    }
    void SetDouble(double value) {
        if (_type >= Symbol) _Release();
        _type = Real;
        _u._double = value;
    }

    // ---- Symbols and Strings ---------------------------------------------
    // Text of a Symbol (GetSymbol), of a String (GetRawString) or of either
    // (GetText); nullptr for any other kind. The text is valid while this
    // value keeps its body.
    const char* GetSymbol() const;
    const char* GetRawString() const;
    const char* GetText() const;
    std::size_t GetTextLength() const;  // 0 unless a Symbol or String
    // The shared body of a String (nullptr otherwise).
    PLOVManagedString* GetString() const { return _type == String ? _u._string : nullptr; }
    void SetSymbol(const char* text);
    void SetSymbol(const std::string& text);
    void SetRawString(const char* text);
    void SetRawString(const std::string& text);
    // Shares an existing string body (nullptr makes the value nil).
    void SetString(PLOVManagedString* body);
    // Changes the kind between Symbol and String, keeping the text.
    void CastSymbolIntoString();
    void CastStringIntoSymbol();
    // Appends text to a String (or a Symbol, which stays a Symbol); does
    // nothing to other kinds and returns false.
    bool AppendToString(const char* text);
    bool AppendToString(const std::string& text);
    // Puts the quote character around the text, or removes it when the text
    // starts and ends with it. Symbols and Strings only.
    bool QuoteString(char quote = '"');
    bool UnquoteString(char quote = '"');
    // New values with the text form (ToRawString) of this value.
    PLOVManagedValue CopyAsSymbol() const;
    PLOVManagedValue CopyAsString() const;

    // ---- Tuples ----------------------------------------------------------
    void SetTuple(int size);
    int GetTupleSize() const;
    const PLOVManagedValue& GetValueInTuple(int index) const;  // nil when out of range
    bool SetValueInTuple(int index, const PLOVManagedValue& value);

    // ---- Lists -----------------------------------------------------------
    void SetList();  // a new empty list
    int GetListSize() const;
    const PLOVManagedValue& GetValueInList(int index) const;  // nil when out of range
    bool SetValueInList(int index, const PLOVManagedValue& value);
    bool AppendToList(const PLOVManagedValue& value);
    bool PrependToList(const PLOVManagedValue& value);
    // Removes every element equal (Compare) to the value; returns whether
    // one was found.
    bool RemoveFromList(const PLOVManagedValue& value);
    bool RemoveFromListAt(int index);
    // Removes the last element into value (nil when the list is empty).
    bool PopFromList(PLOVManagedValue& value);
    // Stable sort by Compare, increasing or decreasing.
    bool SortList(bool reverseOrder = false);
    bool ClearList();

    // ---- Dictionaries (ordered by Compare on the keys) --------------------
    void SetDictionary();  // a new empty dictionary
    int GetDictionarySize() const;
    // Inserts or replaces the value of key.
    bool InsertInDictionary(const PLOVManagedValue& key, const PLOVManagedValue& value);
    // The value of key, or nullptr when absent (or not a dictionary).
    const PLOVManagedValue* LookForValueInDictionary(const PLOVManagedValue& key) const;
    bool RemoveFromDictionary(const PLOVManagedValue& key);
    // Keys and values in increasing key order, as two Lists.
    PLOVManagedValue GetDictionaryKeys() const;
    PLOVManagedValue GetDictionaryValues() const;

    // ---- Vectors ---------------------------------------------------------
    void SetVector(int size);
    int GetVectorSize() const;
    const PLOVManagedValue& GetValueInVector(int index) const;  // nil when out of range
    // Sets the element, growing the vector with nils when index is past its end.
    bool SetValueInVector(int index, const PLOVManagedValue& value);
    bool AppendToVector(const PLOVManagedValue& value);

    // ---- Matrices --------------------------------------------------------
    void SetMatrix(int rows, int columns);
    int GetNumberOfRows() const;
    int GetNumberOfColumns() const;
    const PLOVManagedValue& GetValueInMatrix(int row, int column) const;  // nil when out of range
    bool SetValueInMatrix(int row, int column, const PLOVManagedValue& value);

    // ---- Ranges ----------------------------------------------------------
    void SetRange(int lowerBound, int upperBound, int step);
    int GetRangeLowerBound() const;  // 0 unless a Range
    int GetRangeUpperBound() const;
    int GetRangeStep() const;

    // ---- Copies and comparison --------------------------------------------
    // Makes this value a copy of other, sharing its body.
    void Set(const PLOVManagedValue& other) noexcept;
    // A copy with a new container body holding the same elements (bodies of
    // the elements shared); texts and scalars as Set.
    PLOVManagedValue ShallowCopy() const;
    // A copy with new bodies all the way down.
    PLOVManagedValue DeepCopy() const;
    // Negative, zero or positive. Integer and Real by numeric value; other
    // values of different kinds by kind number; Booleans false before true;
    // Symbols and Strings byte by byte; containers element by element, then
    // by size; Ranges by lower bound, upper bound, step; nil equals nil.
    int Compare(const PLOVManagedValue& other) const;
    static int Compare(const PLOVManagedValue& a, const PLOVManagedValue& b) { return a.Compare(b); }
    static int CompareReverseOrder(const PLOVManagedValue& a, const PLOVManagedValue& b) {
        return b.Compare(a);
    }
    // qsort-style comparators on arrays of values.
    static int Compare(const void* a, const void* b);
    static int CompareReverseOrder(const void* a, const void* b);

    // ---- Text forms --------------------------------------------------------
    // nil "nil"; Booleans "true"/"false"; Integers "%d"; Reals "%g"; Symbols
    // as their text; Strings in double quotes (ToString) or bare at the top
    // level (ToRawString; Strings inside containers stay quoted); Tuples
    // "(a, b)"; Lists "[a, b]"; Dictionaries "{k: v, k: v}"; Vectors
    // "vector(a, b)"; Matrices "matrix((a, b), (c, d))"; Ranges
    // "range(l,h,s)".
    std::string ToString() const;
    std::string ToRawString() const;
    // Appends the ToString form to text.
    void Serialize(std::string& text) const;

    // ---- Logic (Booleans; any other operand gives nil) ---------------------
    void SetAnd(const PLOVManagedValue& a, const PLOVManagedValue& b);
    void And(const PLOVManagedValue& b) { SetAnd(*this, b); }
    void And(bool b) { SetAnd(*this, PLOVManagedValue(b)); }
    void SetOr(const PLOVManagedValue& a, const PLOVManagedValue& b);
    void Or(const PLOVManagedValue& b) { SetOr(*this, b); }
    void Or(bool b) { SetOr(*this, PLOVManagedValue(b)); }
    void SetNot(const PLOVManagedValue& a);
    void SetNot() { SetNot(*this); }
    void SetImply(const PLOVManagedValue& a, const PLOVManagedValue& b);
    // Equality by Compare; always a Boolean.
    void SetEq(const PLOVManagedValue& a, const PLOVManagedValue& b) { SetBool(a.Compare(b) == 0); }
    void SetDf(const PLOVManagedValue& a, const PLOVManagedValue& b) { SetBool(a.Compare(b) != 0); }

    // ---- Order: numbers by value, Symbol with Symbol and String with String
    // by text; any other pair gives nil --------------------------------------
    void SetLt(const PLOVManagedValue& a, const PLOVManagedValue& b);
    void SetGt(const PLOVManagedValue& a, const PLOVManagedValue& b);
    void SetLeq(const PLOVManagedValue& a, const PLOVManagedValue& b);
    void SetGeq(const PLOVManagedValue& a, const PLOVManagedValue& b);

    // ---- Arithmetic ----------------------------------------------------------
#define PLOV_MANAGED_VALUE_BINARY(Name)                                                  \
    void Set##Name(const PLOVManagedValue& a, const PLOVManagedValue& b);                \
    void Set##Name(const PLOVManagedValue& a, int b) { Set##Name(a, PLOVManagedValue(b)); } \
    void Set##Name(const PLOVManagedValue& a, double b) { Set##Name(a, PLOVManagedValue(b)); } \
    void Set##Name(int a, const PLOVManagedValue& b) { Set##Name(PLOVManagedValue(a), b); } \
    void Set##Name(double a, const PLOVManagedValue& b) { Set##Name(PLOVManagedValue(a), b); }
#define PLOV_MANAGED_VALUE_ACCUMULATE(Name)                                              \
    void Name(const PLOVManagedValue& b) { Set##Name(*this, b); }                        \
    void Name(int b) { Set##Name(*this, PLOVManagedValue(b)); }                          \
    void Name(double b) { Set##Name(*this, PLOVManagedValue(b)); }
#define PLOV_MANAGED_VALUE_UNARY(Name)                                                   \
    void Set##Name(const PLOVManagedValue& a);                                           \
    void Set##Name() { Set##Name(*this); }                                               \
    void Set##Name(int a) { Set##Name(PLOVManagedValue(a)); }                            \
    void Set##Name(double a) { Set##Name(PLOVManagedValue(a)); }

    PLOV_MANAGED_VALUE_UNARY(Neg)     // Integer stays Integer (wrapping), Real stays Real
    PLOV_MANAGED_VALUE_BINARY(Add)
    PLOV_MANAGED_VALUE_ACCUMULATE(Add)
    PLOV_MANAGED_VALUE_BINARY(Sub)
    PLOV_MANAGED_VALUE_ACCUMULATE(Sub)
    PLOV_MANAGED_VALUE_BINARY(Mul)
    PLOV_MANAGED_VALUE_ACCUMULATE(Mul)
    PLOV_MANAGED_VALUE_BINARY(Div)    // always Real; nil when b is zero
    PLOV_MANAGED_VALUE_ACCUMULATE(Div)
    // Integer % Integer: remainder with the sign of the dividend, nil when b
    // is 0; otherwise fmod, Real (nil when b is zero).
    PLOV_MANAGED_VALUE_BINARY(Mod)
    PLOV_MANAGED_VALUE_BINARY(Pow)    // pow, always Real
    PLOV_MANAGED_VALUE_BINARY(Atan2)  // atan2(a, b), Real
    // Minimum and maximum: the running value is replaced by the operand when
    // the operand is smaller (larger), taking over the operand's kind.
    PLOV_MANAGED_VALUE_BINARY(Inf)
    PLOV_MANAGED_VALUE_ACCUMULATE(Inf)
    PLOV_MANAGED_VALUE_BINARY(Sup)
    PLOV_MANAGED_VALUE_ACCUMULATE(Sup)
    void Inc();  // + 1 (Integer wrapping); nil for non-numbers
    void Dec();  // - 1
    PLOV_MANAGED_VALUE_UNARY(Abs)     // Real
    PLOV_MANAGED_VALUE_UNARY(Exp)     // Real
    PLOV_MANAGED_VALUE_UNARY(Log)     // Real; nil unless > 0
    PLOV_MANAGED_VALUE_UNARY(Log10)   // Real; nil unless > 0
    PLOV_MANAGED_VALUE_UNARY(Sqrt)    // Real; nil unless > 0
    PLOV_MANAGED_VALUE_UNARY(Ceil)    // Real; nil unless > 0
    PLOV_MANAGED_VALUE_UNARY(Floor)   // Real; nil unless > 0
    PLOV_MANAGED_VALUE_UNARY(Sin)
    PLOV_MANAGED_VALUE_UNARY(Cos)
    PLOV_MANAGED_VALUE_UNARY(Tan)
    PLOV_MANAGED_VALUE_UNARY(Asin)    // nil outside [-1, 1]
    PLOV_MANAGED_VALUE_UNARY(Acos)    // nil outside [-1, 1]
    PLOV_MANAGED_VALUE_UNARY(Atan)
    PLOV_MANAGED_VALUE_UNARY(Sinh)
    PLOV_MANAGED_VALUE_UNARY(Cosh)
    PLOV_MANAGED_VALUE_UNARY(Tanh)

#undef PLOV_MANAGED_VALUE_BINARY
#undef PLOV_MANAGED_VALUE_ACCUMULATE
#undef PLOV_MANAGED_VALUE_UNARY

    // A shared nil, returned by element accessors out of range.
    static const PLOVManagedValue nil;

private:
    union Body {
        bool _bool;
        std::int32_t _int;
        double _double;
        PLOVManagedObject* _object;
        PLOVManagedString* _string;  // Symbol and String
        PLOVManagedTuple* _tuple;
        PLOVManagedList* _list;
        PLOVManagedDictionary* _dictionary;
        PLOVManagedVector* _vector;
        PLOVManagedMatrix* _matrix;
        PLOVManagedRange* _range;
    };

    void _Retain() const noexcept;
    void _Release() noexcept;
    // Takes a newly made body of the given kind (adds its reference) after
    // releasing the previous body.
    void _Adopt(Type type, PLOVManagedObject* body) noexcept;
    // Gives a String or Symbol a text body of its own before a change.
    void _DetachText();
    void _AppendText(std::string& text, bool quoteStrings) const;
    void _SetUnaryReal(const PLOVManagedValue& a, int operation);

    Type _type;
    Body _u;
};

// ---- Bodies ------------------------------------------------------------------
// Built on standard containers; reachable through the value accessors above,
// and directly for code that walks large containers.

#include <deque>
#include <map>
#include <vector>

class PLOVManagedString : public PLOVManagedObject {
    PLOV_MANAGED_ALLOCATION(PLOVManagedString)
public:
    PLOVManagedString() = default;
    explicit PLOVManagedString(std::string text) : text(std::move(text)) {}
    std::string text;
};

class PLOVManagedTuple : public PLOVManagedObject {
    PLOV_MANAGED_ALLOCATION(PLOVManagedTuple)
public:
    explicit PLOVManagedTuple(std::size_t size) : elements(size) {}
    std::vector<PLOVManagedValue> elements;  // fixed size
};

class PLOVManagedList : public PLOVManagedObject {
    PLOV_MANAGED_ALLOCATION(PLOVManagedList)
public:
    std::deque<PLOVManagedValue> elements;
};

struct PLOVManagedValueLess {
    bool operator()(const PLOVManagedValue& a, const PLOVManagedValue& b) const { return a.Compare(b) < 0; }
};

class PLOVManagedDictionary : public PLOVManagedObject {
    PLOV_MANAGED_ALLOCATION(PLOVManagedDictionary)
public:
    std::map<PLOVManagedValue, PLOVManagedValue, PLOVManagedValueLess> entries;
};

class PLOVManagedVector : public PLOVManagedObject {
    PLOV_MANAGED_ALLOCATION(PLOVManagedVector)
public:
    explicit PLOVManagedVector(std::size_t size = 0) : elements(size) {}
    std::vector<PLOVManagedValue> elements;
};

class PLOVManagedMatrix : public PLOVManagedObject {
    PLOV_MANAGED_ALLOCATION(PLOVManagedMatrix)
public:
    PLOVManagedMatrix(int rows, int columns)
        : rows(rows), columns(columns), elements(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns)) {}
    int rows;
    int columns;
    std::vector<PLOVManagedValue> elements;  // row by row
};

class PLOVManagedRange : public PLOVManagedObject {
    PLOV_MANAGED_ALLOCATION(PLOVManagedRange)
public:
    PLOVManagedRange(int lowerBound, int upperBound, int step)
        : lowerBound(lowerBound), upperBound(upperBound), step(step) {}
    int lowerBound;
    int upperBound;
    int step;
};

#endif
