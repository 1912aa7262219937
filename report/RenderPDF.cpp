#include "report/RenderPDF.h"

#include "platform/core/DateTime.h"
#include "platform/core/FormatSettings.h"
#include "platform/core/Strings.h"

const char* PDFEncodingName(TPDFFontEncoding e) {
    static const char* names[] = {"MacRomanEncoding", "MacExpertEncoding", "WinAnsiEncoding", "PDFDocEncoding",
                                  "StandardEncoding"};
    return names[e];
}

// ------------------------------------------------------------------ objects

void TVPPDFPageContent::WriteObject() {
    Body.clear();
    Begin();
    std::string data = Content;
    if (data.size() < 2 || data.compare(data.size() - 2, 2, "\r\n") != 0) data += "\r\n";
    Body += Owner->StreamObject(data, "FlateDecode");
    End();
}

void TVPPDFPage::WriteObject() {
    Body.clear();
    Begin();
    Line("<<");
    Line("/Type /Page");
    if (Owner->Streaming())
        Line("/Parent        0 R");
    else
        Line("/Parent " + std::to_string(Owner->PageTreeNumber()) + " 0 R");
    Line("/Resources <<");
    if (!Owner->Fonts().empty()) {
        Line("/Font <<");
        for (const auto& f : Owner->Fonts())
            Line("/" + static_cast<TVPPDFFont*>(f.Object.get())->ResourceName + " " + std::to_string(f.Object->Number) +
                 " 0 R ");
        Line(">>");
    }
    if (!Owner->Patterns().empty()) {
        Line("/Pattern <<");
        for (const auto& p : Owner->Patterns())
            Line("/" + static_cast<TVPPDFPattern*>(p.Object.get())->Name + " " + std::to_string(p.Object->Number) +
                 " 0 R ");
        Line(">>");
    }
    if (!Owner->Images().empty()) {
        Line("/XObject <<");
        for (const auto& i : Owner->Images()) Line("/" + i.Name + " " + std::to_string(i.Object->Number) + " 0 R");
        Line(">>");
    }
    Line("/ProcSet " + std::to_string(Owner->ProcSetNumber()) + " 0 R");
    Line(">>");
    Line(TVzRenderPDF::FormatNumber("/MediaBox [0 0 %.0f %.0f]", {PageWidth * 72, PageHeight * 72}));
    Line("/Contents " + std::to_string(Number + 1) + " 0 R");
    if (!Annotations.empty()) {
        Line("/Annots [");
        for (const auto& a : Annotations) Line(std::to_string(a->Number) + " 0 R");
        Line("]");
    }
    Line(">>");
    End();
}

// ----------------------------------------------------------------- renderer

TVzRenderPDF::TVzRenderPDF(TComponent* owner) : TVPRenderStream(owner) {
    SetDisplayName("Adobe Acrobat (PDF)");
    FileExtension = "*.pdf";
}

TVzRenderPDF::~TVzRenderPDF() { FreeDocument(); }

std::string TVzRenderPDF::FormatNumber(const std::string& format, const std::vector<FormatArg>& args) {
    TFormatSettings fs = DefaultFormatSettings();
    fs.DecimalSeparator = '.';
    fs.ThousandSeparator = ',';
    return Format(format, args, fs);
}

void TVzRenderPDF::PrintF(const std::string& format, const std::vector<FormatArg>& args) {
    Print(FormatNumber(format, args));
}

void TVzRenderPDF::PrintLnF(const std::string& format, const std::vector<FormatArg>& args) {
    Print(FormatNumber(format, args) + "\r\n");
}

std::string TVzRenderPDF::EscapeText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '(' || c == ')' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

bool TVzRenderPDF::HasImages() const { return !images_.empty(); }

std::string TVzRenderPDF::StreamObject(const std::string& data, const std::string& method) {
    if (UseCompression && OnCompress) {
        TMemoryStream in, out;
        if (!data.empty()) in.WriteBuffer(data.data(), Integer(data.size()));
        in.SetPosition(0);
        std::string m = method;
        OnCompress(in, out, m);
        std::string packed(size_t(out.Size()), '\0');
        out.SetPosition(0);
        if (!packed.empty()) out.ReadBuffer(packed.data(), Integer(packed.size()));
        return "<<\r\n/Length " + std::to_string(packed.size()) + "\r\n/Filter [/" + m + "]\r\n>>\r\nstream\r\n" +
               packed + "\r\nendstream\r\n";
    }
    return "<< /Length " + std::to_string(data.size()) + " >>\r\nstream\r\n" + data + "endstream\r\n";
}

void TVzRenderPDF::WriteOut(const std::string& bytes) {
    if (!bytes.empty()) out_->WriteBuffer(bytes.data(), Integer(bytes.size()));
}

Int64 TVzRenderPDF::OutPos() { return out_->Size(); }

void TVzRenderPDF::MarkObjectOffset() { xref_.push_back(OutPos()); }

void TVzRenderPDF::EmitObject(TVPPDFObject& object) {
    if (Streaming()) object.Number = ++counter_;
    object.WriteObject();
    MarkObjectOffset();
    WriteOut(object.Body);
    object.Body.clear();
    object.Body.shrink_to_fit();
}

void TVzRenderPDF::EmitGroup(TVPPDFObject& object) {
    std::vector<TVPPDFObject*> parts{&object};
    for (auto* d : object.Dependents()) parts.push_back(d);
    if (Streaming())
        for (auto* p : parts) p->Number = ++counter_;
    for (auto* p : parts) {
        p->WriteObject();
        MarkObjectOffset();
        WriteOut(p->Body);
        p->Body.clear();
        p->Body.shrink_to_fit();
    }
}

void TVzRenderPDF::WriteHeader() { WriteOut(std::string("%PDF-1.3\r\n\x25\xE2\xE3\xCF\xD3\r\n\r\n")); }

namespace {
// A document-level object written from a function.
class TextObject : public TVPPDFObject {
public:
    TextObject(TVzRenderPDF* owner, int number, std::function<void(TextObject&)> body)
        : TVPPDFObject(owner), body_(std::move(body)) {
        Number = number;
    }
    void WriteObject() override {
        Body.clear();
        Begin();
        body_(*this);
        End();
    }
    void Add(const std::string& line) { Line(line); }

private:
    std::function<void(TextObject&)> body_;
};
}  // namespace

void TVzRenderPDF::WriteCatalog() {
    TextObject o(this, catalogNumber_, [this](TextObject& t) {
        t.Add("<<");
        t.Add("/Type /Catalog");
        if (Streaming()) {
            t.Add("/Outlines 2 0 R");
            t.Add("/Pages        0 R");
        } else {
            t.Add("/Outlines " + std::to_string(outlinesNumber_) + " 0 R");
            t.Add("/Pages " + std::to_string(pageTreeNumber_) + " 0 R");
        }
        t.Add(">>");
    });
    EmitObject(o);
    catalogNumber_ = o.Number;
}

void TVzRenderPDF::WriteOutlines() {
    TextObject o(this, outlinesNumber_, [](TextObject& t) {
        t.Add("<<");
        t.Add("/Type /Outlines");
        t.Add("/Count 0");
        t.Add(">>");
    });
    EmitObject(o);
    outlinesNumber_ = o.Number;
}

void TVzRenderPDF::WritePageTree() {
    TextObject o(this, pageTreeNumber_, [this](TextObject& t) {
        std::string kids;
        for (size_t i = 0; i < pages_.size(); ++i) {
            kids += std::to_string(pages_[i]->Number) + " 0 R ";
            if (i > 0 && i % 25 == 0) kids += "\r\n";
        }
        if (!kids.empty()) kids.pop_back();
        t.Add("<<");
        t.Add("/Type /Pages");
        t.Add("/Count " + std::to_string(pages_.size()));
        t.Add("/Kids [ " + kids + " ] ");
        t.Add(">>");
    });
    EmitObject(o);
    pageTreeNumber_ = o.Number;
}

void TVzRenderPDF::WriteProcSet(bool longForm) {
    TextObject o(this, procSetNumber_, [longForm](TextObject& t) {
        t.Add(longForm ? "[/PDF /Text /ImageB /ImageC /ImageI]" : "[/PDF /Text]");
    });
    EmitObject(o);
    procSetNumber_ = o.Number;
}

void TVzRenderPDF::WriteInfo() {
    TextObject o(this, infoNumber_, [this](TextObject& t) {
        t.Add("<<");
        auto key = [&](const char* name, const std::string& value) {
            if (!value.empty()) t.Add(std::string("/") + name + " (" + EscapeText(value) + ")");
        };
        key("Title", DocInfo.Title);
        key("Author", DocInfo.Author);
        key("Subject", DocInfo.Subject);
        key("Keywords", DocInfo.KeyWords);
        key("Creator", DocInfo.Creator);
        key("Producer", DocInfo.Producer);
        t.Add("/CreationDate (D:" + FormatDateTime("yyyymmddhhnnss", Now()) + ")");
        t.Add(">>");
    });
    EmitObject(o);
    infoNumber_ = o.Number;
}

void TVzRenderPDF::WriteTrailer() {
    Int64 start = OutPos();
    std::string s = "xref\r\n0 " + std::to_string(xref_.size() + 1) + "\r\n0000000000 65535 f\r\n";
    for (Int64 offset : xref_) {
        std::string digits = std::to_string(offset);
        s += std::string(10 - std::min<size_t>(10, digits.size()), '0') + digits + " 00000 n\r\n";
    }
    s += "\r\ntrailer\r\n<<\r\n/Size " + std::to_string(xref_.size() + 1) + "\r\n/Root " +
         std::to_string(catalogNumber_) + " 0 R\r\n/Info " + std::to_string(infoNumber_) + " 0 R\r\n>>\r\n\r\n";
    s += "startxref\r\n" + std::to_string(start) + "\r\n%%EOF\r\n";
    WriteOut(s);
}

void TVzRenderPDF::NumberObjects() {
    int n = 0;
    catalogNumber_ = ++n;
    outlinesNumber_ = ++n;
    pageTreeNumber_ = ++n;
    for (auto& page : pages_) {
        page->Number = ++n;
        page->PageContent.Number = ++n;
        for (auto& a : page->Annotations) a->Number = ++n;
    }
    procSetNumber_ = ++n;
    for (auto* list : {&fonts_, &patterns_, &images_})
        for (auto& entry : *list) {
            entry.Object->Number = ++n;
            for (auto* d : entry.Object->Dependents()) d->Number = ++n;
        }
    infoNumber_ = ++n;
}

void TVzRenderPDF::Patch(Int64 offset, const std::string& digits) {
    Int64 end = out_->Size();
    out_->SetPosition(offset);
    out_->WriteBuffer(digits.data(), Integer(digits.size()));
    out_->SetPosition(end);
}

void TVzRenderPDF::BeginDoc() {
    FreeDocument();
    FontChangedFlag = true;
    xref_.clear();
    counter_ = 0;
    imageCounter_ = 0;
    firstPageUsed_ = false;
    if (BufferDocument) {
        memory_ = std::make_unique<TMemoryStream>();
        out_ = memory_.get();
    } else {
        if (!OutputStream) OpenOutputFile(OutputFileName);
        out_ = OutputStream;
        out_->SetPosition(out_->Size());
    }
    auto first = std::make_unique<TVPPDFPage>(this);
    first->Name = "P1";
    pages_.push_back(std::move(first));
    currentPage_ = pages_.back().get();
    if (Streaming()) {
        WriteHeader();
        WriteCatalog();
        WriteOutlines();
        WriteProcSet(true);
    }
}

void TVzRenderPDF::BeginPage() {
    if (!firstPageUsed_) {
        firstPageUsed_ = true;
    } else {
        auto page = std::make_unique<TVPPDFPage>(this);
        page->Name = "P" + std::to_string(pages_.size() + 1);
        page->FontColor = currentPage_->FontColor;
        page->PenColor = currentPage_->PenColor;
        page->BrushColor = currentPage_->BrushColor;
        pages_.push_back(std::move(page));
        currentPage_ = pages_.back().get();
    }
    pendingMove_ = false;
    if (PageWidth > 0) currentPage_->PageWidth = PageWidth;
    if (PageHeight > 0) currentPage_->PageHeight = PageHeight;
}

void TVzRenderPDF::EndPage() {
    if (!Streaming()) return;
    TVPPDFPage* page = currentPage_;
    for (auto& image : images_) EmitObject(*image.Object);
    for (auto& a : page->Annotations) EmitObject(*a);
    page->Number = counter_ + 1;
    page->StreamOffset = OutPos();
    EmitObject(*page);
    EmitObject(page->PageContent);
    page->PageContent.Content.clear();
    images_.clear();
}

void TVzRenderPDF::EndDoc() {
    try {
        if (Streaming()) {
            WritePageTree();
            std::string digits = std::to_string(pageTreeNumber_);
            Patch(72, digits);
            for (auto& page : pages_)
                if (page->Number > 0)
                    Patch(page->StreamOffset + 33 + Int64(std::to_string(page->Number).size()), digits);
            infoNumber_ = counter_ + 1;
            WriteInfo();
            WriteTrailer();
        } else {
            NumberObjects();
            WriteHeader();
            WriteCatalog();
            WriteOutlines();
            WritePageTree();
            for (auto& page : pages_) {
                EmitObject(*page);
                EmitObject(page->PageContent);
                for (auto& a : page->Annotations) EmitObject(*a);
            }
            WriteProcSet(HasImages());
            for (auto* list : {&fonts_, &patterns_, &images_})
                for (auto& entry : *list) EmitGroup(*entry.Object);
            WriteInfo();
            WriteTrailer();
            memory_->SetPosition(0);
            if (OutputStream) {
                OutputStream->CopyFrom(*memory_, 0);
            } else {
                TFileStream file(OutputFileName, fmCreate);
                file.CopyFrom(*memory_, 0);
            }
        }
    } catch (...) {
        FreeDocument();
        CloseStreams();
        throw;
    }
    FreeDocument();
    CloseStreams();
}

void TVzRenderPDF::FreeDocument() {
    pages_.clear();
    fonts_.clear();
    patterns_.clear();
    images_.clear();
    currentPage_ = nullptr;
    currentFont_ = nullptr;
    memory_.reset();
    out_ = nullptr;
}

void TVzRenderPDF::RenderToFile(TStream* stream, const std::string& fileName) {
    std::string name = fileName;
    if (name.find('.') == std::string::npos) {
        size_t dot = FileExtension.find('.');
        if (dot != std::string::npos) {
            size_t semi = FileExtension.find(';', dot);
            name += FileExtension.substr(dot, semi == std::string::npos ? std::string::npos : semi - dot);
        }
    }
    TVPRender::RenderToFile(stream, name);
}
