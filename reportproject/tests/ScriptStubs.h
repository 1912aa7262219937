#pragma once
// Test-only: modules named after function groups, holding one stub per
// function that hands its parameters to the bound native routine, so a
// user module reaches system functions the way compiled code does: it
// imports the group's module and calls the stub there.
//
// Every parameter is one cell. The caller pushes the parameters in order
// (each with PushCell of where its value lies), then, for a function with
// a result, the address that receives it, and calls the stub.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "reportproject/VzLERun.h"
#include "reportproject/tests/ScriptAssembler.h"

namespace script_test {

struct Stub {
    std::string Name;  // the function's registered name
    int Params;        // parameter cells
    int Kind = -1;     // result kind, -1 for none
};

struct StubModule {
    std::unique_ptr<TRCPUModule> Module;
    std::map<std::string, std::uint32_t> Entry;  // function name -> stub offset
};

inline StubModule MakeStubModule(const std::string& group, const std::vector<Stub>& stubs) {
    Asm a;
    a.Halt();
    for (const Stub& s : stubs) {
        const int extra = s.Kind >= 0 ? 1 : 0;
        a.Label(s.Name).Enter(0);
        for (int i = 0; i < s.Params; ++i) a.Arg(F(12 + 4 * (s.Params - 1 - i + extra)));
        if (s.Kind >= 0) a.Native(std::uint8_t(s.Kind), F(12), s.Name);
        else a.NativeProc(s.Name);
        a.Ret(std::uint32_t(4 * (s.Params + extra)));
    }
    StubModule out;
    out.Module = MakeModule(a, 0, group);
    for (const Stub& s : stubs) out.Entry[s.Name] = std::uint32_t(a.LabelAt(s.Name));
    BindModule(*out.Module);
    return out;
}

}  // namespace script_test
