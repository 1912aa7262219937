// Filter expressions: parser and evaluator.

#include "memtable/FilterExpr.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "memtable/MemTable.h"
#include "memtable/MemTableErrors.h"
#include "platform/core/DateTime.h"
#include "platform/core/Format.h"
#include "platform/core/FormatSettings.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"

namespace {

using NodePtr = std::unique_ptr<TqmtFilterNode>;

[[noreturn]] void FilterError(const std::string& message) { throw EMemTableFilterError(message); }

std::string Fmt1(const char* format, int n) { return Format(format, {n}); }
std::string Fmt1(const char* format, const std::string& s) { return Format(format, {s}); }

// ---- tokens -----------------------------------------------------------------------

enum TokKind { tkEnd, tkName, tkQuotedName, tkString, tkNumber, tkSymbol };

struct Token {
    TokKind Kind = tkEnd;
    std::string Text;
    size_t Pos = 0;
};

class Lexer {
public:
    explicit Lexer(const std::string& text) : s_(text) {}

    Token Next() {
        while (i_ < s_.size() && static_cast<unsigned char>(s_[i_]) <= ' ') ++i_;
        Token t;
        t.Pos = i_ + 1;
        if (i_ >= s_.size()) return t;
        const char c = s_[i_];
        if (c == '\'') {
            t.Kind = tkString;
            ++i_;
            for (;;) {
                if (i_ >= s_.size()) FilterError("Unterminated text constant in filter expression at position " + std::to_string(t.Pos) + ".");
                if (s_[i_] == '\'') {
                    if (i_ + 1 < s_.size() && s_[i_ + 1] == '\'') {
                        t.Text += '\'';
                        i_ += 2;
                        continue;
                    }
                    ++i_;
                    break;
                }
                t.Text += s_[i_++];
            }
            return t;
        }
        if (c == '[' || c == '"') {
            const char close = c == '[' ? ']' : '"';
            t.Kind = tkQuotedName;
            size_t end = s_.find(close, i_ + 1);
            if (end == std::string::npos)
                FilterError("Unterminated field name in filter expression at position " + std::to_string(t.Pos) + ".");
            t.Text = s_.substr(i_ + 1, end - i_ - 1);
            if (t.Text.empty()) FilterError("Empty field name in filter expression at position " + std::to_string(t.Pos) + ".");
            i_ = end + 1;
            return t;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '.' && i_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_ + 1])))) {
            t.Kind = tkNumber;
            while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.')) t.Text += s_[i_++];
            if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
                size_t j = i_ + 1;
                if (j < s_.size() && (s_[j] == '+' || s_[j] == '-')) ++j;
                if (j < s_.size() && std::isdigit(static_cast<unsigned char>(s_[j]))) {
                    t.Text += s_.substr(i_, j - i_);
                    i_ = j;
                    while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) t.Text += s_[i_++];
                }
            }
            return t;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80) {
            t.Kind = tkName;
            while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_' ||
                                      s_[i_] == '.' || static_cast<unsigned char>(s_[i_]) >= 0x80))
                t.Text += s_[i_++];
            return t;
        }
        t.Kind = tkSymbol;
        static const char* const two[] = {"<>", "<=", ">=", "!="};
        for (const char* op : two)
            if (s_.compare(i_, 2, op) == 0) {
                t.Text = op;
                i_ += 2;
                return t;
            }
        if (std::string("=<>+-*/(),").find(c) == std::string::npos)
            FilterError(std::string("Invalid character '") + c + "' in filter expression at position " +
                        std::to_string(t.Pos) + ".");
        t.Text = std::string(1, c);
        ++i_;
        return t;
    }

private:
    const std::string& s_;
    size_t i_ = 0;
};

bool IsDateType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp; }

// ---- parser -----------------------------------------------------------------------

class Parser {
public:
    Parser(TDataSet* ds, const std::string& text, TFilterOptions options) : ds_(ds), lex_(text), options_(options) {
        Advance();
    }

    NodePtr ParseAll() {
        NodePtr n = Or();
        if (tok_.Kind != tkEnd) Unexpected();
        return n;
    }

private:
    void Advance() { tok_ = lex_.Next(); }
    bool IsKeyword(const char* k) const { return tok_.Kind == tkName && SameText(tok_.Text, k); }
    bool IsSymbol(const char* s) const { return tok_.Kind == tkSymbol && tok_.Text == s; }
    [[noreturn]] void Unexpected() const {
        if (tok_.Kind == tkEnd) FilterError("Unexpected end of filter expression.");
        FilterError("Unexpected '" + tok_.Text + "' in filter expression at position " + std::to_string(tok_.Pos) + ".");
    }
    void Expect(const char* symbol) {
        if (!IsSymbol(symbol)) {
            if (tok_.Kind == tkEnd) FilterError(std::string("Missing '") + symbol + "' in filter expression.");
            Unexpected();
        }
        Advance();
    }

    static NodePtr Make(int cls, int op, NodePtr left = nullptr, NodePtr right = nullptr) {
        auto n = std::make_unique<TqmtFilterNode>();
        n->NodeClass = cls;
        n->Op = op;
        n->Left = std::move(left);
        n->Right = std::move(right);
        return n;
    }
    static NodePtr Const(TFieldType type, Variant value) {
        NodePtr n = Make(qmtNodeConst, qmtOpConst);
        n->ConstType = type;
        n->ConstValue = std::move(value);
        return n;
    }

    // Nesting is bounded so that no text can exhaust the stack.
    struct Depth {
        explicit Depth(int& d) : d_(d) {
            if (++d_ > 200) FilterError("Filter expression is nested too deeply.");
        }
        ~Depth() { --d_; }
        int& d_;
    };

    NodePtr Or() {
        Depth guard(depth_);
        NodePtr n = And();
        while (IsKeyword("OR")) {
            Advance();
            n = Make(qmtNodeBinary, qmtOpOr, std::move(n), And());
        }
        return n;
    }
    NodePtr And() {
        NodePtr n = Not();
        while (IsKeyword("AND")) {
            Advance();
            n = Make(qmtNodeBinary, qmtOpAnd, std::move(n), Not());
        }
        return n;
    }
    NodePtr Not() {
        Depth guard(depth_);
        if (IsKeyword("NOT")) {
            Advance();
            return Make(qmtNodeUnary, qmtOpNot, Not());
        }
        return Compare();
    }

    NodePtr Compare() {
        NodePtr left = Sum();
        if (IsKeyword("IS")) {
            Advance();
            bool negate = false;
            if (IsKeyword("NOT")) {
                negate = true;
                Advance();
            }
            if (!IsKeyword("NULL")) Unexpected();
            Advance();
            return Make(qmtNodeUnary, negate ? qmtOpIsNotBlank : qmtOpIsBlank, std::move(left));
        }
        bool negate = false;
        if (IsKeyword("NOT")) {
            negate = true;
            Advance();
            if (!IsKeyword("LIKE") && !IsKeyword("IN")) Unexpected();
        }
        if (IsKeyword("LIKE")) {
            Advance();
            NodePtr n = Make(qmtNodeBinary, qmtOpLike, std::move(left), Sum());
            return negate ? Make(qmtNodeUnary, qmtOpNot, std::move(n)) : std::move(n);
        }
        if (IsKeyword("IN")) {
            Advance();
            Expect("(");
            NodePtr list = List();
            Expect(")");
            for (TqmtFilterNode* e = list.get(); e; e = e->Next.get()) Coerce(*left, e->Left);
            NodePtr n = Make(qmtNodeBinary, qmtOpIn, std::move(left), std::move(list));
            return negate ? Make(qmtNodeUnary, qmtOpNot, std::move(n)) : std::move(n);
        }
        static const struct {
            const char* Text;
            int Op;
        } ops[] = {{"=", qmtOpEQ}, {"<>", qmtOpNE}, {"!=", qmtOpNE}, {"<", qmtOpLT},
                   {">", qmtOpGT}, {"<=", qmtOpLE}, {">=", qmtOpGE}};
        for (const auto& o : ops) {
            if (!IsSymbol(o.Text)) continue;
            Advance();
            if (IsKeyword("NULL") && (o.Op == qmtOpEQ || o.Op == qmtOpNE)) {
                Advance();
                return Make(qmtNodeUnary, o.Op == qmtOpEQ ? qmtOpIsBlank : qmtOpIsNotBlank, std::move(left));
            }
            NodePtr right = Sum();
            Coerce(*left, right);
            Coerce(*right, left);
            if (o.Op == qmtOpEQ || o.Op == qmtOpNE) {
                if (NodePtr c = MaybeCompareNode(o.Op, left, right)) return c;
            }
            return Make(qmtNodeBinary, o.Op, std::move(left), std::move(right));
        }
        return left;
    }

    // field = 'text' as a compare node when case or partial matching applies.
    NodePtr MaybeCompareNode(int op, NodePtr& left, NodePtr& right) {
        NodePtr* constant = nullptr;
        if (left->NodeClass == qmtNodeField && right->NodeClass == qmtNodeConst && right->ConstType == ftString)
            constant = &right;
        else if (right->NodeClass == qmtNodeField && left->NodeClass == qmtNodeConst && left->ConstType == ftString)
            constant = &left;
        if (!constant) return nullptr;
        std::string text = (*constant)->ConstValue.AsString();
        int partial = 0;
        if (!(options_ & foNoPartialCompare) && !text.empty() && text.back() == '*') {
            text.pop_back();
            size_t chars = 0;
            for (unsigned char ch : text) chars += (ch & 0xC0) != 0x80;
            partial = static_cast<int>(chars);
            if (partial == 0) partial = -1;  // "*" alone: every non-null value
        }
        const bool caseless = (options_ & foCaseInsensitive) != 0;
        if (!caseless && partial == 0) return nullptr;
        (*constant)->ConstValue = Variant(text);
        NodePtr n = Make(qmtNodeCompare, op, std::move(left), std::move(right));
        n->CaseInsensitive = caseless ? 1 : 0;
        n->PartialLength = partial;
        return n;
    }

    // A text constant beside a date or time field becomes a constant of that type.
    void Coerce(const TqmtFilterNode& other, NodePtr& node) {
        if (other.NodeClass != qmtNodeField || !node || node->NodeClass != qmtNodeConst || node->ConstType != ftString)
            return;
        TField* f = ds_ ? ds_->FindField(other.Name) : nullptr;
        if (!f || !IsDateType(f->DataType())) return;
        const std::string text = node->ConstValue.AsString();
        TDateTime dt = 0;
        bool ok = false;
        try {
            switch (f->DataType()) {
                case ftDate: ok = TryStrToDate(text, dt); break;
                case ftTime: ok = TryStrToTime(text, dt); break;
                default:
                    dt = StrToDateTime(text);
                    ok = true;
                    break;
            }
        } catch (const Exception&) {
            ok = false;
        }
        if (!ok) FilterError("'" + text + "' is not a valid date or time for field " + other.Name + ".");
        switch (f->DataType()) {
            case ftDate:
                node->ConstType = ftDate;
                node->ConstValue = Variant(static_cast<int>(std::floor(dt)));
                break;
            case ftTime:
                node->ConstType = ftTime;
                node->ConstValue = Variant(static_cast<int>(std::llround((dt - std::floor(dt)) * 86400000.0)));
                break;
            default:
                node->ConstType = ftDateTime;
                node->ConstValue = Variant(dt * 86400000.0);
                break;
        }
    }

    NodePtr Sum() {
        NodePtr n = Product();
        for (;;) {
            int op = IsSymbol("+") ? qmtOpAdd : IsSymbol("-") ? qmtOpSub : 0;
            if (!op) return n;
            Advance();
            n = Make(qmtNodeBinary, op, std::move(n), Product());
        }
    }
    NodePtr Product() {
        NodePtr n = Unary();
        for (;;) {
            int op = IsSymbol("*") ? qmtOpMul : IsSymbol("/") ? qmtOpDiv : IsKeyword("MOD") ? qmtOpMod : 0;
            if (!op) return n;
            Advance();
            n = Make(qmtNodeBinary, op, std::move(n), Unary());
        }
    }
    NodePtr Unary() {
        Depth guard(depth_);
        if (IsSymbol("-")) {
            Advance();
            NodePtr n = Unary();
            if (n->NodeClass == qmtNodeConst && n->ConstType == ftInteger) {
                n->ConstValue = Variant(-n->ConstValue.AsInteger());
                return n;
            }
            if (n->NodeClass == qmtNodeConst && n->ConstType == ftFloat) {
                n->ConstValue = Variant(-n->ConstValue.AsDouble());
                return n;
            }
            return Make(qmtNodeBinary, qmtOpSub, Const(ftInteger, Variant(0)), std::move(n));
        }
        return Primary();
    }

    NodePtr List() {
        NodePtr head = Make(qmtNodeListElem, qmtOpListElem, Or());
        TqmtFilterNode* tail = head.get();
        while (IsSymbol(",")) {
            Advance();
            tail->Next = Make(qmtNodeListElem, qmtOpListElem, Or());
            tail = tail->Next.get();
        }
        return head;
    }

    NodePtr Field(const std::string& name) {
        if (ds_ && ds_->Active() && !ds_->FindField(name))
            FilterError("Field '" + name + "' not found in filter expression.");
        NodePtr n = Make(qmtNodeField, qmtOpField);
        n->Name = name;
        return n;
    }

    NodePtr Primary() {
        Token t = tok_;
        switch (t.Kind) {
            case tkEnd:
                Unexpected();
            case tkString:
                Advance();
                return Const(ftString, Variant(t.Text));
            case tkNumber: {
                Advance();
                char* end = nullptr;
                const double d = std::strtod(t.Text.c_str(), &end);
                if (!end || *end != '\0') FilterError("Invalid number '" + t.Text + "' in filter expression.");
                const bool integral = t.Text.find_first_of(".eE") == std::string::npos;
                if (integral && d <= 2147483647.0) return Const(ftInteger, Variant(static_cast<int>(d)));
                return Const(ftFloat, Variant(d));
            }
            case tkQuotedName:
                Advance();
                return Field(t.Text);
            case tkSymbol:
                if (t.Text == "(") {
                    Advance();
                    NodePtr n = Or();
                    Expect(")");
                    return n;
                }
                Unexpected();
            case tkName:
                break;
        }
        Advance();
        if (IsSymbol("(")) {
            Advance();
            NodePtr args;
            if (!IsSymbol(")")) args = List();
            Expect(")");
            const std::string upper = UpperCase(t.Text);
            if ((upper == "UPPER" || upper == "LOWER") && args && !args->Next)
                return Make(qmtNodeUnary, upper == "UPPER" ? qmtOpUpper : qmtOpLower, std::move(args->Left));
            NodePtr n = Make(qmtNodeFunc, qmtOpFunc);
            n->Name = t.Text;
            // One argument is passed as itself, several as a list.
            if (args && !args->Next)
                n->Left = std::move(args->Left);
            else
                n->Left = std::move(args);
            return n;
        }
        if (SameText(t.Text, "TRUE") || SameText(t.Text, "FALSE"))
            return Const(ftBoolean, Variant(SameText(t.Text, "TRUE") ? 1 : 0));
        if (SameText(t.Text, "NULL")) FilterError("NULL can only be tested with IS NULL or IS NOT NULL.");
        static const char* const reserved[] = {"AND", "OR", "NOT", "LIKE", "IN", "IS", "MOD"};
        for (const char* r : reserved)
            if (SameText(t.Text, r))
                FilterError("Unexpected '" + t.Text + "' in filter expression at position " + std::to_string(t.Pos) + ".");
        return Field(t.Text);
    }

    TDataSet* ds_;
    Lexer lex_;
    TFilterOptions options_;
    Token tok_;
    int depth_ = 0;
};

// ---- evaluation helpers ------------------------------------------------------------

bool IsNullValue(const Variant& v) { return v.IsNull() || v.IsEmpty(); }

bool IsIntegral(const Variant& v) {
    switch (v.Type()) {
        case varSmallint: case varInteger: case varInt64: case varByte: case varBoolean:
            return true;
        default:
            return false;
    }
}

std::string AsciiUpper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}
std::string AsciiLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// UTF-8 characters of a text, each as its bytes.
std::vector<std::string> Chars(const std::string& s) {
    std::vector<std::string> out;
    for (size_t i = 0; i < s.size();) {
        size_t j = i + 1;
        while (j < s.size() && (static_cast<unsigned char>(s[j]) & 0xC0) == 0x80) ++j;
        out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

std::string FirstChars(const std::string& s, int n) {
    std::string out;
    for (const std::string& c : Chars(s)) {
        if (n-- <= 0) break;
        out += c;
    }
    return out;
}

// Matches one mask element at mi against character c; returns the index of
// the next mask element, or 0 when it does not match.
size_t MatchOne(const std::string& c, const std::vector<std::string>& m, size_t mi) {
    const std::string& e = m[mi];
    if (e == "?") return mi + 1;
    if (e == "[") {
        size_t close = mi + 1;
        while (close < m.size() && m[close] != "]") ++close;
        if (close < m.size()) {
            size_t k = mi + 1;
            bool negate = false;
            if (k < close && (m[k] == "!" || m[k] == "^")) {
                negate = true;
                ++k;
            }
            const std::string ch = AsciiUpper(c);
            bool hit = false;
            for (; k < close; ++k) {
                if (k + 2 < close && m[k + 1] == "-") {
                    const std::string lo = AsciiUpper(m[k]), hi = AsciiUpper(m[k + 2]);
                    if (lo <= ch && ch <= hi) hit = true;
                    k += 2;
                } else if (AsciiUpper(m[k]) == ch) {
                    hit = true;
                }
            }
            return hit != negate ? close + 1 : 0;
        }
    }
    return AsciiUpper(e) == AsciiUpper(c) ? mi + 1 : 0;
}

// Greedy matching that goes back only to the last "*": time bounded by the
// product of the lengths, whatever the mask.
bool MatchFrom(const std::vector<std::string>& t, const std::vector<std::string>& m) {
    size_t ti = 0, mi = 0;
    size_t starMask = std::string::npos, starText = 0;
    while (ti < t.size()) {
        if (mi < m.size() && m[mi] == "*") {
            starMask = ++mi;
            starText = ti;
            continue;
        }
        if (mi < m.size()) {
            if (size_t next = MatchOne(t[ti], m, mi)) {
                mi = next;
                ++ti;
                continue;
            }
        }
        if (starMask == std::string::npos) return false;
        mi = starMask;
        ti = ++starText;
    }
    while (mi < m.size() && m[mi] == "*") ++mi;
    return mi == m.size();
}

Variant Arithmetic(int op, const Variant& a, const Variant& b) {
    if (op == qmtOpAdd && (a.IsString() || b.IsString())) return Variant(VarToStr(a) + VarToStr(b));
    if (op == qmtOpMod || op == qmtOpRem) {
        const Int64 x = a.AsInt64(), y = b.AsInt64();
        if (y == 0) FilterError("Division by zero in filter expression.");
        // Any number modulo -1 is 0; the division behind % would overflow
        // (and trap) for the smallest 64-bit value.
        if (y == -1) return Variant(0LL);
        return Variant(static_cast<long long>(x % y));
    }
    const bool aDate = a.Type() == varDate, bDate = b.Type() == varDate;
    if (IsIntegral(a) && IsIntegral(b) && op != qmtOpDiv) {
        const Int64 x = a.AsInt64(), y = b.AsInt64();
        Int64 r = 0;
        bool overflow = false;
        switch (op) {
            case qmtOpAdd: overflow = __builtin_add_overflow(x, y, &r); break;
            case qmtOpSub: overflow = __builtin_sub_overflow(x, y, &r); break;
            default: overflow = __builtin_mul_overflow(x, y, &r); break;
        }
        if (overflow) FilterError("Integer overflow in filter expression.");
        return Variant(static_cast<long long>(r));
    }
    const double x = a.AsDouble(), y = b.AsDouble();
    switch (op) {
        case qmtOpAdd:
            return aDate || bDate ? Variant::FromDate(x + y) : Variant(x + y);
        case qmtOpSub:
            return aDate && !bDate ? Variant::FromDate(x - y) : Variant(x - y);
        case qmtOpMul:
            return Variant(x * y);
        default:
            if (y == 0) FilterError("Division by zero in filter expression.");
            return Variant(x / y);
    }
}

Variant EvalUnary(TqmtCustomMemTable& t, const TqmtFilterNode* n) {
    const Variant v = qmtEvaluateNode(t, n->Left.get());
    switch (n->Op) {
        case qmtOpIsBlank: return Variant(IsNullValue(v));
        case qmtOpIsNotBlank:
        case qmtOpAssigned: return Variant(!IsNullValue(v));
        case qmtOpNot: return IsNullValue(v) ? Variant::NullValue() : Variant(!v.AsBoolean());
        case qmtOpUpper: return IsNullValue(v) ? Variant::NullValue() : Variant(AsciiUpper(VarToStr(v)));
        case qmtOpLower: return IsNullValue(v) ? Variant::NullValue() : Variant(AsciiLower(VarToStr(v)));
        default: return Variant();
    }
}

bool InList(const Variant& left, const Variant& right) {
    if (!right.IsArray()) return left == right;
    for (int i = right.LowBound(); i <= right.HighBound(); ++i) {
        if (right[i].IsEmpty()) break;
        if (!right[i].IsNull() && left == right[i]) return true;
    }
    return false;
}

Variant EvalBinary(TqmtCustomMemTable& t, const TqmtFilterNode* n) {
    const Variant a = qmtEvaluateNode(t, n->Left.get());
    const Variant b = qmtEvaluateNode(t, n->Right.get());
    const bool anyNull = IsNullValue(a) || IsNullValue(b);
    switch (n->Op) {
        case qmtOpEQ: return Variant(!anyNull && a == b);
        case qmtOpNE: return Variant(!anyNull && a != b);
        case qmtOpGT: return Variant(!anyNull && a > b);
        case qmtOpLT: return Variant(!anyNull && a < b);
        case qmtOpGE: return Variant(!anyNull && a >= b);
        case qmtOpLE: return Variant(!anyNull && a <= b);
        case qmtOpAnd: return Variant(!anyNull && a.AsBoolean() && b.AsBoolean());
        case qmtOpOr: return Variant(!anyNull && (a.AsBoolean() || b.AsBoolean()));
        case qmtOpAdd: case qmtOpSub: case qmtOpMul: case qmtOpDiv: case qmtOpMod: case qmtOpRem:
            return anyNull ? Variant::NullValue() : Arithmetic(n->Op, a, b);
        case qmtOpLike: return Variant(!anyNull && qmtMatchesMask(VarToStr(a), VarToStr(b)));
        case qmtOpIn: return Variant(!anyNull && InList(a, b));
        default: FilterError(Fmt1(qmtmsg::OperatorNotSupported, n->Op));
    }
}

Variant EvalCompare(TqmtCustomMemTable& t, const TqmtFilterNode* n) {
    if (n->Op != qmtOpEQ && n->Op != qmtOpNE && n->Op != qmtOpLike)
        FilterError(Fmt1(qmtmsg::OperatorNotSupported, n->Op));
    const Variant a = qmtEvaluateNode(t, n->Left.get());
    const Variant b = qmtEvaluateNode(t, n->Right.get());
    if (IsNullValue(a) || IsNullValue(b)) return Variant(false);
    if (n->Op == qmtOpLike) {
        const Variant x = qmtEvaluateNode(t, n->Left.get());
        const Variant y = qmtEvaluateNode(t, n->Right.get());
        return Variant(qmtMatchesMask(VarToStr(x), VarToStr(y)));
    }
    std::string x = VarToStr(a), y = VarToStr(b);
    if (n->CaseInsensitive == 1) {
        x = AnsiUpperCase(x);
        y = AnsiUpperCase(y);
    }
    if (n->PartialLength > 0) {
        x = FirstChars(x, n->PartialLength);
        y = FirstChars(y, n->PartialLength);
    } else if (n->PartialLength < 0) {
        x = y = std::string();
    }
    return Variant(n->Op == qmtOpEQ ? x == y : x != y);
}

Variant EvalConst(const TqmtFilterNode* n) {
    if (n->Op != qmtOpConst) return Variant();
    const Variant& v = n->ConstValue;
    switch (n->ConstType) {
        case ftSmallint: case ftWord: return Variant(static_cast<int>(static_cast<Word>(v.AsInteger())));
        case ftInteger: case ftAutoInc: return Variant(v.AsInteger());
        case ftFloat: case ftCurrency: return Variant(v.AsDouble());
        case ftString: case ftFixedChar: return Variant(v.AsString());
        case ftDate: return Variant::FromDate(static_cast<double>(v.AsInteger()));
        case ftTime: return Variant::FromDate(v.AsInteger() / 86400000.0);
        case ftDateTime: return Variant::FromDate(std::round(v.AsDouble()) / 86400000.0);
        case ftBoolean: return Variant(v.AsInteger() != 0);
        case ftTimeStamp: return Variant::FromDate(v.AsDouble());
        case ftBCD: case ftFMTBcd: return Variant(Currency(v.AsDouble()));
        default: FilterError(Fmt1(qmtmsg::UnknownFieldType, static_cast<int>(n->ConstType)));
    }
}

Variant EvalList(TqmtCustomMemTable& t, const TqmtFilterNode* n) {
    if (n->Op != qmtOpListElem) FilterError(Fmt1(qmtmsg::OperatorNotSupported, n->Op));
    std::vector<Variant> items;
    for (const TqmtFilterNode* e = n; e; e = e->Next.get()) {
        if (e->NodeClass != qmtNodeListElem || e->Op != qmtOpListElem)
            FilterError(Fmt1(qmtmsg::OperatorNotSupported, e->Op));
        Variant v = qmtEvaluateNode(t, e->Left.get());
        if (v.IsArray())
            for (int i = v.LowBound(); i <= v.HighBound(); ++i) items.push_back(v[i]);
        else
            items.push_back(std::move(v));
    }
    if (items.size() >= 2) return VarArrayOf(items);
    if (items.empty()) return Variant();
    return IsNullValue(items[0]) ? Variant::NullValue() : Variant(VarToStr(items[0]));
}

// Runs a parse with the process format changed for the duration.
template <typename F>
TDateTime WithFormat(std::string TFormatSettings::*member, const std::string& format, F parse) {
    TFormatSettings& fs = DefaultFormatSettings();
    const std::string saved = fs.*member;
    fs.*member = format;
    try {
        TDateTime r = parse();
        fs.*member = saved;
        return r;
    } catch (...) {
        fs.*member = saved;
        throw;
    }
}

Variant EvalFunction(TqmtCustomMemTable& t, const TqmtFilterNode* n) {
    if (n->Op != qmtOpFunc) FilterError(Fmt1(qmtmsg::OperatorNotSupported, n->Op));
    const std::string name = AnsiUpperCase(n->Name);
    if (name == "GETDATE") return Variant::FromDate(Now());
    static const char* const known[] = {"UPPER", "LOWER", "SUBSTRING", "TRIM", "TRIMLEFT", "TRIMRIGHT", "YEAR",
                                        "MONTH", "DAY", "HOUR", "MINUTE", "SECOND", "DATE", "TIME"};
    bool isKnown = false;
    for (const char* k : known) isKnown |= name == k;
    if (!isKnown) FilterError(Fmt1(qmtmsg::InvalidFunctionName, name));
    if (!n->Left) FilterError(Fmt1(qmtmsg::InvalidFunctionParam, name));
    const Variant arg = qmtEvaluateNode(t, n->Left.get());
    if (IsNullValue(arg)) return Variant::NullValue();
    try {
        if (name == "UPPER") return Variant(AsciiUpper(VarToStr(arg)));
        if (name == "LOWER") return Variant(AsciiLower(VarToStr(arg)));
        if (name == "TRIM") return Variant(Trim(VarToStr(arg)));
        if (name == "TRIMLEFT") return Variant(TrimLeft(VarToStr(arg)));
        if (name == "TRIMRIGHT") return Variant(TrimRight(VarToStr(arg)));
        if (name == "SUBSTRING") {
            if (!arg.IsArray() || arg.HighBound() - arg.LowBound() < 1)
                FilterError(Fmt1(qmtmsg::InvalidFunctionParam, name));
            const int lo = arg.LowBound();
            const std::string text = VarToStr(arg[lo]);
            const std::string startText = VarToStr(arg[lo + 1]);
            int length = arg.HighBound() >= lo + 2 ? arg[lo + 2].AsInteger() : 0;
            int start;
            const size_t comma = startText.find(',');
            if (length == 0 && comma != std::string::npos) {
                start = Variant(startText.substr(0, comma)).AsInteger();
                length = Variant(startText.substr(comma + 1)).AsInteger();
            } else {
                start = arg[lo + 1].AsInteger();
            }
            const std::vector<std::string> chars = Chars(text);
            if (length == 0 && comma == std::string::npos) length = static_cast<int>(chars.size());
            if (start < 1) start = 1;
            std::string out;
            for (int i = start - 1; i < static_cast<int>(chars.size()) && length > 0; ++i, --length)
                out += chars[static_cast<size_t>(i)];
            return Variant(out);
        }
        if (name == "DATE" || name == "TIME") {
            if (arg.IsArray()) {
                const int lo = arg.LowBound();
                if (arg.HighBound() < lo + 1) FilterError(Fmt1(qmtmsg::InvalidFunctionParam, name));
                const std::string text = VarToStr(arg[lo]), format = VarToStr(arg[lo + 1]);
                if (name == "DATE")
                    return Variant::FromDate(
                        WithFormat(&TFormatSettings::ShortDateFormat, format, [&] { return StrToDate(text); }));
                return Variant::FromDate(
                    WithFormat(&TFormatSettings::LongTimeFormat, format, [&] { return StrToTime(text); }));
            }
            const TDateTime dt = VarToDateTime(arg);
            if (name == "DATE") return Variant(static_cast<int>(std::trunc(dt)));
            return Variant::FromDate(dt - std::trunc(dt));
        }
        const TDateTime dt = VarToDateTime(arg);
        Word y, m, d, h, mi, s, ms;
        DecodeDate(dt, y, m, d);
        DecodeTime(dt, h, mi, s, ms);
        if (name == "YEAR") return Variant(static_cast<int>(y));
        if (name == "MONTH") return Variant(static_cast<int>(m));
        if (name == "DAY") return Variant(static_cast<int>(d));
        if (name == "HOUR") return Variant(static_cast<int>(h));
        if (name == "MINUTE") return Variant(static_cast<int>(mi));
        return Variant(static_cast<int>(s));
    } catch (const EMemTableFilterError&) {
        throw;
    } catch (const EVariantError&) {
        FilterError(Fmt1(qmtmsg::InvalidFunctionParam, name));
    } catch (const EConvertError&) {
        FilterError(Fmt1(qmtmsg::InvalidFunctionParam, name));
    }
}

}  // namespace

TqmtFilterExpr::TqmtFilterExpr(TDataSet* dataSet, const std::string& text, TFilterOptions options) {
    Parser p(dataSet, text, options);
    root_ = p.ParseAll();
}

bool qmtMatchesMask(const std::string& text, const std::string& mask) { return MatchFrom(Chars(text), Chars(mask)); }

Variant qmtEvaluateNode(TqmtCustomMemTable& table, const TqmtFilterNode* node) {
    if (!node) return Variant();
    switch (node->NodeClass) {
        case qmtNodeUnary: return EvalUnary(table, node);
        case qmtNodeBinary: return EvalBinary(table, node);
        case qmtNodeCompare: return EvalCompare(table, node);
        case qmtNodeField:
            if (node->Op != qmtOpField) FilterError(Fmt1(qmtmsg::UnknownOperator, node->Op));
            return table.FieldByName(node->Name)->AsVariant();
        case qmtNodeConst: return EvalConst(node);
        case qmtNodeFunc: return EvalFunction(table, node);
        case qmtNodeListElem: return EvalList(table, node);
        default: return Variant();
    }
}
