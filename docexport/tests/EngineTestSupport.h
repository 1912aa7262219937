#pragma once
// A small engine that logs what the base class asks of a format, and a
// prompt service that records message boxes.

#include <memory>
#include <string>
#include <vector>

#include "docexport/deCstDocEng.h"
#include "platform/core/Streams.h"
#include "platform/gui/Prompts.h"

class TLogEngine : public TdeCustomDocumentEngine {
public:
    explicit TLogEngine(TComponent* owner = nullptr) : TdeCustomDocumentEngine(owner) {
        Preferences()->SetShowSetupDialog(false);
        Preferences()->SetOpenAfterCreate(false);
        SetFileExtension("log");
        auto log = [this](const char* what) { return [this, what](TObject*) { Log.push_back(what); }; };
        OnBeforeBeginDoc = log("BeforeBeginDoc");
        OnAfterBeginDoc = log("AfterBeginDoc");
        OnBeforeEndDoc = log("BeforeEndDoc");
        OnAfterEndDoc = log("AfterEndDoc");
        OnBeforeBeginPage = log("BeforeBeginPage");
        OnAfterBeginPage = log("AfterBeginPage");
        OnBeforeEndPage = log("BeforeEndPage");
        OnAfterEndPage = log("AfterEndPage");
    }

    std::vector<std::string> Log;
    int SetupAnswer = deModalOk;
    bool WriteFile = false;
    std::unique_ptr<TFileStream> Out;

    using TdeCustomDocumentEngine::SetCapabilities;
    using TdeCustomDocumentEngine::SetTextSort;
    using TdeCustomDocumentEngine::SetTextSortTolerance;

    int ExecuteSetupDialog() override {
        Log.push_back("Setup");
        return SetupAnswer;
    }
    void StartDocument() override {
        Log.push_back("StartDocument");
        if (WriteFile) {
            std::string name = FileName() + "." + FileExtension();
            Out = CreateOutputFile(name);
            OutputFiles().Add(name);
        }
    }
    void FinishDocument() override {
        Log.push_back("FinishDocument");
        if (Out) Out->WriteBuffer("done", 4);
        Out.reset();
    }
    void StartPage() override { Log.push_back("StartPage " + std::to_string(CurrentPage())); }
    void FinishPage() override { Log.push_back("FinishPage " + std::to_string(CurrentPage())); }
    void RenderText(TdeTextItem* item) override {
        Log.push_back("Text " + item->Lines[0] + " band " + std::to_string(CurrentBand()));
    }
    void RenderLine(const TPen& pen, double x1, double y1, double x2, double y2) override {
        Log.push_back("Line " + std::to_string(int(x1)) + "," + std::to_string(int(y1)) + "-" +
                      std::to_string(int(x2)) + "," + std::to_string(int(y2)) + " w" +
                      std::to_string(pen.Width()));
    }
    void RenderRectangle(const TPen&, const TBrush* brush, double, double, double, double) override {
        Log.push_back(brush ? "FilledRectangle" : "Rectangle");
    }
    bool CheckImageFormat(TdeOutputImageFormat format, std::string& message) override {
        if (format == ifGIF) {
            message = "no GIF here";
            return false;
        }
        return true;
    }

    // Records a plain text item at pixel position (x, y) of the page.
    void Text(const std::string& s, double x = 0, double y = 0) {
        auto* t = new TdeTextItem;
        t->Lines.Add(s);
        t->X = x;
        t->Y = y;
        AddItem(t);
    }

    // The log entries that start with prefix.
    std::vector<std::string> Only(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& l : Log)
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }
};

class TRecordingPrompts : public TPromptService {
public:
    TRecordingPrompts() { old_ = SetPromptService(this); }
    ~TRecordingPrompts() override { SetPromptService(old_); }
    PromptAnswer Ask(const PromptRequest& request) override {
        Requests.push_back(request);
        PromptAnswer a;
        a.Result = mrOk;
        return a;
    }
    std::vector<PromptRequest> Requests;

private:
    TPromptService* old_;
};

// Shared set-up of the engines the format tests write with: output into a
// memory stream, no dialogs, pixels on an 800 x 600 page, Arial in black.
inline void WriteIntoMemory(TdeCustomDocumentEngine& engine, TMemoryStream& out, int margin, int fontSize) {
    engine.Preferences()->SetShowSetupDialog(false);
    engine.Preferences()->SetOpenAfterCreate(false);
    engine.Preferences()->SetOutputToUserStream(true);
    engine.SetUserStream(&out);
    engine.SetMeasurementUnit(muPixels);
    engine.Page()->SetPaperSize(Custom);
    engine.Page()->SetWidth(800);
    engine.Page()->SetHeight(600);
    engine.Page()->SetLeftMargin(margin);
    engine.Page()->SetRightMargin(margin);
    engine.Page()->SetTopMargin(margin);
    engine.Page()->SetBottomMargin(margin);
    engine.Font()->SetName("Arial");
    engine.Font()->SetSize(fontSize);
    engine.Font()->SetColor(clBlack);
}
