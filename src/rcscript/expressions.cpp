// Expressions: integer arithmetic as the resource compiler does it, #if conditions, style masks.
#include <cstdint>
#include <string>
#include <vector>

#include "rcscript/parser.h"

namespace rcscript {

using namespace framework;  // written in the dialog layer's names

const ResourceScriptParser::BinaryOp* ResourceScriptParser::FindBinary(const Token* t, bool pp) {
    // clang-format off
    static constexpr BinaryOp kOps[] = {
        {"||", Op::LogOr, 1, true}, {"&&", Op::LogAnd, 2, true}, {"|", Op::Or, 3, false},
        {"^", Op::Xor, 4, false},   {"&", Op::And, 5, false},    {"==", Op::Eq, 6, true},
        {"!=", Op::Ne, 6, true},    {"<", Op::Lt, 7, true},      {">", Op::Gt, 7, true},
        {"<=", Op::Le, 7, true},    {">=", Op::Ge, 7, true},     {"<<", Op::Shl, 8, true},
        {">>", Op::Shr, 8, true},   {"+", Op::Add, 9, false},    {"-", Op::Sub, 9, false},
        {"*", Op::Mul, 10, false},  {"/", Op::Div, 10, false},   {"%", Op::Mod, 10, false},
    };
    // clang-format on
    if (!t || t->kind != Kind::Punct) return nullptr;
    for (const BinaryOp& op : kOps) {
        if (op.spelling == t->text && (pp || !op.preprocessorOnly)) return &op;
    }
    return nullptr;
}

const Token& ResourceScriptParser::Take(Cursor& c, const std::string& expected) {
    if (!c.Peek()) FailAt(c.source, c.endLine, "unexpected end, expected " + expected);
    return (*c.tokens)[c.pos++];
}

// `pp`: #if rules (undefined names are 0, `defined`, logical and comparison operators).
Value ResourceScriptParser::ParseExpr(Cursor& c, bool pp, int minPrecedence) {
    Value left = ParseUnary(c, pp);
    while (const BinaryOp* op = FindBinary(c.Peek(), pp)) {
        if (op->precedence < minPrecedence) break;
        const Token& opToken = Take(c, "an operator");
        const Value right = ParseExpr(c, pp, op->precedence + 1);
        left = Apply(*op, left, right, opToken);
    }
    return left;
}

Value ResourceScriptParser::Apply(const BinaryOp& op, Value a, Value b, const Token& at) {
    if ((op.op == Op::Div || op.op == Op::Mod) && b.v == 0) {
        FailAt(at.source, at.line, "division by zero");
    }
    // 32-bit arithmetic as the resource compiler does it; results stay sign-extended so
    // that -1 remains -1.
    const std::uint32_t x = Low32(a.v), y = Low32(b.v);
    std::int64_t v = 0;
    switch (op.op) {
        case Op::Or:
            v = x | y;
            break;
        case Op::Xor:
            v = x ^ y;
            break;
        case Op::And:
            v = x & y;
            break;
        case Op::Add:
            v = a.v + b.v;
            break;
        case Op::Sub:
            v = a.v - b.v;
            break;
        case Op::Mul:
            v = a.v * b.v;
            break;
        case Op::Div:
            v = a.v / b.v;
            break;
        case Op::Mod:
            v = a.v % b.v;
            break;
        case Op::LogOr:
            v = a.v != 0 || b.v != 0;
            break;
        case Op::LogAnd:
            v = a.v != 0 && b.v != 0;
            break;
        case Op::Eq:
            v = a.v == b.v;
            break;
        case Op::Ne:
            v = a.v != b.v;
            break;
        case Op::Lt:
            v = a.v < b.v;
            break;
        case Op::Gt:
            v = a.v > b.v;
            break;
        case Op::Le:
            v = a.v <= b.v;
            break;
        case Op::Ge:
            v = a.v >= b.v;
            break;
        case Op::Shl:
            v = static_cast<std::uint32_t>(x << (y & 31u));
            break;
        case Op::Shr:
            v = x >> (y & 31u);
            break;
    }
    return Value{static_cast<std::int32_t>(Low32(v)), a.isLong || b.isLong};
}

Value ResourceScriptParser::ParseUnary(Cursor& c, bool pp) {
    const Token& t = Take(c, "a number or symbol");
    const DepthGuard guard(m_depth, t);
    if (t.kind == Kind::Punct) {
        if (t.text == "(") {
            const Value v = ParseExpr(c, pp, 0);
            const Token& close = Take(c, "')'");
            if (close.kind != Kind::Punct || close.text != ")") {
                FailAt(close.source, close.line, "expected ')', found " + Describe(close));
            }
            return v;
        }
        if (t.text == "-" || t.text == "+" || t.text == "~" || (pp && t.text == "!")) {
            Value v = ParseUnary(c, pp);
            if (t.text == "-") v.v = static_cast<std::int32_t>(Low32(-v.v));
            if (t.text == "~") v.v = static_cast<std::int32_t>(~Low32(v.v));
            if (t.text == "!") v.v = v.v == 0 ? 1 : 0;
            return v;
        }
    }
    if (t.kind == Kind::Number)
        return Value{t.value <= 0x7FFFFFFF ? t.value : static_cast<std::int32_t>(Low32(t.value)),
                     t.isLong};
    if (t.kind == Kind::Ident) {
        if (pp && t.text == "defined") {
            bool paren = false;
            if (c.Peek() && c.Peek()->text == "(" && c.Peek()->kind == Kind::Punct) {
                Take(c, "'('");
                paren = true;
            }
            const Token& name = Take(c, "a symbol name");
            if (name.kind != Kind::Ident) {
                FailAt(name.source, name.line, "defined needs a symbol name");
            }
            if (paren) {
                const Token& close = Take(c, "')'");
                if (close.text != ")") FailAt(close.source, close.line, "expected ')'");
            }
            return Value{IsDefined(name.text) ? 1 : 0, false};
        }
        return SymbolValue(t, pp);
    }
    FailAt(t.source, t.line, "expected a number or symbol, found " + Describe(t));
}

Value ResourceScriptParser::SymbolValue(const Token& t, bool pp) {
    if (const auto known = m_collected.find(t.text); known != m_collected.end()) {
        const auto& value = known->second;
        if (value.has_value()) return Value{*value, false};
        FailAt(t.source, t.line, "symbol " + t.text + " has no numeric value");
    }
    const auto it = m_macros.find(t.text);
    if (it != m_macros.end()) {
        if (std::find(m_expanding.begin(), m_expanding.end(), t.text) != m_expanding.end()) {
            FailAt(t.source, t.line, "symbol " + t.text + " refers to itself");
        }
        const std::vector<Token>& body = it->second.body;
        if (body.empty()) {
            if (pp) return Value{0, false};
            FailAt(t.source, t.line, "symbol " + t.text + " has no value");
        }
        m_expanding.push_back(t.text);
        Cursor inner{&body, 0, body.front().source, body.front().line};
        const Value v = ParseExpr(inner, pp, 0);
        if (inner.Peek()) {
            FailAt(t.source, t.line, "symbol " + t.text + " is not a number");
        }
        m_expanding.pop_back();
        return v;
    }
    if (const auto b = Builtin(t.text)) {
        return Value{static_cast<std::int32_t>(Low32(*b)), false};
    }
    if (pp) return Value{0, false};
    FailAt(t.source, t.line, "unknown symbol '" + t.text + "'");
}

// A style list: `A | B | NOT C`. NOT terms are removed after the defaults are added.
StyleMask ResourceScriptParser::ParseStyle(Cursor& c) {
    StyleMask m;
    do {
        const Token* t = c.Peek();
        if (t && t->kind == Kind::Ident && EqualsNoCase(t->text, "NOT")) {
            Take(c, "NOT");
            m.off |= Low32(ParseExpr(c, false, 4).v);
        } else {
            m.on |= Low32(ParseExpr(c, false, 4).v);
        }
    } while (AcceptPunct(c, "|"));
    return m;
}

}  // namespace rcscript
