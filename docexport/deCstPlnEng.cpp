#include "docexport/deCstPlnEng.h"

void TdePlainSheetPreferences::Assign(const TPersistent* source) {
    TdePreferences::Assign(source);
    if (auto s = dynamic_cast<const TdePlainSheetPreferences*>(source)) ActiveHyperLinks = s->ActiveHyperLinks;
}

TdeCustomPlainsheetEngine::TdeCustomPlainsheetEngine(TComponent* owner) : TdeCustomDocumentEngine(owner) {
    InitPreferences();
}

std::unique_ptr<TdePreferences> TdeCustomPlainsheetEngine::CreatePreferences() {
    return std::make_unique<TdePlainSheetPreferences>();
}

void TdeCustomPlainsheetEngine::BeginDoc() {
    if (!Started()) toc_ = std::make_unique<std::vector<TdeTOCItem>>();
    TdeCustomDocumentEngine::BeginDoc();
    if (!Started()) toc_.reset();  // cancelled in the setup dialog
}

void TdeCustomPlainsheetEngine::EndDoc() {
    try {
        TdeCustomDocumentEngine::EndDoc();
    } catch (...) {
        toc_.reset();
        throw;
    }
    if (!Started()) toc_.reset();
}

Integer TdeCustomPlainsheetEngine::AddTOCEntry(const std::string& text, Integer parentIndex, Integer pageNumber,
                                               Integer value1, Integer value2) {
    if (!Started() || !toc_) return -1;
    const Integer count = static_cast<Integer>(toc_->size());
    if (!(parentIndex == -1 || (parentIndex >= 0 && parentIndex < count))) return -1;
    if (pageNumber < 1 || pageNumber > PageCount()) return -1;
    toc_->push_back({text, pageNumber, parentIndex, value1, value2, {}});
    return count;
}

Integer TdeCustomPlainsheetEngine::AddTOCLink(const std::string& text, Integer parentIndex,
                                              const std::string& linkName) {
    if (!Started() || !toc_) return -1;
    const Integer count = static_cast<Integer>(toc_->size());
    if (parentIndex < -1 || parentIndex >= count) return -1;
    TdeTOCItem item;
    item.Text = text;
    item.ParentIndex = parentIndex;
    item.LinkName = linkName;
    toc_->push_back(item);
    return count;
}
