#include "reportproject/VzLERun.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "report/ReportDefs.h"
#include "reportproject/VzLEModule.h"
#include "reportproject/VzLEString.h"

static_assert(LDBL_MANT_DIG == 64, "the extended kind is stored as the x87 80-bit format");

namespace {

// Opcodes named where the dispatch needs a name; the rest are numbered
// groups documented at their cases.
enum : std::uint8_t {
    opNop = 136, opHalt = 137, opConcat = 138, opTest = 139, opSuspend = 140, opNop2 = 141,
};

constexpr int kArgCells = 256;
constexpr std::uint32_t kRegionShift = 24;
constexpr std::uint32_t kOffsetMask = (1u << kRegionShift) - 1;
constexpr std::uint32_t kMaxRegions = 255;
constexpr std::uint32_t kStackRegion = 1;

[[noreturn]] void Fail(const std::string& text) { throw EReportPrinter(Trans(text)); }

std::string Hex2(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02X", v & 0xFF);
    return b;
}

std::string Hex8(std::uint32_t v) {
    char b[12];
    std::snprintf(b, sizeof b, "%08X", v);
    return b;
}

std::string Upper(std::string s) {
    for (auto& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

struct NativeRegistry {
    std::vector<TNativeEntry> Entries;  // number n is Entries[n-1]
    std::map<std::string, std::map<std::string, std::uint32_t>> Modules;
};
NativeRegistry& Natives() {
    static NativeRegistry r;
    return r;
}

std::int32_t ZigZag(std::uint32_t v) { return (v & 1) ? -std::int32_t((v + 1) / 2) : std::int32_t(v / 2); }

long double LoadExt(const std::uint8_t* p) {
    long double v = 0;
    std::memcpy(&v, p, 10);
    return v;
}
void StoreExt(std::uint8_t* p, long double v) { std::memcpy(p, &v, 10); }

template <class T> T Load(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T> void Store(std::uint8_t* p, T v) { std::memcpy(p, &v, sizeof v); }

// Byte code may move zero bytes; an empty region has no base address, and
// the C library's copy must not be handed a null pointer even for no bytes.
void MoveBytes(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n) {
    if (n != 0) std::memmove(dst, src, n);
}

// Floating results are checked so a fault stops the script like the
// processor's exception would.
long double CheckFloat(long double r, long double a, long double b) {
    if (!std::isfinite(r) && std::isfinite(a) && std::isfinite(b))
        Fail(std::isnan(r) ? "Invalid floating point operation" : "Floating point overflow");
    return r;
}

std::int64_t ToInt64(long double v) {
    const long double r = std::nearbyint(v);
    if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L)) Fail("Floating point overflow");
    return std::int64_t(r);
}

}  // namespace

// Registry ------------------------------------------------------------------

void RegisterNative(TNativeEntry entry, const std::string& function, const std::string& module) {
    auto& r = Natives();
    auto& fns = r.Modules[Upper(module)];
    if (fns.count(Upper(function))) return;
    r.Entries.push_back(entry);
    fns[Upper(function)] = std::uint32_t(r.Entries.size());
}

void UnregisterNative(const std::string& function, const std::string& module) {
    auto& r = Natives();
    const auto m = r.Modules.find(Upper(module));
    if (m == r.Modules.end()) return;
    const auto f = m->second.find(Upper(function));
    if (f == m->second.end()) return;
    r.Entries[f->second - 1] = nullptr;
    m->second.erase(f);
    if (m->second.empty()) r.Modules.erase(m);
}

void BindModule(TRCPUModule& module) {
    const auto m = Natives().Modules.find(Upper(module.ModuleName));
    if (m == Natives().Modules.end()) return;
    for (const auto& [name, number] : m->second) {
        std::uint32_t offset;
        if (module.FindNativeSlot(name, offset) && std::uint64_t(offset) + 4 <= module.Code.size())
            Store<std::uint32_t>(&module.Code[offset], number);
    }
}

TNativeEntry NativeByNumber(std::uint32_t number) {
    const auto& e = Natives().Entries;
    return number >= 1 && number <= e.size() ? e[number - 1] : nullptr;
}

// The machine -----------------------------------------------------------------

struct TRCPURunner::Impl {
    struct Region {
        std::uint8_t* Base = nullptr;
        std::uint32_t Size = 0;
    };
    // Region 1 is the stack; every module the run meets gets a data and a
    // code region on first use.
    std::vector<Region> Regions{Region{}, Region{}};
    std::map<const TRCPUModule*, std::uint32_t> DataRegion;  // code is DataRegion + 1

    std::int32_t StackTop = 0, FrameBase = 0, CodeOffset = 0, StackLimit = 0;
    TRCPUModule* Module = nullptr;
    std::unique_ptr<std::uint8_t[]> Stack;
    std::uint8_t* Data = nullptr;
    const std::uint8_t* CodeP = nullptr;
    std::uint32_t CodeSize = 0;
    std::uint32_t DataReg = 0;
    std::int8_t Flag = 0;
    bool Done = false;
    std::unique_ptr<TRCPUSuspendState> Suspended;
    TRCPURunner* Owner = nullptr;

    std::uint32_t Args[kArgCells + 1];
    int ArgCount = 0;
    std::uint64_t Executed = 0;

    std::uint32_t RegionsOf(TRCPUModule* m) {
        const auto it = DataRegion.find(m);
        if (it != DataRegion.end()) return it->second;
        if (Regions.size() + 2 > kMaxRegions) Fail("Too many modules in one script run");
        // Offsets are 24 bits: a larger block could not be addressed whole.
        if (m->DataSize > kOffsetMask || m->Code.size() > kOffsetMask) Fail("Module code or data block is too large");
        const std::uint32_t r = std::uint32_t(Regions.size());
        Regions.push_back({m->DataBlock(), m->DataSize});
        Regions.push_back({m->Code.data(), std::uint32_t(m->Code.size())});
        DataRegion[m] = r;
        return r;
    }

    void Switch(TRCPUModule* m) {
        if (!m) Fail("Invalid module reference");
        Module = m;
        DataReg = RegionsOf(m);
        Data = Regions[DataReg].Base;
        CodeP = m->Code.data();
        CodeSize = std::uint32_t(m->Code.size());
    }

    TRCPUModule* Imported(std::uint32_t number) {
        TRCPUModule* m = Module->ModuleByNumber(number);
        if (!m) Fail("Module number " + std::to_string(number) + " is not imported");
        return m;
    }

    static std::uint32_t Address(std::uint32_t region, std::int64_t offset, std::uint32_t size) {
        if (offset < 0 || offset > std::int64_t(size)) Fail("Invalid address");
        return (region << kRegionShift) | std::uint32_t(offset);
    }

    std::uint8_t* Mem(std::uint32_t address, std::uint32_t n) {
        const std::uint32_t r = address >> kRegionShift;
        const std::uint32_t off = address & kOffsetMask;
        if (r == 0 || r >= Regions.size() || std::uint64_t(off) + n > Regions[r].Size)
            Fail("Invalid address (" + Hex8(address) + ")");
        return Regions[r].Base + off;
    }

    // Code reading -------------------------------------------------------
    std::uint8_t Fetch() {
        if (CodeOffset < 0 || std::uint32_t(CodeOffset) >= CodeSize) Fail("Code offset out of range");
        return CodeP[CodeOffset++];
    }
    std::uint32_t Index() {
        const std::uint8_t b = Fetch();
        if (b < 0x80) return b;
        if (b < 0xC0) return (std::uint32_t(b & 0x3F) << 8) | Fetch();
        if (b < 0xE0) {
            std::uint32_t v = std::uint32_t(b & 0x1F) << 16;
            v |= std::uint32_t(Fetch()) << 8;
            return v | Fetch();
        }
        std::uint32_t v = std::uint32_t(b & 0x1F) << 24;
        v |= std::uint32_t(Fetch()) << 16;
        v |= std::uint32_t(Fetch()) << 8;
        return v | Fetch();
    }
    std::int32_t Signed() { return ZigZag(Index()); }
    std::uint32_t Raw4() {
        std::uint32_t v = Fetch();
        v |= std::uint32_t(Fetch()) << 8;
        v |= std::uint32_t(Fetch()) << 16;
        return v | (std::uint32_t(Fetch()) << 24);
    }
    std::uint32_t Addr() {
        const std::uint8_t a = Fetch();
        std::uint32_t v = a & 0x3F;
        if (v == 63) v = Index();
        switch (a >> 6) {
        case 0: return Address(kStackRegion, std::int64_t(FrameBase) + ZigZag(v), std::uint32_t(StackLimit));
        case 1: return Address(kStackRegion, std::int64_t(StackTop) + ZigZag(v), std::uint32_t(StackLimit));
        case 2: return Address(DataReg, v, Regions[DataReg].Size);
        default: {
            const std::uint32_t r = RegionsOf(Imported(v));
            return Address(r, Index(), Regions[r].Size);
        }
        }
    }
    // The address of code offset off of the current module.
    std::uint32_t CodeAddress(std::int64_t off) { return Address(DataReg + 1, off, CodeSize); }

    // Stack -----------------------------------------------------------------
    std::uint8_t* PushBytes(std::uint32_t n) {
        if (std::int64_t(StackTop) - n < 0) Fail("Stack Overflow");
        StackTop -= std::int32_t(n);
        return Stack.get() + StackTop;
    }
    void PopBytes(std::uint32_t n) {
        if (std::int64_t(StackTop) + n > StackLimit) Fail("Stack Underflow");
        StackTop += std::int32_t(n);
    }
    void Push(std::uint32_t v) { Store(PushBytes(4), v); }
    std::uint32_t Pop() {
        if (std::int64_t(StackTop) + 4 > StackLimit) Fail("Stack Underflow");
        const std::uint32_t v = Load<std::uint32_t>(Stack.get() + StackTop);
        StackTop += 4;
        return v;
    }

    // Strings -----------------------------------------------------------------
    TScriptString& StrAt(std::uint32_t address) {
        return *reinterpret_cast<TScriptString*>(Mem(address, 4));
    }
    void SetStr(std::uint32_t address, TScriptString s) {
        TScriptString cur = Load<TScriptString>(Mem(address, 4));
        ScriptStrings::Assign(cur, s);
        Store(Mem(address, 4), cur);
    }
    void SetText(std::uint32_t address, const std::string& text) {
        const TScriptString s = ScriptStrings::Make(text);
        try {
            SetStr(address, s);
        } catch (...) {
            ScriptStrings::Release(s);
            throw;
        }
        ScriptStrings::Release(s);
    }
    const std::string& TextAt(std::uint32_t address) { return ScriptStrings::Text(Load<TScriptString>(Mem(address, 4))); }
    // Zero-terminated text inside n inline code bytes.
    std::string Inline(std::uint32_t start, std::uint32_t n) {
        if (std::uint64_t(start) + n > CodeSize) Fail("Code offset out of range");
        const char* p = reinterpret_cast<const char*>(CodeP + start);
        return std::string(p, strnlen(p, n));
    }

    void AddArg(std::uint32_t v) {
        if (ArgCount >= kArgCells) Fail("Too many arguments for a native call");
        Args[ArgCount++] = v;
    }

    void Call(std::uint8_t op);
    void Step(std::uint8_t op);
    void Binary(std::uint8_t op);
};

// One instruction; the dispatch tests opcode 136 before this.
void TRCPURunner::Impl::Step(std::uint8_t op) {
    switch (op) {
    // Stack, data and strings
    case 1: Push(Addr()); break;
    case 2: { const std::uint32_t x = Pop(); Push(Addr()); Push(x); break; }
    case 3: { const std::uint32_t a = Addr(); Push(Load<std::uint32_t>(Mem(a, 4))); break; }
    case 4: {
        const std::uint32_t n = Index();
        const std::uint8_t* src = Mem(Addr(), n);
        std::vector<std::uint8_t> tmp(src, src + n);  // src may lie in the part the push overwrites
        std::uint8_t* dst = PushBytes(n);
        if (n) std::memcpy(dst, tmp.data(), n);
        break;
    }
    case 5: {
        const std::uint32_t n = Index();
        const std::uint32_t at = CodeAddress(CodeOffset);
        if (std::uint64_t(CodeOffset) + n > CodeSize) Fail("Code offset out of range");
        Push(at);
        CodeOffset += std::int32_t(n);
        break;
    }
    case 6:
    case 7: {
        std::uint32_t x = 0;
        if (op == 7) x = Pop();
        const std::uint32_t n = Index();
        const std::uint32_t a = Addr();
        const std::string text = Inline(std::uint32_t(CodeOffset), n);
        SetText(a, text);
        Push(a);
        CodeOffset += std::int32_t(n);
        if (op == 7) Push(x);
        break;
    }
    case 8: Push(0); break;
    case 9: PopBytes(Index()); break;
    case 10: {
        const std::uint32_t n = Index();
        Push(std::uint32_t(FrameBase));
        FrameBase = StackTop;
        if (std::uint8_t* frame = PushBytes(n); n != 0) std::memset(frame, 0, n);
        break;
    }
    case 11: {
        const std::uint32_t n = Index();
        const std::uint32_t a1 = Addr();
        const std::uint32_t a2 = Addr();
        const std::uint8_t* src = Mem(Load<std::uint32_t>(Mem(a1, 4)), n);
        MoveBytes(Mem(a2, n), src, n);
        break;
    }
    case 12: {
        const std::uint32_t a1 = Addr();
        const std::uint32_t a2 = Addr();
        SetStr(a2, Load<TScriptString>(Mem(Load<std::uint32_t>(Mem(a1, 4)), 4)));
        break;
    }
    case 13: {
        const std::uint32_t n = Index();
        const std::uint32_t a1 = Addr();
        const std::uint32_t a2 = Addr();
        const std::uint32_t t = Index();
        const std::uint32_t from = Load<std::uint32_t>(Mem(a1, 4));
        const std::uint8_t* src = from ? Mem(from, n) : Mem(CodeAddress(t), n);
        MoveBytes(Mem(a2, n), src, n);
        break;
    }
    case 14: {
        // The third operand's cell gives the code offset of zero-terminated
        // default text when the first cell holds no address.
        const std::uint32_t a1 = Addr();
        const std::uint32_t a2 = Addr();
        const std::uint32_t a3 = Addr();
        PushBytes(4);
        const std::uint32_t from = Load<std::uint32_t>(Mem(a1, 4));
        if (from) {
            SetStr(a2, Load<TScriptString>(Mem(from, 4)));
        } else {
            const std::uint32_t off = Load<std::uint32_t>(Mem(a3, 4));
            if (off >= CodeSize) Fail("Code offset out of range");
            SetText(a2, Inline(off, CodeSize - off));
        }
        break;
    }
    case 15: SetStr(Addr(), 0); break;
    case 16: {
        const std::uint32_t a = Addr();
        const std::uint32_t m = Index();
        const std::uint32_t t = Index();
        TBaseType* type = Imported(m)->TypeByNumber(t);
        if (!type) Fail("Unknown type number " + std::to_string(t));
        type->Finalize(Mem(a, std::uint32_t(type->ValueSize())));
        break;
    }
    case 117: {
        const std::uint32_t a1 = Addr();
        const std::uint32_t a2 = Addr();
        const char c = char(*Mem(Load<std::uint32_t>(Mem(a1, 4)), 1));
        SetText(a2, std::string(1, c));
        break;
    }
    case 119:
    case 120:
    case 121: {
        const std::uint32_t n = Index();
        std::uint32_t s, d;
        if (op == 121) { d = Pop(); s = Pop(); } else { s = Pop(); d = Pop(); }
        MoveBytes(Mem(d, n), Mem(s, n), n);
        if (op != 119) Push(d);
        break;
    }
    case 122:
    case 123:
    case 124: {
        std::uint32_t s, d;
        if (op == 124) { d = Pop(); s = Pop(); } else { s = Pop(); d = Pop(); }
        SetStr(d, Load<TScriptString>(Mem(s, 4)));
        if (op != 122) Push(d);
        break;
    }
    case opConcat: {
        const std::uint32_t b = Pop();
        const std::uint32_t l = Pop();
        const std::uint32_t r = Addr();
        const std::string text = TextAt(l) + TextAt(b);
        SetText(r, text);
        Push(r);
        break;
    }
    // Native calls
    case 17: { const std::uint32_t a = Addr(); AddArg(Load<std::uint32_t>(Mem(a, 4))); break; }
    case 18: {
        const std::uint32_t a = Addr();
        const std::uint32_t n = Index();
        const std::uint8_t* p = Mem(Load<std::uint32_t>(Mem(a, 4)), n);
        const std::uint32_t tail = n % 4;
        if (tail) {
            std::uint32_t c = 0;
            std::memcpy(&c, p + (n - tail), tail);
            AddArg(c);
        }
        for (std::uint32_t w = n / 4; w-- > 0;) AddArg(Load<std::uint32_t>(p + 4 * w));
        break;
    }
    case 22:
    case 23: Call(op); break;
    // Control flow
    case 19:
    case 20: {
        const std::uint32_t n = Index();
        StackTop = FrameBase;
        FrameBase = std::int32_t(Pop());
        if (op == 19 && StackTop >= StackLimit) { Done = true; break; }
        CodeOffset = std::int32_t(Pop());
        if (op == 19 && CodeOffset < 0) { Done = true; break; }
        TRCPUModule* m = TRCPUModule::ByHandle(Pop());
        PopBytes(n);
        Switch(m);
        break;
    }
    case 21: {
        const std::uint32_t n = Index();
        Push(Module->Handle());
        Push(std::uint32_t(CodeOffset));
        CodeOffset = std::int32_t(n);
        break;
    }
    case 24:
    case 32: {
        const std::uint32_t m = Index();
        const std::uint32_t t = Index();
        TRCPUModule* target = Imported(m);
        if (op == 24) {
            Push(Module->Handle());
            Push(std::uint32_t(CodeOffset));
        }
        Switch(target);
        CodeOffset = std::int32_t(t);
        break;
    }
    case 25: case 26: case 27: case 28: case 29: case 30: case 31: {
        const std::int32_t at = CodeOffset;
        const std::int32_t s = Signed();
        bool go = true;
        switch (op) {
        case 25: go = Flag == 0; break;
        case 26: go = Flag != 0; break;
        case 27: go = Flag < 0; break;
        case 28: go = Flag <= 0; break;
        case 29: go = Flag > 0; break;
        case 30: go = Flag >= 0; break;
        default: break;
        }
        if (go) CodeOffset = at + s;
        break;
    }
    case opHalt: Done = true; break;
    case opTest: Flag = *Mem(Pop(), 1) != 0 ? 0 : 1; break;
    case opSuspend: {
        auto s = std::make_unique<TRCPUSuspendState>();
        s->StackTop = StackTop;
        s->FrameBase = FrameBase;
        s->CurrentModule = Module;
        s->ModuleHandle = Module->Handle();
        s->CodeOffset = CodeOffset;
        s->StackMemory = std::move(Stack);
        s->StackLimit = StackLimit;
        s->ConditionFlag = Flag;
        Suspended = std::move(s);
        Done = true;
        break;
    }
    case opNop2: break;
    default:
        if (op >= 33 && op <= 116) {
            Binary(op);
            break;
        }
        if (op >= 118 && op <= 135 && op != 119) {
            Binary(op);
            break;
        }
        Fail("Cannot execute command (" + Hex2(op) + ")");
    }
}

void TRCPURunner::Impl::Call(std::uint8_t op) {
    std::uint8_t kind = 0;
    std::uint32_t dest = 0;
    if (op == 22) {
        kind = Fetch();
        dest = Load<std::uint32_t>(Mem(Addr(), 4));
    }
    const std::uint32_t fn = Raw4();
    TNativeEntry entry = NativeByNumber(fn);
    if (!entry) Fail("Native function is not bound");
    if (op == 22 && kind == 11) {
        SetStr(dest, 0);
        if (ArgCount > kArgCells) Fail("Too many arguments for a native call");
        Args[ArgCount++] = dest;  // the one cell beyond the block
    }
    TNativeCall call(*Owner, Args, ArgCount);
    ArgCount = 0;
    entry(call);
    if (op != 22 || kind == 11) return;
    switch (kind) {
    case 0: case 1: case 2: case 10: *Mem(dest, 1) = std::uint8_t(call.IntResult); break;
    case 3: case 4: Store(Mem(dest, 2), std::uint16_t(call.IntResult)); break;
    case 5: case 12: case 13: Store(Mem(dest, 4), std::uint32_t(call.IntResult)); break;
    case 6: Store(Mem(dest, 4), float(call.FloatResult)); break;
    case 7: Store(Mem(dest, 8), double(call.FloatResult)); break;
    case 8: StoreExt(Mem(dest, 10), call.FloatResult); break;
    case 9: Store(Mem(dest, 8), call.IntResult); break;
    default: Fail("Unknown result kind (" + Hex2(kind) + ")");
    }
}

// Operators, conversions and compound assignments: operands are addresses.
void TRCPURunner::Impl::Binary(std::uint8_t op) {
    if (op >= 33 && op <= 68) {
        const std::uint32_t b = Pop();
        const std::uint32_t l = Pop();
        const std::uint32_t r = Addr();
        const int rel = (op - 33) % 6;
        int c;  // sign of L compared with B
        auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
        if (op <= 38 || (op >= 57 && op <= 62)) c = sign(*Mem(l, 1), *Mem(b, 1));
        else if (op <= 44) c = sign(Load<std::int32_t>(Mem(l, 4)), Load<std::int32_t>(Mem(b, 4)));
        else if (op <= 50) {
            const long double x = LoadExt(Mem(l, 10)), y = LoadExt(Mem(b, 10));
            c = std::isunordered(x, y) ? 2 : sign(x, y);
        } else if (op <= 56) {
            c = sign((long double)Load<std::int64_t>(Mem(l, 8)), (long double)Load<std::int64_t>(Mem(b, 8)));
        } else c = TextAt(l).compare(TextAt(b)) < 0 ? -1 : (TextAt(l) == TextAt(b) ? 0 : 1);
        bool res = false;
        switch (rel) {
        case 0: res = c == 0; break;
        case 1: res = c != 0; break;
        case 2: res = c == -1; break;
        case 3: res = c == 1; break;
        case 4: res = c == -1 || c == 0; break;
        default: res = c == 1 || c == 0; break;
        }
        *Mem(r, 1) = res ? 1 : 0;
        Push(r);
        return;
    }
    if (op >= 69 && op <= 89) {
        const std::uint32_t b = Pop();
        const std::uint32_t l = Pop();
        const std::uint32_t r = Addr();
        if (op <= 71) {
            const std::uint8_t x = *Mem(l, 1), y = *Mem(b, 1);
            *Mem(r, 1) = op == 69 ? (x || y) : op == 70 ? std::uint8_t(x ^ y) : (x && y);
        } else if (op <= 81) {
            const std::int32_t x = Load<std::int32_t>(Mem(l, 4)), y = Load<std::int32_t>(Mem(b, 4));
            const std::uint32_t ux = std::uint32_t(x), uy = std::uint32_t(y);
            std::uint32_t v = 0;
            switch (op) {
            case 72: v = ux + uy; break;
            case 73: v = ux - uy; break;
            case 74: v = ux * uy; break;
            case 75:
            case 76:
                if (y == 0) Fail("Division by zero");
                if (x == INT_MIN && y == -1) v = op == 75 ? ux : 0;
                else v = std::uint32_t(op == 75 ? x / y : x % y);
                break;
            case 77: v = ux | uy; break;
            case 78: v = ux ^ uy; break;
            case 79: v = ux & uy; break;
            case 80: v = ux << (uy & 31); break;
            default: v = ux >> (uy & 31); break;
            }
            Store(Mem(r, 4), v);
        } else if (op <= 85) {
            const long double x = LoadExt(Mem(l, 10)), y = LoadExt(Mem(b, 10));
            if (op == 85 && y == 0) Fail("Floating point division by zero");
            const long double v = op == 82 ? x + y : op == 83 ? x - y : op == 84 ? x * y : x / y;
            StoreExt(Mem(r, 10), CheckFloat(v, x, y));
        } else {
            const long double x = Load<std::int64_t>(Mem(l, 8)), y = Load<std::int64_t>(Mem(b, 8));
            if (op == 89 && y == 0) Fail("Floating point division by zero");
            const long double v = op == 86 ? x + y : op == 87 ? x - y : op == 88 ? x * y / 10000 : x / y * 10000;
            Store(Mem(r, 8), ToInt64(v));
        }
        Push(r);
        return;
    }
    if (op >= 90 && op <= 94) {
        const std::uint32_t x = Pop();
        const std::uint32_t r = Addr();
        switch (op) {
        case 90: *Mem(r, 1) = *Mem(x, 1) ^ 1; break;
        case 91: Store(Mem(r, 4), ~Load<std::uint32_t>(Mem(x, 4))); break;
        case 92: Store(Mem(r, 4), 0u - Load<std::uint32_t>(Mem(x, 4))); break;
        case 93: StoreExt(Mem(r, 10), -LoadExt(Mem(x, 10))); break;
        default: {
            const std::int64_t v = Load<std::int64_t>(Mem(x, 8));
            Store(Mem(r, 8), std::int64_t(0ull - std::uint64_t(v)));
        }
        }
        Push(r);
        return;
    }
    if ((op >= 95 && op <= 116) || op == 118) {
        std::uint8_t k1 = op, k2 = op;
        if (op == 118) {
            k1 = Fetch();
            k2 = Fetch();
        }
        const std::uint32_t x = Pop();
        const std::uint32_t r = Addr();
        Push(r);
        std::int32_t I = 0;
        long double E = 0;
        switch (k1) {
        case 95: I = std::int8_t(*Mem(x, 1)); break;
        case 96: I = *Mem(x, 1); break;
        case 97: I = Load<std::int16_t>(Mem(x, 2)); break;
        case 98: I = Load<std::uint16_t>(Mem(x, 2)); break;
        case 99: case 100: case 101: case 102: case 103: case 104: case 105: case 106:
            if (op != 118) I = Load<std::int32_t>(Mem(x, 4));
            break;
        case 107: E = std::int8_t(*Mem(x, 1)); break;
        case 108: E = *Mem(x, 1); break;
        case 109: E = Load<std::int16_t>(Mem(x, 2)); break;
        case 110: E = Load<std::uint16_t>(Mem(x, 2)); break;
        case 111: E = Load<float>(Mem(x, 4)); break;
        case 112: E = Load<double>(Mem(x, 8)); break;
        case 113: E = (long double)Load<std::int64_t>(Mem(x, 8)) / 10000; break;
        case 114: case 115: case 116:
            if (op != 118) E = LoadExt(Mem(x, 10));
            break;
        default: break;
        }
        if (op >= 95 && op <= 98) k2 = 0;  // widening to 32 bits
        if (op == 105) { StoreExt(Mem(r, 10), I); return; }
        if (op >= 107 && op <= 113) { StoreExt(Mem(r, 10), E); return; }
        switch (k2) {
        case 0: Store(Mem(r, 4), I); break;
        case 99: case 100: *Mem(r, 1) = std::uint8_t(I); break;
        case 101: case 102: Store(Mem(r, 2), std::uint16_t(I)); break;
        case 103: Store(Mem(r, 4), float(I)); break;
        case 104: Store(Mem(r, 8), double(I)); break;
        case 106: Store(Mem(r, 8), std::int64_t(I) * 10000); break;
        case 114:
            if (std::isfinite(E) && std::fabs(E) > FLT_MAX) Fail("Floating point overflow");
            Store(Mem(r, 4), float(E));
            break;
        case 115:
            if (std::isfinite(E) && std::fabs(E) > DBL_MAX) Fail("Floating point overflow");
            Store(Mem(r, 8), double(E));
            break;
        case 116: Store(Mem(r, 8), ToInt64(E * 10000)); break;
        default: break;
        }
        return;
    }
    // 125-135: compound assignment, nothing pushed.
    const std::uint32_t s = Pop();
    const std::uint32_t d = Pop();
    if (op <= 127) {
        const std::uint32_t x = Load<std::uint32_t>(Mem(d, 4)), y = Load<std::uint32_t>(Mem(s, 4));
        Store(Mem(d, 4), op == 125 ? x + y : op == 126 ? x - y : x * y);
    } else if (op <= 131) {
        const long double x = LoadExt(Mem(d, 10)), y = LoadExt(Mem(s, 10));
        if (op == 131 && y == 0) Fail("Floating point division by zero");
        const long double v = op == 128 ? x + y : op == 129 ? x - y : op == 130 ? x * y : x / y;
        StoreExt(Mem(d, 10), CheckFloat(v, x, y));
    } else {
        const long double x = Load<std::int64_t>(Mem(d, 8)), y = Load<std::int64_t>(Mem(s, 8));
        if (op == 135 && y == 0) Fail("Floating point division by zero");
        const long double v = op == 132 ? x + y : op == 133 ? x - y : op == 134 ? x * y / 10000 : x / y * 10000;
        Store(Mem(d, 8), ToInt64(v));
    }
}

// TNativeCall -----------------------------------------------------------------

std::uint32_t TNativeCall::Cell(int i) const {
    if (i < 0 || i >= Count) throw EReportPrinter(Trans("Native call reads a missing argument"));
    return Cells[i];
}
double TNativeCall::Double(int i) const {
    const std::uint64_t v = (std::uint64_t(Cell(i)) << 32) | Cell(i + 1);
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}
long double TNativeCall::Extended(int i) const {
    std::uint8_t b[10];
    const std::uint32_t w0 = Cell(i + 2), w1 = Cell(i + 1), tail = Cell(i);
    std::memcpy(b, &w0, 4);
    std::memcpy(b + 4, &w1, 4);
    std::memcpy(b + 8, &tail, 2);
    return LoadExt(b);
}
std::string TNativeCall::Str(int i) const { return ScriptStrings::Text(Cell(i)); }
void TNativeCall::SetStringAt(std::uint32_t address, const std::string& text) { Runner.d_->SetText(address, text); }
std::uint8_t* TNativeCall::Memory(std::uint32_t address, std::uint32_t size) const {
    return Runner.Memory(address, size);
}
void TNativeCall::SetStringResult(const std::string& text) {
    if (Count < 1) throw EReportPrinter(Trans("Native call has no string result"));
    Runner.d_->SetText(Cells[Count - 1], text);
}

// TRCPURunner -------------------------------------------------------------------

TRCPURunner::TRCPURunner() : d_(std::make_unique<Impl>()) { d_->Owner = this; }
TRCPURunner::~TRCPURunner() = default;

std::uint8_t* TRCPURunner::Memory(std::uint32_t address, std::uint32_t size) { return d_->Mem(address, size); }

std::uint32_t TRCPURunner::AddHostBlock(std::uint8_t* base, std::uint32_t size) {
    if (d_->Regions.size() + 1 > kMaxRegions) Fail("Too many host blocks in one script run");
    if (size > kOffsetMask) Fail("Host block too large");
    const std::uint32_t r = std::uint32_t(d_->Regions.size());
    d_->Regions.push_back({base, size});
    return r << kRegionShift;
}

void TRCPURunner::Run(TRCPUModule& module, const std::vector<std::uint32_t>* parameters,
                      std::unique_ptr<TRCPUSuspendState>& suspend) {
    Impl& d = *d_;
    if (suspend) {
        d.StackTop = suspend->StackTop;
        d.FrameBase = suspend->FrameBase;
        d.CodeOffset = suspend->CodeOffset;
        d.Stack = std::move(suspend->StackMemory);
        d.StackLimit = suspend->StackLimit;
        d.Flag = suspend->ConditionFlag;
        TRCPUModule* m = suspend->CurrentModule;
        if (TRCPUModule::ByHandle(suspend->ModuleHandle) != m || !m) {
            suspend.reset();
            Fail("The suspended script's module is gone");
        }
        suspend.reset();
        d.Regions[kStackRegion] = {d.Stack.get(), std::uint32_t(d.StackLimit)};
        d.Switch(m);
    } else {
        d.Flag = 0;
        if (module.StackBytes > kOffsetMask) Fail("Module stack is too large");
        d.Switch(&module);
        d.CodeOffset = std::int32_t(module.EntryOffset);
        d.StackLimit = std::int32_t(module.StackBytes);
        d.StackTop = d.FrameBase = d.StackLimit;
        d.Stack = std::make_unique<std::uint8_t[]>(std::size_t(d.StackLimit) + 1);
        d.Regions[kStackRegion] = {d.Stack.get(), std::uint32_t(d.StackLimit)};
        if (parameters) {
            for (std::uint32_t p : *parameters) d.Push(p);
            d.Push(0xFFFFFFFFu);
            d.Push(0xFFFFFFFFu);
        }
    }
    d.Done = false;
    d.ArgCount = 0;
    d.Executed = 0;
    // The stack is released on every way out unless a suspension owns it.
    struct Release {
        Impl& D;
        ~Release() { D.Stack.reset(); }
    } release{d};
    std::uint64_t n = 0;
    try {
        while (!d.Done) {
            if (++n > MaxSteps && MaxSteps) Fail("Script ran longer than its step limit");
            const std::uint8_t op = d.Fetch();
            if (op == opNop) continue;
            d.Step(op);
        }
    } catch (...) {
        Executed = n;
        throw;
    }
    Executed = n;
    suspend = std::move(d.Suspended);
}
