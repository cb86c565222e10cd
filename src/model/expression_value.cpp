#include "model/expression_value.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
const std::string emptyString;
}  // namespace

int KEFOExpressionValue::GetInteger() const {
    if (_type == Integer) return _integer;
    if (_type == Real) {
        if (std::isnan(_real)) return 0;
        if (_real >= static_cast<double>(INT_MAX)) return INT_MAX;
        if (_real <= static_cast<double>(INT_MIN)) return INT_MIN;
        return static_cast<int>(_real);
    }
    return 0;
}

const std::string& KEFOExpressionValue::GetString() const { return _type == String ? _text : emptyString; }

void KEFOExpressionValue::Set(const KEFOExpressionValue& other) {
    if (&other == this) return;
    _type = other._type;
    switch (other._type) {
    case Boolean:
        _boolean = other._boolean;
        break;
    case Integer:
        _integer = other._integer;
        break;
    case Real:
        _real = other._real;
        break;
    case String:
        _text = other._text;
        break;
    default:
        break;
    }
}

void KEFOExpressionValue::_SetInteger64(long long value) {
    if (value < INT_MIN || value > INT_MAX) {
        SetReal(static_cast<double>(value));
    } else {
        SetInteger(static_cast<int>(value));
    }
}

void KEFOExpressionValue::_SetReal(double value) {
    if (std::isnan(value)) {
        SetNil();
    } else {
        SetReal(value);
    }
}

int KEFOExpressionValue::Compare(const KEFOExpressionValue& other) const {
    if (IsNumber() && other.IsNumber()) {
        if (_type == Integer && other._type == Integer) {
            return _integer < other._integer ? -1 : (_integer > other._integer ? 1 : 0);
        }
        double a = GetDouble();
        double b = other.GetDouble();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    if (_type != other._type) return _type < other._type ? -1 : 1;
    switch (_type) {
    case Boolean:
        return _boolean == other._boolean ? 0 : (_boolean ? 1 : -1);
    case String: {
        int c = _text.compare(other._text);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    default:
        return 0;
    }
}

void KEFOExpressionValue::SetAnd(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    if (a.IsBoolean() && b.IsBoolean()) {
        SetBoolean(a._boolean && b._boolean);
    } else {
        SetNil();
    }
}

void KEFOExpressionValue::SetOr(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    if (a.IsBoolean() && b.IsBoolean()) {
        SetBoolean(a._boolean || b._boolean);
    } else {
        SetNil();
    }
}

void KEFOExpressionValue::SetNot(const KEFOExpressionValue& a) {
    if (a.IsBoolean()) {
        SetBoolean(!a._boolean);
    } else {
        SetNil();
    }
}

void KEFOExpressionValue::SetEq(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    SetBoolean(a.Compare(b) == 0);
}

void KEFOExpressionValue::SetDf(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    SetBoolean(a.Compare(b) != 0);
}

namespace {
// -2 when the pair cannot be ordered.
int Order(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    if (a.IsNumber() && b.IsNumber()) return a.Compare(b);
    if (a.IsString() && b.IsString()) return a.Compare(b);
    return -2;
}
}  // namespace

void KEFOExpressionValue::SetLt(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    int o = Order(a, b);
    if (o == -2) {
        SetNil();
    } else {
        SetBoolean(o < 0);
    }
}

void KEFOExpressionValue::SetGt(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    int o = Order(a, b);
    if (o == -2) {
        SetNil();
    } else {
        SetBoolean(o > 0);
    }
}

void KEFOExpressionValue::SetLeq(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    int o = Order(a, b);
    if (o == -2) {
        SetNil();
    } else {
        SetBoolean(o <= 0);
    }
}

void KEFOExpressionValue::SetGeq(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    int o = Order(a, b);
    if (o == -2) {
        SetNil();
    } else {
        SetBoolean(o >= 0);
    }
}

void KEFOExpressionValue::SetNeg(const KEFOExpressionValue& a) {
    if (a._type == Integer) {
        _SetInteger64(-static_cast<long long>(a._integer));
    } else if (a._type == Real) {
        SetReal(-a._real);
    } else {
        SetNil();
    }
}

void KEFOExpressionValue::SetAdd(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    if (a._type == Integer && b._type == Integer) {
        _SetInteger64(static_cast<long long>(a._integer) + b._integer);
    } else if (a.IsNumber() && b.IsNumber()) {
        _SetReal(a.GetDouble() + b.GetDouble());
    } else {
        SetNil();
    }
}

void KEFOExpressionValue::SetSub(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    if (a._type == Integer && b._type == Integer) {
        _SetInteger64(static_cast<long long>(a._integer) - b._integer);
    } else if (a.IsNumber() && b.IsNumber()) {
        _SetReal(a.GetDouble() - b.GetDouble());
    } else {
        SetNil();
    }
}

void KEFOExpressionValue::SetMul(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    if (a._type == Integer && b._type == Integer) {
        _SetInteger64(static_cast<long long>(a._integer) * b._integer);
    } else if (a.IsNumber() && b.IsNumber()) {
        _SetReal(a.GetDouble() * b.GetDouble());
    } else {
        SetNil();
    }
}

void KEFOExpressionValue::SetDiv(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    if (!a.IsNumber() || !b.IsNumber() || b.GetDouble() == 0.0) {
        SetNil();
        return;
    }
    _SetReal(a.GetDouble() / b.GetDouble());
}

void KEFOExpressionValue::SetMod(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    if (a._type == Integer && b._type == Integer) {
        if (b._integer == 0) {
            SetNil();
        } else {
            _SetInteger64(static_cast<long long>(a._integer) % b._integer);
        }
    } else if (a.IsNumber() && b.IsNumber()) {
        _SetReal(std::fmod(a.GetDouble(), b.GetDouble()));
    } else {
        SetNil();
    }
}

void KEFOExpressionValue::SetPow(const KEFOExpressionValue& a, const KEFOExpressionValue& b) {
    if (!a.IsNumber() || !b.IsNumber()) {
        SetNil();
        return;
    }
    _SetReal(std::pow(a.GetDouble(), b.GetDouble()));
}

void KEFOExpressionValue::SetAbs(const KEFOExpressionValue& a) {
    if (!a.IsNumber()) {
        SetNil();
        return;
    }
    SetReal(std::fabs(a.GetDouble()));
}

void KEFOExpressionValue::SetExp(const KEFOExpressionValue& a) { SetFunction(std::exp, a); }

namespace {
template <typename F>
void PositiveOnly(KEFOExpressionValue& result, const KEFOExpressionValue& a, F function) {
    if (!a.IsNumber() || !(a.GetDouble() > 0.0)) {
        result.SetNil();
        return;
    }
    result.SetReal(function(a.GetDouble()));
}
}  // namespace

void KEFOExpressionValue::SetLog(const KEFOExpressionValue& a) {
    PositiveOnly(*this, a, [](double x) { return std::log(x); });
}

void KEFOExpressionValue::SetLog10(const KEFOExpressionValue& a) {
    PositiveOnly(*this, a, [](double x) { return std::log10(x); });
}

void KEFOExpressionValue::SetSqrt(const KEFOExpressionValue& a) {
    PositiveOnly(*this, a, [](double x) { return std::sqrt(x); });
}

void KEFOExpressionValue::SetCeil(const KEFOExpressionValue& a) {
    PositiveOnly(*this, a, [](double x) { return std::ceil(x); });
}

void KEFOExpressionValue::SetFloor(const KEFOExpressionValue& a) {
    PositiveOnly(*this, a, [](double x) { return std::floor(x); });
}

void KEFOExpressionValue::SetFunction(double (*function)(double), const KEFOExpressionValue& a) {
    if (!a.IsNumber()) {
        SetNil();
        return;
    }
    _SetReal(function(a.GetDouble()));
}

void KEFOExpressionValue::SetInf(const KEFOExpressionValue& a) {
    if (!IsNumber() || !a.IsNumber()) {
        SetNil();
        return;
    }
    if (a.Compare(*this) < 0) Set(a);
}

void KEFOExpressionValue::SetSup(const KEFOExpressionValue& a) {
    if (!IsNumber() || !a.IsNumber()) {
        SetNil();
        return;
    }
    if (a.Compare(*this) > 0) Set(a);
}

namespace {
std::string ShortestReal(double value) {
    char text[40];
    for (int digits = 6; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}
}  // namespace

std::string KEFOExpressionValue::ToRawString() const {
    switch (_type) {
    case Boolean:
        return _boolean ? "true" : "false";
    case Integer:
        return std::to_string(_integer);
    case Real:
        return ShortestReal(_real);
    case String:
        return _text;
    default:
        return "nil";
    }
}

std::string KEFOExpressionValue::ToString() const {
    if (_type == String) return "\"" + _text + "\"";
    return ToRawString();
}
