#pragma once
// Tag tokenizer for the tagged text inside profile and test-set files:
// splits text written in the manner of HTML into a flat list of tag and
// text tokens.

#include <memory>
#include <string>
#include <vector>

struct THtmlParameter {
    std::string Text;   // the parameter as written, e.g. COLOR="red"
    std::string Name;   // before the first "="
    std::string Value;  // after the first "=", double quotes removed
};

class THtmlInfo {
public:
    bool IsTag = false;
    std::vector<THtmlParameter> Params;
    std::string TagName;  // first word of a tag, upper case; empty for text
    std::string Data;     // raw characters; text tokens after reference decoding
};

class THyperParse {
public:
    THyperParse() = default;
    THyperParse(const THyperParse&) = delete;
    THyperParse& operator=(const THyperParse&) = delete;

    // The file read by Execute when it is given an empty text.
    std::string FileName;

    // Appends the tokens of `text`, or of the file FileName when `text` is
    // empty. Pending user-interface work is processed after each character
    // so a window stays responsive while a large file is read.
    void Execute(const std::string& text = {});

    int Count() const { return static_cast<int>(tokens_.size()); }
    // The token at a 0-based index; raises EListError outside 0..Count-1.
    THtmlInfo& Items(int index) const;

private:
    void Finish(std::unique_ptr<THtmlInfo>& token);
    std::vector<std::unique_ptr<THtmlInfo>> tokens_;
};

// Decodes the numeric and named character references of a text token.
std::string DecodeCharacterReferences(const std::string& data);
