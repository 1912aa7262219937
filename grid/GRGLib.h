#pragma once
// Small shared functions of the grid classes: integer helpers, variant
// conversion, comparison and form-file reading and writing, copying of
// published properties between objects (used when one grid is assigned to
// another), opening a registry key from a path (layout saving), and
// conversion between the grid's alignment and the platform's.
//
// The text-value functions (numbers, dates, check-box values, key texts) are
// in GRGLibValues.h, the character search and caption functions in
// GRCommon.h, the memory canvas and bitmap set in GRGLibCanvas.h.

#include <memory>
#include <string>
#include <vector>

#include "grid/GridTypes.h"
#include "platform/core/Filer.h"
#include "platform/core/Object.h"
#include "platform/core/Registry.h"
#include "platform/core/Variant.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/GuiTypes.h"

// ---------------------------------------------------------------- integers

inline Integer Max(Integer a, Integer b) { return a > b ? a : b; }
inline Integer Min(Integer a, Integer b) { return a < b ? a : b; }
inline void SwapIntegers(Integer& a, Integer& b) {
    Integer t = a;
    a = b;
    b = t;
}
inline Integer Sign(Integer a) { return a < 0 ? -1 : (a > 0 ? 1 : 0); }
// Left <= x <= Right and Top <= y <= Bottom (edges included).
inline bool PointInRectIncl(TPoint p, const TRect& r) {
    return p.X >= r.Left && p.X <= r.Right && p.Y >= r.Top && p.Y <= r.Bottom;
}

// ---------------------------------------------------------------- variants

// An object reference travels in a variant as the reference itself (a
// 64-bit integer variant); none travels as 0.
void ObjectToVariant(const void* object, Variant& value);
Variant ObjectToVariant(const void* object);
// The reference held by an integer variant; none for anything else.
void* VariantToObject(const Variant& value);

// Form-file values: Empty as the identifier "Empty", Null as "Null", small
// and normal integers as integers, single, double and date as floating-point
// values, strings as strings, Booleans as Booleans; every other kind as an
// empty string.
void WriteVariantValue(TWriter& writer, const Variant& value);
// Reads what WriteVariantValue writes: integers give Integer variants,
// floating-point values doubles, strings strings, the identifiers "Empty"
// and "Null" Empty and Null (other identifiers Empty), False and True
// Booleans. Any other value type leaves the variant Empty and the value
// unread.
void ReadVariantValue(TReader& reader, Variant& value);

// -1, 0 or 1. Empty ranks below everything, Null below everything but
// Empty; other values by the platform's variant comparison. Arrays compare
// element by element, then by length; a non-array ranks below an array.
int CompareVariants(const Variant& a, const Variant& b);
// Small integer, integer, 64-bit integer, single, double, currency or byte.
bool IsNumericVariant(const Variant& v);
// Empty equals only Empty; values of different kinds are not equal; two
// Nulls are equal; otherwise the platform's equality.
bool VariantsEqual(const Variant& a, const Variant& b);
// VariantsEqual, or equal numbers of different numeric kinds.
bool VariantsMatch(const Variant& a, const Variant& b);

// An Integer variant names a string resource and gives its text (empty
// when there is none); any other variant is converted to text (Null gives
// "").
std::string VariantToText(const Variant& value);
// The program's string resources, by identifier.
void RegisterResourceString(Integer id, const std::string& text);
std::string LoadResString(Integer id);

// -------------------------------------------------------------- properties

// A set of TPropKind values, one bit per kind.
using TgrTypeKinds = unsigned;
inline constexpr TgrTypeKinds TypeKindBit(TPropKind kind) { return 1u << unsigned(kind); }
inline constexpr TgrTypeKinds tkAnyProperty = 0x1F;

// The published properties of the object's class whose kind is in kinds,
// sorted by name (without case).
std::vector<const TPropInfo*> PropertyList(const TObject& object, TgrTypeKinds kinds);
// Copies the value of property p from source to the destination's property
// of the same name and kind; nothing when the destination has no such
// writable property.
void CopyPropertyValue(const TPropInfo& p, TObject& destination, TObject& source);
void CopyPublishedProperty(const std::string& name, TObject& destination, TObject& source);
// The parts between ";" separators, trimmed, empty parts dropped.
std::vector<std::string> SplitSemicolonList(const std::string& text);
// Whether name is in the list (without case). The list is sorted first when
// it is not.
bool NameInList(const std::string& name, std::vector<std::string>& list);
// Copies every writable published property of the source's class, in name
// order, except those named in exclusions (a ";"-separated list). Event
// handlers are not published properties and are never copied.
void CopyPublishedProperties(TObject& destination, TObject& source, const std::string& exclusions);

// ---------------------------------------------------------------- registry

// A path that starts with two backslashes names its root key: the text up to
// the next backslash, upper-cased, is the root name and the rest (from that
// backslash on) the sub-key. Any other path is a sub-key with no root (root
// 0, root name empty). False only for an unknown root name.
bool ParseRegistryPath(const std::string& path, HKEY& root, std::string& rootName, std::string& subKey);
// Opens the key of a path (creating it first when create is set and it is
// missing); none when it cannot be opened. An unknown root name raises
// ERegistryException "Unknown registry key <root name>".
std::unique_ptr<TRegistry> OpenRegistryPath(const std::string& path, bool create);

// --------------------------------------------------------------- alignment

// htaDefault when the align flag is off or the alignment is not known.
TgrHorzAlignment AlignmentToHorzAlignment(TAlignment alignment, bool alignFlag);
TAlignment HorzAlignmentToAlignment(TgrHorzAlignment value);
inline bool IsHorzAlignmentSet(TgrHorzAlignment value) { return value != htaDefault; }
