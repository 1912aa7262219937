#pragma once
// A renderer that writes down what the converter asks of it.

#include <string>
#include <vector>

#include "platform/core/Format.h"
#include "report/Render.h"

class TRecordingRender : public TVPRender {
public:
    explicit TRecordingRender(int kind = 0) : TVPRender(nullptr), kind_(kind) {}
    std::vector<std::string> Log;
    bool LogState = false;

    int GetOutputKind() override { return kind_; }
    void BeginDoc() override { Log.push_back("BeginDoc"); }
    void EndDoc() override { Log.push_back("EndDoc"); }
    void BeginPage() override { Log.push_back("BeginPage " + std::to_string(Converter()->PageRecord.PageNum)); }
    void EndPage() override { Log.push_back("EndPage"); }
    void PrintLeft(const std::string& t, double x, double y) override { Text("PrintLeft", t, x, y); }
    void PrintCenter(const std::string& t, double x, double y) override { Text("PrintCenter", t, x, y); }
    void PrintRight(const std::string& t, double x, double y) override { Text("PrintRight", t, x, y); }
    void PrintBlock(const std::string& t, double x, double y, double w) override {
        Text("PrintBlock", t, x, y);
        Log.back() += " " + N(w);
    }
    void Rectangle(double x1, double y1, double x2, double y2) override {
        Log.push_back("Rectangle " + N(x1) + " " + N(y1) + " " + N(x2) + " " + N(y2));
    }
    void MoveTo(double x, double y) override { Log.push_back("MoveTo " + N(x) + " " + N(y)); }
    void LineTo(double x, double y) override { Log.push_back("LineTo " + N(x) + " " + N(y)); }
    void PrintBitmap(double x, double y, double, double, TBitmap* b) override {
        Log.push_back("PrintBitmap " + N(x) + " " + N(y) + " " + std::to_string(b ? b->Width() : 0));
    }
    void SetBrush(TBrush* brush) override {
        if (LogState)
            Log.push_back("SetBrush " + std::to_string(brush->Style()) + (Converter()->BrushBitmap ? " bitmap" : ""));
    }
    void FontChanged(TFont* font) override {
        if (LogState) Log.push_back("Font " + font->Name() + (font->Style() & fsBold ? " bold" : ""));
    }

    static std::string N(double v) { return FloatToStrF(v, ffFixed, 15, 3); }

private:
    void Text(const char* op, const std::string& t, double x, double y) {
        Log.push_back(std::string(op) + " '" + t + "' " + N(x) + " " + N(y));
    }
    int kind_;
};
