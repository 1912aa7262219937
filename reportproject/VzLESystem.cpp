#include "reportproject/VzLESystem.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <random>

#include "platform/core/Currency.h"
#include "platform/core/DateTime.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "platform/gui/Prompts.h"
#include "report/ReportDefs.h"
#include "reportproject/VzLEString.h"
#include "reportproject/VzLESysBind.h"

#include <QApplication>

namespace {

// A date-time, double or currency argument: two cells, low word later.
std::int64_t Cells64(TNativeCall& c, int i) { return std::int64_t((std::uint64_t(c.Cell(i)) << 32) | c.Cell(i + 1)); }

void Store16(TNativeCall& c, std::uint32_t address, int v) {
    const std::uint16_t w = std::uint16_t(v);
    std::memcpy(c.Memory(address, 2), &w, 2);
}

std::mt19937& Rng() {
    static std::mt19937 rng(0);
    return rng;
}

int CharPos(const std::string& part, const std::string& text) {
    const Integer at = Pos(part, text);
    return at == 0 ? 0 : Utf8Length(std::string_view(text).substr(0, std::size_t(at - 1))) + 1;
}

void ThrowIfBad(long double v) {
    if (!std::isfinite(v)) throw EReportPrinter(Trans("Invalid floating point operation"));
}

// SYSFUNC ------------------------------------------------------------------------

void ShowMessageF(TNativeCall& c) { ShowMessage(c.Str(0)); }
void IntToStrF(TNativeCall& c) { c.SetStringResult(IntToStr(c.Int(0))); }
void StrToIntF(TNativeCall& c) { c.IntResult = StrToInt(c.Str(0)); }
void StrToIntDefF(TNativeCall& c) { c.IntResult = StrToIntDef(c.Str(0), c.Int(1)); }
void StrToFloatF(TNativeCall& c) { c.FloatResult = StrToFloat(c.Str(0)); }
void FloatToStrF(TNativeCall& c) { c.SetStringResult(FloatToStr(double(c.Extended(0)))); }
void CopyF(TNativeCall& c) { c.SetStringResult(Utf8Copy(c.Str(0), c.Int(1), c.Int(2))); }
void DeleteF(TNativeCall& c) {
    const std::uint32_t at = c.Cell(0);
    std::uint32_t handle;
    std::memcpy(&handle, c.Memory(at, 4), 4);
    const std::string s = ScriptStrings::Text(handle);
    const Integer index = c.Int(1), count = c.Int(2), len = Utf8Length(s);
    if (index < 1 || index > len || count <= 0) return;
    c.SetStringAt(at, Utf8Copy(s, 1, index - 1) + Utf8Copy(s, index + std::min(count, len), len));
}
void InsertF(TNativeCall& c) {
    const std::string src = c.Str(0);
    const std::uint32_t at = c.Cell(1);
    std::uint32_t handle;
    std::memcpy(&handle, c.Memory(at, 4), 4);
    const std::string s = ScriptStrings::Text(handle);
    const Integer len = Utf8Length(s);
    const Integer index = std::clamp<Integer>(c.Int(2), 1, len + 1);
    c.SetStringAt(at, Utf8Copy(s, 1, index - 1) + src + Utf8Copy(s, index, len));
}
void LengthF(TNativeCall& c) { c.IntResult = Utf8Length(c.Str(0)); }
void PosF(TNativeCall& c) { c.IntResult = CharPos(c.Str(0), c.Str(1)); }
void CompareF(TNativeCall& c) { c.IntResult = CompareText(c.Str(0), c.Str(1)); }
void CompareCaseF(TNativeCall& c) { c.IntResult = CompareStr(c.Str(0), c.Str(1)); }
void TrimF(TNativeCall& c) { c.SetStringResult(Trim(c.Str(0))); }
void TrimLeftF(TNativeCall& c) { c.SetStringResult(TrimLeft(c.Str(0))); }
void TrimRightF(TNativeCall& c) { c.SetStringResult(TrimRight(c.Str(0))); }
void MakeStrF(TNativeCall& c) {
    const Integer n = c.Int(1);
    if (n > 0x1000000) throw EReportPrinter(Trans("Text too long"));
    c.SetStringResult(std::string(std::size_t(std::max<Integer>(n, 0)), char(c.Cell(0))));
}
void UpperCaseF(TNativeCall& c) { c.SetStringResult(UpperCase(c.Str(0))); }
void LowerCaseF(TNativeCall& c) { c.SetStringResult(LowerCase(c.Str(0))); }
void ChrF(TNativeCall& c) { c.IntResult = c.Cell(0) & 0xFF; }
void CurrToStrF(TNativeCall& c) { c.SetStringResult(CurrToStr(Currency::FromRaw(Cells64(c, 0)))); }
void StrToCurrF(TNativeCall& c) { c.IntResult = StrToCurr(c.Str(0)).Raw(); }
void DateTimeToStrF(TNativeCall& c) { c.SetStringResult(DateTimeToStr(c.Double(0))); }
void DateToStrF(TNativeCall& c) { c.SetStringResult(DateToStr(c.Double(0))); }
void TimeToStrF(TNativeCall& c) { c.SetStringResult(TimeToStr(c.Double(0))); }
void StrToDateTimeF(TNativeCall& c) { c.FloatResult = StrToDateTime(c.Str(0)); }
void StrToDateF(TNativeCall& c) { c.FloatResult = StrToDate(c.Str(0)); }
void StrToTimeF(TNativeCall& c) { c.FloatResult = StrToTime(c.Str(0)); }
void AbsF(TNativeCall& c) { c.IntResult = std::uint32_t(c.Int(0) < 0 ? 0u - c.Cell(0) : c.Cell(0)); }
void AbsExtF(TNativeCall& c) { c.FloatResult = std::fabs(c.Extended(0)); }
void ArcTanF(TNativeCall& c) { c.FloatResult = std::atan(c.Extended(0)); }
void CosF(TNativeCall& c) { c.FloatResult = std::cos(c.Extended(0)); }
void SinF(TNativeCall& c) { c.FloatResult = std::sin(c.Extended(0)); }
void ExpF(TNativeCall& c) { c.FloatResult = std::exp(c.Extended(0)); ThrowIfBad(c.FloatResult); }
void FracF(TNativeCall& c) { const long double v = c.Extended(0); c.FloatResult = v - std::trunc(v); }
void LnF(TNativeCall& c) { c.FloatResult = std::log(c.Extended(0)); ThrowIfBad(c.FloatResult); }
std::int64_t ToInt(long double v) {
    if (!(v >= -9223372036854775808.0L && v < 9223372036854775808.0L))
        throw EReportPrinter(Trans("Invalid floating point operation"));
    return std::int64_t(v);
}
void RoundF(TNativeCall& c) { c.IntResult = ToInt(std::nearbyint(c.Extended(0))); }
void TruncF(TNativeCall& c) { c.IntResult = ToInt(std::trunc(c.Extended(0))); }
void OddF(TNativeCall& c) { c.IntResult = c.Cell(0) & 1; }
void PiF(TNativeCall& c) { c.FloatResult = 3.1415926535897932385L; }
void RandomF(TNativeCall& c) {
    const Integer n = c.Int(0);
    c.IntResult = n <= 0 ? 0 : Integer(Rng()() % std::uint32_t(n));
}
void RandomizeF(TNativeCall&) {
    Rng().seed(std::uint32_t(std::chrono::steady_clock::now().time_since_epoch().count()));
}
void SqrF(TNativeCall& c) { const long double v = c.Extended(0); c.FloatResult = v * v; }
void SqrtF(TNativeCall& c) { c.FloatResult = std::sqrt(c.Extended(0)); ThrowIfBad(c.FloatResult); }
void BeepF(TNativeCall&) { QApplication::beep(); }
void DateF(TNativeCall& c) { c.FloatResult = Date(); }
void NowF(TNativeCall& c) { c.FloatResult = Now(); }
void DayOfWeekF(TNativeCall& c) { c.IntResult = DayOfWeek(c.Double(0)); }
void BreakUpDateF(TNativeCall& c) {
    Word y, m, d;
    DecodeDate(c.Double(0), y, m, d);
    Store16(c, c.Cell(2), y);
    Store16(c, c.Cell(3), m);
    Store16(c, c.Cell(4), d);
}
void BreakUpTimeF(TNativeCall& c) {
    Word h, m, s, ms;
    DecodeTime(c.Double(0), h, m, s, ms);
    Store16(c, c.Cell(2), h);
    Store16(c, c.Cell(3), m);
    Store16(c, c.Cell(4), s);
    Store16(c, c.Cell(5), ms);
}
void CreateDateF(TNativeCall& c) { c.FloatResult = EncodeDate(Word(c.Int(0)), Word(c.Int(1)), Word(c.Int(2))); }
void CreateTimeF(TNativeCall& c) {
    c.FloatResult = EncodeTime(Word(c.Int(0)), Word(c.Int(1)), Word(c.Int(2)), Word(c.Int(3)));
}
void QuotedStrF(TNativeCall& c) { c.SetStringResult(AnsiQuotedStr(c.Str(0), char(c.Cell(1)))); }
void FormatFloatF(TNativeCall& c) { c.SetStringResult(FormatFloat(c.Str(0), double(c.Extended(1)))); }

#define SYS(fn, name) {&fn, name, "SYSFUNC"}

}  // namespace

const std::vector<TVizeFuncItem>& SystemFunctions() {
    static const std::vector<TVizeFuncItem> table = [] {
        std::vector<TVizeFuncItem> t = {
        SYS(ShowMessageF, "SHOWMESSAGE"), SYS(IntToStrF, "INTTOSTR"), SYS(StrToIntF, "STRTOINT"),
        SYS(StrToIntDefF, "STRTOINTDEF"), SYS(StrToFloatF, "STRTOFLOAT"), SYS(FloatToStrF, "FLOATTOSTR"),
        SYS(CopyF, "COPY"), SYS(DeleteF, "DELETE"), SYS(InsertF, "INSERT"), SYS(LengthF, "LENGTH"),
        SYS(PosF, "POS"), SYS(CompareF, "COMPARE"), SYS(CompareCaseF, "COMPARECASE"), SYS(TrimF, "TRIM"),
        SYS(TrimLeftF, "TRIMLEFT"), SYS(TrimRightF, "TRIMRIGHT"), SYS(MakeStrF, "MAKESTR"),
        SYS(UpperCaseF, "UPPERCASE"), SYS(LowerCaseF, "LOWERCASE"), SYS(ChrF, "CHR"),
        SYS(CurrToStrF, "CURRTOSTR"), SYS(StrToCurrF, "STRTOCURR"), SYS(DateTimeToStrF, "DATETIMETOSTR"),
        SYS(DateToStrF, "DATETOSTR"), SYS(TimeToStrF, "TIMETOSTR"), SYS(StrToDateTimeF, "STRTODATETIME"),
        SYS(StrToDateF, "STRTODATE"), SYS(StrToTimeF, "STRTOTIME"), SYS(AbsF, "ABS"), SYS(AbsExtF, "ABSEXT"),
        SYS(ArcTanF, "ARCTAN"), SYS(CosF, "COS"), SYS(SinF, "SIN"), SYS(ExpF, "EXP"), SYS(FracF, "FRAC"),
        SYS(LnF, "LN"), SYS(RoundF, "ROUND"), SYS(TruncF, "TRUNC"), SYS(OddF, "ODD"), SYS(PiF, "PI"),
        SYS(RandomF, "RANDOM"), SYS(RandomizeF, "RANDOMIZE"), SYS(SqrF, "SQR"), SYS(SqrtF, "SQRT"),
        SYS(BeepF, "BEEP"), SYS(DateF, "DATE"), SYS(NowF, "NOW"), SYS(DayOfWeekF, "DAYOFWEEK"),
        SYS(BreakUpDateF, "BREAKUPDATE"), SYS(BreakUpTimeF, "BREAKUPTIME"), SYS(CreateDateF, "CREATEDATE"),
        SYS(CreateTimeF, "CREATETIME"), SYS(QuotedStrF, "QUOTEDSTR"), SYS(FormatFloatF, "FORMATFLOAT"),
        };
        vzsys::AppendBaseReportFunctions(t);
        vzsys::AppendComponentFunctions(t);
        return t;
    }();
    return table;
}

void RegisterSystemFunctions() {
    for (const auto& item : SystemFunctions()) RegisterNative(item.Entry, item.Name, item.Module);
}
