// Export of a data-aware grid: all records of its dataset as CSV or as an
// XML data packet. Values are the ones the grid shows (through
// OnCellLoaded), except dates, which are written in fixed formats.

#include <fstream>

#include "dbgrid/DBGrid.h"
#include "platform/core/Exception.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"
#include "platform/gui/Prompts.h"

namespace {

// CSV quoting: the value in double quotes, every double quote doubled.
std::string CsvQuoted(const std::string& value) {
    std::string out = "\"";
    for (char ch : value) {
        if (ch == '"') out += "\"\"";
        else out += ch;
    }
    return out + "\"";
}

// XML attribute quoting: the markup characters become entities.
std::string XmlQuoted(const std::string& value) {
    std::string out = "\"";
    for (char ch : value) {
        switch (ch) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += ch; break;
        }
    }
    return out + "\"";
}

// Splits at LF, CR or CR LF the way text lists do: at a break a CR is
// skipped when one follows, then an LF.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t i = 0, n = text.size();
    while (i < n) {
        std::size_t start = i;
        while (i < n && text[i] != '\n' && text[i] != '\r') ++i;
        lines.push_back(text.substr(start, i - start));
        if (i < n && text[i] == '\r') ++i;
        if (i < n && text[i] == '\n') ++i;
    }
    return lines;
}

void WriteLines(const std::string& fileName, const std::vector<std::string>& lines) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) throw EFCreateError(Format("Cannot create file \"%s\"", {fileName}));
    for (const std::string& line : lines) out << line << "\r\n";
    out.flush();
    if (!out) throw EWriteError(Format("Error writing \"%s\"", {fileName}));
}

}  // namespace

std::vector<Integer> TgrCustomDBGrid::ExportedCols(bool displayOrder) {
    std::vector<Integer> cols;
    for (Integer i = 1; i <= Cols(); ++i) {
        Integer dataCol = displayOrder ? DataColOfDisplay(i) : i;
        TgrCol* col = Col(dataCol);
        if (col && col->ControlType() == ctPicture) continue;
        cols.push_back(dataCol);
    }
    return cols;
}

void TgrCustomDBGrid::KeepDataSetRecord(const std::function<void(TDataSet*)>& work) {
    TDataSet* ds = DataSet();
    std::string back = ds->IsEmpty() ? std::string() : ds->GetBookmark();
    ds->DisableControls();
    auto restore = [&] {
        if (!back.empty() && ds->BookmarkValid(back)) ds->GotoBookmark(back);
        ds->EnableControls();
    };
    try {
        work(ds);
    } catch (...) {
        try {
            restore();
        } catch (...) {
        }
        throw;
    }
    restore();
}

void TgrCustomDBGrid::ForEachRecord(const std::function<void(const Variant& dataRow)>& visit) {
    if (!dataActive_ || !DataSet()) return;
    bool wasWalking = walking_;
    walking_ = true;
    try {
        KeepDataSetRecord([&](TDataSet* ds) {
            for (ds->First(); !ds->Eof(); ds->Next()) visit(DataRowOfDataSetRecord());
        });
    } catch (...) {
        walking_ = wasWalking;
        throw;
    }
    walking_ = wasWalking;
}

// The value of a cell as the export writes it.
static std::string ExportText(TgrCustomDBGrid* grid, Integer dataCol, const Variant& value, bool pictureCell) {
    if (TField* f = grid->FieldOfCol(dataCol)) {
        if (f->DataType() == ftDateTime || f->DataType() == ftTimeStamp)
            return f->IsNull() ? std::string() : FormatDateTime("yyyymmdd hhnnsszzz", f->AsDateTime());
        if (f->DataType() == ftDate) return f->IsNull() ? std::string() : FormatDateTime("yyyymmdd", f->AsDateTime());
    } else if (pictureCell) {
        return std::string();
    }
    return value.IsEmpty() || value.IsNull() ? std::string() : value.AsString();
}

std::string TgrCustomDBGrid::GetCsvCellText(Integer dataCol, const Variant& dataRow) {
    Variant value = walking_ ? ReadActiveRecordCellValue(dataCol, dataRow) : GetCellValue(dataCol, dataRow);
    return ExportText(this, dataCol, value, false);
}

std::string TgrCustomDBGrid::GetXmlCellText(Integer dataCol, const Variant& dataRow) {
    Variant value = walking_ ? ReadActiveRecordCellValue(dataCol, dataRow) : GetCellValue(dataCol, dataRow);
    bool picture = GetCellControlType(dataCol, dataRow) == ctPicture;
    return ExportText(this, dataCol, value, picture);
}

std::string TgrCustomDBGrid::GetCsvHeading() {
    std::string line;
    for (Integer c : ExportedCols(true)) line += CsvQuoted(Col(c)->GetHeading()) + ",";
    return line;
}

std::string TgrCustomDBGrid::GetCsvRow(const Variant& dataRow) {
    std::string line;
    for (Integer c : ExportedCols(true)) line += CsvQuoted(GetCsvCellText(c, dataRow)) + ",";
    return line;
}

void TgrCustomDBGrid::ExportCsv(const std::string& fileName) {
    std::vector<std::string> lines{GetCsvHeading()};
    ForEachRecord([&](const Variant& dataRow) { lines.push_back(GetCsvRow(dataRow)); });
    WriteLines(fileName, lines);
}

std::string TgrCustomDBGrid::XmlFieldType(Integer dataCol) {
    TField* f = FieldOfCol(dataCol);
    if (!f) return "\"string\"";
    switch (f->DataType()) {
        case ftString:
        case ftFixedChar:
        case ftWideString:
        case ftMemo:
        case ftFmtMemo: return "\"string\" WIDTH=\"" + std::to_string(std::clamp(f->Size(), 0, 65535)) + "\"";
        case ftSmallint:
        case ftInteger:
        case ftWord: return "\"i4\"";
        case ftBoolean: return "\"boolean\"";
        case ftFloat:
        case ftBCD:
        case ftFMTBcd: return "\"r8\"";
        case ftCurrency: return "\"r8\" SUBTYPE=\"Money\"";
        case ftDate: return "\"date\"";
        case ftTime: return "\"time\"";
        case ftDateTime:
        case ftTimeStamp: return "\"datetime\"";
        case ftAutoInc: return "\"i4\" SUBTYPE=\"Autoinc\"";
        case ftLargeint: return "\"i8\"";
        default: return "\"string\"";
    }
}

std::string TgrCustomDBGrid::GetXmlMetadata() {
    std::string s = "<METADATA><FIELDS>";
    for (Integer c : ExportedCols(false)) {
        std::string name;
        Col(c)->GetExportName(name);
        s += "<FIELD attrname=" + XmlQuoted(name) + " fieldtype=" + XmlFieldType(c) + " />";
    }
    return s + "</FIELDS><PARAMS LCID=\"1033\"/></METADATA>";
}

std::string TgrCustomDBGrid::GetXmlRow(const Variant& dataRow) {
    std::string s = "<ROW ";
    for (Integer c : ExportedCols(false)) {
        std::string name;
        Col(c)->GetExportName(name);
        s += name + "=" + XmlQuoted(GetXmlCellText(c, dataRow)) + " ";
    }
    return s + "/>";
}

std::string TgrCustomDBGrid::GetXmlPacket() {
    std::string s = "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\">";
    s += GetXmlMetadata();
    s += " <ROWDATA> ";
    ForEachRecord([&](const Variant& dataRow) { s += "\n\r" + GetXmlRow(dataRow); });
    return s + "</ROWDATA></DATAPACKET>";
}

void TgrCustomDBGrid::ExportXml(const std::string& fileName) { WriteLines(fileName, SplitLines(GetXmlPacket())); }

void TgrCustomDBGrid::ExportGrid() {
    PromptRequest request;
    request.Kind = PromptKind::SaveFile;
    request.Caption = "Grid Export";
    request.Filter = "CSV File (*.csv)|*.csv|XML File (*.xml)|*.xml";
    request.FilterIndex = 0;
    request.DefaultExt = "csv";
    PromptAnswer answer = PromptService().Ask(request);
    if (!answer.Accepted()) return;
    std::string fileName = answer.Value;
    if (fileName.size() <= 3) return;
    std::string ext = LowerCase(fileName.substr(fileName.size() - 3));
    if (ext == "xml") ExportXml(fileName);
    else if (ext == "csv") ExportCsv(fileName);
}
