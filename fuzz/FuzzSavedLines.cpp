// The front end of the group, profile and test-set files: hex-encoded
// lines, then the tag tokenizer over the decoded text.
#include "fuzz/FuzzTargets.h"

#include "app/HyperParse.h"
#include "app/SavedFiles.h"
#include "platform/core/Exception.h"
#include "platform/core/StringList.h"

namespace {
constexpr const char* kTarget = "savedlines";

void CheckTokens(THyperParse& parser) {
    for (int i = 0; i < parser.Count(); ++i) {
        THtmlInfo& token = parser.Items(i);
        FUZZ_CHECK(kTarget, token.IsTag || token.TagName.empty());
    }
    bool refused = false;
    try {
        parser.Items(parser.Count());
    } catch (const EListError&) {
        refused = true;
    }
    FUZZ_CHECK(kTarget, refused);
}
}  // namespace

void FuzzSavedLines(const std::string& input) {
    const std::string path = FuzzScratchFile("saved.pff", input);
    std::vector<std::string> lines;
    try {
        lines = LoadHexLines(path);
    } catch (const Exception&) {
        lines.clear();
    }
    if (!lines.empty()) {
        // What was accepted is written back and read back unchanged.
        const std::string copy = FuzzScratchDir() + "/copy.pff";
        SaveHexLines(copy, lines);
        FUZZ_CHECK(kTarget, LoadHexLines(copy) == lines);
        THyperParse parser;
        try {
            TokenizeSavedLines(parser, lines, path);
        } catch (const Exception&) {
        }
        CheckTokens(parser);
    }
    // The tokenizer also reads raw text (it refuses nothing).
    if (!input.empty()) {
        THyperParse parser;
        parser.Execute(input);
        CheckTokens(parser);
    }
}
