#pragma once
// Base of the flowing-document formats (the RTF writer): a table-of-contents
// entry list kept while a document is open, and the preferences class with
// the hyperlink switch.

#include <memory>
#include <string>
#include <vector>

#include "docexport/deCstDocEng.h"

class TdePlainSheetPreferences : public TdePreferences {
public:
    using TdePreferences::TdePreferences;
    // Shown and edited by the setup dialog.
    bool ActiveHyperLinks = true;
    void Assign(const TPersistent* source) override;
};

struct TdeTOCItem {
    std::string Text;
    Integer PageNumber = 0;
    Integer ParentIndex = -1;  // -1 for a top-level entry
    Integer Value1 = 0, Value2 = 0;
    std::string LinkName;
};

class TdeCustomPlainsheetEngine : public TdeCustomDocumentEngine {
public:
    explicit TdeCustomPlainsheetEngine(TComponent* owner);

    TdePlainSheetPreferences* Preferences() {
        return static_cast<TdePlainSheetPreferences*>(TdeCustomDocumentEngine::Preferences());
    }

    void BeginDoc() override;
    void EndDoc() override;

    // The new entry's index, or -1 without an open document, with a parent
    // that is neither -1 nor an existing entry, or a page outside
    // 1..PageCount.
    Integer AddTOCEntry(const std::string& text, Integer parentIndex, Integer pageNumber, Integer value1,
                        Integer value2);
    // The new entry's index, or -1 without an open document or with a
    // parent outside -1..count-1.
    Integer AddTOCLink(const std::string& text, Integer parentIndex, const std::string& linkName);
    // Null while no document is open.
    const std::vector<TdeTOCItem>* TOCEntries() const { return toc_.get(); }

protected:
    std::unique_ptr<TdePreferences> CreatePreferences() override;

private:
    std::unique_ptr<std::vector<TdeTOCItem>> toc_;
};
