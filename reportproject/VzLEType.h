#pragma once
// Type and identifier tables of a compiled script module: what the module
// file says about its program, what the machine asks to finalize values
// holding strings, and what the host looks up by name.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TModuleReader;
class TModuleWriter;
class TBaseType;
class TStructureType;
class TRCPUModule;

// Value kinds of the report language.
enum TValueKind : std::uint8_t {
    vkBoolean, vkShortInt, vkByte, vkSmallInt, vkWord, vkInteger, vkSingle, vkDouble,
    vkExtended, vkCurrency, vkChar, vkString, vkReference, vkSized,
    vkLastKind = vkSized
};

enum TStructureCode : std::uint8_t {
    scSimple, scEnumerated, scArray, scRecord, scFunc, scClass, scLastCode = scClass
};

enum TIDCode : std::uint8_t { idVar, idType, idConst, idFunc, idMethod, idOp, idLastCode = idOp };

// Translates type references (module number, type number) of one module.
class TTypeHelper {
public:
    virtual ~TTypeHelper() = default;
    virtual TBaseType* ResolveType(std::uint32_t module, std::uint32_t number) = 0;
    virtual void TypeReference(const TBaseType* type, std::uint32_t& module, std::uint32_t& number) = 0;
};

// A value's type. Size 0 means "computed on demand".
class TBaseType {
public:
    TBaseType(std::uint8_t kind, std::uint8_t code) : Kind(kind), Code(code) {}
    virtual ~TBaseType() = default;
    // Reads the record after its structure code; every record starts so.
    static std::unique_ptr<TBaseType> Read(TModuleReader& r, TTypeHelper& helper);
    void Write(TModuleWriter& w, TTypeHelper& helper);

    virtual std::int32_t ValueSize();
    virtual bool NeedsFinalization();
    // Releases every string inside the value at p (ValueSize bytes).
    virtual void Finalize(std::uint8_t* p);

    std::uint8_t Kind;
    std::uint8_t Code;
    std::int32_t Size = 0;
    TRCPUModule* Owner = nullptr;
    std::uint32_t Number = 0;

protected:
    virtual void ReadBody(TModuleReader&, TTypeHelper&) {}
    virtual void WriteBody(TModuleWriter&, TTypeHelper&) {}
};

class TSimpleType : public TBaseType {
public:
    TSimpleType(std::uint8_t kind) : TBaseType(kind, scSimple) {}
    std::int32_t LowBound = 0, HighBound = 0;
protected:
    void ReadBody(TModuleReader& r, TTypeHelper& h) override;
    void WriteBody(TModuleWriter& w, TTypeHelper& h) override;
};

class TEnumeratedType : public TBaseType {
public:
    TEnumeratedType(std::uint8_t kind) : TBaseType(kind, scEnumerated) { Size = 1; }
    std::uint8_t HighOrdinal = 0;
protected:
    void ReadBody(TModuleReader& r, TTypeHelper& h) override;
    void WriteBody(TModuleWriter& w, TTypeHelper& h) override;
};

struct TRange {
    std::uint32_t Low = 0, High = 0;
    TBaseType* IndexType = nullptr;
};

class TArrayType : public TBaseType {
public:
    TArrayType(std::uint8_t kind) : TBaseType(kind, scArray) {}
    std::vector<TRange> Dimensions;
    TBaseType* Element = nullptr;
    int DimensionCount() const { return int(Dimensions.size()); }
    std::int64_t LowBound(int d) const;
    std::int64_t HighBound(int d) const;
    std::int64_t Length(int d) const;
    std::int32_t ValueSize() override;
    bool NeedsFinalization() override;
    void Finalize(std::uint8_t* p) override;
protected:
    void ReadBody(TModuleReader& r, TTypeHelper& h) override;
    void WriteBody(TModuleWriter& w, TTypeHelper& h) override;
};

enum TMemberCode : std::uint8_t { mcPlain, mcClass, mcMethod, mcProperty, mcLastCode = mcProperty };

struct TStructureMember {
    std::string Name;
    TBaseType* Type = nullptr;
    std::uint8_t Code = mcPlain;
    TStructureType* Structure = nullptr;
    std::uint8_t Visibility = 0;
    std::uint32_t ReadIndex = 0, WriteIndex = 0;
};

class TStructureType : public TBaseType {
public:
    using TBaseType::TBaseType;
    std::vector<TStructureMember> Members;
    std::int32_t BaseOffset = 0;
    struct TFound {
        bool Found = false;
        int Position = 0;  // 1-based
        const TStructureMember* Member = nullptr;
        std::int32_t Offset = 0;
    };
    virtual TFound FindMember(const std::string& name);
    bool NeedsFinalization() override;
    void Finalize(std::uint8_t* p) override;
protected:
    void ReadMembers(TModuleReader& r, TTypeHelper& h);
    void WriteMembers(TModuleWriter& w, TTypeHelper& h);
};

class TRecordType : public TStructureType {
public:
    TRecordType(std::uint8_t kind) : TStructureType(kind, scRecord) {}
    std::int32_t ValueSize() override;
protected:
    void ReadBody(TModuleReader& r, TTypeHelper& h) override { ReadMembers(r, h); }
    void WriteBody(TModuleWriter& w, TTypeHelper& h) override { WriteMembers(w, h); }
};

struct TFuncParam {
    std::string Name;
    TBaseType* Type = nullptr;
    std::uint8_t Kind = 0;
    std::uint32_t Value1 = 0, Value2 = 0;
};

class TFuncType : public TBaseType {
public:
    TFuncType(std::uint8_t kind) : TBaseType(kind, scFunc) {}
    std::vector<TFuncParam> Params;
    TBaseType* Result = nullptr;
    void AddParam(const std::string& name, std::uint8_t kind) { Params.push_back({name, nullptr, kind, 0, 0}); }
    const TFuncParam* Param(int i) const { return i >= 0 && i < int(Params.size()) ? &Params[std::size_t(i)] : nullptr; }
    std::uint16_t ParamCount() const { return std::uint16_t(Params.size()); }
protected:
    void ReadBody(TModuleReader& r, TTypeHelper& h) override;
    void WriteBody(TModuleWriter& w, TTypeHelper& h) override;
};

class TClassType : public TStructureType {
public:
    TClassType(std::uint8_t kind) : TStructureType(kind, scClass) { Size = 4; }
    TBaseType* ParentType = nullptr;
    TClassType* Parent() const { return dynamic_cast<TClassType*>(ParentType); }
    std::string ClassName;
    std::int32_t Instance = -1;
    std::int32_t InstanceSize();
    std::int32_t ValueSize() override { return 4; }
    TFound FindMember(const std::string& name) override;
protected:
    void ReadBody(TModuleReader& r, TTypeHelper& h) override;
    void WriteBody(TModuleWriter& w, TTypeHelper& h) override;
};

class TTypeManager {
public:
    explicit TTypeManager(TRCPUModule* owner) : Owner(owner) {}
    ~TTypeManager() { Clear(); }
    void Read(TModuleReader& r, TTypeHelper& h);
    void Write(TModuleWriter& w, TTypeHelper& h);
    // Takes ownership; numbers the type count + 1.
    TBaseType* Add(std::unique_ptr<TBaseType> type);
    TBaseType* Type(std::size_t i) const { return i < types_.size() ? types_[i].get() : nullptr; }
    std::size_t Count() const { return types_.size(); }
    void Clear();
    TRCPUModule* Owner;
private:
    std::vector<std::unique_ptr<TBaseType>> types_;
};

// Identifiers -------------------------------------------------------------

class TBaseID {
public:
    TBaseID(std::uint8_t code, std::string name) : Name(std::move(name)), Code(code) {}
    virtual ~TBaseID() = default;
    TBaseType* Type = nullptr;
    std::string Name;
    std::uint8_t Code;
    std::uint32_t ModuleNumber = 0;
};

class TVarID : public TBaseID {
public:
    explicit TVarID(std::string name) : TBaseID(idVar, std::move(name)) {}
    std::uint8_t Location = 0;
    std::uint32_t Offset = 0;
};

class TConstID : public TBaseID {
public:
    explicit TConstID(std::string name) : TBaseID(idConst, std::move(name)) {}
    std::vector<std::uint8_t> Data;
};

class TFuncID : public TBaseID {
public:
    TFuncID(std::uint8_t code, std::string name) : TBaseID(code, std::move(name)) {}
    std::uint32_t Second = 0;
    std::uint32_t Entry = 0;
};

class TOpID : public TBaseID {
public:
    explicit TOpID(std::string name) : TBaseID(idOp, std::move(name)) {}
    std::uint8_t OpKind = 0;
};

class TIDManager {
public:
    ~TIDManager() { Clear(); }
    void Read(TModuleReader& r, TTypeHelper& h);
    void Write(TModuleWriter& w, TTypeHelper& h);
    // Refused (false, id freed) when the name is present.
    bool Add(std::unique_ptr<TBaseID> id);
    TBaseID* Find(const std::string& name);
    TBaseID* At(std::size_t i) const { return i < ids_.size() ? ids_[i].get() : nullptr; }
    std::size_t Count() const { return ids_.size(); }
    void Clear();
private:
    bool Search(const std::string& name, std::size_t& pos) const;
    std::vector<std::unique_ptr<TBaseID>> ids_;
};
