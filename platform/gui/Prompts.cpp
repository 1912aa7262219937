#include "platform/gui/Prompts.h"

#include <cstdio>

namespace {

TPromptService* g_installed = nullptr;
std::string g_title = "Scorvane";

}  // namespace

// Defined in QtPrompts.cpp.
TPromptService& QtPromptService();
// In Forms.h, which includes this library's prompt header.
void PaintShownForms();

namespace {
// Every prompt goes out here. The windows behind it are painted first: a
// window shown just before (a dialog whose first reply came at once) would
// otherwise stay unpainted while the prompt is open.
PromptAnswer AskPainted(const PromptRequest& r) {
    PaintShownForms();
    return PromptService().Ask(r);
}
}  // namespace

TPromptService& PromptService() { return g_installed ? *g_installed : QtPromptService(); }

TPromptService* SetPromptService(TPromptService* service) {
    TPromptService* old = g_installed;
    g_installed = service;
    return old;
}

std::string PromptDefaultTitle() { return g_title; }
void SetPromptDefaultTitle(const std::string& title) { g_title = title; }

namespace {

std::string CaptionOf(TMsgDlgType t) {
    switch (t) {
        case mtWarning: return "Warning";
        case mtError: return "Error";
        case mtInformation: return "Information";
        case mtConfirmation: return "Confirm";
        default: return PromptDefaultTitle();
    }
}

}  // namespace

int MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int) {
    PromptRequest r;
    r.Kind = PromptKind::Message;
    r.Type = type;
    r.Buttons = buttons.Empty() ? TMsgDlgButtons{mbOK} : buttons;
    r.Caption = CaptionOf(type);
    r.Text = msg;
    return AskPainted(r).Result;
}

void ShowMessage(const std::string& msg) {
    PromptRequest r;
    r.Kind = PromptKind::Message;
    r.Type = mtCustom;
    r.Buttons = {mbOK};
    r.Caption = PromptDefaultTitle();
    r.Text = msg;
    AskPainted(r);
}

int MessageBoxPrompt(const std::string& text, const std::string& caption, unsigned flags) {
    PromptRequest r;
    r.Kind = PromptKind::Message;
    switch (flags & 0xF0) {
        case MB_ICONERROR: r.Type = mtError; break;
        case MB_ICONQUESTION: r.Type = mtConfirmation; break;
        case MB_ICONWARNING: r.Type = mtWarning; break;
        case MB_ICONINFORMATION: r.Type = mtInformation; break;
        default: r.Type = mtCustom; break;
    }
    switch (flags & 0x0F) {
        case MB_OKCANCEL: r.Buttons = mbOKCancel; break;
        case MB_ABORTRETRYIGNORE: r.Buttons = mbAbortRetryIgnore; break;
        case MB_YESNOCANCEL: r.Buttons = mbYesNoCancel; break;
        case MB_YESNO: r.Buttons = mbYesNo; break;
        case MB_RETRYCANCEL: r.Buttons = {mbRetry, mbCancel}; break;
        default: r.Buttons = {mbOK}; break;
    }
    r.Caption = caption.empty() ? PromptDefaultTitle() : caption;
    r.Text = text;
    return AskPainted(r).Result;
}

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    PromptRequest r;
    r.Kind = PromptKind::Input;
    r.Buttons = mbOKCancel;
    r.Caption = caption;
    r.Text = prompt;
    r.Value = value;
    PromptAnswer a = AskPainted(r);
    if (!a.Accepted()) return false;
    value = a.Value;
    return true;
}

std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue) {
    std::string v = defaultValue;
    return InputQuery(caption, prompt, v) ? v : defaultValue;
}

std::string PromptKindName(const PromptRequest& r) {
    switch (r.Kind) {
        case PromptKind::Message:
            switch (r.Type) {
                case mtWarning: return "Warning";
                case mtError: return "Error";
                case mtInformation: return "Information";
                case mtConfirmation: return "Confirmation";
                default: return "Message";
            }
        case PromptKind::Input: return "Input";
        case PromptKind::OpenFile: return "Open";
        case PromptKind::SaveFile: return "Save";
        case PromptKind::Print: return "Print";
        case PromptKind::PrinterSetup: return "Printer setup";
    }
    return "Prompt";
}

PromptAnswer DismissAnswer(const PromptRequest& r) {
    PromptAnswer a;
    if (r.Kind != PromptKind::Message) {
        a.Result = mrCancel;
        return a;
    }
    if (r.Buttons.Contains(mbCancel)) a.Result = mrCancel;
    else if (r.Buttons.Contains(mbNo)) a.Result = mrNo;
    else if (r.Buttons.Contains(mbClose)) a.Result = mrClose;
    else if (r.Buttons.Contains(mbAbort)) a.Result = mrAbort;
    else a.Result = mrOk;
    return a;
}

// ------------------------------------------------------------- scripted

std::string TPromptRecord::Line() const { return PromptKindName(Request) + ": " + Request.Text; }

TScriptedPrompts::TScriptedPrompts() { previous_ = SetPromptService(this); }

TScriptedPrompts::~TScriptedPrompts() {
    if (g_installed == this) SetPromptService(previous_);
}

TScriptedPrompts& TScriptedPrompts::Answer(TModalResult result, const std::string& expectText) {
    Step s;
    s.respond = [result](const PromptRequest&) {
        PromptAnswer a;
        a.Result = result;
        return a;
    };
    s.expectText = expectText;
    s.target = Step::For::Message;
    steps_.push_back(std::move(s));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::AnswerInput(const std::string& text, const std::string& expectText) {
    Step s;
    s.respond = [text](const PromptRequest&) {
        PromptAnswer a;
        a.Result = mrOk;
        a.Value = text;
        return a;
    };
    s.expectText = expectText;
    s.target = Step::For::Input;
    steps_.push_back(std::move(s));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::AnswerFile(const std::string& path, const std::string& expectText) {
    Step s;
    s.respond = [path](const PromptRequest&) {
        PromptAnswer a;
        a.Result = mrOk;
        a.Value = path;
        a.Files = {path};
        return a;
    };
    s.expectText = expectText;
    s.target = Step::For::File;
    steps_.push_back(std::move(s));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::AnswerCancel(const std::string& expectText) {
    Step s;
    s.respond = [](const PromptRequest& r) {
        PromptAnswer a;
        a.Result = r.Kind == PromptKind::Message && !r.Buttons.Contains(mbCancel) ? DismissAnswer(r).Result : mrCancel;
        return a;
    };
    s.expectText = expectText;
    steps_.push_back(std::move(s));
    return *this;
}

TScriptedPrompts& TScriptedPrompts::AnswerWith(std::function<PromptAnswer(const PromptRequest&)> responder) {
    Step s;
    s.respond = std::move(responder);
    steps_.push_back(std::move(s));
    return *this;
}

void TScriptedPrompts::Fail(const std::string& message) {
    failures_.push_back(message);
    if (OnFailure) OnFailure(message);
    else std::fprintf(stderr, "%s\n", message.c_str());
}

PromptAnswer TScriptedPrompts::Ask(const PromptRequest& request) {
    TPromptRecord rec;
    rec.Request = request;
    if (steps_.empty()) {
        rec.Unexpected = true;
        rec.Answer = DismissAnswer(request);
        transcript_.push_back(rec);
        Fail("Unexpected prompt: " + rec.Line());
        return rec.Answer;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    bool kindOk = true;
    switch (step.target) {
        case Step::For::Message: kindOk = request.Kind == PromptKind::Message; break;
        case Step::For::Input: kindOk = request.Kind == PromptKind::Input; break;
        case Step::For::File:
            kindOk = request.Kind == PromptKind::OpenFile || request.Kind == PromptKind::SaveFile;
            break;
        case Step::For::Any: break;
    }
    if (!kindOk) {
        rec.Unexpected = true;
        rec.Answer = DismissAnswer(request);
        transcript_.push_back(rec);
        Fail("Prompt of the wrong kind for the script: " + rec.Line());
        return rec.Answer;
    }
    if (!step.expectText.empty() && request.Text.find(step.expectText) == std::string::npos) {
        rec.Unexpected = true;
        Fail("Prompt does not contain \"" + step.expectText + "\": " + rec.Line());
    }
    rec.Answer = step.respond(request);
    transcript_.push_back(rec);
    return rec.Answer;
}

std::string TScriptedPrompts::TranscriptText() const {
    std::string out;
    for (const auto& r : transcript_) out += r.Line() + "\n";
    return out;
}

std::vector<std::string> TScriptedPrompts::Texts() const {
    std::vector<std::string> out;
    for (const auto& r : transcript_) out.push_back(r.Request.Text);
    return out;
}

void TScriptedPrompts::Clear() {
    steps_.clear();
    transcript_.clear();
    failures_.clear();
}
