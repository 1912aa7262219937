// Layout streams written and read through the layout stream component
// (GridStream.h); layouts in the older tagged form are still read.

#include "grid/GridStream.h"

#include <map>

#include "grid/GridForm.h"
#include "grid/GridStreamPrivate.h"
#include "platform/core/Exception.h"
#include "platform/core/Strings.h"

namespace {

// Counts a layout may set; larger ones are refused before anything grows.
constexpr Integer kMaxStreamCols = 10000;
constexpr Integer kMaxStreamRows = 10000000;
constexpr Integer kMaxStreamSize = 100000;

[[noreturn]] void Refuse(const std::string& what) { throw EReadError("Invalid grid layout: " + what); }

Integer ReadBounded(TReader& r, Integer low, Integer high, const std::string& name) {
    Int64 v = r.ReadInt64();
    if (v < low || v > high) Refuse(name + " " + std::to_string(v) + " out of range");
    return Integer(v);
}

const TgrPropKinds kAllKinds = PropKindBit(pkGrid) | PropKindBit(pkCols) | PropKindBit(pkRows) | PropKindBit(pkCells);
const char* const kKindNames[] = {"pkGrid", "pkCols", "pkRows", "pkCells"};

// A plain grid for layout work when a grid class offers none of its own:
// it keeps its values itself and draws nothing of its own.
class TgrLayoutGrid : public TgrBaseGrid {
public:
    explicit TgrLayoutGrid(TComponent* owner) : TgrBaseGrid(owner) {}
    // A layout copy never drops a list down, so a combo column copied into
    // it needs no working combo (and this grid could not make one).
    void EnsureCombo() override {}

protected:
    Variant LoadCellValue(Integer, Integer, const Variant& stored) override { return stored; }
    bool PaintCellData(TgrCellPaintInfo&, const TRect&, bool) override { return false; }
    bool HasGetDrawInfo() override { return false; }
    void DoTopLeftChanged(Integer, Integer, Integer, Integer, bool) override {}
    void FireInsertRow(Integer, bool) override {}
    void FireDeleteRow(Integer, bool) override {}
    void PreparePrint() override {}
    void PrintGrid() override {}
    void PreviewGrid() override {}
    void ExportGrid() override {}
};

// Sets a grid's reading or writing flag for one read or write and clears
// it again, also on error. While the flag is set the grid's layout work is
// held back (IsLayoutSuspended); after a read it runs once.
class TgrLayoutScope {
public:
    TgrLayoutScope(TgrBaseGrid& grid, bool reading) : grid_(grid), reading_(reading) {
        was_ = reading ? grid.IsReadingLayout() : grid.IsWritingLayout();
        if (reading_) grid_.SetReadingLayout(true);
        else grid_.SetWritingLayout(true);
    }
    ~TgrLayoutScope() {
        if (!reading_) {
            grid_.SetWritingLayout(was_);
            return;
        }
        grid_.SetReadingLayout(was_);
        if (was_) return;
        try {
            grid_.ApplyPendingLayout();
        } catch (...) {
            // The read's own error is the one the caller sees.
        }
        grid_.UpdateScrollBars();
        grid_.Invalidate();
    }
    TgrLayoutScope(const TgrLayoutScope&) = delete;
    TgrLayoutScope& operator=(const TgrLayoutScope&) = delete;

private:
    TgrBaseGrid& grid_;
    bool reading_, was_ = false;
};

}  // namespace

// ============================================================ component

TgrGridStreamComponent::TgrGridStreamComponent(TgrBaseGrid* grid) : grid_(grid) {
    if (!grid) throw EInvalidOperation("A layout stream component needs a grid");
}

TgrGridStreamComponent::~TgrGridStreamComponent() = default;

void TgrGridStreamComponent::SetAllProperties(bool value) {
    allProperties_ = value;
    if (value) ids_ = TgrPropIdSet::All();
}

void TgrGridStreamComponent::MakeGridCopy() {
    if (ownedGrid_) return;
    std::unique_ptr<TgrBaseGrid> copy(grid_->CreateLayoutGrid());
    copy->SetVisible(false);
    copy->AssignGridLayout(grid_, kAllKinds, saveData_);
    ownedGrid_ = std::move(copy);
    grid_ = ownedGrid_.get();
}

void TgrGridStreamComponent::ResetLayoutProperties(TgrPropKinds kinds, const TgrPropIdSet& ids) {
    if (ids.Empty()) return;
    if ((kinds & PropKindBit(pkCols)) && byDataCol_) grid_->ResetColProperties(ids);
    if (kinds & PropKindBit(pkRows)) grid_->ResetRowProperties(ids);
    if (kinds & PropKindBit(pkCells)) grid_->ResetCellProperties(ids);
}

void TgrGridStreamComponent::WritePublished(TWriter& w) {
    w.WriteString("SavePropKinds");
    w.WriteValue(vaSet);
    for (int k = 0; k < 4; ++k)
        if (savePropKinds_ & (1u << unsigned(k))) {
            std::string name = kKindNames[k];
            Byte len = Byte(name.size());
            w.Stream().WriteBuffer(&len, 1);
            w.Stream().WriteBuffer(name.data(), Integer(name.size()));
        }
    Byte end = 0;
    w.Stream().WriteBuffer(&end, 1);
    w.WriteString("SaveData");
    w.WriteBoolean(saveData_);
}

bool TgrGridStreamComponent::ReadPublished(const std::string& name, TReader& r) {
    if (SameText(name, "SavePropKinds")) {
        if (r.ReadValue() != vaSet) Refuse("SavePropKinds is not a set");
        TgrPropKinds kinds = 0;
        for (;;) {
            Byte len = 0;
            r.Stream().ReadBuffer(&len, 1);
            if (len == 0) break;
            std::string kind(len, '\0');
            r.Stream().ReadBuffer(kind.data(), len);
            int k = 0;
            while (k < 4 && !SameText(kind, kKindNames[k])) ++k;
            if (k == 4) Refuse("\"" + kind + "\" is no property kind");
            kinds |= 1u << unsigned(k);
        }
        savePropKinds_ = kinds;
        return true;
    }
    if (SameText(name, "SaveData")) {
        saveData_ = r.ReadBoolean();
        return true;
    }
    return false;
}

void TgrGridStreamComponent::DefineProperties(TgrFiler& filer) {
    const bool writing = filer.Writing();
    // A partial layout is written from a copy on which every id not chosen
    // is back at its default.
    if (writing && !(ids_ == TgrPropIdSet::All())) {
        MakeGridCopy();
        TgrPropIdSet others;
        for (TgrPropId id = 0; id <= grMaxPropId; ++id)
            if (!ids_.Contains(id)) others.Include(id);
        ResetLayoutProperties(savePropKinds_, others);
    }
    const TgrPropKinds kinds = savePropKinds_;
    const bool withGrid = kinds & PropKindBit(pkGrid), withCols = kinds & PropKindBit(pkCols),
               withRows = kinds & PropKindBit(pkRows), withCells = kinds & PropKindBit(pkCells);

    filer.DefineProperty(
        "Properties",
        [this](TReader& r) {
            if (r.NextValue() == vaSet) {
                // An older form: a set literal stands for every id.
                r.SkipValue();
                ids_ = TgrPropIdSet::All();
                return;
            }
            std::string bytes = r.ReadString();
            TgrPropIdSet ids;
            for (std::size_t i = 0; i < ids.Bytes.size() && i < bytes.size(); ++i) ids.Bytes[i] = Byte(bytes[i]);
            ids.Bytes[4] &= 1;  // ids beyond the last one are none
            ids_ = ids;
        },
        [this](TWriter& w) { w.WriteString(std::string(ids_.Bytes.begin(), ids_.Bytes.end())); }, true);
    filer.DefineProperty(
        "AllProperties", [this](TReader& r) { SetAllProperties(r.ReadBoolean()); },
        [this](TWriter& w) { w.WriteBoolean(allProperties_); }, true);
    filer.DefineProperty(
        "ResetProps", [this](TReader& r) { ReadResetProps(r); }, [](TWriter& w) { w.WriteBoolean(true); }, true);
    filer.DefineBinaryProperty(
        "Grid", [this](TStream& s) { ReadGrid(s); }, [this](TStream& s) { WriteGrid(s); }, withGrid);
    filer.DefineProperty(
        "Cols",
        [this](TReader& r) {
            Integer n = ReadBounded(r, 0, kMaxStreamCols, "Cols");
            if (byDataCol_) grid_->SetCols(n);
        },
        [this](TWriter& w) { w.WriteInteger(grid_->Cols()); }, withCols);
    filer.DefineProperty(
        "Rows", [this](TReader& r) { grid_->SetRows(ReadBounded(r, 0, kMaxStreamRows, "Rows")); },
        [this](TWriter& w) { w.WriteInteger(grid_->Rows()); }, grid_->IsRowsStored() && withRows && !withGrid);
    filer.DefineProperty(
        "DefaultColWidth",
        [this](TReader& r) { grid_->SetDefaultColWidth(ReadBounded(r, 0, kMaxStreamSize, "DefaultColWidth")); },
        [this](TWriter& w) { w.WriteInteger(grid_->DefaultColWidth()); },
        !withGrid && withCols && ids_.Contains(gpWidth));
    filer.DefineProperty(
        "DefaultRowHeight",
        [this](TReader& r) { grid_->SetDefaultRowHeight(ReadBounded(r, 0, kMaxStreamSize, "DefaultRowHeight")); },
        [this](TWriter& w) { w.WriteInteger(grid_->DefaultRowHeight()); },
        !withGrid && withRows && ids_.Contains(gpHeight));
    filer.DefineProperty(
        "ColProperties",
        [this](TReader& r) {
            // By field name each column found first loses the ids the
            // layout sets.
            grid_->SetLayoutResetIds(ids_);
            try {
                grid_->ReadColPropertiesBy(r, byDataCol_);
            } catch (...) {
                grid_->SetLayoutResetIds(TgrPropIdSet());
                throw;
            }
            grid_->SetLayoutResetIds(TgrPropIdSet());
        },
        [this](TWriter& w) { grid_->CreateColCollection(true)->Write(w); }, withCols);
    filer.DefineProperty(
        "RowProperties", [this](TReader& r) { grid_->ReadRowProperties(r); },
        [this](TWriter& w) { grid_->CreateRowCollection(true)->Write(w); }, withRows);
    filer.DefineProperty(
        "CellProperties", [this](TReader& r) { grid_->ReadCellProperties(r); },
        [this](TWriter& w) { grid_->CreateCellCollection(true)->Write(w); }, withCells);
    filer.DefineBinaryProperty(
        "Data",
        [this](TStream& s) { grid_->ReadStoredData(s); }, [this](TStream& s) { grid_->WriteStoredData(s); },
        saveData_ && grid_->StoreData() && grid_->Storage());
}

void TgrGridStreamComponent::ReadResetProps(TReader& r) {
    if (!r.ReadBoolean()) return;
    const TgrPropKinds kinds = savePropKinds_;
    if (!(ids_ == TgrPropIdSet::All())) {
        ResetLayoutProperties(kinds, ids_);
        return;
    }
    if (byDataCol_) {
        grid_->ResetLayoutToDefaults(kinds);
        return;
    }
    if (kinds != PropKindBit(pkCols)) grid_->ResetLayoutToDefaults(kinds & ~PropKindBit(pkCols));
    if (kinds & PropKindBit(pkCols)) {
        // Columns matched by field name keep their place; each loses what
        // the layout sets when its item is read.
        bool byDataCol = byDataCol_;
        byDataCol_ = true;
        ResetLayoutProperties(PropKindBit(pkCols), TgrPropIdSet::All());
        byDataCol_ = byDataCol;
    }
}

void TgrGridStreamComponent::WriteGrid(TStream& s) {
    // The grid's own collections and values travel as the component's.
    grid_->EnablePropertyStoring(false);
    try {
        TWriter w(s);
        WriteGridComponent(w, *grid_);
    } catch (...) {
        grid_->EnablePropertyStoring(true);
        throw;
    }
    grid_->EnablePropertyStoring(true);
}

void TgrGridStreamComponent::ReadGrid(TStream& s) {
    TReader r(s);
    ReadGridComponent(r, *grid_);
    GridRead();
}

void TgrGridStreamComponent::Write(TWriter& w) {
    w.WriteString(ClassName());
    w.WriteString("");
    WritePublished(w);
    TgrFormWriter filer(w);
    DefineProperties(filer);
    w.WriteListEnd();
}

void TgrGridStreamComponent::Read(TReader& r) {
    std::string className = r.ReadString();
    if (className.empty()) Refuse("no component class name");
    r.ReadString();  // the component's name
    TgrFormReader filer;
    DefineProperties(filer);
    try {
        while (!r.EndOfList()) {
            std::string name = r.ReadString();
            if (!ReadPublished(name, r) && !filer.Read(name, r)) Refuse("unknown property \"" + name + "\"");
        }
        r.ReadListEnd();
    } catch (...) {
        grid_->ReleaseReadCellProperties();
        ReadAborted();
        throw;
    }
    grid_->ReleaseReadCellProperties();
    Loaded();
}

// ============================================================ the grid

std::unique_ptr<TgrGridStreamComponent> TgrBaseGrid::CreateStreamComponent() {
    return std::make_unique<TgrGridStreamComponent>(this);
}

TgrBaseGrid* TgrBaseGrid::CreateLayoutGrid() { return new TgrLayoutGrid(nullptr); }

void TgrBaseGrid::ResetLayoutToDefaults(TgrPropKinds kinds) {
    // A combo grid's defaults are those of a new list of its owner's class,
    // with its owner's combo look.
    bool list = comboGrid_ && ownerGrid_;
    std::unique_ptr<TgrBaseGrid> fresh(list ? ownerGrid_->CreateComboGrid() : CreateLayoutGrid());
    fresh->SetVisible(false);
    if (list && !IsReading()) {
        ownerGrid_->PrepareComboGrid(fresh.get());
        // The list stays as wide as its value column was made (the owner
        // column's width).
        TgrCombo* combo = GetOwnerCombo();
        Integer valueCol = combo ? combo->GetValueCol() : 0;
        if (valueCol >= 1 && valueCol <= Cols()) fresh->SetDefaultColWidth(GetColWidthAt(DisplayColOfData(valueCol)));
    }
    AssignGridLayout(fresh.get(), kinds, true);
    fresh.reset();
    if (list && !IsReading()) ownerGrid_->InitComboGrid(GetOwnerCombo());
    else if (!list && workCombo_) workCombo_->Refresh();
    UpdateScrollBars();
}

void TgrBaseGrid::SaveLayoutToStream(TStream& stream, TgrPropKinds kinds, bool saveData, const TgrPropIdSet& ids) {
    std::unique_ptr<TgrGridStreamComponent> component = CreateStreamComponent();
    TgrPropIdSet chosen = ids;
    // The alignment ids travel together.
    if (chosen.Contains(gpAlign) || chosen.Contains(gpAlignment) || chosen.Contains(gpHorzAlignment)) {
        chosen.Include(gpAlign);
        chosen.Include(gpAlignment);
        chosen.Include(gpHorzAlignment);
    }
    component->SetSavePropKinds(kinds);
    component->SetPropIds(chosen);
    component->SetAllProperties(chosen == TgrPropIdSet::All());
    component->SetSaveData(saveData);
    TgrLayoutScope scope(*this, false);
    TWriter w(stream);
    component->Write(w);
}

void TgrBaseGrid::SaveLayoutToStreamAll(TStream& stream, bool saveData) {
    SaveLayoutToStream(stream, kAllKinds, saveData, TgrPropIdSet::All());
}

void TgrBaseGrid::LoadLayoutFromStream(TStream& stream, bool byDataCol) {
    TgrLayoutScope scope(*this, true);
    TReader r(stream);
    if (r.NextValue() == vaIdent) {
        ReadTaggedGridLayout(*this, r);
        return;
    }
    std::unique_ptr<TgrGridStreamComponent> component = CreateStreamComponent();
    component->SetReadByDataCol(byDataCol);
    // The column map of a read by field name lives only for this read.
    struct DropColumnMap {
        TgrBaseGrid& grid;
        ~DropColumnMap() { grid.SetLayoutColumnMap(nullptr); }
    } dropMap{*this};
    component->Read(r);
}
