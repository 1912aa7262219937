// The data-aware grid's layout streams, whose rows and cells are named by
// record. The first byte chooses whether columns are matched by data column
// and whether the grid is bound to its table before the layout is read or
// only after (then what waited for the records is applied on binding).
// A refused layout leaves nothing waiting. A layout that says the grid was
// not bound unbinds it, as a form file does; the grid is bound again, its
// layout is saved and loaded into a fresh bound grid, whose save loads and
// saves unchanged. (The first save may differ from the second: a column
// whose heading was read empty shows its field's name and saves no
// heading, while a fresh bound grid's column holds the field's label.)
#include "fuzz/FuzzTargets.h"

#include <memory>

#include "dbgrid/DBGrid.h"
#include "memtable/MemTable.h"
#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "platform/data/DataSource.h"

namespace {
constexpr const char* kTarget = "dbgridlayout";

// A table of four students that every input's grids are bound to.
TDataSource* Source() {
    static TDataSource* source = [] {
        auto* table = new TqmtMemTable(nullptr);
        table->FieldDefs().Add("ID", ftInteger);
        table->FieldDefs().Add("Name", ftString, 20);
        table->FieldDefs().Add("Score", ftInteger);
        table->Open();
        for (int i = 1; i <= 4; ++i) {
            table->Append();
            table->FieldByName("ID")->SetAsInteger(i);
            table->FieldByName("Name")->SetAsString("N" + std::to_string(i));
            table->FieldByName("Score")->SetAsInteger(100 - i);
            table->Post();
        }
        table->First();
        auto* s = new TDataSource(nullptr);
        s->SetDataSet(table);
        return s;
    }();
    return source;
}

std::unique_ptr<TgrDBGrid> Grid(bool bound) {
    auto grid = std::make_unique<TgrDBGrid>(nullptr);
    grid->SetName("DBGrid1");
    grid->SetBounds(0, 0, 400, 150);
    if (bound) grid->SetDataSource(Source());
    return grid;
}

std::string Saved(TgrBaseGrid& grid) {
    TStringStream s;
    grid.SaveLayoutToStreamAll(s, true);
    return s.DataString();
}

bool NothingWaits(TgrDBGrid& grid) {
    return !grid.StreamedDataBound() && grid.StreamedRecordRows().empty() && grid.StreamedRecordCells().empty() &&
           !grid.IsReading();
}
}  // namespace

void FuzzDBGridLayout(const std::string& input) {
    if (input.empty()) return;
    FuzzEnsureGui();
    const bool byDataCol = input[0] & 1;
    const bool boundFirst = !(input[0] & 2);
    auto grid = Grid(boundFirst);
    try {
        TStringStream s(input.substr(1));
        grid->LoadLayoutFromStream(s, byDataCol);
    } catch (const Exception&) {
        FUZZ_CHECK(kTarget, NothingWaits(*grid));
    }
    if (!grid->DataBound()) grid->SetDataSource(Source());
    FUZZ_CHECK(kTarget, grid->DataBound() && !grid->StreamedDataBound());

    auto roundTrip = [byDataCol](const std::string& layout) {
        auto back = Grid(true);
        TStringStream s(layout);
        back->LoadLayoutFromStream(s, byDataCol);
        FUZZ_CHECK(kTarget, NothingWaits(*back));
        return Saved(*back);
    };
    const std::string second = roundTrip(Saved(*grid));
    FUZZ_CHECK(kTarget, roundTrip(second) == second);
}
