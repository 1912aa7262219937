#pragma once
// Field definitions (the physical columns a dataset offers) and index
// definitions (the orders it can sort by).

#include <memory>
#include <string>
#include <vector>

#include "platform/data/DataTypes.h"

class TComponent;
class TDataSet;
class TField;
class TFieldDefs;

class TFieldDef {
public:
    TFieldDef(TFieldDefs* owner, const std::string& name, TFieldType type, int size, bool required,
              int fieldNo);
    ~TFieldDef();
    TFieldDef(const TFieldDef&) = delete;
    TFieldDef& operator=(const TFieldDef&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    TFieldType DataType() const { return dataType_; }
    void SetDataType(TFieldType type) { dataType_ = type; }
    int Size() const { return size_; }
    void SetSize(int size) { size_ = size; }
    int Precision() const { return precision_; }
    void SetPrecision(int precision) { precision_ = precision; }
    bool Required() const { return (attributes_ & faRequired) != 0; }
    void SetRequired(bool value);
    TFieldAttributes Attributes() const { return attributes_; }
    void SetAttributes(TFieldAttributes value) { attributes_ = value; }
    bool InternalCalcField() const { return internalCalcField_; }
    void SetInternalCalcField(bool value) { internalCalcField_ = value; }
    // 1-based number of the definition; given by Add.
    int FieldNo() const { return fieldNo_; }
    void SetFieldNo(int fieldNo) { fieldNo_ = fieldNo; }
    int Index() const;

    // Children of structured types (ftADT, ftArray); created on first use.
    bool HasChildDefs() const { return childDefs_ && childDefsCount() > 0; }
    TFieldDefs& ChildDefs();

    TFieldDefs* Collection() const { return owner_; }
    // Creates a field of the class for DataType with this definition's name,
    // size, required and read-only settings, belonging to the dataset.
    // Raises EDatabaseError "Field 'X' is of an unknown type" when no field
    // class serves the type.
    TField* CreateField(TComponent* owner);

private:
    friend class TFieldDefs;
    int childDefsCount() const;

    TFieldDefs* owner_;
    std::string name_;
    TFieldType dataType_;
    int size_;
    int precision_ = 0;
    TFieldAttributes attributes_ = 0;
    bool internalCalcField_ = false;
    int fieldNo_;
    std::unique_ptr<TFieldDefs> childDefs_;
};

class TFieldDefs {
public:
    explicit TFieldDefs(TDataSet* dataSet) : dataSet_(dataSet) {}
    ~TFieldDefs();
    TFieldDefs(const TFieldDefs&) = delete;
    TFieldDefs& operator=(const TFieldDefs&) = delete;

    TDataSet* DataSet() const { return dataSet_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TFieldDef* operator[](int index) const { return Items(index); }
    TFieldDef* Items(int index) const;

    // Adds a definition; its FieldNo is its position + 1. A duplicate name
    // raises "Duplicate field name 'X'".
    TFieldDef* Add(const std::string& name, TFieldType type, int size = 0, bool required = false);
    TFieldDef* AddFieldDef();
    void Delete(int index);
    void Clear();
    // Case-insensitive search; IndexOf gives -1, Find raises
    // "Field 'X' not found".
    int IndexOf(const std::string& name) const;
    TFieldDef* Find(const std::string& name) const;
    // Copies every definition (with children) of source.
    void Assign(const TFieldDefs& source);

    // Whether the definitions reflect the dataset; Update asks the dataset
    // to (re)build them when they do not.
    bool Updated() const { return updated_; }
    void SetUpdated(bool value) { updated_ = value; }
    void Update();

    // The parent definition for child definitions, else nullptr.
    TFieldDef* ParentDef() const { return parentDef_; }

private:
    friend class TFieldDef;
    void Changed();

    TDataSet* dataSet_;
    TFieldDef* parentDef_ = nullptr;
    std::vector<std::unique_ptr<TFieldDef>> items_;
    bool updated_ = false;
};

class TIndexDefs;

class TIndexDef {
public:
    TIndexDef(TIndexDefs* owner, const std::string& name, const std::string& fields,
              TIndexOptions options);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& v) { name_ = v; }
    // Key field names separated by ";".
    const std::string& Fields() const { return fields_; }
    void SetFields(const std::string& v) { fields_ = v; }
    TIndexOptions Options() const { return options_; }
    void SetOptions(TIndexOptions v) { options_ = v; }
    // Fields sorted descending / compared case-insensitively, when only some
    // of the key fields are.
    const std::string& DescFields() const { return descFields_; }
    void SetDescFields(const std::string& v) { descFields_ = v; }
    const std::string& CaseInsFields() const { return caseInsFields_; }
    void SetCaseInsFields(const std::string& v) { caseInsFields_ = v; }
    const std::string& Expression() const { return expression_; }
    void SetExpression(const std::string& v) { expression_ = v; }
    const std::string& Source() const { return source_; }
    void SetSource(const std::string& v) { source_ = v; }
    int GroupingLevel() const { return groupingLevel_; }
    void SetGroupingLevel(int v) { groupingLevel_ = v; }
    int Index() const;
    void Assign(const TIndexDef& source);

private:
    TIndexDefs* owner_;
    std::string name_;
    std::string fields_;
    TIndexOptions options_;
    std::string descFields_;
    std::string caseInsFields_;
    std::string expression_;
    std::string source_;
    int groupingLevel_ = 0;
};

class TIndexDefs {
public:
    explicit TIndexDefs(TDataSet* dataSet) : dataSet_(dataSet) {}
    TIndexDefs(const TIndexDefs&) = delete;
    TIndexDefs& operator=(const TIndexDefs&) = delete;

    TDataSet* DataSet() const { return dataSet_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TIndexDef* operator[](int index) const { return Items(index); }
    TIndexDef* Items(int index) const;
    TIndexDef* Add(const std::string& name, const std::string& fields, TIndexOptions options = 0);
    TIndexDef* AddIndexDef();
    void Delete(int index);
    void Clear();
    // Case-insensitive; IndexOf gives -1, Find raises "Index 'X' not found".
    int IndexOf(const std::string& name) const;
    TIndexDef* Find(const std::string& name) const;
    // The first definition whose leading key fields are the given fields
    // (case-insensitive names), honouring case-insensitivity when asked;
    // nullptr when none.
    TIndexDef* GetIndexForFields(const std::string& fields, bool caseInsensitive) const;
    void Assign(const TIndexDefs& source);

    bool Updated() const { return updated_; }
    void SetUpdated(bool value) { updated_ = value; }
    // Asks the dataset to refresh the definitions when they are not updated.
    void Update();

private:
    TDataSet* dataSet_;
    std::vector<std::unique_ptr<TIndexDef>> items_;
    bool updated_ = false;
};

// The name of a ";"-separated list that starts at pos, blanks trimmed
// (empty between two ";"); pos moves past the name and its ";". Done when
// pos is past the end of the list.
std::string ExtractFieldName(const std::string& names, std::size_t& pos);
// Splits a ";"-separated list of names, trimming blanks and dropping empty
// entries.
std::vector<std::string> SplitFieldNames(const std::string& names);
