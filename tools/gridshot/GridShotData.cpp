#include "tools/gridshot/GridShotData.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "dbgrid/DBGrid.h"
#include "memtable/CSVStreamFormat.h"
#include "memtable/MemTable.h"
#include "platform/data/DataSet.h"
#include "platform/gui/Forms.h"
#include "tools/gridshot/GridShot.h"

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EGridShotError("Cannot read " + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

QJsonObject ParseScenario(const std::string& json) {
    QJsonParseError error{};
    QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    if (doc.isNull() || !doc.isObject())
        throw EGridShotError("The scenario is not a JSON object: " + error.errorString().toStdString());
    return doc.object();
}

TFieldType FieldTypeOf(const std::string& name) {
    if (name == "string") return ftString;
    if (name == "integer") return ftInteger;
    if (name == "largeint") return ftLargeint;
    if (name == "float") return ftFloat;
    if (name == "boolean") return ftBoolean;
    if (name == "date") return ftDate;
    throw EGridShotError("Unknown field type \"" + name + "\"");
}

// "#rrggbb" as the grid's 0x00bbggrr colour.
TColor ColorOf(const QJsonValue& v) {
    std::string s = v.toString().toStdString();
    if (s.size() != 7 || s[0] != '#') throw EGridShotError("Colour \"" + s + "\" is not #rrggbb");
    unsigned long rgb = std::stoul(s.substr(1), nullptr, 16);
    return TColor(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

// The bookmark of a record number (1-based).
std::string BookmarkOf(TqmtMemTable* table, int recNo) {
    if (recNo < 1 || recNo > table->RecordCount())
        throw EGridShotError("No record " + std::to_string(recNo));
    table->SetRecNo(recNo);
    return table->GetBookmark();
}

}  // namespace

TDataGridShot::TDataGridShot() {
    EnsureGuiApplication();
    Application->Initialize();
}

TDataGridShot::~TDataGridShot() { Application->ResetForTesting(); }

void TDataGridShot::Run(const std::string& scenarioJson, const std::string& baseDir) {
    QJsonObject scenario = ParseScenario(scenarioJson);
    QJsonObject data = scenario["data"].toObject();
    int width = scenario["width"].toInt(400), height = scenario["height"].toInt(240);
    if (width <= 0 || height <= 0 || width > 8000 || height > 8000)
        throw EGridShotError("The picture size must be within 1..8000 pixels");
    form_ = new TForm(Application);
    form_->SetBounds(0, 0, width + 20, height + 20);

    table_ = new TqmtMemTable(form_);
    QJsonArray fields = data["fields"].toArray();
    if (fields.isEmpty()) throw EGridShotError("A data scenario needs fields");
    for (const QJsonValue& f : fields) {
        QJsonObject o = f.toObject();
        table_->FieldDefs().Add(o["name"].toString().toStdString(), FieldTypeOf(o["type"].toString().toStdString()),
                                o["size"].toInt(0));
    }
    table_->Open();
    std::string csv = data["csv"].toString().toStdString();
    if (!csv.empty()) {
        std::filesystem::path path(csv);
        if (path.is_relative() && !baseDir.empty()) path = std::filesystem::path(baseDir) / path;
        TqmtCSVStreamFormat format;
        format.CSVQuote = '"';
        format.SetCSVFieldDelimiter(',');
        format.CSVRecordDelimiter = '\0';
        format.sfDef = 0;
        table_->ReadFileWithFormat(path.string(), &format);
    }

    source_ = new TDataSource(form_);
    source_->SetDataSet(table_);
    grid_ = new TgrDBGrid(form_);
    grid_->SetName("DataGridShot");
    grid_->SetParent(form_);
    grid_->SetBounds(0, 0, width, height);
    grid_->Font()->SetName("Arial");
    grid_->Font()->SetSize(8);
    grid_->HeadingFont()->Assign(*grid_->Font());
    grid_->SetDataSource(source_);

    for (const QJsonValue& c : data["cellColors"].toArray()) {
        QJsonObject o = c.toObject();
        std::string bookmark = BookmarkOf(table_, o["record"].toInt());
        grid_->SetCellColor(grid_->GetCol(Variant(o["field"].toString().toStdString()))->GetDataCol(),
                            Variant(bookmark), ColorOf(o["color"]));
    }
    for (const QJsonValue& s : data["selectRecords"].toArray()) {
        QJsonArray range = s.toArray();
        if (range.size() != 2) throw EGridShotError("A record range is two record numbers");
        std::string from = BookmarkOf(table_, range[0].toInt()), to = BookmarkOf(table_, range[1].toInt());
        grid_->SelectRows(Variant(from), Variant(to), true);
    }
    int current = data["current"].toInt(1);
    table_->First();
    if (table_->RecordCount() > 0) table_->MoveBy(current - 1);
    form_->Show();
    grid_->Update();
}

QImage TDataGridShot::Picture() {
    grid_->Invalidate();
    grid_->Update();
    return grid_->Surface().copy();
}

bool IsDataGridScenario(const std::string& scenarioPath) {
    return ParseScenario(ReadText(scenarioPath)).contains("data");
}

void RunDataGridShotFiles(const std::string& scenarioPath, const std::string& pngPath) {
    TDataGridShot shot;
    shot.Run(ReadText(scenarioPath), std::filesystem::path(scenarioPath).parent_path().string());
    if (!pngPath.empty() && !shot.Picture().save(QString::fromStdString(pngPath), "PNG"))
        throw EGridShotError("Cannot write " + pngPath);
}
