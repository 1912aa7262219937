// The standard record window's sorted search: the dataset's own key search
// first, the scan of its records when that finds nothing that matches.

#include <algorithm>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridData.h"
#include "platform/data/DataSet.h"

bool TgrStandardDataset::FindKey(const std::string& text, Integer dataCol, const TgrValueMatch& match,
                                 std::string& bookmark) {
    bookmark.clear();
    TDataSet* ds = DataSet();
    TField* field = Grid()->FieldOfCol(dataCol);
    if (!IsActive() || !ds || !IsTable() || !field || field->Calculated() || field->Lookup() || text.empty())
        return false;
    std::string back = ds->IsEmpty() ? std::string() : ds->GetBookmark();
    ds->DisableControls();
    try {
        // Ignoring case finds a superset of every comparison's matches; the
        // caller's comparison decides on the record reached.
        if (ds->Locate(field->FieldName(), Variant(text), loPartialKey | loCaseInsensitive) &&
            ValueMatches(dataCol, text, true, match))
            bookmark = ds->GetBookmark();
    } catch (const std::exception&) {
        bookmark.clear();
    }
    try {
        if (!back.empty() && ds->BookmarkValid(back)) ds->GotoBookmark(back);
    } catch (...) {
        // The record is gone; the dataset stays where the search left it.
    }
    ds->EnableControls();
    return !bookmark.empty();
}

bool TgrStandardDataset::IsTable() {
    TDataSet* ds = DataSet();
    return IsActive() && ds && (!ds->OrderIndexName().empty() || !ds->OrderIndexFieldNames().empty());
}

bool TgrStandardDataset::ValueMatches(Integer dataCol, const std::string& text, bool wholeText,
                                      const TgrValueMatch& match) {
    Variant v = Grid()->ReadActiveRecordCellValue(dataCol, Grid()->DataRowOfDataSetRecord());
    std::string value = v.IsEmpty() || v.IsNull() ? std::string() : v.AsString();
    std::size_t len = wholeText ? text.size() : std::min(text.size(), value.size());
    return len > 0 && match(value, text.substr(0, len));
}

std::string TgrStandardDataset::LocateValue(const std::string& text, Integer dataCol, bool wholeText,
                                            const TgrValueMatch& match, bool& found) {
    std::string bookmark;
    // The key search reaches a record that starts with all of the text; no
    // longer matching prefix exists, so it is the answer.
    found = FindKey(text, dataCol, match, bookmark);
    if (found) return bookmark;
    return ScanForValue(std::string(), std::string(), text, dataCol, wholeText, match, found);
}
