#pragma once
// The preview window: a tool bar, menus, a scroll box showing one page
// through the preview renderer, page and zoom fields and a status bar; it
// pages, zooms, opens snapshot files, saves in any registered format and
// prints.

#include <functional>
#include <map>
#include <memory>

#include "platform/gui/Buttons.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"
#include "report/RenderPreview.h"
#include "report/ReportForms.h"

class TVzSystem;

// One command of the window, shared by its tool button and menu items.
struct TPreviewAction {
    std::string Caption, Hint, ShortCut;
    bool Enabled = true;
    std::function<void()> Execute;
    TSpeedButton* Button = nullptr;
    std::vector<TMenuItem*> Items;
    void SetEnabled(bool e);
    // Runs the command when it is enabled.
    void Run();
};

class TVizePreviewForm : public TForm {
public:
    explicit TVizePreviewForm(TComponent* owner);
    ~TVizePreviewForm() override;

    TVzSystem* ReportSystem = nullptr;
    std::string InputFileName;
    TStream* InputStream = nullptr;
    TNotifyEvent AfterPrint;
    bool Closed = false;
    bool OwnsStream = false;

    TVzRenderPreview* RenderPreview() const { return preview_.get(); }
    TVzRenderPrinter* RenderPrinter() const { return printer_.get(); }

    TPanel* ToolBar;
    TEdit* PageEdit;
    TPanel* PageLabel;
    TPanel* PageCountLabel;
    TPanel* ZoomLabel;
    TEdit* ZoomEdit;
    TPanel* PercentLabel;
    TScrollBox* ScrollBox;
    TPanel* StatusBar;
    TPopupMenu* PopupMenu;
    TMenuItem* FileMenu;
    TMenuItem* PageMenu;
    TMenuItem* ZoomMenu;
    TOpenDialog* OpenDialog;
    TSaveDialog* SaveDialog;
    TTimer* Timer;

    // Actions by name: "Print", "Save", "Exit", "Open", "First", "Next",
    // "Previous", "Last", "ZoomIn", "ZoomOut", "FitWidth", "FitPage",
    // "About", "GoToPage".
    TPreviewAction& Action(const std::string& name) { return actions_.at(name); }

    void Start();
    void OpenFile(const std::string& name);
    void UpdateActions();
    void DoAfterPrint();
    void FormKeyPress(char& key);
    void FormKeyDown(Word16& key, TShiftState shift);
    void PageEditKeyPress(char& key);
    void PageEditExit();
    void ZoomEditKeyPress(char& key);
    void ZoomEditExit();

private:
    TPreviewAction& AddAction(const std::string& name, const std::string& caption, const std::string& hint,
                              const std::string& shortCut, std::function<void()> run);
    TSpeedButton* AddButton(const std::string& name, int& x);
    TMenuItem* AddItem(TMenuItem* menu, const std::string& action);
    void PageChanged();
    void ZoomChanged();
    void PrintReport();
    void SaveReport();
    void GoToPage();
    void ShowTypedPage();
    void ScrollTo(int vertical);

    std::unique_ptr<TVzRenderPreview> preview_;
    std::unique_ptr<TVzRenderPrinter> printer_;
    std::map<std::string, TPreviewAction> actions_;
};
