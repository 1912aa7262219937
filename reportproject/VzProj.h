#pragma once
// The project manager, reports and script modules: the project owns its
// reports, global pages and data objects, saves them to one project stream
// and loads them back; a report holds its pages and print settings; the
// module manager keeps the compiled script modules the project's event
// code needs, loading module files by name from the project's folder.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "report/ReportDefs.h"
#include "reportproject/VzClass.h"
#include "reportproject/VzFiler.h"

class TStreamHelper;
class TVizeBaseSecurity;
class TVizeFixups;

enum TVizePrinterCollate { pcFalse, pcTrue, pcDefault };
enum TVizePrinterDuplex { pdSimplex, pdHorizontal, pdVertical, pdDefault };
enum TVizePrinterResolution { prDraft, prLow, prMedium, prHigh, prDefault };

// Format version written to project streams.
inline constexpr Integer VizeProjectVersion = 40005;

class TVizeReport : public TVizeProjectItem {
    VIZE_CLASS(TVizeReport)
public:
    explicit TVizeReport(TComponent* owner);
    ~TVizeReport() override;

    // A new page owned by this report, named "PageN", loaded.
    TVizePage* NewPage();
    void LoadPage(TVizePage* page);
    void UnloadPage(TVizePage* page);
    const std::vector<TVizePage*>& LoadedPages() const { return loadedPages_; }
    // The report's own pages (its children), in order.
    std::vector<TVizePage*> Pages() const;

    const std::string& Category() const { return category_; }
    void SetCategory(const std::string& v) { category_ = v; }
    Integer Copies() const { return copies_; }
    void SetCopies(Int64 v) { copies_ = Integer(v); }
    TVizePage* FirstPage() const { return firstPage_; }
    void SetFirstPage(TVizePage* page) { firstPage_ = page; }
    // Null unless set; an empty list clears it.
    TVizeComponentList* PageList() const { return pageList_.get(); }
    void SetPageList(TVizeComponentList* list);
    int Collate() const { return collate_; }
    void SetCollate(Int64 v) { collate_ = int(v); }
    int Duplex() const { return duplex_; }
    void SetDuplex(Int64 v) { duplex_ = int(v); }
    int Resolution() const { return resolution_; }
    void SetResolution(Int64 v) { resolution_ = int(v); }
    Integer MaxPages() const { return maxPages_; }
    void SetMaxPages(Int64 v) { maxPages_ = Integer(v); }
    const std::string& Printer() const { return printer_; }
    void SetPrinter(const std::string& v) { printer_ = v; }
    bool AlwaysGenerate() const { return alwaysGenerate_; }
    void SetAlwaysGenerate(bool v) { alwaysGenerate_ = v; }
    const std::string& LastActivePage() const { return lastActivePage_; }
    void SetLastActivePage(const std::string& v) { lastActivePage_ = v; }
    TVizeBaseSecurity* SecurityControl() const { return securityControl_; }
    void SetSecurityControl(TVizeBaseSecurity* security);

    void Activate() override;
    void Deactivate() override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    // After a project load: the loaded-page names read become pages.
    void ResolveLoadedPages();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::string category_;
    Integer copies_ = 0;
    TVizePage* firstPage_ = nullptr;
    std::unique_ptr<TVizeComponentList> pageList_;
    int collate_ = pcDefault;
    int duplex_ = pdDefault;
    int resolution_ = prDefault;
    Integer maxPages_ = 0;
    std::string printer_;
    bool alwaysGenerate_ = false;
    std::string lastActivePage_;
    TVizeBaseSecurity* securityControl_ = nullptr;
    std::vector<TVizePage*> loadedPages_;
    std::vector<std::string> loadedNames_;  // only while loading
};

class TVizeModuleManager {
public:
    explicit TVizeModuleManager(TVizeProjectManager* project) : project_(project) {}
    ~TVizeModuleManager();
    TVizeModuleManager(const TVizeModuleManager&) = delete;
    TVizeModuleManager& operator=(const TVizeModuleManager&) = delete;

    int Count() const { return int(modules_.size()); }
    const std::string& Name(int index) const { return modules_.at(size_t(index)).Name; }
    TVizeModule* Module(int index) const { return modules_.at(size_t(index)).Module; }
    // Names compare ignoring letter case; -1 when none.
    int IndexOfModule(const std::string& name) const;
    TVizeModule* FindModule(const std::string& name) const;
    // Loads the module file when the module is not loaded yet.
    TVizeModule* ModuleByName(const std::string& name);
    // Takes ownership.
    void AddModule(const std::string& name, TVizeModule* module);
    // The module file of that name in the project's folder (extension
    // ".vzc" in any letter case); an empty string when there is none.
    std::string ModuleFilePath(const std::string& name) const;
    // Reads the module file through the module-loader hook; raises when
    // the file is missing or no loader is installed.
    int LoadModuleFile(const std::string& name);
    void SaveModules(TStreamHelper& helper);
    void LoadModules(TStreamHelper& helper);
    // Every module, and every project item's module, forgets module.
    void UnlinkModule(TVizeModule* module);

private:
    struct Entry {
        std::string Name;
        TVizeModule* Module;
    };
    TVizeProjectManager* project_;
    std::vector<Entry> modules_;
};

class TVizeProjectManager : public TVizeProjectItem, public IVizeDefinesProperties {
    VIZE_CLASS(TVizeProjectManager)
public:
    explicit TVizeProjectManager(TComponent* owner);
    ~TVizeProjectManager() override;

    TVizeReport* ActiveReport() const { return activeReport_; }
    void SetActiveReport(TVizeReport* report) { activeReport_ = report; }
    // Project units per inch (1 at creation); values of 0 or less are
    // ignored. Units follow the factor.
    double UnitsFactor() const { return unitsFactor_; }
    void SetUnitsFactor(double value);
    int Units() const { return units_; }
    void SetUnits(Int64 units);
    const std::string& AdminPassword() const { return adminPassword_; }
    void SetAdminPassword(const std::string& v) { adminPassword_ = v; }
    TVizeBaseSecurity* SecurityControl() const { return securityControl_; }
    void SetSecurityControl(TVizeBaseSecurity* security);
    TStringList& Categories() { return categories_; }
    void SetCategories(const TStrings& lines) { categories_.Assign(lines); }
    // Project parameters (name=value lines of Parameters()).
    std::string GetParam(const std::string& name) { return Parameters().Values(name); }
    void SetParam(const std::string& name, const std::string& value) { Parameters().SetValue(name, value); }
    // Store the parameters' values in the project file ("Params").
    bool StreamParamValues = false;

    // "Owner.Name" or "Name" (a leading "." is ignored). The owner is a page
    // of the active report, a child of the project or the project itself;
    // the short name is searched among that owner's components, then the
    // project's, then matched against the project's own name. Null when
    // nothing matches.
    TVizeComponent* FindVizeComponent(const std::string& name, TComponent* defaultOwner) const;

    // The project's items by kind, each in its order.
    std::vector<TVizeReport*> Reports() const;
    std::vector<TVizePage*> GlobalPages() const;
    std::vector<TVizeProjectItem*> DataObjects() const;

    TVizeReport* NewReport();
    void ActivateReport(TVizeReport* report);
    void DeactivateReport();
    // Frees every report, global page and data object.
    void Clear();
    // Frees a report, page or data object. The project keeps a report (a
    // new one when the last goes) and an active report keeps a page.
    void DeleteItem(TVizeProjectItem* item);
    // Reorders a report, global page or data object among the items of its
    // kind, the way containers reorder children.
    void MoveChild(TVizeComponent* child, int kind) override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

    // The project file: Save writes the whole stream, Load reads it into
    // this (empty) project. Bad signatures and header codes raise
    // EVizeException; a short stream raises a read error.
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToFile(const std::string& fileName);
    void LoadFromFile(const std::string& fileName);
    // Adds the items of another project's stream to this one. An item whose
    // name is taken is renamed (or, with replace, the existing one is
    // deleted) unless OnImportConflict decides; components and references
    // inside the imported items follow their new names.
    void ImportFromStream(TStream& stream, bool replace = false);
    void ImportFromFile(const std::string& fileName, bool replace = false);
    bool Importing() const { return importing_; }
    bool ImportReplace() const { return importReplace_; }
    // (existing item, name to give the imported one): an unchanged name
    // replaces the existing item.
    std::function<void(TVizeProjectItem* existing, std::string& name)> OnImportConflict;
    // When set, a save writes only these items and leaves the project's
    // changed and saved state as it is.
    void SetExportList(const std::vector<TVizeProjectItem*>& items);
    void ClearExportList() { exportList_.reset(); }
    const std::vector<TVizeProjectItem*>* ExportList() const { return exportList_.get(); }
    // References waiting for components while a load runs (null otherwise).
    TVizeFixups* LoadFixups() const { return loadFixups_.get(); }
    // True while a load or import reads the stream.
    bool Loading() const { return loading_; }
    // Assigns the references still waiting and ends the load's lists.
    void ApplyFixups() { ResolveWaiting(true); }
    // Assigns the waiting references that resolve now; with final the
    // others stay null and the load's lists end.
    void ResolveWaiting(bool final);
    // The file the project was last saved to or loaded from; module files
    // are looked for in its folder.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& v) { fileName_ = v; }
    Integer FormatVersion() const { return formatVersion_; }
    const std::string& LastActiveReport() const { return lastActiveReport_; }
    bool Saved() const { return saved_; }
    bool IsChanged() const { return changed_; }
    // Marking a saved or loaded project changed warns once when its file
    // is read-only.
    void SetChanged(bool value);
    void ClearChanged() { changed_ = false; }
    // Set by the report run from before BeforeReport until after
    // AfterReport: data and calculated components then show data instead
    // of their design texts.
    bool Printing() const { return printing_; }
    void SetPrinting(bool value) { printing_ = value; }
    // Resolves "*" references (may be null).
    TVizeProjectManager* MasterProject = nullptr;
    TVizeModuleManager& ModuleManager() { return *modules_; }
    // The report canvas of the run in progress, set by the report run and
    // taken at creation from the current-report reference a project runner
    // sets; null otherwise.
    TBaseReport* BaseReport() const { return baseReport_; }
    void SetBaseReport(TBaseReport* report) { baseReport_ = report; }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TVizeReport* activeReport_ = nullptr;
    double unitsFactor_ = 1.0;
    int units_ = unInch;
    std::string adminPassword_;
    std::string lastActiveReport_;
    std::string fileName_;
    Integer formatVersion_ = VizeProjectVersion;
    bool saved_ = false;
    bool changed_ = false;
    bool printing_ = false;
    std::unique_ptr<TVizeModuleManager> modules_;
    TBaseReport* baseReport_ = nullptr;
    TVizeBaseSecurity* securityControl_ = nullptr;
    TStringList categories_;
    bool importing_ = false;
    bool importReplace_ = false;
    std::unique_ptr<std::vector<TVizeProjectItem*>> exportList_;
    std::unique_ptr<TVizeFixups> loadFixups_;
    bool loading_ = false;
    void ReadItems(TStreamHelper& h);
public:
    // "Params" (the parameters' values, when StreamParamValues) and
    // "Categories" (a string list).
    void DefineProperties(TVizeFiler& filer) override;
    void DefinePropertyOverrides(TVizeFiler& filer) override;
};

// The report a project runner is running; projects created meanwhile take
// it as their base report.
TBaseReport*& VizeCurrentReport();

// The file at path, or else the one in its folder whose name differs only
// in letter case; either path separator is accepted. Empty when none.
std::string VizeFindFile(const std::string& path);

// Start-up: registers the report and project classes.
void InitializeVzProj();
