#include "report/Memo.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int MaxTokenLength = 65520;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

int NearestInt(double v) { return int(std::nearbyint(v)); }

// Characters of the line outside code blocks.
int PlainCount(const std::string& text) { return CodeFreeLength(text); }

}  // namespace

// ---------------------------------------------------------------- loading

void TMemoBuf::Clear() {
    buffer_.clear();
    capacity_ = 0;
    items_.clear();
    pos_ = 0;
    paraFlag_ = true;
    lineStart_ = true;
}

void TMemoBuf::SetText(const std::string& text) {
    Clear();
    if (text.empty()) return;
    int n = int(text.size());
    int m = ProcessCodes ? CodeFreeLength(text) : n;
    capacity_ = m;
    if (m == n) {
        buffer_ = text;
        return;
    }
    buffer_.reserve(size_t(m));
    std::string codes;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == FormatBlockStart) {
            size_t end = text.find(FormatBlockEnd, i);
            if (end == std::string::npos) {
                // An unclosed block runs to the end of the text; it is
                // closed so that the item reads as a whole block.
                codes += text.substr(i) + FormatBlockEnd;
                i = text.size();
            } else {
                codes += text.substr(i, end - i + 1);
                i = end + 1;
            }
            continue;
        }
        if (!codes.empty()) {
            AddCode(codes, int(buffer_.size()));
            codes.clear();
        }
        buffer_ += text[i++];
    }
    if (!codes.empty()) AddCode(codes, int(buffer_.size()));
}

void TMemoBuf::SetRTF(const std::string& rtf) {
    if (rtf.empty()) {
        Clear();
        return;
    }
    SetText(ReadRTF(rtf));
}

void TMemoBuf::LoadStream(TStream& stream, Int64 count) {
    std::string data;
    if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
        Int64 n = count <= 0 || count > memory->Size() ? memory->Size() : count;
        data.assign(memory->Memory(), size_t(n));
    } else {
        Int64 left = stream.Size() - stream.Position();
        Int64 n = count <= 0 || count > left ? left : count;
        data.resize(size_t(std::max<Int64>(n, 0)));
        if (!data.empty()) stream.ReadBuffer(data.data(), Integer(data.size()));
    }
    SetText(data);
}

void TMemoBuf::AddCode(const std::string& codes, int pos, bool replace) {
    if (codes.empty()) return;
    auto it = items_.begin();
    for (; it != items_.end(); ++it) {
        TVPTFItem& item = **it;
        if (item.Position > pos) break;
        if (item.Position == pos) {
            if (replace) {
                item.Codes = codes;
            } else {
                // Two runs at one position read as one block.
                if (!item.Codes.empty() && item.Codes.back() == FormatBlockEnd) item.Codes.pop_back();
                std::string more = codes;
                if (more[0] == FormatBlockStart) more[0] = FormatCodeSeparator;
                item.Codes += more;
            }
            return;
        }
    }
    items_.insert(it, std::make_unique<TVPTFItem>(codes, pos));
}

TFormatState TMemoBuf::FormatStateAt(int pos) const {
    TFormatState state;
    for (const auto& item : items_) {
        if (item->Position > pos) break;
        ApplyFormatCodes(state, item->Codes);
    }
    return state;
}

// ---------------------------------------------------------------- editing

void TMemoBuf::InsertText(int pos, const std::string& text) {
    if (text.empty()) return;
    pos = std::clamp(pos, 0, Size());
    int len = int(text.size());
    if (Size() + len > capacity_) {
        int inc = BufferIncrement > 0 ? BufferIncrement : 256;
        capacity_ = inc * ((Size() + len - 1) / inc + 1);
        buffer_.reserve(size_t(capacity_));
    }
    for (auto& item : items_)
        if (item->Position >= pos) item->Position += len;
    buffer_.insert(size_t(pos), text);
}

void TMemoBuf::DeleteText(int pos, int count) {
    // Only characters that exist are deleted: a range reaching past the end
    // is cut there, so no code item is moved beyond the text.
    if (pos < 0 || pos >= Size() || count <= 0) return;
    count = std::min(count, Size() - pos);
    int after = pos + count;
    if (!items_.empty()) {
        AddCode(FormatStateCode(FormatStateAt(after)), after, true);
        auto it = items_.begin();
        while (it != items_.end()) {
            if ((*it)->Position >= pos && (*it)->Position < after) {
                it = items_.erase(it);
                continue;
            }
            if ((*it)->Position >= after) (*it)->Position -= count;
            ++it;
        }
    }
    buffer_.erase(size_t(pos), size_t(count));
}

bool TMemoBuf::FindText(const std::string& text, bool caseMatters) {
    searchCase_ = caseMatters;
    search_ = caseMatters ? text : ReportUpperCase(text);
    int former = pos_;
    pos_ = -1;
    bool found = FindNextText();
    if (!found) pos_ = former;
    return found;
}

bool TMemoBuf::FindNextText() {
    // An empty search text matches nothing (it would match everywhere).
    int len = int(search_.size());
    if (len == 0) return false;
    for (int start = pos_ + 1; start <= Size() - len; ++start) {
        bool match = true;
        for (int i = 0; i < len && match; ++i) {
            char c = buffer_[size_t(start + i)];
            if (searchCase_)
                match = c == search_[size_t(i)];
            else
                match = ReportUpperCase(std::string(1, c)) == std::string(1, search_[size_t(i)]);
        }
        if (match) {
            pos_ = start;
            return true;
        }
    }
    return false;
}

void TMemoBuf::ReplaceAll(const std::string& search, const std::string& replacement, bool caseMatters) {
    int remembered = pos_;
    bool found = FindText(search, caseMatters);
    while (found) {
        int match = pos_;
        bool coded = !items_.empty();
        std::string z = coded ? FormatStateCode(FormatStateAt(match)) : std::string();
        DeleteText(match, int(search.size()));
        InsertText(match, replacement);
        if (coded) AddCode(z, match, true);
        pos_ = match + int(replacement.size()) - 1;
        found = FindNextText();
    }
    pos_ = std::min(remembered, Size());
}

// ----------------------------------------------------------------- layout

void TMemoBuf::CheckReport(const char*) const {
    if (!BaseReport) RaiseReportError("TMemoBuf.BaseReport not assigned.");
}

bool TMemoBuf::ReadToken(std::string& token) {
    token.clear();
    int size = Size();
    int o = pos_;
    int q = o;
    while (q < size && q - o < MaxTokenLength && IsBlank(buffer_[size_t(q)])) ++q;
    if (lineStart_) {
        lineFirst_ = q;
        if (!paraFlag_ && !KeepSpaces) o = q;
        paraFlag_ = false;
        lineStart_ = false;
    }
    if (q < size && IsLineEnd(buffer_[size_t(q)])) {
        if (buffer_[size_t(q)] == '\r' && q + 1 < size && buffer_[size_t(q) + 1] == '\n') ++q;
        pos_ = q + 1;
        paraFlag_ = true;
        return true;
    }
    int end = q;
    while (end < size && end - o < MaxTokenLength && !IsBlank(buffer_[size_t(end)]) && !IsLineEnd(buffer_[size_t(end)]))
        ++end;
    token = buffer_.substr(size_t(o), size_t(end - o));
    pos_ = end;
    return false;
}

std::string TMemoBuf::InsertCodes(const std::string& raw) const {
    if (items_.empty()) return raw;
    int s = lineFirst_;
    int k = 0;
    while (k < int(raw.size()) && (IsBlank(raw[size_t(k)]) || IsLineEnd(raw[size_t(k)]))) ++k;
    int e = s + (int(raw.size()) - k) - 1;
    std::string text = raw;
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        const TVPTFItem& item = **it;
        if (item.Position > e) continue;
        int offset = std::max(0, item.Position - s + k);
        text.insert(size_t(std::min(offset, int(text.size()))), item.Codes);
        if (item.Position <= s) break;
    }
    return text;
}

int TMemoBuf::MeasureLine(const std::string& line) {
    if (line.find(FormatBlockStart) != std::string::npos) return BaseReport->CodedTextWidth(line);
    // Coded measures leave another font on the canvas.
    BaseReport->SelectRpFont();
    return BaseReport->TabbedWidth(line, 0);
}

bool TMemoBuf::LayOutLine(int w, std::string& line) {
    lineStart_ = true;
    bool beginsParagraph = paraFlag_;
    line.clear();
    std::string raw, z;
    int a = w;
    bool first = true;
    bool ended = false;
    while (true) {
        int p0 = pos_;
        std::string token;
        bool isBreak = ReadToken(token);
        if (first) {
            first = false;
            if (!items_.empty()) {
                TFormatState state = FormatStateAt(p0);
                z = FormatStateCode(state);
                leftIndent_ = state.LeftIndent + (beginsParagraph ? state.FirstIndent : 0);
                rightIndent_ = state.RightIndent;
                a = std::max(w - NearestInt((leftIndent_ + rightIndent_) * BaseReport->XDPI()), BaseReport->XDPI());
            } else {
                leftIndent_ = rightIndent_ = 0;
            }
        }
        if (isBreak || token.empty()) {
            if (line.empty()) line = z;
            return true;
        }
        raw += token;
        std::string candidate = z + InsertCodes(raw);
        int width = MeasureLine(candidate);
        if (width > a) {
            pos_ = p0;
            break;
        }
        line = candidate;
        if (width == a) {
            // A line that fills the width exactly and is followed by its
            // paragraph's end takes the break along, so that no empty line
            // follows it.
            int q = pos_;
            while (q < Size() && IsBlank(buffer_[size_t(q)])) ++q;
            if (q >= Size() || IsLineEnd(buffer_[size_t(q)])) {
                ended = ReadToken(token) || token.empty();
            }
            break;
        }
    }
    if (PlainCount(line) > 0) return ended;

    // Not even the first word fits: the line is built character by
    // character, in the format in force.
    line = z;
    int size = Size();
    bool taken = false;
    while (pos_ < size && !IsLineEnd(buffer_[size_t(pos_)])) {
        int next = pos_;
        std::string chunk;
        while (next < size && buffer_[size_t(next)] == FormatBlockStart) {
            size_t end = buffer_.find(FormatBlockEnd, size_t(next));
            if (end == std::string::npos) end = size_t(size) - 1;
            chunk += buffer_.substr(size_t(next), end - size_t(next) + 1);
            next = int(end) + 1;
        }
        if (next >= size) break;
        chunk += buffer_[size_t(next)];
        ++next;
        std::string candidate = line + chunk;
        int width = MeasureLine(candidate);
        // A character wider than the whole line is taken alone, so that
        // the layout always moves on.
        if (width > a && taken) break;
        line = candidate;
        pos_ = next;
        if (PlainCount(line) == 1 && line.back() == ' ') {
            line = z;  // leading blanks are dropped
        } else {
            taken = true;
        }
        if (width >= a) break;
    }
    return pos_ >= size;
}

bool TMemoBuf::LayOutWithFont(int w, std::string& line) {
    TCanvas* canvas = BaseReport->OutputDevice() ? BaseReport->OutputDevice()->GetCanvas() : nullptr;
    TFont previous;
    if (canvas) previous.Assign(*canvas->Font());
    BaseReport->SelectRpFont();
    bool ended;
    try {
        ended = LayOutLine(w, line);
    } catch (...) {
        if (canvas) canvas->Font()->Assign(previous);
        throw;
    }
    if (canvas) canvas->Font()->Assign(previous);
    return ended;
}

int TMemoBuf::PrintWidth() const { return BaseReport->XU2D(PrintEnd) - BaseReport->XU2D(PrintStart) + 1; }

bool TMemoBuf::CodedHeights() const { return !items_.empty() && BaseReport->LineHeightMethod() == lhmFont; }

void TMemoBuf::ReadLine(bool& endsParagraph, std::string& line) {
    CheckReport("ReadLine");
    endsParagraph = LayOutWithFont(PrintWidth(), line);
}

std::string TMemoBuf::GetLine() {
    bool ends;
    std::string line;
    ReadLine(ends, line);
    return line;
}

int TMemoBuf::CountLines() {
    CheckReport("CountLines");
    TSavedState saved = SaveState();
    int w = PrintWidth();
    int n = 0;
    std::string line;
    try {
        while (!AtEnd()) {
            LayOutWithFont(w, line);
            ++n;
        }
    } catch (...) {
        RestoreState(saved);
        throw;
    }
    RestoreState(saved);
    return n;
}

void TMemoBuf::LineBreak() {
    if (paraFlag_ || HardLines)
        BaseReport->NewLine();
    else
        BaseReport->SoftLine();
}

double TMemoBuf::PrintLines(int count, bool useTabs) {
    if (count < 0) return 0;
    CheckReport("PrintLines");
    std::string prefix;
    if (useTabs && BaseReport->TabList())
        prefix.assign(std::min<size_t>(BaseReport->TabList()->size(), 60), '\t');
    if (PrintEnd <= PrintStart) RaiseReportError("TMemoBuf.PrintEnd must be greater than TMemoBuf.PrintStart");
    int w = PrintWidth();
    bool budget = MaxHeight > 0;
    double result = 0;
    double columnPitch = BaseReport->UnitsToInchesX(BaseReport->GetColumnStart() - BaseReport->SectionLeft());
    for (int i = 0; count > 0 ? i < count : !AtEnd(); ++i) {
        TSavedState saved = SaveState();
        std::string line;
        bool ended = LayOutWithFont(w, line);
        if (CodedHeights()) {
            double h = BaseReport->CodedTextHeight(line);
            if (budget) {
                MaxHeight -= 1.2 * h;
                if (MaxHeight + 0.001 < 0) {
                    RestoreState(saved);
                    break;
                }
            }
            if (i > 0) LineBreak();
            BaseReport->SetFontHeight(h);
            result += h;
            BaseReport->AdjustLine();
        } else {
            if (i > 0) LineBreak();
            result += BaseReport->GetLineHeight();
        }
        if (!prefix.empty()) BaseReport->Print(prefix);
        if (!items_.empty()) Justify = JustifyOfCodes(line, Justify);
        TPrintJustify j = ended && Justify == pjBlock ? pjLeft : Justify;
        double x = BaseReport->UnitsToInchesX(PrintStart) + leftIndent_ + columnPitch;
        double width = BaseReport->UnitsToInchesX(PrintEnd - PrintStart) - (leftIndent_ + rightIndent_);
        BaseReport->PrintJustify(line, j, x, 0, width);
    }
    if (!NoFinalBreak) {
        if (paraFlag_ || HardLines || AtEnd())
            BaseReport->NewLine();
        else
            BaseReport->SoftLine();
    }
    return result;
}

double TMemoBuf::PrintHeight(double height, bool useTabs) {
    CheckReport("PrintHeight");
    BaseReport->AdjustLine();
    if (height <= 0) return 0;
    if (CodedHeights()) {
        MaxHeight = height;
        double result;
        try {
            result = PrintLines(0, useTabs);
        } catch (...) {
            MaxHeight = 0;
            throw;
        }
        MaxHeight = 0;
        return result;
    }
    double lh = BaseReport->GetLineHeight();
    if (lh <= 0) return 0;
    int n = int(std::trunc(height / lh + 0.00001));
    if (n == 0) return 0;
    return PrintLines(n, useTabs);
}

double TMemoBuf::HeightWithin(double limit) {
    CheckReport("HeightWithin");
    if (CodedHeights()) {
        TSavedState saved = SaveState();
        int w = PrintWidth();
        double total = 0;
        std::string line;
        try {
            while (!AtEnd()) {
                LayOutWithFont(w, line);
                double h = 1.2 * BaseReport->CodedTextHeight(line);
                if (total + h > limit) break;
                total += h;
            }
        } catch (...) {
            RestoreState(saved);
            throw;
        }
        RestoreState(saved);
        return total;
    }
    double lh = BaseReport->GetLineHeight();
    double total = lh * CountLines();
    if (total > limit && lh > 0) total = lh * std::trunc(limit / lh);
    return total;
}
