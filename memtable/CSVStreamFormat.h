#pragma once
// TqmtCSVStreamFormat: writes an in-memory table as delimited text and
// reads such text back, optionally with a definition block that recreates
// the table's fields and index definitions.
//
// Numbers and dates are written and read with fixed settings (or the
// process defaults with sfLocalFormat) held in a settings object of the
// format; the process-wide settings are never changed.

#include <functional>
#include <string>
#include <vector>

#include "memtable/CSVText.h"
#include "memtable/StreamFormat.h"
#include "platform/core/FormatSettings.h"
#include "platform/data/DataTypes.h"

class TqmtCustomCSVStreamFormat;

using TqmtOnFormatField =
    std::function<void(TqmtCustomCSVStreamFormat* sender, TField* field, bool& null, std::string& data)>;

// The dataset framework's type names by type ordinal, and the kind names.
const char* qmtFieldTypeName(TFieldType type);
const char* qmtFieldKindName(TFieldKind kind);

class TqmtCustomCSVStreamFormat : public TqmtCustomStreamFormat {
public:
    explicit TqmtCustomCSVStreamFormat(TComponent* owner = nullptr);
    void Assign(const TPersistent* source) override;

    char CSVQuote = '"';
    char CSVFieldDelimiter() const { return fieldDelimiter_; }
    // NUL is ignored: a delimiter is always needed.
    void SetCSVFieldDelimiter(char c) {
        if (c != '\0') fieldDelimiter_ = c;
    }
    char CSVRecordDelimiter = ',';
    std::string CSVTrueString = "True";
    std::string CSVFalseString = "False";
    TqmtStreamFlags sfLocalFormat = 0;
    TqmtStreamFlags sfQuoteOnlyStrings = 0;
    TqmtStreamFlags sfNoHeader = 0;
    TqmtStreamFlags sfPlaceHolders = 0;
    TqmtOnFormatField OnFormatSaveField;
    TqmtOnFormatField OnFormatLoadField;

    // The settings used for number and date text during the current save
    // or load.
    const TFormatSettings& Settings() const { return settings_; }

    void BeginSave(TqmtCustomMemTable* table) override;
    void EndSave(TqmtCustomMemTable* table) override;
    void BeginLoad(TqmtCustomMemTable* table) override;
    void EndLoad(TqmtCustomMemTable* table) override;

protected:
    std::string VersionText() const override { return "3.00"; }
    void WriteDefinition(TqmtCustomMemTable* table) override;
    void WriteRows(TqmtCustomMemTable* table) override;
    void ReadFieldNames(TqmtCustomMemTable* table, bool loading, std::vector<std::string>& names) override;
    int MatchFieldName(TqmtCustomMemTable* table, const std::string& name) override;
    void ReadDefinition(TqmtCustomMemTable* table) override;
    void ReadRows(TqmtCustomMemTable* table) override;

    virtual bool FillReadBuffer();
    virtual bool ReadLine();
    virtual std::string NextField(bool& null);

    // The current line and the parse position in it.
    const std::string& CurrentLine() const { return line_; }
    bool LineHasMore() const { return pos_ < line_.size(); }

private:
    void Flush(bool force);
    void WriteValue(TqmtCustomMemTable* table, TField* field, std::string& out);
    void LoadValue(TqmtCustomMemTable* table, TField* field, bool null, std::string& text);
    void ReadDefinitionLine(TqmtCustomMemTable* table, bool index);

    char fieldDelimiter_ = ',';
    TFormatSettings settings_;
    // Writing: bytes waiting to go to the stream.
    std::string out_;
    // Reading.
    std::vector<char> buffer_;
    size_t bufferPos_ = 0, bufferLen_ = 0;
    int fills_ = 0;
    int reportedFills_ = 0;
    Int64 streamSize_ = 0;
    bool atEnd_ = false;
    std::string line_;
    size_t pos_ = 0;
    bool haveLine_ = false;
    bool defsLoaded_ = false;
};

class TqmtCSVStreamFormat : public TqmtCustomCSVStreamFormat {
public:
    using TqmtCustomCSVStreamFormat::TqmtCustomCSVStreamFormat;
};
