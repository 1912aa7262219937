#pragma once
// The older, 16-bit Windows metafile form of a recorded picture, for file
// formats that only take that form (a workbook's metafile pictures).
//
// The conversion plays the enhanced-metafile records into their 16-bit
// counterparts: object table (pens, brushes, fonts, created in the lowest
// free slot as the older form requires), drawing state, save and restore,
// lines, polygons, shapes, text (in the Western code page), bitmaps as
// stretched device-independent bits, and rectangular clipping. The result
// draws in anisotropic mapping mode with a window of width x height logical
// units at the origin, so whoever plays it stretches it into its frame.
// Mapping changes and world transforms inside the source are not carried
// over: pictures this system records never use them.

#include <cstdint>
#include <vector>

// 16-bit record functions by their numbers in the older format.
inline constexpr std::uint16_t WMF_EOF = 0x0000;
inline constexpr std::uint16_t WMF_SAVEDC = 0x001E;
inline constexpr std::uint16_t WMF_SETBKCOLOR = 0x0201;
inline constexpr std::uint16_t WMF_SETBKMODE = 0x0102;
inline constexpr std::uint16_t WMF_SETMAPMODE = 0x0103;
inline constexpr std::uint16_t WMF_SETROP2 = 0x0104;
inline constexpr std::uint16_t WMF_SETPOLYFILLMODE = 0x0106;
inline constexpr std::uint16_t WMF_SETSTRETCHBLTMODE = 0x0107;
inline constexpr std::uint16_t WMF_SETTEXTCOLOR = 0x0209;
inline constexpr std::uint16_t WMF_SETWINDOWORG = 0x020B;
inline constexpr std::uint16_t WMF_SETWINDOWEXT = 0x020C;
inline constexpr std::uint16_t WMF_RESTOREDC = 0x0127;
inline constexpr std::uint16_t WMF_SETTEXTALIGN = 0x012E;
inline constexpr std::uint16_t WMF_SELECTOBJECT = 0x012D;
inline constexpr std::uint16_t WMF_DELETEOBJECT = 0x01F0;
inline constexpr std::uint16_t WMF_CREATEPENINDIRECT = 0x02FA;
inline constexpr std::uint16_t WMF_CREATEFONTINDIRECT = 0x02FB;
inline constexpr std::uint16_t WMF_CREATEBRUSHINDIRECT = 0x02FC;
inline constexpr std::uint16_t WMF_LINETO = 0x0213;
inline constexpr std::uint16_t WMF_MOVETO = 0x0214;
inline constexpr std::uint16_t WMF_INTERSECTCLIPRECT = 0x0416;
inline constexpr std::uint16_t WMF_ELLIPSE = 0x0418;
inline constexpr std::uint16_t WMF_RECTANGLE = 0x041B;
inline constexpr std::uint16_t WMF_ROUNDRECT = 0x061C;
inline constexpr std::uint16_t WMF_PATBLT = 0x061D;
inline constexpr std::uint16_t WMF_ARC = 0x0817;
inline constexpr std::uint16_t WMF_PIE = 0x081A;
inline constexpr std::uint16_t WMF_CHORD = 0x0830;
inline constexpr std::uint16_t WMF_POLYGON = 0x0324;
inline constexpr std::uint16_t WMF_POLYLINE = 0x0325;
inline constexpr std::uint16_t WMF_POLYPOLYGON = 0x0538;
inline constexpr std::uint16_t WMF_EXTTEXTOUT = 0x0A32;
inline constexpr std::uint16_t WMF_STRETCHDIB = 0x0F43;

// Size of the older form's header in bytes (nine 16-bit words).
inline constexpr std::size_t kWmfHeaderSize = 18;

// Converts enhanced-metafile bytes into the older form, drawn in a window
// of width x height logical units (the picture's size in pixels). Raises
// EMetafileError when the source's framing or a record's fields are bad;
// nothing is returned then.
std::vector<std::uint8_t> MetafileToWindowsMetafile(const std::vector<std::uint8_t>& emf, int width, int height);
