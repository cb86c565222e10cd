// PLOVManagedValue: copies, comparison, text forms, logic and arithmetic.
#include "support/managed_value.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

int Sign(double a, double b) {
    if (a < b) return -1;
    if (a > b) return 1;
    if (a == b) return 0;
    // NaN: equal to NaN, after every number.
    bool an = std::isnan(a), bn = std::isnan(b);
    return an == bn ? 0 : (an ? 1 : -1);
}

int CompareTexts(const std::string& a, const std::string& b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);  // memcmp compares unsigned bytes
    if (c != 0) return c < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

template <class Sequence>
int CompareSequences(const Sequence& a, const Sequence& b) {
    auto i = a.begin();
    auto j = b.begin();
    for (; i != a.end() && j != b.end(); ++i, ++j) {
        int c = i->Compare(*j);
        if (c != 0) return c;
    }
    if (i == a.end()) return j == b.end() ? 0 : -1;
    return 1;
}

std::int32_t Wrap(std::uint32_t x) { return static_cast<std::int32_t>(x); }

enum UnaryOperation {
    OpAbs, OpExp, OpLog, OpLog10, OpSqrt, OpCeil, OpFloor,
    OpSin, OpCos, OpTan, OpAsin, OpAcos, OpAtan, OpSinh, OpCosh, OpTanh
};

}  // namespace

// ---- Copies -----------------------------------------------------------------------

PLOVManagedValue PLOVManagedValue::ShallowCopy() const {
    PLOVManagedValue copy;
    switch (_type) {
        case Tuple:
            copy.SetTuple(0);
            copy._u._tuple->elements = _u._tuple->elements;
            break;
        case List:
            copy.SetList();
            copy._u._list->elements = _u._list->elements;
            break;
        case Dictionary:
            copy.SetDictionary();
            copy._u._dictionary->entries = _u._dictionary->entries;
            break;
        case Vector:
            copy.SetVector(0);
            copy._u._vector->elements = _u._vector->elements;
            break;
        case Matrix:
            copy.SetMatrix(0, 0);
            copy._u._matrix->rows = _u._matrix->rows;
            copy._u._matrix->columns = _u._matrix->columns;
            copy._u._matrix->elements = _u._matrix->elements;
            break;
        case Range:
            copy.SetRange(_u._range->lowerBound, _u._range->upperBound, _u._range->step);
            break;
        case Symbol:
        case String:
            copy._Adopt(_type, new PLOVManagedString(_u._string->text));
            break;
        default:
            copy.Set(*this);
            break;
    }
    return copy;
}

PLOVManagedValue PLOVManagedValue::DeepCopy() const {
    PLOVManagedValue copy;
    switch (_type) {
        case Tuple:
            copy.SetTuple(GetTupleSize());
            for (std::size_t i = 0; i < _u._tuple->elements.size(); ++i)
                copy._u._tuple->elements[i] = _u._tuple->elements[i].DeepCopy();
            break;
        case List:
            copy.SetList();
            for (const PLOVManagedValue& e : _u._list->elements) copy._u._list->elements.push_back(e.DeepCopy());
            break;
        case Dictionary:
            copy.SetDictionary();
            for (const auto& entry : _u._dictionary->entries)
                copy._u._dictionary->entries.emplace_hint(copy._u._dictionary->entries.end(), entry.first.DeepCopy(),
                                                          entry.second.DeepCopy());
            break;
        case Vector:
            copy.SetVector(0);
            copy._u._vector->elements.reserve(_u._vector->elements.size());
            for (const PLOVManagedValue& e : _u._vector->elements) copy._u._vector->elements.push_back(e.DeepCopy());
            break;
        case Matrix:
            copy.SetMatrix(_u._matrix->rows, _u._matrix->columns);
            for (std::size_t i = 0; i < _u._matrix->elements.size(); ++i)
                copy._u._matrix->elements[i] = _u._matrix->elements[i].DeepCopy();
            break;
        default:
            copy = ShallowCopy();
            break;
    }
    return copy;
}

// ---- Comparison -----------------------------------------------------------------------

int PLOVManagedValue::Compare(const PLOVManagedValue& other) const {
    if (IsNum() && other.IsNum()) {
        if (_type == Integer && other._type == Integer)
            return _u._int < other._u._int ? -1 : (_u._int > other._u._int ? 1 : 0);
        return Sign(GetDouble(), other.GetDouble());
    }
    if (_type != other._type) return _type < other._type ? -1 : 1;
    switch (_type) {
        case Nil:
            return 0;
        case Boolean:
            return static_cast<int>(_u._bool) - static_cast<int>(other._u._bool);
        case Symbol:
        case String:
            if (_u._string == other._u._string) return 0;
            return CompareTexts(_u._string->text, other._u._string->text);
        case Tuple:
            return CompareSequences(_u._tuple->elements, other._u._tuple->elements);
        case List:
            return CompareSequences(_u._list->elements, other._u._list->elements);
        case Vector:
            return CompareSequences(_u._vector->elements, other._u._vector->elements);
        case Dictionary: {
            auto i = _u._dictionary->entries.begin();
            auto j = other._u._dictionary->entries.begin();
            for (; i != _u._dictionary->entries.end() && j != other._u._dictionary->entries.end(); ++i, ++j) {
                int c = i->first.Compare(j->first);
                if (c == 0) c = i->second.Compare(j->second);
                if (c != 0) return c;
            }
            if (i == _u._dictionary->entries.end()) return j == other._u._dictionary->entries.end() ? 0 : -1;
            return 1;
        }
        case Matrix: {
            const PLOVManagedMatrix& a = *_u._matrix;
            const PLOVManagedMatrix& b = *other._u._matrix;
            if (a.rows != b.rows) return a.rows < b.rows ? -1 : 1;
            if (a.columns != b.columns) return a.columns < b.columns ? -1 : 1;
            return CompareSequences(a.elements, b.elements);
        }
        case Range: {
            const PLOVManagedRange& a = *_u._range;
            const PLOVManagedRange& b = *other._u._range;
            if (a.lowerBound != b.lowerBound) return a.lowerBound < b.lowerBound ? -1 : 1;
            if (a.upperBound != b.upperBound) return a.upperBound < b.upperBound ? -1 : 1;
            if (a.step != b.step) return a.step < b.step ? -1 : 1;
            return 0;
        }
        default:
            return 0;
    }
}

int PLOVManagedValue::Compare(const void* a, const void* b) {
    return static_cast<const PLOVManagedValue*>(a)->Compare(*static_cast<const PLOVManagedValue*>(b));
}

int PLOVManagedValue::CompareReverseOrder(const void* a, const void* b) {
    return static_cast<const PLOVManagedValue*>(b)->Compare(*static_cast<const PLOVManagedValue*>(a));
}

// ---- Text forms -------------------------------------------------------------------------

namespace {
template <class Sequence>
void AppendSequence(std::string& text, const Sequence& elements) {
    bool first = true;
    for (const PLOVManagedValue& e : elements) {
        if (!first) text.append(", ");
        first = false;
        e.Serialize(text);
    }
}
}  // namespace

void PLOVManagedValue::_AppendText(std::string& text, bool quoteStrings) const {
    char buffer[64];
    switch (_type) {
        case Nil:
            text.append("nil");
            break;
        case Boolean:
            text.append(_u._bool ? "true" : "false");
            break;
        case Integer:
            std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(_u._int));
            text.append(buffer);
            break;
        case Real:
            std::snprintf(buffer, sizeof buffer, "%g", _u._double);
            text.append(buffer);
            break;
        case Symbol:
            text.append(_u._string->text);
            break;
        case String:
            if (quoteStrings) text.push_back('"');
            text.append(_u._string->text);
            if (quoteStrings) text.push_back('"');
            break;
        case Tuple:
            text.push_back('(');
            AppendSequence(text, _u._tuple->elements);
            text.push_back(')');
            break;
        case List:
            text.push_back('[');
            AppendSequence(text, _u._list->elements);
            text.push_back(']');
            break;
        case Dictionary: {
            text.push_back('{');
            bool first = true;
            for (const auto& entry : _u._dictionary->entries) {
                if (!first) text.append(", ");
                first = false;
                entry.first.Serialize(text);
                text.append(": ");
                entry.second.Serialize(text);
            }
            text.push_back('}');
            break;
        }
        case Vector:
            text.append("vector(");
            AppendSequence(text, _u._vector->elements);
            text.push_back(')');
            break;
        case Matrix: {
            const PLOVManagedMatrix& m = *_u._matrix;
            text.append("matrix(");
            for (int i = 0; i < m.rows; ++i) {
                if (i > 0) text.append(", ");
                text.push_back('(');
                for (int j = 0; j < m.columns; ++j) {
                    if (j > 0) text.append(", ");
                    m.elements[static_cast<std::size_t>(i) * static_cast<std::size_t>(m.columns) +
                               static_cast<std::size_t>(j)]
                        .Serialize(text);
                }
                text.push_back(')');
            }
            text.push_back(')');
            break;
        }
        case Range:
            std::snprintf(buffer, sizeof buffer, "range(%d,%d,%d)", _u._range->lowerBound, _u._range->upperBound,
                          _u._range->step);
            text.append(buffer);
            break;
    }
}

std::string PLOVManagedValue::ToString() const {
    std::string text;
    _AppendText(text, true);
    return text;
}

std::string PLOVManagedValue::ToRawString() const {
    std::string text;
    _AppendText(text, false);
    return text;
}

void PLOVManagedValue::Serialize(std::string& text) const { _AppendText(text, true); }

// ---- Logic -------------------------------------------------------------------------------

void PLOVManagedValue::SetAnd(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    if (a._type == Boolean && b._type == Boolean)
        SetBool(a._u._bool && b._u._bool);
    else
        SetNil();
}

void PLOVManagedValue::SetOr(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    if (a._type == Boolean && b._type == Boolean)
        SetBool(a._u._bool || b._u._bool);
    else
        SetNil();
}

void PLOVManagedValue::SetNot(const PLOVManagedValue& a) {
    if (a._type == Boolean)
        SetBool(!a._u._bool);
    else
        SetNil();
}

void PLOVManagedValue::SetImply(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    if (a._type == Boolean && b._type == Boolean)
        SetBool(!a._u._bool || b._u._bool);
    else
        SetNil();
}

// ---- Order ---------------------------------------------------------------------------------

namespace {
// -2 when the pair is not ordered (result nil), else the sign of a - b; the
// flag tells whether the pair holds a NaN (every order test false).
int OrderOf(const PLOVManagedValue& a, const PLOVManagedValue& b, bool& unordered) {
    unordered = false;
    if (a.IsNum() && b.IsNum()) {
        double x = a.GetDouble(), y = b.GetDouble();
        if (a.IsInt() && b.IsInt()) return a.GetInt() < b.GetInt() ? -1 : (a.GetInt() > b.GetInt() ? 1 : 0);
        if (std::isnan(x) || std::isnan(y)) {
            unordered = true;
            return 0;
        }
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if ((a.IsSymbol() && b.IsSymbol()) || (a.IsString() && b.IsString())) return a.Compare(b);
    return -2;
}
}  // namespace

void PLOVManagedValue::SetLt(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    bool unordered;
    int c = OrderOf(a, b, unordered);
    if (c == -2) SetNil(); else SetBool(!unordered && c < 0);
}

void PLOVManagedValue::SetGt(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    bool unordered;
    int c = OrderOf(a, b, unordered);
    if (c == -2) SetNil(); else SetBool(!unordered && c > 0);
}

void PLOVManagedValue::SetLeq(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    bool unordered;
    int c = OrderOf(a, b, unordered);
    if (c == -2) SetNil(); else SetBool(!unordered && c <= 0);
}

void PLOVManagedValue::SetGeq(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    bool unordered;
    int c = OrderOf(a, b, unordered);
    if (c == -2) SetNil(); else SetBool(!unordered && c >= 0);
}

// ---- Arithmetic ------------------------------------------------------------------------------

void PLOVManagedValue::SetNeg(const PLOVManagedValue& a) {
    if (a._type == Integer)
        SetInt(Wrap(0u - static_cast<std::uint32_t>(a._u._int)));
    else if (a._type == Real)
        SetDouble(-a._u._double);
    else
        SetNil();
}

void PLOVManagedValue::SetAdd(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    if (a._type == Integer && b._type == Integer)
        SetInt(Wrap(static_cast<std::uint32_t>(a._u._int) + static_cast<std::uint32_t>(b._u._int)));
    else if (a.IsNum() && b.IsNum())
        SetDouble(a.GetDouble() + b.GetDouble());
    else
        SetNil();
}

void PLOVManagedValue::SetSub(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    if (a._type == Integer && b._type == Integer)
        SetInt(Wrap(static_cast<std::uint32_t>(a._u._int) - static_cast<std::uint32_t>(b._u._int)));
    else if (a.IsNum() && b.IsNum())
        SetDouble(a.GetDouble() - b.GetDouble());
    else
        SetNil();
}

void PLOVManagedValue::SetMul(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    if (a._type == Integer && b._type == Integer)
        SetInt(Wrap(static_cast<std::uint32_t>(a._u._int) * static_cast<std::uint32_t>(b._u._int)));
    else if (a.IsNum() && b.IsNum())
        SetDouble(a.GetDouble() * b.GetDouble());
    else
        SetNil();
}

void PLOVManagedValue::SetDiv(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    if (a.IsNum() && b.IsNum() && b.GetDouble() != 0.0)
        SetDouble(a.GetDouble() / b.GetDouble());
    else
        SetNil();
}

void PLOVManagedValue::SetMod(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    if (a._type == Integer && b._type == Integer) {
        std::int32_t x = a._u._int, y = b._u._int;
        if (y == 0)
            SetNil();
        else if (y == -1)
            SetInt(0);  // INT_MIN % -1 would overflow; the remainder is 0 for every x
        else
            SetInt(x % y);
    } else if (a.IsNum() && b.IsNum() && b.GetDouble() != 0.0) {
        SetDouble(std::fmod(a.GetDouble(), b.GetDouble()));
    } else {
        SetNil();
    }
}

void PLOVManagedValue::SetPow(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    if (a.IsNum() && b.IsNum())
        SetDouble(std::pow(a.GetDouble(), b.GetDouble()));
    else
        SetNil();
}

void PLOVManagedValue::SetAtan2(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    if (a.IsNum() && b.IsNum())
        SetDouble(std::atan2(a.GetDouble(), b.GetDouble()));
    else
        SetNil();
}

void PLOVManagedValue::SetInf(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    if (!a.IsNum() || !b.IsNum()) {
        SetNil();
        return;
    }
    // Keep a unless b is strictly smaller.
    if (b.Compare(a) < 0)
        Set(b);
    else
        Set(a);
}

void PLOVManagedValue::SetSup(const PLOVManagedValue& a, const PLOVManagedValue& b) {
    if (!a.IsNum() || !b.IsNum()) {
        SetNil();
        return;
    }
    if (b.Compare(a) > 0)
        Set(b);
    else
        Set(a);
}

void PLOVManagedValue::Inc() {
    if (_type == Integer)
        _u._int = Wrap(static_cast<std::uint32_t>(_u._int) + 1u);
    else if (_type == Real)
        _u._double += 1.0;
    else
        SetNil();
}

void PLOVManagedValue::Dec() {
    if (_type == Integer)
        _u._int = Wrap(static_cast<std::uint32_t>(_u._int) - 1u);
    else if (_type == Real)
        _u._double -= 1.0;
    else
        SetNil();
}

void PLOVManagedValue::_SetUnaryReal(const PLOVManagedValue& a, int operation) {
    if (!a.IsNum()) {
        SetNil();
        return;
    }
    double x = a.GetDouble();
    double r = 0.0;
    switch (operation) {
        case OpAbs: r = std::fabs(x); break;
        case OpExp: r = std::exp(x); break;
        case OpLog:
            if (!(x > 0.0)) { SetNil(); return; }
            r = std::log(x);
            break;
        case OpLog10:
            if (!(x > 0.0)) { SetNil(); return; }
            r = std::log10(x);
            break;
        case OpSqrt:
            if (!(x > 0.0)) { SetNil(); return; }
            r = std::sqrt(x);
            break;
        case OpCeil:
            if (!(x > 0.0)) { SetNil(); return; }
            r = std::ceil(x);
            break;
        case OpFloor:
            if (!(x > 0.0)) { SetNil(); return; }
            r = std::floor(x);
            break;
        case OpSin: r = std::sin(x); break;
        case OpCos: r = std::cos(x); break;
        case OpTan: r = std::tan(x); break;
        case OpAsin:
            if (!(x >= -1.0 && x <= 1.0)) { SetNil(); return; }
            r = std::asin(x);
            break;
        case OpAcos:
            if (!(x >= -1.0 && x <= 1.0)) { SetNil(); return; }
            r = std::acos(x);
            break;
        case OpAtan: r = std::atan(x); break;
        case OpSinh: r = std::sinh(x); break;
        case OpCosh: r = std::cosh(x); break;
        case OpTanh: r = std::tanh(x); break;
        default: SetNil(); return;
    }
    SetDouble(r);
}

void PLOVManagedValue::SetAbs(const PLOVManagedValue& a) { _SetUnaryReal(a, OpAbs); }
void PLOVManagedValue::SetExp(const PLOVManagedValue& a) { _SetUnaryReal(a, OpExp); }
void PLOVManagedValue::SetLog(const PLOVManagedValue& a) { _SetUnaryReal(a, OpLog); }
void PLOVManagedValue::SetLog10(const PLOVManagedValue& a) { _SetUnaryReal(a, OpLog10); }
void PLOVManagedValue::SetSqrt(const PLOVManagedValue& a) { _SetUnaryReal(a, OpSqrt); }
void PLOVManagedValue::SetCeil(const PLOVManagedValue& a) { _SetUnaryReal(a, OpCeil); }
void PLOVManagedValue::SetFloor(const PLOVManagedValue& a) { _SetUnaryReal(a, OpFloor); }
void PLOVManagedValue::SetSin(const PLOVManagedValue& a) { _SetUnaryReal(a, OpSin); }
void PLOVManagedValue::SetCos(const PLOVManagedValue& a) { _SetUnaryReal(a, OpCos); }
void PLOVManagedValue::SetTan(const PLOVManagedValue& a) { _SetUnaryReal(a, OpTan); }
void PLOVManagedValue::SetAsin(const PLOVManagedValue& a) { _SetUnaryReal(a, OpAsin); }
void PLOVManagedValue::SetAcos(const PLOVManagedValue& a) { _SetUnaryReal(a, OpAcos); }
void PLOVManagedValue::SetAtan(const PLOVManagedValue& a) { _SetUnaryReal(a, OpAtan); }
void PLOVManagedValue::SetSinh(const PLOVManagedValue& a) { _SetUnaryReal(a, OpSinh); }
void PLOVManagedValue::SetCosh(const PLOVManagedValue& a) { _SetUnaryReal(a, OpCosh); }
void PLOVManagedValue::SetTanh(const PLOVManagedValue& a) { _SetUnaryReal(a, OpTanh); }
