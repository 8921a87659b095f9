// Comparison, arithmetic and logical operators of Value. The left operand's type
// decides how the right one is read; each operator keeps one result object.
#include "settings/Value.h"
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {
enum class Relation { Equal, Less, Greater, LessEqual, GreaterEqual };
enum class Arith { Add, Subtract, Multiply, Divide };
enum class Logic { And, Or, Xor };

int (*compareStrings)(const char*, const char*) = std::strcmp;
const char* const kUninitialized = " Uninitialized ";

template <class T>
bool Holds(Relation r, T a, T b) {
    switch (r) {
        case Relation::Equal: return a == b;
        case Relation::Less: return a < b;
        case Relation::Greater: return a > b;
        case Relation::LessEqual: return a <= b;
        default: return a >= b;
    }
}

Value BoolResult(bool b) { return Value(b, true); }

bool TruthOf(const Value& v) {
    switch (v.Type()) {
        case kString: return _stricmp(v.String(), "true") == 0;
        case kReal: return std::fabs(v.Real() - 1.0) < 1e-14;
        case kInt:
        case kBool: return v.Word() == 1;
        default: return false;
    }
}

double AsDouble(const Value& v) {
    switch (v.Type()) {
        case kString: return std::atof(v.String());
        case kReal: return v.Real();
        default: return v.Word();
    }
}

long AsLong(const Value& v) {
    switch (v.Type()) {
        case kString: return std::atol(v.String());
        case kReal: return static_cast<long>(v.Real());
        default: return v.Word();
    }
}

StrPP TextOf(const Value& v) {
    StrPP text;
    v.TextInto(text);
    return text;
}

Value Wrapped(const Value& v) {
    ValueList* one = new ValueList;
    one->Append(v);
    return Value(one, true);
}

bool IsNumber(ValueType t) { return t == kReal || t == kInt || t == kBool; }

Value Compare(const Value& l, const Value& r, Relation rel);

// Element by element; the first pair that differs decides, else the lengths.
Value CompareLists(const ValueList& a, const ValueList& b, Relation rel) {
    const int n = a.Count() < b.Count() ? a.Count() : b.Count();
    for (int i = 0; i < n; ++i) {
        const Value same = Compare(a.data[i], b.data[i], Relation::Equal);
        if (same.Type() != kBool) return same;
        if (!same.IsTrue()) return Compare(a.data[i], b.data[i], rel);
    }
    return BoolResult(Holds(rel, a.Count(), b.Count()));
}

Value Compare(const Value& l, const Value& r, Relation rel) {
    const ValueType lt = l.Type();
    const ValueType rt = r.Type();
    const bool ordering = rel != Relation::Equal;
    if (lt == kList) {
        if (rt == kNone) return ErrorValue::Shared();
        return rt == kList ? CompareLists(*l.List(), *r.List(), rel) : CompareLists(*l.List(), *Wrapped(r).List(), rel);
    }
    if ((lt == kString || lt == kReal || lt == kInt) && rt == kList)
        return CompareLists(*Wrapped(l).List(), *r.List(), rel);
    switch (lt) {
        case kString:
            switch (rt) {
                case kString:
                case kReal:
                case kInt:
                case kBool: {
                    const StrPP right = rt == kString ? StrPP(r.String()) : TextOf(r);
                    return BoolResult(Holds(rel, compareStrings(l.String(), right), 0));
                }
                case kNone:
                    if (ordering) return Value(StrPP(l.String()) + kUninitialized, true);
                    return BoolResult(false);
                default: return Value::Illegal();
            }
        case kReal:
            if (rt == kNone) return ErrorValue::Shared();
            if (rt == kString || IsNumber(rt)) return BoolResult(Holds(rel, l.Real(), AsDouble(r)));
            break;
        case kInt:
            if (rt == kNone) return ErrorValue::Shared();
            if (rt == kString || IsNumber(rt)) return BoolResult(Holds(rel, static_cast<long>(l.Word()), AsLong(r)));
            break;
        case kBool:
            if (rt == kNone) return ordering ? Value(ErrorValue::Shared()) : Value::Illegal();
            if (ordering) break;
            if (rt == kBool) return BoolResult(l.Word() == r.Word());
            if (rt == kString || rt == kReal) return BoolResult((l.Word() == 1) == TruthOf(r));
            break;
        default: break;
    }
    return Value::Illegal();
}

Value Arithmetic(const Value& l, const Value& r, Arith op) {
    const ValueType lt = l.Type();
    const ValueType rt = r.Type();
    switch (lt) {
        case kString:
            if (rt == kNone) return Value(StrPP(l.String()) + kUninitialized, true);
            if (op == Arith::Add) return Value(StrPP(l.String()) + TextOf(r), true);
            return Value(l.String(), true);
        case kReal: {
            if (rt == kNone) return ErrorValue::Shared();
            const double b = AsDouble(r);
            const double a = l.Real();
            switch (op) {
                case Arith::Add: return Value(a + b, true);
                case Arith::Subtract: return Value(a - b, true);
                case Arith::Multiply: return Value(a * b, true);
                default: return Value(a / b, true);
            }
        }
        case kInt:
        case kBool: {
            if (rt == kNone) return ErrorValue::Shared();
            const long b = AsLong(r);
            const long a = l.Word();
            long result = 0;
            switch (op) {
                case Arith::Add: result = a + b; break;
                case Arith::Subtract: result = a - b; break;
                case Arith::Multiply: result = a * b; break;
                default:
                    if (b == 0) return ErrorValue::Shared();  // no usable quotient
                    result = a / b;
                    break;
            }
            if (lt == kBool) return Value(result != 0, true);
            return Value(static_cast<int>(result), true);
        }
        case kList: {
            ValueList* out = new ValueList(*l.List());
            if (op == Arith::Add && rt == kList) {
                for (int i = 0; i < r.List()->Count(); ++i) out->Append(r.List()->data[i]);
            } else if (op == Arith::Add) {
                out->Append(r);
            } else {
                for (int i = 0; i < out->Count(); ++i) out->data[i] = Arithmetic(l.List()->data[i], r, op);
            }
            return Value(out, true);
        }
        default: return Value::Illegal();
    }
}

Value Logical(const Value& l, const Value& r, Logic op) {
    if (l.Type() == kString && r.Type() == kNone) return Value(StrPP(l.String()) + kUninitialized, true);
    if (l.Type() != kBool) return Value::Illegal();
    const int right = TruthOf(r) ? 1 : 0;
    switch (op) {
        case Logic::And: return Value(l.Word() & right, true);
        case Logic::Or: return Value(l.Word() | right, true);
        default: return Value(l.Word() ^ right, true);
    }
}

// Each operator's one result, overwritten by its next call.
Value& Keep(Value& slot, const Value& result) {
    slot = result;
    return slot;
}
}  // namespace

#define VALUE_OPERATOR(op, body)                          \
    Value& Value::operator op(const Value& right) const { \
        static Value result;                              \
        return Keep(result, body);                        \
    }

VALUE_OPERATOR(==, Compare(*this, right, Relation::Equal))
VALUE_OPERATOR(<, Compare(*this, right, Relation::Less))
VALUE_OPERATOR(>, Compare(*this, right, Relation::Greater))
VALUE_OPERATOR(<=, Compare(*this, right, Relation::LessEqual))
VALUE_OPERATOR(>=, Compare(*this, right, Relation::GreaterEqual))
VALUE_OPERATOR(+, Arithmetic(*this, right, Arith::Add))
VALUE_OPERATOR(-, Arithmetic(*this, right, Arith::Subtract))
VALUE_OPERATOR(*, Arithmetic(*this, right, Arith::Multiply))
VALUE_OPERATOR(/, Arithmetic(*this, right, Arith::Divide))
VALUE_OPERATOR(&&, Logical(*this, right, Logic::And))
VALUE_OPERATOR(||, Logical(*this, right, Logic::Or))
VALUE_OPERATOR(^, Logical(*this, right, Logic::Xor))
