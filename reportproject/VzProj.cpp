#include "reportproject/VzProj.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>

#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "platform/gui/Prompts.h"
#include "report/ReportDefs.h"
#include "reportproject/VzEvents.h"
#include "reportproject/VzFiler.h"
#include "reportproject/VzSecurity.h"
#include "reportproject/VzStream.h"
#include "reportproject/VzUtil.h"

namespace {
const char Signature[4] = {'D', 'U', 'D', 0x1A};
// Item types of project records.
enum : Byte { itDirectDataView = 2, itGlobalPage = 3, itReport = 4, itDataObject = 6 };
// Versions from which the stream carries modules, and a report its last
// active page.
constexpr Integer ModulesSince = 40005;
constexpr Integer LastPageSince = 30004;

// A count read from a stream must fit in what is left of it (each entry
// takes at least one byte), so no length field can make the reader
// allocate without bound.
void CheckCount(TStreamHelper& h, Integer count) {
    TStream& s = h.Stream();
    if (count < 0 || count > s.Size() - s.Position()) throw EReadError("Stream read error");
}

// Strings of the framework's component streams, as defined properties
// hold them: byte 6 and a 1-byte length, or byte 12 and a 4-byte length.
enum : Byte { fwNull = 0, fwList = 1, fwString = 6, fwLString = 12 };

void WriteFrameworkString(TStream& s, const std::string& text) {
    if (text.size() <= 255) {
        Byte head[2] = {fwString, Byte(text.size())};
        s.WriteBuffer(head, 2);
    } else {
        Byte head[5] = {fwLString};
        for (int k = 0; k < 4; ++k) head[1 + k] = Byte((text.size() >> (8 * k)) & 0xFF);
        s.WriteBuffer(head, 5);
    }
    if (!text.empty()) s.WriteBuffer(text.data(), Integer(text.size()));
}

Byte ReadFrameworkByte(TStream& s) {
    Byte b;
    if (s.Read(&b, 1) != 1) throw EReadError("Stream read error");
    return b;
}

// The string after its type byte; the length is checked against the stream.
std::string ReadFrameworkString(TStream& s, Byte type) {
    Int64 len = 0;
    if (type == fwString) {
        len = ReadFrameworkByte(s);
    } else if (type == fwLString) {
        for (int k = 0; k < 4; ++k) len |= Int64(ReadFrameworkByte(s)) << (8 * k);
    } else {
        throw EReadError("Invalid property value");
    }
    if (len > s.Size() - s.Position()) throw EReadError("Stream read error");
    std::string text(size_t(len), '\0');
    if (len > 0) s.ReadBuffer(text.data(), Integer(len));
    return text;
}

std::string QuoteParam(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// Which list of the project an item belongs to: 0 reports, 1 global
// pages, 2 data objects.
int ItemKind(const TVizeComponent* c) {
    if (dynamic_cast<const TVizeReport*>(c)) return 0;
    if (dynamic_cast<const TVizePage*>(c)) return 1;
    return 2;
}
}  // namespace

// ============================================================== report

TVizeClassRef TVizeReport::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeReport", TVizeProjectItem::StaticClass(),
                                 [](TComponent* owner) { return new TVizeReport(owner); }, true);
        TVizeProps<TVizeReport>(*c)
            .String("Category", &TVizeReport::Category, &TVizeReport::SetCategory)
            .Integer("Copies", &TVizeReport::Copies, &TVizeReport::SetCopies)
            .Object<TVizePage>("FirstPage", &TVizeReport::FirstPage, &TVizeReport::SetFirstPage)
            .Object<TVizeComponentList>("PageList", &TVizeReport::PageList, &TVizeReport::SetPageList)
            .Enumeration("Collate", {"pcFalse", "pcTrue", "pcDefault"}, &TVizeReport::Collate,
                         &TVizeReport::SetCollate, pcDefault)
            .Enumeration("Duplex", {"pdSimplex", "pdHorizontal", "pdVertical", "pdDefault"}, &TVizeReport::Duplex,
                         &TVizeReport::SetDuplex, pdDefault)
            .Enumeration("Resolution", {"prDraft", "prLow", "prMedium", "prHigh", "prDefault"},
                         &TVizeReport::Resolution, &TVizeReport::SetResolution, prDefault)
            .Integer("MaxPages", &TVizeReport::MaxPages, &TVizeReport::SetMaxPages)
            .String("Printer", &TVizeReport::Printer, &TVizeReport::SetPrinter)
            .Object<TVizeBaseSecurity>("SecurityControl", &TVizeReport::SecurityControl,
                                       &TVizeReport::SetSecurityControl)
            .Boolean("AlwaysGenerate", &TVizeReport::AlwaysGenerate, &TVizeReport::SetAlwaysGenerate);
        return c;
    }();
    return cls;
}

TVizeReport::TVizeReport(TComponent* owner) : TVizeProjectItem(owner) { SetReportRef(this); }

TVizeReport::~TVizeReport() {
    Destroying();
    loadedPages_.clear();
}

std::vector<TVizePage*> TVizeReport::Pages() const {
    std::vector<TVizePage*> pages;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* p = dynamic_cast<TVizePage*>(GetChild(i))) pages.push_back(p);
    return pages;
}

TVizePage* TVizeReport::NewPage() {
    auto* page = new TVizePage(this);
    page->SetParent(this);
    page->SetName(MakeUniqueName("Page", this, false));
    LoadPage(page);
    if (Project()) Project()->SetChanged(true);
    return page;
}

void TVizeReport::LoadPage(TVizePage* page) {
    if (!page || std::find(loadedPages_.begin(), loadedPages_.end(), page) != loadedPages_.end()) return;
    loadedPages_.push_back(page);
    // The report hears when a loaded page (a global one too) is freed.
    FreeNotification(page);
    page->Activate();
}

void TVizeReport::UnloadPage(TVizePage* page) {
    auto it = std::find(loadedPages_.begin(), loadedPages_.end(), page);
    if (it == loadedPages_.end()) return;
    page->Deactivate();
    loadedPages_.erase(it);
}

void TVizeReport::SetPageList(TVizeComponentList* list) {
    if (!list || list->Count() == 0) {
        pageList_.reset();
        return;
    }
    if (!pageList_) pageList_ = std::make_unique<TVizeComponentList>();
    pageList_->Assign(*list);
}

void TVizeReport::Activate() {
    if (!Active()) {
        TVizeProjectItem::Activate();
        for (int i = 0; i < ChildCount(); ++i)
            if (auto* item = dynamic_cast<TVizeProjectItem*>(GetChild(i))) item->Activate();
        for (TVizePage* page : loadedPages_)
            if (page->IsGlobal()) page->Activate();
    }
    // A report activated while a load runs (an import replacing the
    // active report) leaves the load's references to the load.
    TVizeProjectManager* project = Project();
    if (project && !project->Loading()) project->ApplyFixups();
}

void TVizeReport::SetSecurityControl(TVizeBaseSecurity* security) {
    securityControl_ = security;
    if (security) FreeNotification(security);
}

void TVizeReport::Deactivate() {
    if (!Active()) return;
    TVizeProjectItem::Deactivate();
    for (TVizePage* page : loadedPages_) page->Deactivate();
}

void TVizeReport::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeProjectItem::ReplaceReference(oldRef, newRef);
    if (!oldRef) return;
    if (oldRef == firstPage_) firstPage_ = dynamic_cast<TVizePage*>(newRef);
    if (oldRef == securityControl_) SetSecurityControl(dynamic_cast<TVizeBaseSecurity*>(newRef));
    if (pageList_) {
        TVizeComponentList kept;
        for (TVizeComponent* c : pageList_->Items()) {
            if (c != oldRef)
                kept.Add(c);
            else if (newRef)
                kept.Add(newRef);
        }
        pageList_->Assign(kept);
    }
}

void TVizeReport::Notification(TComponent* component, TOperation operation) {
    TVizeProjectItem::Notification(component, operation);
    if (operation != opRemove) return;
    std::erase_if(loadedPages_, [component](TVizePage* p) { return static_cast<TComponent*>(p) == component; });
    if (static_cast<TComponent*>(firstPage_) == component) firstPage_ = nullptr;
    if (static_cast<TComponent*>(securityControl_) == component) securityControl_ = nullptr;
}

void TVizeReport::SaveToStream(TStream& stream) {
    TStreamHelper h(stream);
    h.WriteString(lastActivePage_);
    std::vector<TVizePage*> pages = Pages();
    h.WriteIndex(Integer(pages.size()));
    for (TVizePage* page : pages) {
        h.WriteByte(0);
        h.WriteString(page->Name());
    }
    h.WriteIndex(Integer(loadedPages_.size()));
    for (TVizePage* page : loadedPages_) h.WriteString(page->Name());
    TVizeWriter(h).WriteComponent(this, false);
    for (TVizePage* page : pages) {
        h.BeginWriteBlock();
        page->SaveToStream(h.Stream());
        h.EndWriteBlock();
    }
}

void TVizeReport::LoadFromStream(TStream& stream) {
    TStreamHelper h(stream);
    TVizeProjectManager* project = Project();
    if (!project || project->FormatVersion() >= LastPageSince) lastActivePage_ = h.ReadString();
    Integer count = h.ReadIndex();
    CheckCount(h, count);
    for (Integer i = 0; i < count; ++i) {
        if (h.ReadByte() != 0) throw EVizeClass(Trans("TVizeProjectItem class not found"));
        auto* page = new TVizePage(this);
        page->SetParent(this);
        page->SetName(h.ReadString());
    }
    Integer loaded = h.ReadIndex();
    CheckCount(h, loaded);
    loadedNames_.clear();
    for (Integer i = 0; i < loaded; ++i) loadedNames_.push_back(h.ReadString());
    for (TVizePage* page : Pages())
        if (std::none_of(loadedNames_.begin(), loadedNames_.end(),
                         [page](const std::string& n) { return SameText(n, page->Name()); }))
            loadedNames_.push_back(page->Name());
    {
        TVizeReader reader(h);
        reader.UseProject(project);
        reader.ReadRootItem(this);
        for (TVizePage* page : Pages()) {
            h.BeginReadBlock();
            page->LoadFromStream(h.Stream());
            h.EndReadBlock();
        }
        // References to pages read after the report's own record.
        reader.ApplyFixups();
    }
    // An imported report's references wait for the whole load, but names
    // of its pages are only found while it is the active report.
    if (project && project->Importing()) project->ResolveWaiting(false);
}

void TVizeReport::ResolveLoadedPages() {
    TVizeProjectManager* project = Project();
    for (const std::string& name : loadedNames_) {
        TVizeComponent* c = project ? project->FindVizeComponent(name, this)
                                    : dynamic_cast<TVizeComponent*>(FindComponent(name));
        if (auto* page = dynamic_cast<TVizePage*>(c)) {
            if (std::find(loadedPages_.begin(), loadedPages_.end(), page) == loadedPages_.end()) {
                loadedPages_.push_back(page);
                FreeNotification(page);
            }
        }
    }
    loadedNames_.clear();
}

// ====================================================== module manager

TVizeModuleManager::~TVizeModuleManager() {
    for (Entry& e : modules_) delete e.Module;
}

int TVizeModuleManager::IndexOfModule(const std::string& name) const {
    for (size_t i = 0; i < modules_.size(); ++i)
        if (SameText(modules_[i].Name, name)) return int(i);
    return -1;
}

TVizeModule* TVizeModuleManager::FindModule(const std::string& name) const {
    int i = IndexOfModule(name);
    return i < 0 ? nullptr : modules_[size_t(i)].Module;
}

TVizeModule* TVizeModuleManager::ModuleByName(const std::string& name) {
    int i = IndexOfModule(name);
    if (i < 0) i = LoadModuleFile(name);
    return modules_[size_t(i)].Module;
}

void TVizeModuleManager::AddModule(const std::string& name, TVizeModule* module) {
    modules_.push_back({name, module});
}

std::string VizeFindFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    std::error_code ec;
    if (fs::is_regular_file(p, ec)) return p;
    fs::path folder = fs::path(p).parent_path();
    std::string base = fs::path(p).filename().string();
    if (base.empty()) return {};
    if (folder.empty()) folder = ".";
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        if (SameText(entry.path().filename().string(), base)) return entry.path().string();
    }
    return {};
}

std::string TVizeModuleManager::ModuleFilePath(const std::string& name) const {
    namespace fs = std::filesystem;
    // Names may carry either path separator; only the file name counts.
    std::string base = name;
    std::replace(base.begin(), base.end(), '\\', '/');
    base = fs::path(base).filename().string();
    if (base.empty()) return {};
    fs::path folder = project_ && !project_->FileName().empty()
                          ? fs::path(project_->FileName()).parent_path()
                          : fs::current_path();
    if (folder.empty()) folder = ".";
    return VizeFindFile((folder / (base + ".vzc")).string());
}

int TVizeModuleManager::LoadModuleFile(const std::string& name) {
    std::string path = ModuleFilePath(name);
    if (path.empty()) throw EFOpenError("Cannot open file \"" + name + ".VZC\". No such file or directory");
    TFileStream file(path, fmOpenRead);
    TMemoryStream data;
    data.CopyFrom(file, file.Size());
    data.SetPosition(0);
    if (!VizeHooks().ModuleLoader) throw EVizeException(Trans("No module loader is installed."));
    TVizeModule* module = VizeHooks().ModuleLoader(data, project_, nullptr);
    if (!module) throw EVizeException(Trans("Module \"") + name + Trans("\" could not be loaded."));
    modules_.push_back({name, module});
    if (VizeHooks().ModuleLoaded) VizeHooks().ModuleLoaded(module);
    return int(modules_.size()) - 1;
}

void TVizeModuleManager::SaveModules(TStreamHelper& h) {
    h.WriteIndex(Integer(modules_.size()));
    for (Entry& e : modules_) {
        h.WriteString(e.Name);
        h.BeginWriteBlock();
        e.Module->SaveToStream(h.Stream());
        h.EndWriteBlock();
    }
}

void TVizeModuleManager::LoadModules(TStreamHelper& h) {
    Integer count = h.ReadIndex();
    CheckCount(h, count);
    for (Integer i = 0; i < count; ++i) {
        std::string name = h.ReadString();
        if (!ModuleFilePath(name).empty()) {
            // A module file next to the project wins over the stored copy.
            h.SkipBlock();
            if (IndexOfModule(name) < 0) LoadModuleFile(name);
            continue;
        }
        if (!VizeHooks().ModuleLoader) {
            h.SkipBlock();
            continue;
        }
        h.BeginReadBlock();
        TVizeModule* module = VizeHooks().ModuleLoader(h.Stream(), project_, nullptr);
        h.EndReadBlock();
        if (!module) continue;
        int at = IndexOfModule(name);
        if (at >= 0) {
            UnlinkModule(modules_[size_t(at)].Module);
            delete modules_[size_t(at)].Module;
            modules_[size_t(at)].Module = module;
        } else {
            modules_.push_back({name, module});
        }
        if (VizeHooks().ModuleLoaded) VizeHooks().ModuleLoaded(module);
    }
}

namespace {
void ForgetInItems(TComponent* c, TVizeModule* module) {
    for (int i = 0; i < c->ComponentCount(); ++i) {
        auto* item = dynamic_cast<TVizeProjectItem*>(c->Components(i));
        if (!item) continue;
        if (item->Module() && item->Module() != module) item->Module()->ForgetReference(module, nullptr);
        ForgetInItems(item, module);
    }
}
}  // namespace

void TVizeModuleManager::UnlinkModule(TVizeModule* module) {
    if (!module) return;
    for (Entry& e : modules_)
        if (e.Module != module) e.Module->ForgetReference(module, nullptr);
    if (project_) {
        if (project_->Module() && project_->Module() != module) project_->Module()->ForgetReference(module, nullptr);
        ForgetInItems(project_, module);
    }
}

// ===================================================== project manager

TVizeClassRef TVizeProjectManager::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeProjectManager", TVizeProjectItem::StaticClass(),
                                 [](TComponent* owner) { return new TVizeProjectManager(owner); }, true);
        TVizeProps<TVizeProjectManager>(*c)
            .Enumeration("Units", {"unInch", "unMM", "unCM", "unPoint", "unUser"}, &TVizeProjectManager::Units,
                         &TVizeProjectManager::SetUnits, NoDefault)
            .Float("UnitsFactor", &TVizeProjectManager::UnitsFactor, &TVizeProjectManager::SetUnitsFactor)
            .String("AdminPassword", &TVizeProjectManager::AdminPassword, &TVizeProjectManager::SetAdminPassword)
            .Object<TVizeBaseSecurity>("SecurityControl", &TVizeProjectManager::SecurityControl,
                                       &TVizeProjectManager::SetSecurityControl)
            .Other("Categories", tkClass);
        return c;
    }();
    return cls;
}

TBaseReport*& VizeCurrentReport() {
    static TBaseReport* report = nullptr;
    return report;
}

TVizeProjectManager::TVizeProjectManager(TComponent* owner)
    : TVizeProjectItem(owner), modules_(std::make_unique<TVizeModuleManager>(this)), baseReport_(VizeCurrentReport()) {
    SetProjectRef(this);
    SetReportRef(nullptr);
}

TVizeProjectManager::~TVizeProjectManager() {
    Destroying();
    activeReport_ = nullptr;
    Clear();
}

void TVizeProjectManager::SetUnitsFactor(double value) {
    if (value <= 0) return;
    unitsFactor_ = value;
    auto near = [value](double x) { return std::fabs(value - x) <= 0.0001; };
    units_ = near(1) ? unInch : near(25.4) ? unMM : near(2.54) ? unCM : near(72) ? unPoint : unUser;
}

void TVizeProjectManager::SetUnits(Int64 units) {
    units_ = int(units);
    switch (units) {
        case unInch: unitsFactor_ = 1.0; break;
        case unMM: unitsFactor_ = 25.4; break;
        case unCM: unitsFactor_ = 2.54; break;
        case unPoint: unitsFactor_ = 72.0; break;
        default: break;
    }
}

void TVizeProjectManager::Notification(TComponent* component, TOperation operation) {
    TVizeProjectItem::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == activeReport_) activeReport_ = nullptr;
    if (static_cast<TComponent*>(securityControl_) == component) securityControl_ = nullptr;
    if (exportList_)
        std::erase_if(*exportList_, [component](TVizeProjectItem* i) { return static_cast<TComponent*>(i) == component; });
}

void TVizeProjectManager::SetSecurityControl(TVizeBaseSecurity* security) {
    securityControl_ = security;
    if (security) FreeNotification(security);
}

void TVizeProjectManager::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeProjectItem::ReplaceReference(oldRef, newRef);
    if (oldRef && oldRef == securityControl_) SetSecurityControl(dynamic_cast<TVizeBaseSecurity*>(newRef));
}

void TVizeProjectManager::SetChanged(bool value) {
    if (value && !changed_ && saved_ && !fileName_.empty()) {
        struct stat st;
        bool readOnly = ::stat(fileName_.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
        if (readOnly)
            ShowMessage(Trans("The report project file you are modifying is marked read only.  You will be "
                              "prompted for another file name when saving."));
    }
    changed_ = value;
}

void TVizeProjectManager::MoveChild(TVizeComponent* child, int kind) {
    std::vector<TVizeComponent*>* children = ChildList();
    if (!children || !dynamic_cast<TVizeProjectItem*>(child)) return;
    if (std::find(children->begin(), children->end(), child) == children->end()) return;
    // The items of the child's kind move among themselves; the others keep
    // their places.
    std::vector<TVizeComponent*> same;
    std::vector<size_t> places;
    for (size_t i = 0; i < children->size(); ++i)
        if (ItemKind((*children)[i]) == ItemKind(child)) {
            same.push_back((*children)[i]);
            places.push_back(i);
        }
    if (!MoveInList(same, child, kind)) return;
    for (size_t k = 0; k < places.size(); ++k) (*children)[places[k]] = same[k];
}

void TVizeProjectManager::SetExportList(const std::vector<TVizeProjectItem*>& items) {
    exportList_ = std::make_unique<std::vector<TVizeProjectItem*>>(items);
    for (TVizeProjectItem* item : items)
        if (item) FreeNotification(item);
}

void TVizeProjectManager::DefineProperties(TVizeFiler& filer) {
    filer.DefineBinaryProperty(
        "Params",
        [this](TStream& s) {
            std::string text = ReadFrameworkString(s, ReadFrameworkByte(s));
            // Pairs of quoted name and value, one character after each.
            while (!text.empty() && text[0] == '"') {
                std::string name = ExtractQuoted(text, '"');
                if (!text.empty()) text.erase(0, 1);
                std::string value = ExtractQuoted(text, '"');
                if (!text.empty()) text.erase(0, 1);
                text = Trim(text);
                SetParam(name, value);
            }
        },
        [this](TStream& s) {
            std::string text;
            for (Integer i = 0; i < Parameters().Count(); ++i)
                text += QuoteParam(Parameters().Names(i)) + "," + QuoteParam(Parameters().ValueFromIndex(i)) + ";";
            WriteFrameworkString(s, text);
        },
        StreamParamValues && Parameters().Count() > 0);
}

// Categories is stored as a nested object whose one defined property,
// "Strings", holds the lines as a framework list.
void TVizeProjectManager::DefinePropertyOverrides(TVizeFiler& filer) {
    filer.OverrideProperty(
        "Categories",
        [this](TVizeFiler& f) {
            TStreamHelper& h = f.Helper();
            if (h.ReadByte() != 8) throw EReadError("Invalid property value");
            categories_.Clear();
            for (std::string name; !(name = h.ReadString()).empty();) {
                if (!SameText(name, "Strings")) throw EReadError("Invalid property value");
                Integer count = h.ReadIndex();
                CheckCount(h, count);
                TMemoryStream data;
                if (count > 0) data.CopyFrom(h.Stream(), count);
                data.SetPosition(0);
                if (ReadFrameworkByte(data) != fwList) throw EReadError("Invalid property value");
                for (Byte type; (type = ReadFrameworkByte(data)) != fwNull;)
                    categories_.Add(ReadFrameworkString(data, type));
            }
        },
        [this](TVizeFiler& f) {
            if (categories_.Count() == 0) return;
            TStreamHelper& h = f.Helper();
            TMemoryStream data;
            Byte list = fwList, end = fwNull;
            data.WriteBuffer(&list, 1);
            for (Integer i = 0; i < categories_.Count(); ++i) WriteFrameworkString(data, categories_[i]);
            data.WriteBuffer(&end, 1);
            h.WriteString("Categories");
            h.WriteByte(8);
            h.WriteString("Strings");
            h.WriteIndex(Integer(data.Size()));
            data.SetPosition(0);
            h.Stream().CopyFrom(data, data.Size());
            h.WriteString("");
        });
}

std::vector<TVizeReport*> TVizeProjectManager::Reports() const {
    std::vector<TVizeReport*> list;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* r = dynamic_cast<TVizeReport*>(GetChild(i))) list.push_back(r);
    return list;
}

std::vector<TVizePage*> TVizeProjectManager::GlobalPages() const {
    std::vector<TVizePage*> list;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* p = dynamic_cast<TVizePage*>(GetChild(i))) list.push_back(p);
    return list;
}

std::vector<TVizeProjectItem*> TVizeProjectManager::DataObjects() const {
    std::vector<TVizeProjectItem*> list;
    for (int i = 0; i < ChildCount(); ++i) {
        TVizeComponent* c = GetChild(i);
        if (dynamic_cast<TVizeReport*>(c) || dynamic_cast<TVizePage*>(c)) continue;
        if (auto* item = dynamic_cast<TVizeProjectItem*>(c)) list.push_back(item);
    }
    return list;
}

TVizeReport* TVizeProjectManager::NewReport() {
    auto* report = new TVizeReport(this);
    report->SetParent(this);
    report->SetName(MakeUniqueName("Report", this, false));
    CallComponentAdded(report);
    ActivateReport(report);
    TVizePage* page = report->NewPage();
    report->SetFirstPage(page);
    SetChanged(true);
    return report;
}

void TVizeProjectManager::ActivateReport(TVizeReport* report) {
    DeactivateReport();
    activeReport_ = report;
    if (!report) return;
    report->Activate();
    lastActiveReport_ = report->Name();
}

void TVizeProjectManager::DeactivateReport() {
    if (!activeReport_) return;
    activeReport_->Deactivate();
    activeReport_ = nullptr;
    VizeDesigner().CurrentPageDesigner = nullptr;
}

void TVizeProjectManager::DeleteItem(TVizeProjectItem* item) {
    if (!item) return;
    if (auto* report = dynamic_cast<TVizeReport*>(item)) {
        std::vector<TVizeReport*> reports = Reports();
        if (reports.size() == 1) {
            NewReport();
        } else if (report == activeReport_) {
            auto it = std::find(reports.begin(), reports.end(), report);
            ActivateReport(it == reports.begin() ? reports[1] : *(it - 1));
        }
        delete report;
        SetChanged(true);
        return;
    }
    if (auto* page = dynamic_cast<TVizePage*>(item)) {
        TVizeReport* active = activeReport_;
        if (active) active->UnloadPage(page);
        bool reportPage = page->Owner() == active && active;
        delete page;
        if (reportPage && active->Pages().empty()) active->SetFirstPage(active->NewPage());
        SetChanged(true);
        return;
    }
    delete item;
    SetChanged(true);
}

void TVizeProjectManager::Clear() {
    activeReport_ = nullptr;
    DestroyChildren();
}

void TVizeProjectManager::SaveToStream(TStream& stream) {
    TStreamHelper h(stream);
    h.WriteBuf(Signature, 4);
    formatVersion_ = VizeProjectVersion;
    h.WriteInteger(formatVersion_);
    h.WriteByte(0);
    modules_->SaveModules(h);
    h.WriteString(activeReport_ ? activeReport_->Name() : lastActiveReport_);
    TVizeWriter(h).WriteComponent(this, false);
    auto writeItem = [this, &h](Byte type, TVizeProjectItem* item) {
        if (exportList_ && std::find(exportList_->begin(), exportList_->end(), item) == exportList_->end()) return;
        h.WriteByte(type);
        h.WriteString(item->Name());
        if (type == itDataObject) h.WriteString(item->VizeClass()->Name());
        h.BeginWriteBlock();
        item->SaveToStream(h.Stream());
        h.EndWriteBlock();
    };
    for (TVizeProjectItem* item : DataObjects()) writeItem(itDataObject, item);
    for (TVizePage* page : GlobalPages()) writeItem(itGlobalPage, page);
    for (TVizeReport* report : Reports()) writeItem(itReport, report);
    if (exportList_) return;  // a part of the project: its state stays
    ClearChanged();
    saved_ = true;
}

void TVizeProjectManager::LoadFromStream(TStream& stream) {
    TStreamHelper h(stream);
    char sig[4];
    if (stream.Size() - stream.Position() < 4) throw EVizeException(Trans("Invalid Project Format"));
    h.ReadBuf(sig, 4);
    if (std::memcmp(sig, Signature, 4) != 0) throw EVizeException(Trans("Invalid Project Format"));
    formatVersion_ = h.ReadInteger();
    if (h.ReadByte() != 0) throw EVizeException(Trans("Invalid Project Header Code"));
    if (formatVersion_ >= ModulesSince) modules_->LoadModules(h);
    // References between items wait here until every item is read.
    struct LoadScope {
        TVizeProjectManager& project;
        explicit LoadScope(TVizeProjectManager& p) : project(p) {
            p.loadFixups_ = std::make_unique<TVizeFixups>();
            p.loading_ = true;
        }
        ~LoadScope() {
            project.loadFixups_.reset();
            project.loading_ = false;
        }
    } scope(*this);
    if (importing_) {
        // The imported project's own settings are read and dropped.
        h.ReadString();
        TVizeReader reader(h);
        reader.UseProject(this);
        delete reader.ReadComponent(this, this);
    } else {
        lastActiveReport_ = h.ReadString();
        TVizeReader reader(h);
        reader.UseProject(this);
        reader.ReadRootItem(this);
    }
    ReadItems(h);
    loading_ = false;
    ApplyFixups();
    TVizeReport* noted = nullptr;
    for (TVizeReport* report : Reports()) {
        report->ResolveLoadedPages();
        if (!noted && report->Name() == lastActiveReport_) noted = report;
    }
    std::vector<TVizeReport*> reports = Reports();
    if (!noted && !reports.empty()) noted = reports.front();
    if (noted) ActivateReport(noted);
    ProjectLoaded();
    if (importing_)
        changed_ = true;  // the imported items are not saved yet
    else
        ClearChanged();
    saved_ = true;
}

void TVizeProjectManager::ReadItems(TStreamHelper& h) {
    while (!h.AtEnd()) {
        Byte type = h.ReadByte();
        std::string name = h.ReadString();
        std::string storedName = name;
        if (importing_ && !name.empty()) {
            auto* existing = dynamic_cast<TVizeProjectItem*>(FindComponent(name));
            if (existing) {
                std::string newName = name;
                if (OnImportConflict) {
                    OnImportConflict(existing, newName);
                    if (SameText(newName, name)) DeleteItem(existing);
                } else if (importReplace_) {
                    DeleteItem(existing);
                } else {
                    newName = MakeUniqueName(name, this, false);
                }
                name = newName;
            }
        }
        TVizeProjectItem* item = nullptr;
        if (type == itDataObject) {
            std::string className = h.ReadString();
            TVizeClassRef cls = FindVizeClass(className);
            if (cls && cls->IsComponent() && cls->InheritsFrom(TVizeProjectItem::StaticClass()))
                item = dynamic_cast<TVizeProjectItem*>(cls->Construct(this));
            if (!item) throw EVizeClass(Trans("Class ") + className + Trans(" not found"));
        } else if (type == itDirectDataView) {
            TVizeClassRef cls = FindVizeClass("TVizeDataView");
            if (cls && cls->IsComponent()) item = dynamic_cast<TVizeProjectItem*>(cls->Construct(this));
            if (!item) throw EVizeClass(Trans("Class TVizeDataView not found"));
        } else if (type == itGlobalPage) {
            item = new TVizePage(this);
        } else {
            item = new TVizeReport(this);
        }
        std::unique_ptr<TVizeProjectItem> guard(item);
        item->SetParent(this);
        if (!name.empty()) {
            item->SetName(name);
            CallComponentAdded(item);
            // References to the item name it as it was stored.
            if (item->Name() != storedName) loadFixups_->AddRename(Name() + "." + storedName, item);
        }
        auto* report = dynamic_cast<TVizeReport*>(item);
        TVizeReport* keep = activeReport_;
        if (report) activeReport_ = report;  // active while it is read
        try {
            h.BeginReadBlock();
            item->LoadFromStream(h.Stream());
            h.EndReadBlock();
        } catch (...) {
            activeReport_ = keep;
            throw;
        }
        activeReport_ = keep;
        if (item->Name().empty()) continue;  // freed by the guard
        guard.release();
    }
}

void TVizeProjectManager::ResolveWaiting(bool final) {
    if (!loadFixups_) return;
    TVizeFixups* fixups = loadFixups_.get();
    fixups->Apply(
        [this, fixups](const std::string& key) -> TVizeComponent* {
            // "owner.name": a component of that owner (an imported item is
            // found by the name it was stored with), else an item renamed
            // by an import, else wherever the project finds the name.
            size_t dot = key.find('.');
            if (dot != std::string::npos && key.find('.', dot + 1) == std::string::npos) {
                std::string ownerName = key.substr(0, dot), shortName = key.substr(dot + 1);
                std::string itemKey = LowerCase(Name()) + ".";
                TComponent* owner = SameText(ownerName, Name()) ? this : fixups->Renamed(itemKey + ownerName);
                if (!owner) owner = FindVizeComponent(ownerName, nullptr);
                if (owner)
                    if (auto* c = dynamic_cast<TVizeComponent*>(owner->FindComponent(shortName))) return c;
                if (TVizeComponent* c = fixups->Renamed(itemKey + shortName)) return c;
            }
            return FindVizeComponent(key, nullptr);
        },
        final);
    if (final) loadFixups_.reset();
}

void TVizeProjectManager::ImportFromStream(TStream& stream, bool replace) {
    struct Flags {
        TVizeProjectManager& p;
        Flags(TVizeProjectManager& project, bool replace) : p(project) {
            p.importing_ = true;
            p.importReplace_ = replace;
        }
        ~Flags() { p.importing_ = p.importReplace_ = false; }
    } flags(*this, replace);
    LoadFromStream(stream);
}

void TVizeProjectManager::ImportFromFile(const std::string& fileName, bool replace) {
    std::string found = VizeFindFile(fileName);
    if (found.empty()) throw EFOpenError("Cannot open file \"" + fileName + "\". No such file or directory");
    TFileStream file(found, fmOpenRead);
    TMemoryStream data;
    data.CopyFrom(file, file.Size());
    data.SetPosition(0);
    ImportFromStream(data, replace);
}

void TVizeProjectManager::SaveToFile(const std::string& fileName) {
    TMemoryStream data;
    SaveToStream(data);
    TFileStream file(fileName, fmCreate);
    data.SetPosition(0);
    file.CopyFrom(data, data.Size());
    fileName_ = fileName;
}

void TVizeProjectManager::LoadFromFile(const std::string& fileName) {
    std::string found = VizeFindFile(fileName);
    if (found.empty()) throw EFOpenError("Cannot open file \"" + fileName + "\". No such file or directory");
    TFileStream file(found, fmOpenRead);
    TMemoryStream data;
    data.CopyFrom(file, file.Size());
    data.SetPosition(0);
    fileName_ = found;
    LoadFromStream(data);
}

TVizeComponent* TVizeProjectManager::FindVizeComponent(const std::string& name, TComponent* defaultOwner) const {
    std::string full = name;
    if (!full.empty() && full[0] == '.') full.erase(0, 1);
    auto* self = const_cast<TVizeProjectManager*>(this);

    const TComponent* owner = nullptr;
    std::string shortName;
    const auto dot = full.find('.');
    if (dot == std::string::npos) {
        owner = defaultOwner ? defaultOwner : self;
        shortName = full;
    } else {
        const std::string ownerName = full.substr(0, dot);
        shortName = full.substr(dot + 1);
        if (activeReport_) {
            for (int i = 0; i < activeReport_->ChildCount() && !owner; ++i) {
                auto* page = dynamic_cast<TVizePage*>(activeReport_->GetChild(i));
                if (page && SameText(page->Name(), ownerName)) owner = page;
            }
        }
        for (int i = 0; i < ChildCount() && !owner; ++i) {
            TVizeComponent* child = GetChild(i);
            if (child && SameText(child->Name(), ownerName)) owner = child;
        }
        if (!owner && SameText(Name(), ownerName)) owner = self;
        if (!owner) return nullptr;
    }

    if (auto* found = dynamic_cast<TVizeComponent*>(owner->FindComponent(shortName))) return found;
    if (auto* found = dynamic_cast<TVizeComponent*>(FindComponent(shortName))) return found;
    if (SameText(Name(), shortName)) return self;
    return nullptr;
}

namespace {
void RegisterVzProjClasses() {
    RegisterClasses("VZCL", {TVizeReport::StaticClass(), TVizeProjectManager::StaticClass()}, 1);
    RegisterModuleClasses("VzProj", {TVizeReport::StaticClass(), TVizeProjectManager::StaticClass()}, 1);
}
}  // namespace

void InitializeVzProj() { RegisterProc("VZCL", RegisterVzProjClasses); }
