#pragma once
// Fixed-size integer and date-time types used across the libraries.

#include <cstdint>

using Integer = std::int32_t;
using Cardinal = std::uint32_t;
using SmallInt = std::int16_t;
using Word = std::uint16_t;
using Byte = std::uint8_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

// Horizontal alignment of text in a control or field.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
