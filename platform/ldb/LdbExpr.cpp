// The engine's filter expressions: a recursive-descent parser into a small
// tree and its evaluation over one row's values.

#include "platform/ldb/LdbExpr.h"

#include "platform/ldb/Ldb.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace ldbi {

namespace {

// A value during evaluation.
struct Val {
    enum Kind { Null, Num, Text, Bool };
    Kind kind = Null;
    double n = 0;
    std::string s;
    bool b = false;
    static Val MakeNum(double v) { Val r; r.kind = Num; r.n = v; return r; }
    static Val MakeText(std::string v) { Val r; r.kind = Text; r.s = std::move(v); return r; }
    static Val MakeBool(bool v) { Val r; r.kind = Bool; r.b = v; return r; }
};

struct EvalError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string TrimLeft(std::string s) {
    std::size_t i = s.find_first_not_of(' ');
    return i == std::string::npos ? std::string() : s.substr(i);
}

bool NumberOf(const Val& v, double& out) {
    if (v.kind == Val::Num) {
        out = v.n;
        return true;
    }
    if (v.kind == Val::Bool) {
        out = v.b ? 1 : 0;
        return true;
    }
    if (v.kind == Val::Text) {
        std::string t = TrimLeft(TrimRight(v.s));
        if (t.empty()) return false;
        char* end = nullptr;
        out = std::strtod(t.c_str(), &end);
        return end && *end == 0;
    }
    return false;
}

bool Truth(const Val& v) {
    if (v.kind == Val::Bool) return v.b;
    if (v.kind == Val::Num) return v.n != 0;
    return false;
}

std::string TextOf(const Val& v) {
    if (v.kind == Val::Text) return v.s;
    if (v.kind == Val::Num) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", v.n);
        return buf;
    }
    if (v.kind == Val::Bool) return v.b ? "T" : "F";
    return {};
}

}  // namespace

struct ExprNode {
    enum Kind { Literal, Field, Unary, Binary, Call } kind = Literal;
    Val value;
    std::size_t field = 0;
    std::string op;
    std::vector<std::shared_ptr<ExprNode>> args;
};

namespace {

using NodePtr = std::shared_ptr<ExprNode>;

class Parser {
public:
    Parser(const std::string& text, const std::vector<FieldInfo>& fields) : s_(text), fields_(fields) {}

    NodePtr Parse() {
        NodePtr n = Or();
        Skip();
        if (i_ < s_.size()) throw std::runtime_error("Unexpected text at position " + std::to_string(i_ + 1) + ".");
        return n;
    }

private:
    void Skip() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    // Takes a keyword (word operators need a word boundary).
    bool Word(const char* w) {
        Skip();
        std::size_t n = std::char_traits<char>::length(w);
        if (i_ + n > s_.size()) return false;
        for (std::size_t k = 0; k < n; ++k)
            if (std::toupper(static_cast<unsigned char>(s_[i_ + k])) != w[k]) return false;
        bool dotted = w[0] == '.';
        if (!dotted && i_ + n < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_ + n])) || s_[i_ + n] == '_'))
            return false;
        i_ += n;
        return true;
    }
    bool Sym(const char* sym) {
        Skip();
        std::size_t n = std::char_traits<char>::length(sym);
        if (s_.compare(i_, n, sym) != 0) return false;
        i_ += n;
        return true;
    }
    static NodePtr Bin(const std::string& op, NodePtr a, NodePtr b) {
        auto n = std::make_shared<ExprNode>();
        n->kind = ExprNode::Binary;
        n->op = op;
        n->args = {std::move(a), std::move(b)};
        return n;
    }
    NodePtr Or() {
        NodePtr n = And();
        while (Word("OR") || Word(".OR.")) n = Bin("OR", n, And());
        return n;
    }
    NodePtr And() {
        NodePtr n = Not();
        while (Word("AND") || Word(".AND.")) n = Bin("AND", n, Not());
        return n;
    }
    NodePtr Not() {
        if (Word("NOT") || Word(".NOT.") || (Skip(), i_ < s_.size() && s_[i_] == '!' && (i_ + 1 >= s_.size() || s_[i_ + 1] != '=') && Sym("!"))) {
            auto n = std::make_shared<ExprNode>();
            n->kind = ExprNode::Unary;
            n->op = "NOT";
            n->args = {Not()};
            return n;
        }
        return Compare();
    }
    NodePtr Compare() {
        NodePtr n = Add();
        for (const char* op : {"==", "<>", "!=", "<=", ">=", "=", "<", ">", "#", "$"})
            if (Sym(op)) return Bin(op, n, Add());
        return n;
    }
    NodePtr Add() {
        NodePtr n = Mul();
        for (;;) {
            if (Sym("+"))
                n = Bin("+", n, Mul());
            else if (Sym("-"))
                n = Bin("-", n, Mul());
            else
                return n;
        }
    }
    NodePtr Mul() {
        NodePtr n = Unary();
        for (;;) {
            if (Sym("*"))
                n = Bin("*", n, Unary());
            else if (Sym("/"))
                n = Bin("/", n, Unary());
            else
                return n;
        }
    }
    NodePtr Unary() {
        if (Sym("-")) {
            auto n = std::make_shared<ExprNode>();
            n->kind = ExprNode::Unary;
            n->op = "-";
            n->args = {Unary()};
            return n;
        }
        return Primary();
    }
    NodePtr Literal(Val v) {
        auto n = std::make_shared<ExprNode>();
        n->value = std::move(v);
        return n;
    }
    NodePtr FieldNode(const std::string& name) {
        for (std::size_t k = 0; k < fields_.size(); ++k)
            if (SameName(fields_[k].name, name)) {
                auto n = std::make_shared<ExprNode>();
                n->kind = ExprNode::Field;
                n->field = k;
                return n;
            }
        throw std::runtime_error("Column not found: " + name + ".");
    }
    NodePtr Primary() {
        Skip();
        if (i_ >= s_.size()) throw std::runtime_error("The expression ends too early.");
        char c = s_[i_];
        if (c == '(') {
            ++i_;
            NodePtr n = Or();
            if (!Sym(")")) throw std::runtime_error("A closing parenthesis is missing.");
            return n;
        }
        if (c == '\'' || c == '"') {
            std::size_t end = s_.find(c, i_ + 1);
            if (end == std::string::npos) throw std::runtime_error("A quote is not closed.");
            std::string text = s_.substr(i_ + 1, end - i_ - 1);
            i_ = end + 1;
            return Literal(Val::MakeText(text));
        }
        if (c == '[') {
            std::size_t end = s_.find(']', i_ + 1);
            if (end == std::string::npos) throw std::runtime_error("A bracket is not closed.");
            std::string name = s_.substr(i_ + 1, end - i_ - 1);
            i_ = end + 1;
            return FieldNode(name);
        }
        if (Word(".TRUE.") || Word(".T.")) return Literal(Val::MakeBool(true));
        if (Word(".FALSE.") || Word(".F.")) return Literal(Val::MakeBool(false));
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
            std::size_t start = i_;
            while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.')) ++i_;
            return Literal(Val::MakeNum(std::strtod(s_.substr(start, i_ - start).c_str(), nullptr)));
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t start = i_;
            while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_')) ++i_;
            std::string name = s_.substr(start, i_ - start);
            if (Sym("(")) {
                auto n = std::make_shared<ExprNode>();
                n->kind = ExprNode::Call;
                n->op = Upper(name);
                if (!Sym(")")) {
                    do n->args.push_back(Or());
                    while (Sym(","));
                    if (!Sym(")")) throw std::runtime_error("A closing parenthesis is missing after " + name + ".");
                }
                static const char* known[] = {"UPPER", "LOWER", "EMPTY", "TRIM", "RTRIM", "LTRIM", "ALLTRIM", "LEFT",
                                              "SUBSTR", "LEN", "VAL", "STR", "CHR", "CTOD", "CTOT", "CTOTS", "CONTAINS"};
                bool ok = false;
                for (const char* k : known) ok = ok || n->op == k;
                if (!ok) throw std::runtime_error("Unknown function " + name + ".");
                return n;
            }
            std::string up = Upper(name);
            if (up == "TRUE") return Literal(Val::MakeBool(true));
            if (up == "FALSE") return Literal(Val::MakeBool(false));
            return FieldNode(name);
        }
        throw std::runtime_error(std::string("Unexpected character '") + c + "'.");
    }

    const std::string& s_;
    const std::vector<FieldInfo>& fields_;
    std::size_t i_ = 0;
};

Val FromSql(const SqlValue& v, std::uint16_t type) {
    switch (v.kind) {
    case SqlValue::Null: return {};
    case SqlValue::Int: return type == LdbTypeLogical ? Val::MakeBool(v.i != 0) : Val::MakeNum(static_cast<double>(v.i));
    case SqlValue::Real: return Val::MakeNum(v.d);
    default: return Val::MakeText(v.s);
    }
}

bool IsEmptyVal(const Val& v) {
    switch (v.kind) {
    case Val::Null: return true;
    case Val::Num: return v.n == 0;
    case Val::Bool: return !v.b;
    default: return TrimRight(v.s).empty();
    }
}

// -1, 0, 1; throws when the two cannot be compared.
int Order(const Val& a, const Val& b, bool prefix) {
    if (a.kind == Val::Text && b.kind == Val::Text) {
        std::string x = TrimRight(a.s), y = TrimRight(b.s);
        if (prefix && x.compare(0, y.size(), y) == 0) return 0;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    double x, y;
    if (!NumberOf(a, x) || !NumberOf(b, y)) throw EvalError("The values cannot be compared.");
    return x < y ? -1 : (x > y ? 1 : 0);
}

class Evaluator {
public:
    Evaluator(const std::vector<SqlValue>& values, const std::vector<std::uint16_t>& types, bool exact)
        : values_(values), types_(types), exact_(exact) {}

    Val Eval(const ExprNode& n) const {
        switch (n.kind) {
        case ExprNode::Literal: return n.value;
        case ExprNode::Field: return FromSql(values_[n.field], types_[n.field]);
        case ExprNode::Unary: {
            Val v = Eval(*n.args[0]);
            // An unknown value stays unknown.
            if (n.op == "NOT") return v.kind == Val::Null ? v : Val::MakeBool(!Truth(v));
            double x;
            if (!NumberOf(v, x)) throw EvalError("Not a number.");
            return Val::MakeNum(-x);
        }
        case ExprNode::Binary: return Binary(n);
        case ExprNode::Call: return Call(n);
        }
        return {};
    }

private:
    Val Binary(const ExprNode& n) const {
        const std::string& op = n.op;
        if (op == "AND" || op == "OR") {
            // Three-valued: a comparison with a null value is unknown.
            Val a = Eval(*n.args[0]), b = Eval(*n.args[1]);
            bool decided = op == "OR";
            if ((a.kind != Val::Null && Truth(a) == decided) || (b.kind != Val::Null && Truth(b) == decided))
                return Val::MakeBool(decided);
            if (a.kind == Val::Null || b.kind == Val::Null) return {};
            return Val::MakeBool(!decided);
        }
        Val a = Eval(*n.args[0]), b = Eval(*n.args[1]);
        if (op == "+" && a.kind == Val::Text && b.kind == Val::Text) return Val::MakeText(a.s + b.s);
        if (op == "+" || op == "-" || op == "*" || op == "/") {
            double x, y;
            if (!NumberOf(a, x) || !NumberOf(b, y)) throw EvalError("Not a number.");
            if (op == "+") return Val::MakeNum(x + y);
            if (op == "-") return Val::MakeNum(x - y);
            if (op == "*") return Val::MakeNum(x * y);
            if (y == 0) throw EvalError("Division by zero.");
            return Val::MakeNum(x / y);
        }
        if (a.kind == Val::Null || b.kind == Val::Null) return {};
        if (op == "$") return Val::MakeBool(TextOf(b).find(TrimRight(TextOf(a))) != std::string::npos);
        if (op == "=") return Val::MakeBool(Order(a, b, !exact_) == 0);
        if (op == "==") return Val::MakeBool(Order(a, b, false) == 0);
        int c = Order(a, b, false);
        if (op == "<>" || op == "!=" || op == "#") return Val::MakeBool(Order(a, b, !exact_) != 0);
        if (op == "<") return Val::MakeBool(c < 0);
        if (op == "<=") return Val::MakeBool(c <= 0);
        if (op == ">") return Val::MakeBool(c > 0);
        return Val::MakeBool(c >= 0);
    }

    Val Call(const ExprNode& n) const {
        std::vector<Val> a;
        for (const auto& arg : n.args) a.push_back(Eval(*arg));
        auto need = [&](std::size_t count) {
            if (a.size() < count) throw EvalError(n.op + " needs more arguments.");
        };
        auto num = [&](std::size_t i) {
            double x;
            if (!NumberOf(a[i], x)) throw EvalError("Not a number.");
            return x;
        };
        const std::string& f = n.op;
        need(f == "SUBSTR" || f == "LEFT" || f == "CONTAINS" ? 2 : 1);
        if (f == "EMPTY") return Val::MakeBool(IsEmptyVal(a[0]));
        if (a[0].kind == Val::Null && f != "CONTAINS") return {};
        if (f == "UPPER") return Val::MakeText(Upper(TextOf(a[0])));
        if (f == "LOWER") {
            std::string t = TextOf(a[0]);
            for (char& ch : t) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            return Val::MakeText(t);
        }
        if (f == "TRIM" || f == "RTRIM") return Val::MakeText(TrimRight(TextOf(a[0])));
        if (f == "LTRIM") return Val::MakeText(TrimLeft(TextOf(a[0])));
        if (f == "ALLTRIM") return Val::MakeText(TrimLeft(TrimRight(TextOf(a[0]))));
        if (f == "LEN") return Val::MakeNum(static_cast<double>(TextOf(a[0]).size()));
        if (f == "VAL") {
            double x;
            return Val::MakeNum(NumberOf(a[0], x) ? x : 0);
        }
        if (f == "STR") return Val::MakeText(TextOf(Val::MakeNum(num(0))));
        if (f == "CHR") return Val::MakeText(std::string(1, static_cast<char>(static_cast<int>(num(0)))));
        if (f == "LEFT") return Val::MakeText(TextOf(a[0]).substr(0, static_cast<std::size_t>(std::max(0.0, num(1)))));
        if (f == "SUBSTR") {
            std::string t = TextOf(a[0]);
            auto start = static_cast<std::size_t>(std::max(1.0, num(1))) - 1;
            if (start >= t.size()) return Val::MakeText("");
            std::size_t len = a.size() > 2 ? static_cast<std::size_t>(std::max(0.0, num(2))) : std::string::npos;
            return Val::MakeText(t.substr(start, len));
        }
        if (f == "CTOD") {
            std::int32_t j;
            if (!ParseDate(TextOf(a[0]), j)) throw EvalError("Not a date.");
            return Val::MakeText(FormatDate(j));
        }
        if (f == "CTOT") {
            std::int32_t ms;
            if (!ParseTime(TextOf(a[0]), ms)) throw EvalError("Not a time.");
            return Val::MakeText(FormatTime(ms));
        }
        if (f == "CTOTS") {
            std::int32_t j, ms;
            if (!ParseTimeStamp(TextOf(a[0]), j, ms)) throw EvalError("Not a timestamp.");
            return Val::MakeText(FormatTimeStamp(j, ms));
        }
        // CONTAINS(field, words): every word occurs, ignoring case; a
        // trailing "*" makes a word a prefix (which any occurrence is).
        if (a[0].kind == Val::Null) return Val::MakeBool(false);
        std::string hay = Upper(TextOf(a[0]));
        std::string words = Upper(TextOf(a[1]));
        std::size_t p = 0;
        bool all = true;
        while (p < words.size()) {
            std::size_t q = words.find(' ', p);
            std::string w = words.substr(p, q == std::string::npos ? std::string::npos : q - p);
            while (!w.empty() && w.back() == '*') w.pop_back();
            if (!w.empty() && hay.find(w) == std::string::npos) all = false;
            if (q == std::string::npos) break;
            p = q + 1;
        }
        return Val::MakeBool(all);
    }

    const std::vector<SqlValue>& values_;
    const std::vector<std::uint16_t>& types_;
    bool exact_;
};

}  // namespace

bool Expression::Parse(const std::string& text, const std::vector<FieldInfo>& fields, std::string& error) {
    try {
        Parser p(text, fields);
        root_ = p.Parse();
        text_ = text;
        types_.clear();
        for (const FieldInfo& f : fields) types_.push_back(f.t.type);
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

bool Expression::Matches(const std::vector<SqlValue>& values, bool exact) const {
    if (!root_) return true;
    try {
        return Truth(Evaluator(values, types_, exact).Eval(*root_));
    } catch (const EvalError&) {
        return false;
    }
}

}  // namespace ldbi
