#pragma once
// The byte-code machine of the report language and the registry of native
// functions that compiled code calls.
//
// Cells are 32 bits. On this 64-bit platform a cell never holds a machine
// pointer: an address is a region number (high 8 bits) and an offset
// (low 24 bits) into one block the run knows (its stack, a module's data or
// code); a module reference is the module's handle; a native function is
// its 1-based number in the native table. Every address is checked against
// its block before use, so bad byte code stops with an error.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TRCPUModule;
class TRCPURunner;

// What a native entry routine sees of one call.
class TNativeCall {
public:
    TNativeCall(TRCPURunner& runner, const std::uint32_t* cells, int count)
        : Runner(runner), Cells(cells), Count(count) {}
    std::uint32_t Cell(int i) const;
    std::int32_t Int(int i) const { return std::int32_t(Cell(i)); }
    double Double(int i) const;              // two cells, low word in the later one
    long double Extended(int i) const;       // three cells
    std::string Str(int i) const;            // one cell, a string handle
    std::uint8_t* Memory(std::uint32_t address, std::uint32_t size) const;
    // Assigns text to the string whose address the last cell holds.
    void SetStringResult(const std::string& text);
    // Assigns text to the string at a machine address (a var parameter).
    void SetStringAt(std::uint32_t address, const std::string& text);

    TRCPURunner& Runner;
    const std::uint32_t* Cells;
    int Count;
    std::int64_t IntResult = 0;
    long double FloatResult = 0;
};

using TNativeEntry = void (*)(TNativeCall&);

// Registry of native routines by (module name, function name).
void RegisterNative(TNativeEntry entry, const std::string& function, const std::string& module);
void UnregisterNative(const std::string& function, const std::string& module);
// Writes the number of each registered routine into the module's slots.
void BindModule(TRCPUModule& module);
TNativeEntry NativeByNumber(std::uint32_t number);

class TRCPUSuspendState {
public:
    std::int32_t StackTop = 0;
    std::int32_t FrameBase = 0;
    TRCPUModule* CurrentModule = nullptr;
    std::uint32_t ModuleHandle = 0;  // checked on resumption: the module may be gone
    std::int32_t CodeOffset = 0;
    std::unique_ptr<std::uint8_t[]> StackMemory;
    std::int32_t StackLimit = 0;
    std::int8_t ConditionFlag = 0;
};

class TRCPURunner {
public:
    TRCPURunner();
    ~TRCPURunner();
    // Runs module from its entry offset, or resumes suspend when it holds a
    // state. On return suspend is empty, or holds the state of a suspension.
    void Run(TRCPUModule& module, const std::vector<std::uint32_t>* parameters,
             std::unique_ptr<TRCPUSuspendState>& suspend);

    // Checked view of size bytes at a machine address.
    std::uint8_t* Memory(std::uint32_t address, std::uint32_t size);
    // Makes size bytes of the host reachable by the next run; answers the
    // machine address of their first byte. The bytes must outlive the run.
    std::uint32_t AddHostBlock(std::uint8_t* base, std::uint32_t size);
    // Instructions a run may execute before it stops with an error; 0 is
    // no limit.
    std::uint64_t MaxSteps = 0;
    // Number of instructions executed by the last run.
    std::uint64_t Executed = 0;

    struct Impl;
    friend class TNativeCall;

private:
    std::unique_ptr<Impl> d_;
};
