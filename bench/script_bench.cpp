// Speed of the report language machine: a loop of about 10 million byte-code
// instructions, each iteration an integer increment, a near call to a
// function that adds into an accumulator, a comparison and a conditional
// jump. Prints instructions per second.
//
// Usage: script_bench [instructions]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "reportproject/VzLEModule.h"
#include "reportproject/VzLERun.h"
#include "reportproject/tests/ScriptAssembler.h"

using namespace script_test;

int main(int argc, char** argv) {
    const long long wanted = argc > 1 ? std::atoll(argv[1]) : 10000000LL;
    constexpr int kPerIteration = 14;
    const std::int32_t iterations = std::int32_t(wanted / kPerIteration);

    Asm a;  // data: 0 counter, 4 limit, 8 flag, 12 accumulator
    a.Label("loop");
    a.PushAddr(D(0)).PushInt(1).Op(125);              // counter += 1
    a.Call("add");
    a.PushAddr(D(0)).PushAddr(D(4)).Calc(41, D(8));   // counter < limit
    a.Test().Jump(25, "loop").Halt();
    a.Label("add").Enter(0).PushAddr(D(12)).PushAddr(D(0)).Op(125).Ret(0);
    auto m = MakeModule(a, 16, "BENCH");
    std::memcpy(m->DataBlock() + 4, &iterations, 4);

    TRCPURunner runner;
    std::unique_ptr<TRCPUSuspendState> none;
    const auto start = std::chrono::steady_clock::now();
    runner.Run(*m, nullptr, none);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::int32_t acc;
    std::memcpy(&acc, m->DataBlock() + 12, 4);
    std::printf("instructions: %llu\n", static_cast<unsigned long long>(runner.Executed));
    std::printf("seconds: %.3f\n", seconds);
    std::printf("instructions per second: %.0f\n", double(runner.Executed) / seconds);
    std::printf("accumulator check: %d\n", acc);
    return 0;
}
