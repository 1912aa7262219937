#include "fuzz/FuzzTargets.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "platform/gui/Graphics.h"
#include "platform/gui/Prompts.h"

std::string FuzzScratchDir() {
    static const std::string dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("omr-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        return d.string();
    }();
    return dir;
}

std::string FuzzScratchFile(const std::string& name, const std::string& bytes) {
    std::string path = FuzzScratchDir() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
    return path;
}

std::string FuzzReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void FuzzEnsureGui() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    EnsureGuiApplication();
}

struct TFuzzPrompts::Impl : TPromptService {
    bool yes = false;
    int count = 0;
    TPromptService* previous = nullptr;
    PromptAnswer Ask(const PromptRequest& request) override {
        ++count;
        PromptAnswer a = DismissAnswer(request);
        if (yes && request.Kind == PromptKind::Message && request.Buttons.Contains(mbYes)) a.Result = mrYes;
        return a;
    }
};

TFuzzPrompts::TFuzzPrompts(bool yes) : impl_(new Impl) {
    impl_->yes = yes;
    impl_->previous = SetPromptService(impl_);
}

TFuzzPrompts::~TFuzzPrompts() {
    SetPromptService(impl_->previous);
    delete impl_;
}

int TFuzzPrompts::Count() const { return impl_->count; }
