#include "docexport/deCstSprShtEng.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

#include "platform/core/Currency.h"
#include "platform/core/Format.h"
#include "platform/core/FormatSettings.h"
#include "platform/core/Strings.h"

namespace {

// A workbook palette holds 56 colours: the defaults fill it, so further
// colours take the nearest entry (a longer PALETTE record is refused by
// readers).
constexpr std::size_t kMaxPalette = 56;
// The colour table feeds the workbook's 56-entry palette.
constexpr std::size_t kMaxColorTable = 56;

std::string ColorText(TColor c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(c));
    return buf;
}

long Distance(TColor a, TColor b) {
    const long dr = long(GetRValue(a)) - GetRValue(b), dg = long(GetGValue(a)) - GetGValue(b),
               db = long(GetBValue(a)) - GetBValue(b);
    return dr * dr + dg * dg + db * db;
}

Integer Nearest(const std::vector<TColor>& colors, TColor c) {
    Integer best = 0;
    for (std::size_t i = 1; i < colors.size(); ++i)
        if (Distance(colors[i], c) < Distance(colors[best], c)) best = static_cast<Integer>(i);
    return best;
}

std::string FirstLine(const TdeTextItem* item) {
    return item->Lines.Count() > 0 ? Trim(item->Lines[0]) : std::string();
}

}  // namespace

void TdeSheetFormatting::Assign(const TPersistent* source) {
    if (auto s = dynamic_cast<const TdeSheetFormatting*>(source)) {
        ColumnSpacing = s->ColumnSpacing;
        RowSpacing = s->RowSpacing;
        ScaleX = s->ScaleX;
        ScaleY = s->ScaleY;
        return;
    }
    TPersistent::Assign(source);
}

void TdeSpreadSheetPreferences::Assign(const TPersistent* source) {
    TdePreferences::Assign(source);
    if (auto s = dynamic_cast<const TdeSpreadSheetPreferences*>(source)) {
        AutoFormatCells = s->AutoFormatCells;
        ApplyAlignment = s->ApplyAlignment;
        MultiPass = s->MultiPass;
        WordWrap = s->WordWrap;
        UseDefaultPalette = s->UseDefaultPalette;
        ContinuousMode = s->ContinuousMode;
    }
}

TdeCustomSpreadSheetEngine::TdeCustomSpreadSheetEngine(TComponent* owner) : TdeCustomDocumentEngine(owner) {
    InitPreferences();
    SetItemsToRender(ItemBit(irText));
    SetTextSort(true);
}

TdeCustomSpreadSheetEngine::~TdeCustomSpreadSheetEngine() = default;

std::unique_ptr<TdePreferences> TdeCustomSpreadSheetEngine::CreatePreferences() {
    return std::make_unique<TdeSpreadSheetPreferences>();
}

const std::array<TColor, 56>& TdeCustomSpreadSheetEngine::DefaultPalette() {
    // Written as RGB hexadecimal; TColor keeps red in the low byte.
    static const std::array<TColor, 56> palette = [] {
        const unsigned rgb[56] = {
            0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
            0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
            0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
            0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xE3E3E3,
            0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
            0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};
        std::array<TColor, 56> p{};
        for (int i = 0; i < 56; ++i)
            p[i] = RGB(Byte(rgb[i] >> 16), Byte(rgb[i] >> 8), Byte(rgb[i]));
        return p;
    }();
    return palette;
}

std::vector<TColor> TdeCustomSpreadSheetEngine::PaletteColors() const {
    if (const_cast<TdeCustomSpreadSheetEngine*>(this)->Preferences()->UseDefaultPalette) {
        if (paletteReady_) return palette_;
        return {DefaultPalette().begin(), DefaultPalette().end()};
    }
    std::vector<TColor> out;
    for (const auto& c : colors_) out.push_back(c.second);
    return out;
}

// ---- tables ---------------------------------------------------------------------------

Integer TdeCustomSpreadSheetEngine::SheetColorIndex(TColor color) {
    const TColor rgb = ColorToRGB(color);
    if (!Preferences()->UseDefaultPalette) {
        const std::string key = ColorText(rgb);
        for (std::size_t i = 0; i < colors_.size(); ++i)
            if (colors_[i].first == key) return static_cast<Integer>(i);
        if (colors_.size() >= kMaxColorTable) {
            std::vector<TColor> c;
            for (const auto& e : colors_) c.push_back(e.second);
            return Nearest(c, rgb);
        }
        colors_.emplace_back(key, rgb);
        return static_cast<Integer>(colors_.size() - 1);
    }
    if (!paletteReady_) {
        palette_.assign(DefaultPalette().begin(), DefaultPalette().end());
        paletteReady_ = true;
    }
    for (std::size_t i = 0; i < palette_.size(); ++i)
        if (palette_[i] == rgb) return static_cast<Integer>(i);
    if (palette_.size() >= kMaxPalette) return Nearest(palette_, rgb);
    palette_.push_back(rgb);
    return static_cast<Integer>(palette_.size() - 1);
}

Integer TdeCustomSpreadSheetEngine::SheetFontIndex(const TFont& font) {
    std::string key = font.Name() + " " + std::to_string(font.Size()) + ColorText(ColorToRGB(font.Color()));
    if (font.Style() & fsBold) key += " Bold";
    if (font.Style() & fsItalic) key += " Italic";
    if (font.Style() & fsUnderline) key += " UnderLine";
    if (font.Style() & fsStrikeOut) key += " StrikeOut";
    for (std::size_t i = 0; i < fontKeyList_.size(); ++i)
        if (fontKeyList_[i] == key) return static_cast<Integer>(i);
    auto copy = std::make_unique<TFont>();
    copy->Assign(font);
    // Text drawn in the window colour would vanish on the sheet.
    if (ColorToRGB(copy->Color()) == ColorToRGB(clWindow)) copy->SetColor(clWindowText);
    SheetColorIndex(copy->Color());
    fontKeyList_.push_back(key);
    fonts_.push_back(std::move(copy));
    return static_cast<Integer>(fonts_.size() - 1);
}

Integer TdeCustomSpreadSheetEngine::CellAttribIndex(Integer fontIndex, Byte alignment, bool wordWrap,
                                                   const TBrush& brush, Integer format) {
    // Separated, so that font 1 with format 22 and font 14 with format 2
    // stay apart.
    const std::string key = std::to_string(fontIndex) + "|" + std::to_string(alignment) + "|" +
                            std::to_string(format) + "|" + ColorText(ColorToRGB(brush.Color())) + "|" +
                            std::to_string(int(brush.Style()) & 0x7F) + (wordWrap ? "|-1" : "|0");
    for (std::size_t i = 0; i < attribKeys_.size(); ++i)
        if (attribKeys_[i] == key) return static_cast<Integer>(i);
    auto a = std::make_unique<TdeCellAttrib>();
    a->FontIndex = fontIndex;
    a->Alignment = alignment;
    a->NumberFormat = format;
    a->Brush.Assign(brush);
    a->WordWrap = wordWrap;
    SheetColorIndex(brush.Color());
    attribKeys_.push_back(key);
    attribs_.push_back(std::move(a));
    return static_cast<Integer>(attribs_.size() - 1);
}

void TdeCustomSpreadSheetEngine::ClearTables() {
    fontKeyList_.clear();
    fonts_.clear();
    colors_.clear();
    attribKeys_.clear();
    attribs_.clear();
}

void TdeCustomSpreadSheetEngine::SetSheetColumnWidth(Integer column, double width) {
    if (Started()) columnWidths_.emplace_back(column, width);
}

void TdeCustomSpreadSheetEngine::AddSheetText(Integer row, Integer column, Byte alignment, Byte format,
                                              const std::string& text) {
    AddSheetTextEx(row, column, alignment, format, Preferences()->WordWrap, text);
}

void TdeCustomSpreadSheetEngine::AddSheetTextEx(Integer row, Integer column, Byte alignment, Byte format,
                                                bool wordWrap, const std::string& text) {
    if (!Started() || !(ItemsToRender() & ItemBit(irText))) return;
    auto* item = new TdeSheetTextItem;
    item->X = column * colWidth_;
    item->Y = row * rowHeight_;
    item->Row = row;
    item->Column = column;
    item->Font.Assign(*Font());
    item->Brush.Assign(*Brush());
    item->AlignmentCode = alignment;
    item->FormatCode = format;
    item->WordWrap = wordWrap;
    item->Lines.Add(text);
    AddItem(item);
}

// ---- cell values ----------------------------------------------------------------------

int TdeCustomSpreadSheetEngine::ParseCellValue(const std::string& input) const {
    if (!const_cast<TdeCustomSpreadSheetEngine*>(this)->Preferences()->AutoFormatCells) return cvText;
    const TFormatSettings& fs = DefaultFormatSettings();
    const char T = fs.ThousandSeparator, D = fs.DecimalSeparator, S = fs.DateSeparator;
    std::string text = input;
    bool thousands = false;
    auto wellPlaced = [&] {
        const auto p = text.rfind(T);
        if (p == std::string::npos) return true;
        if (text.size() < p + 4) return false;
        for (std::size_t i = p + 1; i <= p + 3; ++i)
            if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
        return p + 4 >= text.size() || !std::isdigit(static_cast<unsigned char>(text[p + 4]));
    };
    auto decimalBeforeThousands = [&] {
        const auto d = text.find(D);
        return d != std::string::npos && text.find(T, d + 1) != std::string::npos;
    };
    auto removeT = [&] { text.erase(std::remove(text.begin(), text.end(), T), text.end()); };
    if (T != D) {
        if (T == S) {
            if (!decimalBeforeThousands() && wellPlaced()) removeT();
        } else if (S == D) {
            if (std::count(text.begin(), text.end(), S) < 2 && !decimalBeforeThousands() && wellPlaced()) removeT();
        } else if (!decimalBeforeThousands() && wellPlaced()) {
            thousands = text.find(T) != std::string::npos;
            removeT();
            if (text.size() >= 2 && text.front() == '(' && text.back() == ')')
                text = "-" + text.substr(1, text.size() - 2);
        }
    }
    double v;
    if (!text.empty() && TryStrToFloat(text, v, fs)) {
        const char last = text.back();
        if (last == '+' || last == '-' || last == 'e' || last == 'E') return cvText;
        if (text.find_first_of("eE") != std::string::npos) return cvDecimal;
        if (text.find(D) != std::string::npos) return thousands ? cvThousandsDecimal : cvDecimal;
        return thousands ? cvThousandsInteger : cvInteger;
    }
    const std::string& cur = fs.CurrencyString;
    if (!cur.empty()) {
        std::size_t start = (!text.empty() && text[0] == '-') ? 1 : 0;
        if (text.compare(start, cur.size(), cur) == 0) {
            Currency c;
            std::string rest = text.substr(start + cur.size());
            if (!rest.empty() && TryStrToCurr((start ? "-" : "") + rest, c, fs)) return cvCurrency;
        }
    }
    TDateTime dt;
    if (TryStrToTime(input, dt, fs)) return cvTime;
    if (TryStrToDate(input, dt, fs)) return cvDate;
    return cvText;
}

std::string TdeCustomSpreadSheetEngine::NormalizeNumberText(const std::string& input) {
    const char D = DefaultFormatSettings().DecimalSeparator;
    const std::string text = Trim(input);
    std::string out;
    for (char c : text) {
        const bool keep = c == '+' || c == '-' || c == 'E' || c == 'e' || c == D ||
                          std::isdigit(static_cast<unsigned char>(c));
        if (!keep) continue;
        if (!out.empty() && (out.back() == 'E' || out.back() == 'e') && c != '+' && c != '-') out += '+';
        out += c;
    }
    return out;
}

// ---- layout ---------------------------------------------------------------------------

double TdeCustomSpreadSheetEngine::LineHeightOf(const TFont& font) {
    // Height of "W" by font: the same few fonts come back for every text.
    const std::string key = font.Name() + "|" + std::to_string(font.Height()) + "|" + std::to_string(font.Style());
    auto [at, fresh] = lineHeights_.emplace(key, 0.0);
    if (fresh) at->second = TextExtent("W", font).cy;
    return at->second;
}

void TdeCustomSpreadSheetEngine::SeparateSharedCells(std::vector<std::vector<TdeFmTextItem*>>& cols,
                                                     const std::function<void(std::size_t)>& insertColumnAt) {
    for (std::size_t c = 0; c < cols.size(); ++c) {
        bool again = true;
        while (again) {
            again = false;
            // The text that keeps each cell: leftmost, then topmost, then
            // the first recorded.
            std::unordered_map<Integer, TdeFmTextItem*> keeper;
            std::size_t texts = 0;
            for (auto* o : cols[c]) {
                if (FirstLine(o).empty()) continue;
                ++texts;
                auto& k = keeper[o->Row];
                if (!k || o->X < k->X || (o->X == k->X && o->Y < k->Y)) k = o;
            }
            if (keeper.size() == texts) break;  // nothing shares a cell
            std::vector<TdeFmTextItem*> right;
            for (std::size_t k = 0; k < cols[c].size(); ++k) {
                TdeFmTextItem* it = cols[c][k];
                if (FirstLine(it).empty()) continue;
                TdeFmTextItem* held = keeper[it->Row];
                if (held == it) continue;
                if (it->X > held->X) {
                    right.push_back(it);
                    continue;
                }
                // Same x, lower down: one row down, the rows below making
                // room when that row of the column is taken.
                const Integer down = it->Row + 1;
                bool taken = false;
                for (auto* o : cols[c]) taken |= o->Row == down;
                if (taken)
                    for (auto& col : cols)
                        for (auto* o : col)
                            if (o != it && o->Row >= down) ++o->Row;
                it->Row = down;
                again = true;  // rows moved: look at the column again
                break;
            }
            if (again || right.empty()) continue;
            std::unordered_set<Integer> nextRows;
            if (c + 1 >= cols.size()) {
                cols.emplace_back();
            } else {
                for (auto* o : cols[c + 1])
                    if (!FirstLine(o).empty()) nextRows.insert(o->Row);
                bool clash = false;
                for (auto* m : right) clash |= nextRows.count(m->Row) > 0;
                if (clash) insertColumnAt(c + 1);
            }
            // The movers may still share a cell among themselves: the next
            // column's turn separates them.
            for (auto* m : right) {
                m->Column = static_cast<Integer>(c + 1);
                cols[c + 1].push_back(m);
            }
            auto& here = cols[c];
            here.erase(std::remove_if(here.begin(), here.end(),
                                      [&](TdeFmTextItem* i) {
                                          return std::find(right.begin(), right.end(), i) != right.end();
                                      }),
                       here.end());
        }
    }
}

double TdeCustomSpreadSheetEngine::TextWidth(const TdeTextItem* item) const {
    const std::string t = FirstLine(item);
    return t.empty() ? 0 : TextExtent(t, item->Font).cx;
}

void TdeCustomSpreadSheetEngine::LayoutSheetGrid(TdeItemList& list) {
    const bool align = Preferences()->ApplyAlignment;
    const double cw = colWidth_, rh = rowHeight_;
    // Measurements are taken once per item: measuring is the costly part.
    std::unordered_map<const TdeTextItem*, double> widths, halves;
    auto width = [&](const TdeTextItem* i) {
        auto [at, fresh] = widths.emplace(i, 0.0);
        if (fresh) at->second = TextWidth(i);
        return at->second;
    };
    auto halfHeight = [&](const TdeTextItem* i) {
        auto [at, fresh] = halves.emplace(i, 0.0);
        if (fresh) at->second = LineHeightOf(i->Font) / 2.0;
        return at->second;
    };
    // 1. Cell items in place of plain text items.
    std::vector<TdeFmTextItem*> items;
    for (auto& entry : list) {
        auto* t = dynamic_cast<TdeTextItem*>(entry);
        if (!t) continue;
        if (auto* s = dynamic_cast<TdeSheetTextItem*>(t)) {
            items.push_back(s);
            continue;
        }
        auto* fm = new TdeFmTextItem;
        static_cast<TdeTextItem&>(*fm) = *t;
        delete t;
        entry = fm;
        if (align && fm->Alignment == haRight) fm->X += width(fm);
        items.push_back(fm);
    }
    std::vector<TdeFmTextItem*> free;  // the items the layout places
    for (auto* i : items)
        if (!dynamic_cast<TdeSheetTextItem*>(i)) free.push_back(i);

    // 2. Sorted by x, stable.
    std::stable_sort(free.begin(), free.end(), [](auto* a, auto* b) { return a->X < b->X; });

    // 3. Columns.
    std::vector<std::vector<TdeFmTextItem*>> cols;
    {
        double threshold = 0;
        Integer last = -1;
        int overlap = 0;
        TdeFmTextItem* ref = nullptr;
        for (auto* it : free) {
            if (threshold == 0 || it->X >= threshold) {
                threshold = it->X + cw;
                Integer idx = static_cast<Integer>(std::lround(it->X / cw));
                if (idx <= last) idx = last + 1;
                last = idx;
                overlap = 0;
                if (static_cast<Integer>(cols.size()) <= idx) cols.resize(static_cast<std::size_t>(idx) + 1);
            } else {
                overlap = std::min(overlap + 1, 3);
                if (overlap == 1) {
                    ref = it;
                } else if (overlap == 2) {
                    if (FirstLine(it).empty()) {
                        --overlap;
                    } else {
                        const double w = width(it), rw = width(ref);
                        if (ref->X + rw == it->X + w) {
                            threshold = it->X + w;
                        } else if (ref->X + rw / 2 == it->X + w / 2) {
                            threshold = it->X + w / 2;
                        } else {
                            --overlap;
                            ref = it;
                        }
                    }
                }
            }
            it->Column = last;
            cols[static_cast<std::size_t>(last)].push_back(it);
        }
    }

    // 4. Rows in reading order.
    TdeItemList sorted(free.begin(), free.end());
    TdeCustomDocumentEngine::SortTextItems(sorted);

    // 5. Rows. The smallest vertical middle of the texts already placed in
    // each cell is kept by cell, so that a text is checked against its own
    // cell only (the layout stays linear in the items of the page).
    const Integer spacing = formatting_.RowSpacing;
    Integer row = -1;
    double bandTop = -rh;
    TdeFmTextItem* prev = nullptr;
    std::vector<TdeFmTextItem*> placed;
    std::unordered_map<std::uint64_t, double> cellMiddle;
    auto cellKey = [](Integer r, Integer c) { return (std::uint64_t(std::uint32_t(r)) << 32) | std::uint32_t(c); };
    auto middle = [&](TdeFmTextItem* i) { return std::max(0.0, i->Y) + halfHeight(i); };
    auto remember = [&](TdeFmTextItem* i) {
        auto [at, fresh] = cellMiddle.emplace(cellKey(i->Row, i->Column), middle(i));
        if (!fresh) at->second = std::min(at->second, middle(i));
    };
    auto nextRow = [&](double y, bool byPosition) {
        bandTop = y;
        if (spacing >= 0) {
            row = row < 0 ? 0 : row + spacing + 1;
        } else if (byPosition) {
            const Integer r = static_cast<Integer>(std::lround(y / rh));
            row = r > row ? r : row + 1;
        } else {
            row = row < 0 ? 0 : row + 1;
        }
    };
    auto moveColumnsFrom = [&](std::size_t at) {
        // Items of columns at and after "at" move one column right.
        for (std::size_t c = at; c < cols.size(); ++c)
            for (auto* i : cols[c]) ++i->Column;
        cols.insert(cols.begin() + static_cast<std::ptrdiff_t>(at), {});
    };
    for (auto* entry : sorted) {
        auto* it = static_cast<TdeFmTextItem*>(entry);
        if (FirstLine(it).empty()) continue;
        const double y = std::max(0.0, it->Y);
        if (y >= bandTop + rh || !prev) {
            nextRow(y, true);
            it->Row = row;
        } else if (y < middle(prev)) {
            it->Row = row;
            auto held = cellMiddle.find(cellKey(row, it->Column));
            if (held != cellMiddle.end() && y >= held->second) {
                ++row;
                it->Row = row;
            }
            if (prev->Column == it->Column && prev->X != it->X) {
                // Two texts of one column side by side: split the column at
                // the left one's right edge.
                const double edge = prev->X + width(prev);
                const std::size_t c = static_cast<std::size_t>(it->Column);
                bool anyMoves = false;
                for (auto* i : cols[c]) anyMoves |= i->X >= edge;
                if (anyMoves) {
                    if (c + 1 >= cols.size())
                        cols.emplace_back();
                    else if (!cols[c + 1].empty())
                        moveColumnsFrom(c + 1);
                    auto& from = cols[c];
                    auto& to = cols[c + 1];
                    for (auto i = from.begin(); i != from.end();) {
                        if ((*i)->X >= edge) {
                            (*i)->Column = static_cast<Integer>(c + 1);
                            to.push_back(*i);
                            i = from.erase(i);
                        } else {
                            ++i;
                        }
                    }
                    // Columns moved: the cells of the texts placed so far
                    // are indexed anew (splits are rare; rows alike split
                    // once).
                    cellMiddle.clear();
                    for (auto* o : placed) remember(o);
                }
            }
        } else {
            nextRow(y, false);
            it->Row = row;
        }
        placed.push_back(it);
        remember(it);
        prev = it;
    }

    // 6. Right-aligned blocks take the column of a text above them that
    // lines up with them (their left edges or centres fall inside it).
    if (align) {
        auto left = [&](TdeFmTextItem* i) { return i->X - (i->Alignment == haRight ? width(i) : 0.0); };
        for (std::size_t c = 0; c < cols.size(); ++c) {
            std::vector<TdeFmTextItem*> block;
            for (auto* i : cols[c])
                if (i->Alignment == haRight && !FirstLine(i).empty()) block.push_back(i);
            if (block.empty()) continue;
            TdeFmTextItem *a = block[0], *b = block[0];
            Integer firstRow = block[0]->Row;
            for (auto* i : block) {
                if (left(i) < left(a)) a = i;
                if (left(i) > left(b)) b = i;
                firstRow = std::min(firstRow, i->Row);
            }
            const double points[] = {left(a), left(b), left(a) + width(a) / 2, left(b) + width(b) / 2};
            auto linesUp = [&](std::size_t col) {
                for (auto* o : cols[col]) {
                    if (o->Row >= firstRow || FirstLine(o).empty()) continue;
                    const double l = left(o), r = l + width(o);
                    for (double p : points)
                        if (p >= l && p <= r) return true;
                }
                return false;
            };
            std::ptrdiff_t target = -1;
            bool stop = false;
            if (linesUp(c)) {
                target = std::ptrdiff_t(c);
            } else {
                std::size_t empty = 0;
                for (std::size_t k = 1; k <= 3 && k <= c; ++k) {
                    if (cols[c - k].empty()) {
                        ++empty;
                        continue;
                    }
                    if (linesUp(c - k)) target = std::ptrdiff_t(c - k);
                    break;
                }
                if (empty == 3) stop = true;  // three empty columns end the pass
                if (target < 0 && !stop && c + 1 < cols.size() && linesUp(c + 1)) target = std::ptrdiff_t(c + 1);
            }
            if (stop) break;
            if (target < 0 || std::size_t(target) == c) continue;
            auto& here = cols[c];
            for (auto* i : block) {
                i->Column = static_cast<Integer>(target);
                cols[std::size_t(target)].push_back(i);
                here.erase(std::find(here.begin(), here.end(), i));
            }
        }
    }

    // 7. Texts still sharing a cell: the right one moves a column right, the
    // lower one a row down. Two records for one cell would lose a text in
    // the workbook, so this runs with and without MultiPass.
    SeparateSharedCells(cols, moveColumnsFrom);

    // 8. Alignment-1 items get their left edge back.
    if (align)
        for (auto* it : free)
            if (it->Alignment == haRight) it->X -= width(it);

    // 9. Column spacing.
    if (formatting_.ColumnSpacing >= 0) {
        const Integer n = formatting_.ColumnSpacing;
        Integer k = 0;
        for (auto& c : cols) {
            if (c.empty()) continue;
            for (auto* i : c) i->Column = n + k * (n + 1);
            ++k;
        }
    }

    // 10. Highest row, and the list in reading order for the writer.
    for (auto* it : items)
        if (!FirstLine(it).empty() || dynamic_cast<TdeSheetTextItem*>(it)) pageMaxRow_ = std::max(pageMaxRow_, it->Row);
    TdeItemList out;
    for (auto* e : list)
        if (!dynamic_cast<TdeTextItem*>(e)) out.push_back(e);
    std::vector<TdeFmTextItem*> ordered = items;
    std::stable_sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) {
        return a->Row < b->Row || (a->Row == b->Row && a->Column < b->Column);
    });
    out.insert(out.end(), ordered.begin(), ordered.end());
    list = std::move(out);
}

// ---- tables ---------------------------------------------------------------------------

void TdeCustomSpreadSheetEngine::RenderTable(TdeTableItem* table) {
    // The rows this page shows, as the table's row distribution says.
    int first = 0, count = 0;
    if (!TableRowsOnPage(table, first, count)) return;
    const TdeTableSettings& ts = table->Settings;

    // A title row at least one line high: with the settings' default height
    // of 0 the titles and the first row would share their cells.
    const double titleHeight = std::max(ts.TitleHeightPx(), LineHeightOf(table->Font));
    double yOffset = 0;
    for (int r = first; r < first + count; ++r) {
        if (r >= 0 && r >= static_cast<int>(table->RowHeights.size())) break;
        double xOffset = 0;
        for (int c = 0; c < table->ColumnCount(); ++c) {
            xOffset += table->Column(c)->Width();
            const Integer col = static_cast<Integer>(std::lround((table->X + xOffset) / colWidth_));
            const Integer row = static_cast<Integer>(std::lround((table->Y + yOffset) / rowHeight_));
            if (r < 0) {
                const std::string& title = table->Column(c)->Title;
                if (title.empty()) continue;
                TdeFmTextItem cell;
                cell.Font.Assign(table->Font);
                cell.Brush.Assign(table->Brush);
                cell.Lines.Add(SubstituteVariables(title, true));
                cell.Row = row;
                cell.Column = col;
                pageMaxRow_ = std::max(pageMaxRow_, row);
                RenderText(&cell);
                continue;
            }
            for (const auto& item : table->RowCells[static_cast<std::size_t>(r)]) {
                if (auto* t = dynamic_cast<TdeTextItem*>(item.get()); t && static_cast<int>(t->X) == c) {
                    TdeFmTextItem cell;
                    cell.Font.Assign(t->Font);
                    cell.Brush.Assign(t->Brush);
                    cell.Lines.Add(SubstituteVariables(t->Lines.Count() > 0 ? t->Lines[0] : std::string(), true));
                    cell.Row = row;
                    cell.Column = col;
                    pageMaxRow_ = std::max(pageMaxRow_, row);
                    RenderText(&cell);
                    break;
                }
                if (auto* i = dynamic_cast<TdeImageItem*>(item.get()); i && static_cast<int>(i->X) == c) {
                    const double sx = i->X, sy = i->Y;
                    i->X = table->X + xOffset;
                    i->Y = table->Y + yOffset;
                    RenderImage(i);
                    i->X = sx;  // the cell address stays with the item
                    i->Y = sy;
                    break;
                }
            }
        }
        yOffset += r < 0 ? titleHeight : table->RowHeights[static_cast<std::size_t>(r)];
    }
}

// ---- lifecycle ------------------------------------------------------------------------

void TdeCustomSpreadSheetEngine::StartDocument() {
    TFont f;
    f.SetName("Arial");
    f.SetSize(10);
    const TSize e = TextExtent("a", f);
    colWidth_ = e.cx * 8.43 * formatting_.ScaleX;
    rowHeight_ = e.cy * formatting_.ScaleY;
    if (colWidth_ <= 0) colWidth_ = 1;
    if (rowHeight_ <= 0) rowHeight_ = 1;
    baseRowHeight_ = std::max(1, static_cast<int>(e.cy));
    SetTextSortTolerance(rowHeight_);
    rowOffset_ = 0;
    pageMaxRow_ = -1;
}

void TdeCustomSpreadSheetEngine::FinishDocument() { columnWidths_.clear(); }

void TdeCustomSpreadSheetEngine::StartPage() { pageMaxRow_ = -1; }

void TdeCustomSpreadSheetEngine::FinishPage() {
    if (Preferences()->ContinuousMode) {
        rowOffset_ += pageMaxRow_ + 1;
        return;
    }
    const TdePageItem* page = PageItem(CurrentPage());
    const double h = page ? page->Settings.Pixels(plHeight) : Page()->Pixels(plHeight);
    const Integer pageRows = static_cast<Integer>(std::lround(std::round(h) / baseRowHeight_));
    rowOffset_ += std::max(pageMaxRow_, pageRows) + 1;
}
