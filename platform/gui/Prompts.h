#pragma once
// The one prompt service. Every message box, input box, file dialog and
// print dialog is a request to it. Production shows Qt dialogs; tests
// install a TScriptedPrompts that answers from a script and keeps a
// transcript of everything asked.

#include <cstddef>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/gui/GuiTypes.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose };

class TMsgDlgButtons {
public:
    TMsgDlgButtons() = default;
    TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> items) {
        for (auto b : items) Include(b);
    }
    bool Contains(TMsgDlgBtn b) const { return (bits_ & (1u << b)) != 0; }
    void Include(TMsgDlgBtn b) { bits_ |= 1u << b; }
    TMsgDlgButtons& operator<<(TMsgDlgBtn b) { Include(b); return *this; }
    bool Empty() const { return bits_ == 0; }
    bool operator==(const TMsgDlgButtons&) const = default;

private:
    unsigned bits_ = 0;
};

inline const TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline const TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// Message box style flags.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_RETRYCANCEL = 0x5;
inline constexpr unsigned MB_ICONHAND = 0x10;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONSTOP = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONASTERISK = 0x40;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_DEFBUTTON1 = 0x0;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x200;
inline constexpr unsigned MB_APPLMODAL = 0x0;
inline constexpr unsigned MB_SYSTEMMODAL = 0x1000;
inline constexpr unsigned MB_TASKMODAL = 0x2000;

enum class PromptKind { Message, Input, OpenFile, SaveFile, Print, PrinterSetup };

enum TPrintRange { prAllPages, prSelection, prPageNums };

struct PromptRequest {
    PromptKind Kind = PromptKind::Message;
    // Message boxes: the kind of message and its buttons (mtCustom: plain).
    TMsgDlgType Type = mtInformation;
    TMsgDlgButtons Buttons{mbOK};
    std::string Caption;  // window title
    std::string Text;     // the message, or the input box's prompt
    std::string Value;    // input box default; file dialogs' initial file name
    // File dialogs.
    std::string Filter;  // "Text files (*.txt)|*.txt|All files (*.*)|*.*"
    int FilterIndex = 1;
    std::string InitialDir;
    std::string DefaultExt;
    bool MultiSelect = false;
    // Print dialogs.
    std::string PrinterName;
    int Copies = 1;
    int FromPage = 0, ToPage = 0, MinPage = 0, MaxPage = 0;
    TPrintRange PrintRange = prAllPages;
};

struct PromptAnswer {
    // Message boxes: the button pressed; other prompts: mrOk when accepted,
    // mrCancel when cancelled.
    TModalResult Result = mrNone;
    std::string Value;               // input text, or the chosen file
    std::vector<std::string> Files;  // multi-selection
    int FilterIndex = 0;             // 0: unchanged
    std::string PrinterName;         // empty: unchanged
    int Copies = 0;                  // 0: unchanged
    int FromPage = 0, ToPage = 0;
    TPrintRange PrintRange = prAllPages;

    bool Accepted() const { return Result == mrOk || Result == mrYes; }
};

class TPromptService {
public:
    virtual ~TPromptService() = default;
    virtual PromptAnswer Ask(const PromptRequest& request) = 0;
};

// The process's prompt service: the installed one, else Qt dialogs.
TPromptService& PromptService();
// Installs a service (tests); nullptr restores the Qt dialogs. The caller
// keeps ownership. Returns the previously installed one.
TPromptService* SetPromptService(TPromptService* service);
// Title of plain messages (ShowMessage and message boxes without caption).
std::string PromptDefaultTitle();
void SetPromptDefaultTitle(const std::string& title);

// The platform's message functions, all through the prompt service.
int MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);
void ShowMessage(const std::string& msg);
// A message box with MB_* flags; returns IDOK, IDYES ...
int MessageBoxPrompt(const std::string& text, const std::string& caption, unsigned flags);
std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue);
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);

// Name of a prompt's kind as the transcript writes it: "Information",
// "Warning", "Error", "Confirmation", "Message", "Input", "Open", "Save",
// "Print", "Printer setup".
std::string PromptKindName(const PromptRequest& request);
// The answer a prompt gets when it is closed without a choice (Escape or
// the window frame): Cancel, else No, else OK.
PromptAnswer DismissAnswer(const PromptRequest& request);

// ------------------------------------------------------------- scripted

struct TPromptRecord {
    PromptRequest Request;
    PromptAnswer Answer;
    bool Unexpected = false;
    // "Information: text", as in the transcript.
    std::string Line() const;
};

// A scripted prompt service for tests. Installs itself while it lives.
// Each step answers the next prompt; a step may require the prompt's text
// to contain a phrase. A prompt with no step left, or one that does not
// match its step, is a failure: it is recorded, OnFailure is called (tests
// point it at their failure macro) and the prompt is dismissed.
class TScriptedPrompts : public TPromptService {
public:
    TScriptedPrompts();
    ~TScriptedPrompts() override;
    TScriptedPrompts(const TScriptedPrompts&) = delete;
    TScriptedPrompts& operator=(const TScriptedPrompts&) = delete;

    // Message box answered with a button's result (mrOk, mrYes, ...).
    TScriptedPrompts& Answer(TModalResult result, const std::string& expectText = {});
    // Input box accepted with text.
    TScriptedPrompts& AnswerInput(const std::string& text, const std::string& expectText = {});
    // Open or save dialog accepted with a file.
    TScriptedPrompts& AnswerFile(const std::string& path, const std::string& expectText = {});
    // Any prompt cancelled (mrCancel; input and file dialogs not accepted).
    TScriptedPrompts& AnswerCancel(const std::string& expectText = {});
    // A step that builds its own answer (print dialogs, checks on the request).
    TScriptedPrompts& AnswerWith(std::function<PromptAnswer(const PromptRequest&)> responder);

    PromptAnswer Ask(const PromptRequest& request) override;

    const std::vector<TPromptRecord>& Transcript() const { return transcript_; }
    // One line per prompt.
    std::string TranscriptText() const;
    // The texts of all prompts, in order.
    std::vector<std::string> Texts() const;
    const std::vector<std::string>& Failures() const { return failures_; }
    std::size_t Pending() const { return steps_.size(); }
    void Clear();

    std::function<void(const std::string& failure)> OnFailure;

private:
    struct Step {
        std::function<PromptAnswer(const PromptRequest&)> respond;
        std::string expectText;
        enum class For { Any, Message, Input, File } target = For::Any;
    };
    void Fail(const std::string& message);

    std::deque<Step> steps_;
    std::vector<TPromptRecord> transcript_;
    std::vector<std::string> failures_;
    TPromptService* previous_ = nullptr;
};
