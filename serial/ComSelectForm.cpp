#include "serial/ComSelectForm.h"

#include <mutex>

#include "platform/core/Strings.h"
#include "serial/SioUtils.h"
#include "serial/SioWin32Dispatcher.h"

namespace {
std::mutex& RunnerLock() {
    static std::mutex m;
    return m;
}
TComSelectRunner& Runner() {
    static TComSelectRunner r;
    return r;
}
}  // namespace

void SetComSelectRunner(TComSelectRunner runner) {
    std::lock_guard<std::mutex> l(RunnerLock());
    Runner() = std::move(runner);
}

bool IsPortPresent(Integer n) {
    if (n == 0) return false;
    // Tested through a dispatcher that opens the device; a port held by
    // another program answers "access denied" and counts as present.
    TSioWin32Dispatcher probe(nullptr);
    Integer r = probe.OpenHandle(FormatDeviceName(n));
    if (r >= 0) {
        probe.CloseDevice();
        return true;
    }
    return probe.LastError() == kOsErrorAccessDenied;
}

TComSelectForm::TComSelectForm(TComponent* owner) : TComponent(owner) { FormCreate(); }

void TComSelectForm::FormCreate() {
    PortsComboBox.clear();
    for (Integer n = 1; n <= 50; ++n)
        if (IsPortPresent(n)) PortsComboBox.push_back("COM" + std::to_string(n));
    ItemIndex = PortsComboBox.empty() ? -1 : 0;
}

Integer TComSelectForm::ComSelectPortNumber() const {
    std::string text;
    if (ItemIndex >= 0 && static_cast<std::size_t>(ItemIndex) < PortsComboBox.size())
        text = PortsComboBox[ItemIndex].substr(std::min<std::size_t>(3, PortsComboBox[ItemIndex].size()));
    return StrToInt(text);
}

bool TComSelectForm::ShowModal() {
    TComSelectRunner runner;
    {
        std::lock_guard<std::mutex> l(RunnerLock());
        runner = Runner();
    }
    return runner ? runner(*this) : false;
}
