#include "platform/gui/FormFile.h"

#include <mutex>
#include <string>
#include <vector>

#include "platform/core/Strings.h"
#include "platform/gui/Forms.h"

namespace {

std::mutex& ReadersMutex() {
    static std::mutex m;
    return m;
}

std::vector<TFormComponentReader>& Readers() {
    static std::vector<TFormComponentReader> readers;
    return readers;
}

[[noreturn]] void Refuse(const std::string& why) { throw EReadError("Error reading form: " + why); }

// Sizes in a form file stay within what a screen could show.
int ReadBounded(TReader& r, const std::string& name, int low, int high) {
    Int64 v = r.ReadInt64();
    if (v < low || v > high) Refuse(name + " " + std::to_string(v) + " out of range");
    return int(v);
}

void ReadFormProperty(TReader& r, TCustomForm& form, const std::string& name) {
    constexpr int kMaxExtent = 100000;
    if (SameText(name, "Caption")) form.SetCaption(r.ReadString());
    else if (SameText(name, "Left")) form.SetLeft(ReadBounded(r, name, -kMaxExtent, kMaxExtent));
    else if (SameText(name, "Top")) form.SetTop(ReadBounded(r, name, -kMaxExtent, kMaxExtent));
    else if (SameText(name, "Width")) form.SetWidth(ReadBounded(r, name, 0, kMaxExtent));
    else if (SameText(name, "Height")) form.SetHeight(ReadBounded(r, name, 0, kMaxExtent));
    else if (SameText(name, "ClientWidth")) form.SetClientWidth(ReadBounded(r, name, 0, kMaxExtent));
    else if (SameText(name, "ClientHeight")) form.SetClientHeight(ReadBounded(r, name, 0, kMaxExtent));
    else if (SameText(name, "PixelsPerInch")) form.SetPixelsPerInch(ReadBounded(r, name, 1, 10000));
    else if (SameText(name, "Scaled")) form.SetScaled(r.ReadBoolean());
    else Refuse("unknown property \"" + name + "\"");
}

void ReadComponent(TReader& r, TCustomForm& form) {
    Int64 start = r.Stream().Position();
    std::string className = r.ReadString();
    std::string name = r.ReadString();
    if (className.empty()) Refuse("a component without a class name");
    TComponent* component = name.empty() ? nullptr : form.FindComponent(name);
    if (!component) Refuse("the form has no component \"" + name + "\"");
    r.Stream().SetPosition(start);
    std::vector<TFormComponentReader> readers;
    {
        std::lock_guard<std::mutex> lock(ReadersMutex());
        readers = Readers();
    }
    for (const TFormComponentReader& read : readers)
        if (read(r, *component)) return;
    Refuse("no reader for \"" + name + "\" (" + className + ")");
}

}  // namespace

void RegisterFormComponentReader(TFormComponentReader reader) {
    std::lock_guard<std::mutex> lock(ReadersMutex());
    Readers().push_back(std::move(reader));
}

void ReadFormFromStream(TCustomForm& form, TStream& stream) {
    TReader r(stream);
    form.BeginLoading();
    struct EndLoading {
        TCustomForm& f;
        ~EndLoading() { f.EndLoading(); }
    } end{form};
    if (r.ReadString().empty()) Refuse("no class name");
    r.ReadString();  // the form's name is its class's, not the file's
    form.SetPixelsPerInch(Screen->PixelsPerInch());
    while (!r.EndOfList()) ReadFormProperty(r, form, r.ReadString());
    r.ReadListEnd();
    while (!r.EndOfList()) ReadComponent(r, form);
    r.ReadListEnd();
    int stored = form.PixelsPerInch(), screen = Screen->PixelsPerInch();
    if (form.Scaled() && stored != screen) form.ChangeScale(screen, stored);
    form.SetPixelsPerInch(screen);
}
