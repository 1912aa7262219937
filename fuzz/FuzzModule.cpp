// Compiled script modules: the module file loader, then a bounded run of
// the loaded code. What loads is written back and that text loads and
// writes back unchanged.
#include "fuzz/FuzzTargets.h"

#include <memory>

#include "platform/core/Exception.h"
#include "reportproject/VzLEModule.h"
#include "reportproject/VzLERun.h"

namespace {
constexpr const char* kTarget = "module";

void RunBounded(TRCPUModule& m) {
    std::unique_ptr<TRCPUSuspendState> state;
    try {
        TRCPURunner runner;
        runner.MaxSteps = 20000;
        runner.Run(m, nullptr, state);
        if (state) {
            TRCPURunner again;
            again.MaxSteps = 20000;
            again.Run(m, nullptr, state);
        }
    } catch (const Exception& e) {
        FUZZ_CHECK(kTarget, !e.Message.empty());
    }
}
}  // namespace

void FuzzModule(const std::string& input) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(input.data());
    std::unique_ptr<TRCPUModule> m;
    std::size_t consumed = 0;
    try {
        m = TRCPUModule::CreateFromBytes(data, input.size(), &consumed);
    } catch (const Exception& e) {
        FUZZ_CHECK(kTarget, !e.Message.empty());
        return;
    }
    FUZZ_CHECK(kTarget, m != nullptr && consumed <= input.size());
    const std::vector<std::uint8_t> saved = m->SaveToBytes();
    auto again = TRCPUModule::CreateFromBytes(saved.data(), saved.size());
    FUZZ_CHECK(kTarget, again->SaveToBytes() == saved);
    if (m->StackBytes < 64) m->StackBytes = 64;
    RunBounded(*m);
}
