#pragma once
// Entry points that feed one input of arbitrary bytes to a reader of
// outside input. Each entry lets the reader refuse the input with the
// system's own exception (that is a clear error, not a fault) and checks
// what it can beyond "no crash": a round trip of what was accepted, or
// that a refused load changed nothing. A broken check raises
// EFuzzCheckFailed; any other escape (a standard exception, a crash, a
// sanitizer report) is a fault of the reader.
//
// The libFuzzer programs (fuzz/main, built by scripts/fuzz.sh) call one
// entry each; the replay test calls every entry on every corpus file.

#include <stdexcept>
#include <string>
#include <vector>

class EFuzzCheckFailed : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// Raises EFuzzCheckFailed naming the target and the broken expectation.
#define FUZZ_CHECK(target, cond)                                                              \
    do {                                                                                     \
        if (!(cond)) throw EFuzzCheckFailed(std::string(target) + ": check failed: " #cond); \
    } while (0)

using TFuzzEntry = void (*)(const std::string& input);

void FuzzScanner(const std::string& input);       // receive buffers, classifiers, sheet frames
void FuzzSavedLines(const std::string& input);    // hex lines and the tag tokenizer
void FuzzSettings(const std::string& input);      // the settings file
void FuzzCsv(const std::string& input);           // CSV loading into the memory table
void FuzzFilter(const std::string& input);        // filter expressions over a table
void FuzzSnapshot(const std::string& input);      // report snapshot: converter and renderers
void FuzzProjectStream(const std::string& input); // report project component records
void FuzzLzw(const std::string& input);           // the block compression codec
void FuzzGridCells(const std::string& input);     // the grid's cell-data stream
void FuzzGridLayout(const std::string& input);    // grid layout streams and files
void FuzzIndexKeys(const std::string& input);     // raw index keys handed to the database engine
void FuzzSavedFiles(const std::string& input);    // group, profile and test-set files into the tables
void FuzzScanWork(const std::string& input);      // scanner bytes through the wizard's receive handler
void FuzzMetafile(const std::string& input);      // recorded pictures: player and export interpreter
void FuzzModule(const std::string& input);        // compiled script modules: loader and bounded run
void FuzzRichText(const std::string& input);      // rich text: RTF reader, line layout, drawing into a document
void FuzzPicture(const std::string& input);       // bitmap, JPEG and icon files through the picture
void FuzzGridForm(const std::string& input);      // the grid as a form-file component
void FuzzDBGridLayout(const std::string& input);  // the data-aware grid's layout streams

struct TFuzzTarget {
    const char* Name;  // also the corpus folder fuzz/corpus/<Name>
    TFuzzEntry Run;
};

const std::vector<TFuzzTarget>& FuzzTargets();

// A scratch folder private to this process (created on first use).
std::string FuzzScratchDir();
// Writes bytes to a file in the scratch folder and returns its path.
std::string FuzzScratchFile(const std::string& name, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string FuzzReadFile(const std::string& path);
// Makes the offscreen GUI application the report and grid readers draw with.
void FuzzEnsureGui();

// Answers every question a reader asks without a window while it lives:
// Yes where Yes is offered and yes is set, else what closing the box
// gives; file and input dialogs are cancelled. Counts the prompts.
class TFuzzPrompts {
public:
    explicit TFuzzPrompts(bool yes);
    ~TFuzzPrompts();
    TFuzzPrompts(const TFuzzPrompts&) = delete;
    TFuzzPrompts& operator=(const TFuzzPrompts&) = delete;
    int Count() const;

private:
    struct Impl;
    Impl* impl_;
};
