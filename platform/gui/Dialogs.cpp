#include "platform/gui/Dialogs.h"

#include "platform/core/FileUtils.h"
#include "platform/gui/Prompts.h"

bool TOpenDialog::Execute() {
    PromptRequest r;
    r.Kind = IsSave() ? PromptKind::SaveFile : PromptKind::OpenFile;
    r.Caption = !Title.empty() ? Title : (IsSave() ? "Save As" : "Open");
    r.Text = r.Caption;
    r.Value = FileName;
    r.Filter = Filter;
    r.FilterIndex = FilterIndex;
    r.InitialDir = InitialDir;
    r.DefaultExt = DefaultExt;
    r.MultiSelect = (Options & ofAllowMultiSelect) != 0;
    PromptAnswer a = PromptService().Ask(r);
    if (!a.Accepted() || (a.Value.empty() && a.Files.empty())) return false;
    auto withExt = [this](std::string name) {
        if (!DefaultExt.empty() && ExtractFileExt(name).empty()) {
            name += DefaultExt[0] == '.' ? DefaultExt : "." + DefaultExt;
        }
        return name;
    };
    Files.Clear();
    if (a.Files.empty()) a.Files.push_back(a.Value);
    for (const auto& f : a.Files) Files.Add(withExt(f));
    FileName = Files[0];
    if (a.FilterIndex > 0) FilterIndex = a.FilterIndex;
    return true;
}
