// The value slot of a stochastic expression: nil, a Boolean, an integer, a
// real or a string, with the arithmetic and comparison rules of the managed
// values of scripts (kind codes are the same): integer and real operands mix,
// Boolean operators need Booleans, and an operation on unsuitable values
// yields nil. Numeric operations never allocate, so evaluating an expression
// is allocation-free.
#ifndef KEFO_MODEL_EXPRESSION_VALUE_H
#define KEFO_MODEL_EXPRESSION_VALUE_H

#include <string>

class KEFOExpressionValue {
public:
    enum Type {
        Nil = 0,
        Boolean = 1,
        Integer = 2,
        Real = 3,
        String = 5
    };

    KEFOExpressionValue() = default;

    int GetType() const { return _type; }
    bool IsNil() const { return _type == Nil; }
    bool IsBoolean() const { return _type == Boolean; }
    bool IsInteger() const { return _type == Integer; }
    bool IsReal() const { return _type == Real; }
    bool IsNumber() const { return _type == Integer || _type == Real; }
    bool IsString() const { return _type == String; }
    bool IsTrue() const { return _type == Boolean && _boolean; }

    bool GetBoolean() const { return _type == Boolean && _boolean; }
    // A real is truncated toward zero (saturated at the integer range); other
    // kinds read 0.
    int GetInteger() const;
    // An integer is converted; other kinds read 0.
    double GetDouble() const {
        return _type == Real ? _real : (_type == Integer ? static_cast<double>(_integer) : 0.0);
    }
    // "" for other kinds.
    const std::string& GetString() const;

    void SetNil() { _type = Nil; }
    void SetBoolean(bool value) {
        _type = Boolean;
        _boolean = value;
    }
    void SetInteger(int value) {
        _type = Integer;
        _integer = value;
    }
    void SetReal(double value) {
        _type = Real;
        _real = value;
    }
    void SetString(const std::string& value) {
        _type = String;
        _text = value;
    }
    void SetString(const char* value) {
        _type = String;
        _text = value != nullptr ? value : "";
    }
    // Copies another value (the string capacity is reused).
    void Set(const KEFOExpressionValue& other);

    // Negative, zero or positive: numbers by value (integers and reals mixed),
    // Booleans false before true, strings byte by byte, values of different
    // kinds by their kind codes.
    int Compare(const KEFOExpressionValue& other) const;

    // Operations storing their result in this value (which may be one of the
    // operands). Integers result from +, -, *, mod, negation, min and max of
    // integers; division and power always give reals (division by zero: nil);
    // absolute value gives a real; logarithms, square root, ceiling and floor
    // give a real for a strictly positive argument and nil otherwise. An
    // integer result that leaves the 32-bit range becomes a real. A
    // mathematical function whose result is not a number (outside its domain)
    // gives nil.
    void SetAnd(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetOr(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetNot(const KEFOExpressionValue& a);
    void SetEq(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetDf(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    // Order comparisons: two numbers or two strings give a Boolean, other
    // pairs nil.
    void SetLt(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetGt(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetLeq(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetGeq(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetNeg(const KEFOExpressionValue& a);
    void SetAdd(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetSub(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetMul(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetDiv(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetMod(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetPow(const KEFOExpressionValue& a, const KEFOExpressionValue& b);
    void SetAbs(const KEFOExpressionValue& a);
    void SetExp(const KEFOExpressionValue& a);
    void SetLog(const KEFOExpressionValue& a);
    void SetLog10(const KEFOExpressionValue& a);
    void SetSqrt(const KEFOExpressionValue& a);
    void SetCeil(const KEFOExpressionValue& a);
    void SetFloor(const KEFOExpressionValue& a);
    // A function of one real argument (acos, sin, ...): nil unless the
    // operand is a number and the result is a number.
    void SetFunction(double (*function)(double), const KEFOExpressionValue& a);
    // Replace this value by the operand when the operand is smaller (larger),
    // taking over its kind; nil when either is not a number.
    void SetInf(const KEFOExpressionValue& a);
    void SetSup(const KEFOExpressionValue& a);

    // Text forms: Booleans "true"/"false", integers in decimal, reals in the
    // shortest "%g" form that reads back to the same double, "nil"; the raw
    // form writes strings as they are, the other between double quotes.
    std::string ToRawString() const;
    std::string ToString() const;

private:
    void _SetInteger64(long long value);
    void _SetReal(double value);

    int _type = Nil;
    union {
        bool _boolean;
        int _integer;
        double _real = 0.0;
    };
    std::string _text;
};

#endif
