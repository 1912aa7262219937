#pragma once
// Number and date text in the platform's formats: the printf-like Format,
// format masks for numbers (FormatFloat) and dates (FormatDateTime), and the
// matching parsers. Every routine follows a TFormatSettings passed in, or the
// process default (DefaultFormatSettings()); none looks at the C locale.
//
// Number formatting rounds half away from zero on the decimal digits of the
// value's 18-digit decimal expansion, as the platform's formatter does. That
// is display rounding and deliberately differs from RoundHalfEven
// (MathUtils.h), which computations use before formatting.

#include "platform/core/Currency.h"
#include "platform/core/FormatSettings.h"
#include "platform/core/Types.h"

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------- Format()

// One argument of Format(): an integer, a 64-bit integer, a floating-point
// value, a currency value, a string, a character or a pointer.
class FormatArg {
public:
    enum class Kind { Integer, Int64, Float, Currency, String, Char, Pointer };

    FormatArg(int v) : kind_(Kind::Integer), i_(v) {}
    FormatArg(short v) : kind_(Kind::Integer), i_(v) {}
    FormatArg(unsigned short v) : kind_(Kind::Integer), i_(v) {}
    FormatArg(signed char v) : kind_(Kind::Integer), i_(v) {}
    FormatArg(unsigned char v) : kind_(Kind::Integer), i_(v) {}
    FormatArg(unsigned v) : kind_(Kind::Int64), i_(static_cast<Int64>(v)) {}
    FormatArg(long v) : kind_(Kind::Int64), i_(static_cast<Int64>(v)) {}
    FormatArg(unsigned long v) : kind_(Kind::Int64), i_(static_cast<Int64>(v)) {}
    FormatArg(long long v) : kind_(Kind::Int64), i_(static_cast<Int64>(v)) {}
    FormatArg(unsigned long long v) : kind_(Kind::Int64), i_(static_cast<Int64>(v)) {}
    FormatArg(double v) : kind_(Kind::Float), d_(v) {}
    FormatArg(float v) : kind_(Kind::Float), d_(v) {}
    FormatArg(long double v) : kind_(Kind::Float), d_(static_cast<double>(v)) {}
    FormatArg(Currency v) : kind_(Kind::Currency), i_(v.Raw()) {}
    FormatArg(char v) : kind_(Kind::Char), i_(static_cast<unsigned char>(v)) {}
    FormatArg(const char* v) : kind_(Kind::String), s_(v ? v : "") {}
    FormatArg(char* v) : kind_(Kind::String), s_(v ? v : "") {}
    FormatArg(std::string_view v) : kind_(Kind::String), s_(v) {}
    FormatArg(const std::string& v) : kind_(Kind::String), s_(v) {}
    FormatArg(std::nullptr_t) : kind_(Kind::Pointer), p_(nullptr) {}
    template <class T>
    FormatArg(T* v) : kind_(Kind::Pointer), p_(static_cast<const void*>(v)) {}
    // A Boolean has no format conversion; pass an integer or text instead.
    FormatArg(bool) = delete;

    Kind kind() const { return kind_; }
    Int64 AsInt64() const { return i_; }
    double AsDouble() const { return d_; }
    const std::string& AsString() const { return s_; }
    const void* AsPointer() const { return p_; }

private:
    Kind kind_;
    Int64 i_ = 0;
    double d_ = 0;
    std::string s_;
    const void* p_ = nullptr;
};

// printf-like formatting with the platform's specifiers:
//   "%" [index ":"] ["-"] [width] ["." precision] type
// type d (integer), u (unsigned), e (scientific), f (fixed), g (general),
// n (fixed with thousands), m (money), p (pointer), s (string or char),
// x (hexadecimal); index, width and precision may be "*" (taken from the next
// integer argument); "%%" is a percent sign. Width and precision count
// characters, not bytes.
// Raises EConvertError "Format '<fmt>' invalid or incompatible with argument"
// for a bad specifier or argument type, and "No argument for format '<fmt>'"
// when arguments run out.
std::string Format(const std::string& fmt, std::initializer_list<FormatArg> args);
std::string Format(const std::string& fmt, std::initializer_list<FormatArg> args,
                   const TFormatSettings& fs);
std::string Format(const std::string& fmt, const std::vector<FormatArg>& args);
std::string Format(const std::string& fmt, const std::vector<FormatArg>& args,
                   const TFormatSettings& fs);

// ---------------------------------------------------------------- numbers

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// Format mask language: "0" digit or zero, "#" digit or nothing, "." decimal
// separator, "," thousands grouping, "E+" "E-" "e+" "e-" scientific with the
// following zeros as minimum exponent digits, '...' and "..." literal text,
// and up to three ";"-separated sections for positive, negative and zero
// values. An empty mask gives the general format with 15 digits.
std::string FormatFloat(const std::string& mask, double value);
std::string FormatFloat(const std::string& mask, double value, const TFormatSettings& fs);
std::string FormatCurr(const std::string& mask, Currency value);
std::string FormatCurr(const std::string& mask, Currency value, const TFormatSettings& fs);

// precision: significant digits (1..18); digits: decimals for ffFixed,
// ffNumber and ffCurrency, minimum exponent digits (0..4) for ffGeneral and
// ffExponent.
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& fs);
// General format with 15 significant digits.
std::string FloatToStr(double value);
std::string FloatToStr(double value, const TFormatSettings& fs);

// Parsing: optional blanks, sign, digits with the settings' decimal
// separator, optional exponent. StrToFloat raises EConvertError
// "'<text>' is not a valid floating point value".
double StrToFloat(const std::string& s);
double StrToFloat(const std::string& s, const TFormatSettings& fs);
double StrToFloatDef(const std::string& s, double def);
double StrToFloatDef(const std::string& s, double def, const TFormatSettings& fs);
bool TryStrToFloat(const std::string& s, double& value);
bool TryStrToFloat(const std::string& s, double& value, const TFormatSettings& fs);

// Currency as text: up to four decimals, no trailing zeros ("12.5").
std::string CurrToStr(Currency value);
std::string CurrToStr(Currency value, const TFormatSettings& fs);
std::string CurrToStrF(Currency value, TFloatFormat format, int digits);
std::string CurrToStrF(Currency value, TFloatFormat format, int digits, const TFormatSettings& fs);
// Parses exactly (no binary rounding); a fifth decimal and beyond round half
// to even. Raises EConvertError "'<text>' is not a valid floating point value".
Currency StrToCurr(const std::string& s);
Currency StrToCurr(const std::string& s, const TFormatSettings& fs);
Currency StrToCurrDef(const std::string& s, Currency def);
Currency StrToCurrDef(const std::string& s, Currency def, const TFormatSettings& fs);
bool TryStrToCurr(const std::string& s, Currency& value);
bool TryStrToCurr(const std::string& s, Currency& value, const TFormatSettings& fs);

// ---------------------------------------------------------------- dates

// Date mask language: c, d, dd, ddd, dddd, ddddd, dddddd, m, mm, mmm, mmmm,
// yy, yyyy, h, hh, n, nn, s, ss, z, zzz, t, tt, am/pm, a/p, ampm, "/" (date
// separator), ":" (time separator), '...' and "..." literal text; "m" or "mm"
// right after "h" or "hh" means minutes. Letters are case-insensitive except
// in am/pm and a/p, whose case is kept. An empty mask is "c".
std::string FormatDateTime(const std::string& mask, TDateTime dt);
std::string FormatDateTime(const std::string& mask, TDateTime dt, const TFormatSettings& fs);
std::string DateToStr(TDateTime dt);
std::string DateToStr(TDateTime dt, const TFormatSettings& fs);
std::string TimeToStr(TDateTime dt);
std::string TimeToStr(TDateTime dt, const TFormatSettings& fs);
std::string DateTimeToStr(TDateTime dt);
std::string DateTimeToStr(TDateTime dt, const TFormatSettings& fs);

// Dates are read as two or three numbers separated by the date separator, in
// the order of M, d and y in ShortDateFormat; without a year the current year
// is taken; a one- or two-digit year falls in the century window. Times are
// hours[:minutes[:seconds[.fraction]]] with an optional AM/PM marker (the
// settings' strings or "AM"/"PM", before or after). Failures raise
// EConvertError "'<text>' is not a valid date" / "... valid time" /
// "... valid date and time".
TDateTime StrToDate(const std::string& s);
TDateTime StrToDate(const std::string& s, const TFormatSettings& fs);
TDateTime StrToTime(const std::string& s);
TDateTime StrToTime(const std::string& s, const TFormatSettings& fs);
TDateTime StrToDateTime(const std::string& s);
TDateTime StrToDateTime(const std::string& s, const TFormatSettings& fs);
bool TryStrToDate(const std::string& s, TDateTime& value);
bool TryStrToDate(const std::string& s, TDateTime& value, const TFormatSettings& fs);
bool TryStrToTime(const std::string& s, TDateTime& value);
bool TryStrToTime(const std::string& s, TDateTime& value, const TFormatSettings& fs);
bool TryStrToDateTime(const std::string& s, TDateTime& value);
bool TryStrToDateTime(const std::string& s, TDateTime& value, const TFormatSettings& fs);
TDateTime StrToDateDef(const std::string& s, TDateTime def);
TDateTime StrToTimeDef(const std::string& s, TDateTime def);
TDateTime StrToDateTimeDef(const std::string& s, TDateTime def);
