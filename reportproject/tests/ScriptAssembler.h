#pragma once
// Test-only assembler: readable instructions in, module code bytes out.
// Label references are written in the 4-byte index form so they can be
// patched once every label is known.

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "reportproject/VzLEModule.h"

namespace script_test {

// An address operand: mode 0 frame, 1 stack top, 2 module data, 3 other module data.
struct Operand {
    std::uint8_t Mode;
    std::uint32_t V;
    std::uint32_t Offset = 0;  // mode 3 only
};
inline std::uint32_t Zig(std::int32_t s) { return s >= 0 ? std::uint32_t(s) * 2 : std::uint32_t(-s) * 2 - 1; }
inline Operand F(std::int32_t s) { return {0, Zig(s)}; }
inline Operand T(std::int32_t s) { return {1, Zig(s)}; }
inline Operand D(std::uint32_t off) { return {2, off}; }
inline Operand M(std::uint32_t module, std::uint32_t off) { return {3, module, off}; }

class Asm {
public:
    std::vector<std::uint8_t> Code;

    std::size_t Here() const { return Code.size(); }
    Asm& Byte(std::uint8_t b) { Code.push_back(b); return *this; }
    Asm& Op(std::uint8_t op) { return Byte(op); }
    Asm& Index(std::uint32_t u) {
        if (u < 0x80) return Byte(std::uint8_t(u));
        if (u < 0x4000) return Byte(std::uint8_t(0x80 | (u >> 8))).Byte(std::uint8_t(u));
        if (u < 0x200000) return Byte(std::uint8_t(0xC0 | (u >> 16))).Byte(std::uint8_t(u >> 8)).Byte(std::uint8_t(u));
        return Index4(u);
    }
    Asm& Index4(std::uint32_t u) {
        return Byte(std::uint8_t(0xE0 | ((u >> 24) & 0x1F))).Byte(std::uint8_t(u >> 16)).Byte(std::uint8_t(u >> 8)).Byte(std::uint8_t(u));
    }
    Asm& Signed(std::int32_t s) { return Index(Zig(s)); }
    Asm& Addr(Operand a) {
        if (a.V < 63) Byte(std::uint8_t((a.Mode << 6) | a.V));
        else Byte(std::uint8_t((a.Mode << 6) | 63)).Index(a.V);
        if (a.Mode == 3) Index(a.Offset);
        return *this;
    }
    Asm& Raw4(std::uint32_t v) {
        for (int k = 0; k < 4; ++k) Byte(std::uint8_t(v >> (8 * k)));
        return *this;
    }
    Asm& Bytes(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        Code.insert(Code.end(), b, b + n);
        return *this;
    }

    // Mnemonics of the instructions tests use most.
    Asm& PushAddr(Operand a) { return Op(1).Addr(a); }
    Asm& PushCell(Operand a) { return Op(3).Addr(a); }
    // Pushes the address of n inline bytes.
    Asm& PushConst(const void* p, std::uint32_t n) { return Op(5).Index(n).Bytes(p, n); }
    Asm& PushInt(std::int32_t v) { return PushConst(&v, 4); }
    Asm& PushExt(long double v) { std::uint8_t b[10]; std::memcpy(b, &v, 10); return PushConst(b, 10); }
    Asm& PushCurr(std::int64_t scaled) { return PushConst(&scaled, 8); }
    Asm& LoadStr(Operand a, const std::string& text) {
        return Op(6).Index(std::uint32_t(text.size() + 1)).Addr(a).Bytes(text.c_str(), text.size() + 1);
    }
    Asm& Pop(std::uint32_t n) { return Op(9).Index(n); }
    Asm& Enter(std::uint32_t locals) { return Op(10).Index(locals); }
    Asm& Ret(std::uint32_t params) { return Op(19).Index(params); }
    // An operator or conversion: opcode, then the result operand.
    Asm& Calc(std::uint8_t op, Operand r) { return Op(op).Addr(r); }
    Asm& Test() { return Op(139); }
    Asm& Halt() { return Op(137); }
    Asm& Suspend() { return Op(140); }
    Asm& Arg(Operand a) { return Op(17).Addr(a); }
    Asm& ArgValue(Operand cell, std::uint32_t n) { return Op(18).Addr(cell).Index(n); }
    // Native call with result kind k into the address the cell at dest holds;
    // slot records where the function number goes.
    Asm& Native(std::uint8_t kind, Operand dest, const std::string& slot) {
        Op(22).Byte(kind).Addr(dest);
        Slots[slot] = std::uint32_t(Here());
        return Raw4(0);
    }
    Asm& NativeProc(const std::string& slot) {
        Op(23);
        Slots[slot] = std::uint32_t(Here());
        return Raw4(0);
    }

    Asm& Label(const std::string& name) { labels_[name] = Here(); return *this; }
    Asm& Jump(std::uint8_t op, const std::string& label) {
        Op(op);
        fixups_.push_back({Here(), label, true});
        return Index4(0);
    }
    Asm& Call(const std::string& label) {
        Op(21);
        fixups_.push_back({Here(), label, false});
        return Index4(0);
    }
    Asm& FarCall(std::uint32_t module, std::uint32_t offset) { return Op(24).Index(module).Index(offset); }

    std::vector<std::uint8_t> Finish() {
        for (const auto& f : fixups_) {
            const auto it = labels_.find(f.Label);
            if (it == labels_.end()) throw std::logic_error("unknown label " + f.Label);
            const std::uint32_t v = f.Relative ? Zig(std::int32_t(it->second) - std::int32_t(f.At)) : std::uint32_t(it->second);
            Asm patch;
            patch.Index4(v);
            std::memcpy(&Code[f.At], patch.Code.data(), 4);
        }
        return Code;
    }
    std::size_t LabelAt(const std::string& name) const { return labels_.at(name); }

    std::map<std::string, std::uint32_t> Slots;

private:
    struct Fixup {
        std::size_t At;
        std::string Label;
        bool Relative;
    };
    std::map<std::string, std::size_t> labels_;
    std::vector<Fixup> fixups_;
};

// A module holding the assembled code, its native slots and dataSize bytes.
inline std::unique_ptr<TRCPUModule> MakeModule(Asm& a, std::uint32_t dataSize, const std::string& name = "TESTMOD",
                                               std::uint32_t stack = 0x4000) {
    auto m = std::make_unique<TRCPUModule>();
    m->ModuleName = name;
    m->Code = a.Finish();
    m->DataSize = dataSize;
    m->StackBytes = stack;
    for (const auto& [slot, off] : a.Slots) m->AddNativeSlot(slot, off);
    return m;
}

// Hex text to bytes; "#" starts a comment that runs to the line's end.
inline std::vector<std::uint8_t> FromHex(const std::string& text) {
    std::vector<std::uint8_t> out;
    int half = -1;
    bool comment = false;
    for (char c : text) {
        if (c == '\n') comment = false;
        if (comment) continue;
        if (c == '#') { comment = true; continue; }
        int v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else continue;
        if (half < 0) half = v;
        else { out.push_back(std::uint8_t(half * 16 + v)); half = -1; }
    }
    return out;
}

}  // namespace script_test
