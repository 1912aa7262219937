#include "app/tests/PromptScript.h"

#include <gtest/gtest.h>

#include "platform/gui/Forms.h"
#include "platform/gui/Prompts.h"

struct TPromptScript::Impl {
    TScriptedPrompts prompts;
};

TPromptScript::TPromptScript() : impl_(std::make_unique<Impl>()) {
    impl_->prompts.OnFailure = [](const std::string& failure) { ADD_FAILURE() << failure; };
}

TPromptScript::~TPromptScript() = default;

TPromptScript& TPromptScript::Ok(const std::string& expectText) {
    impl_->prompts.Answer(mrOk, expectText);
    return *this;
}
TPromptScript& TPromptScript::Yes(const std::string& expectText) {
    impl_->prompts.Answer(mrYes, expectText);
    return *this;
}
TPromptScript& TPromptScript::No(const std::string& expectText) {
    impl_->prompts.Answer(mrNo, expectText);
    return *this;
}
TPromptScript& TPromptScript::File(const std::string& path, const std::string& expectText) {
    impl_->prompts.AnswerFile(path, expectText);
    return *this;
}
TPromptScript& TPromptScript::Input(const std::string& text, const std::string& expectText) {
    impl_->prompts.AnswerInput(text, expectText);
    return *this;
}
TPromptScript& TPromptScript::Cancel(const std::string& expectText) {
    impl_->prompts.AnswerCancel(expectText);
    return *this;
}

std::vector<TPromptSeen> TPromptScript::Seen() const {
    std::vector<TPromptSeen> seen;
    for (const TPromptRecord& r : impl_->prompts.Transcript())
        seen.push_back({r.Line(), r.Request.Text, r.Request.Value, r.Request.InitialDir});
    return seen;
}

std::vector<std::string> TPromptScript::Lines() const {
    std::vector<std::string> lines;
    for (const TPromptRecord& r : impl_->prompts.Transcript()) lines.push_back(r.Line());
    return lines;
}

std::size_t TPromptScript::Pending() const { return impl_->prompts.Pending(); }

void TPromptScript::Clear() { impl_->prompts.Clear(); }

bool TPromptScript::BusyCursor() { return Screen->Cursor() == crHourGlass; }

void TPromptScript::SetBusyCursor(bool busy) { Screen->SetCursor(busy ? crHourGlass : crDefault); }
