#pragma once
// The prompt service scripted for the scoring tests, behind a header that
// includes no desktop header (the dataset headers cannot share a source
// file with them). Unexpected prompts and scripted answers that do not fit
// are test failures.

#include <memory>
#include <string>
#include <vector>

struct TPromptSeen {
    std::string Line;        // "Error: text", "Save: Save As", ...
    std::string Text;
    std::string Value;       // file dialogs: the file name offered
    std::string InitialDir;  // file dialogs
};

class TPromptScript {
public:
    TPromptScript();
    ~TPromptScript();

    TPromptScript& Ok(const std::string& expectText = {});
    TPromptScript& Yes(const std::string& expectText = {});
    TPromptScript& No(const std::string& expectText = {});
    TPromptScript& File(const std::string& path, const std::string& expectText = {});
    TPromptScript& Input(const std::string& text, const std::string& expectText = {});
    TPromptScript& Cancel(const std::string& expectText = {});

    std::vector<TPromptSeen> Seen() const;
    std::vector<std::string> Lines() const;
    std::size_t Pending() const;
    void Clear();

    // The program's cursor: the hourglass or not.
    static bool BusyCursor();
    static void SetBusyCursor(bool busy);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
