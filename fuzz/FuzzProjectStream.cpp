// A report project component record read into a small component with a
// property of each kind the records carry, including a link to another
// component. Whether the read succeeds or fails part-way, every component
// still in the tree and every link it holds can be used afterwards.
#include "fuzz/FuzzTargets.h"

#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "reportproject/VizeException.h"
#include "reportproject/VzFiler.h"

namespace {
constexpr const char* kTarget = "project";

class TFuzzBox : public TVizeContainerComponent {
public:
    explicit TFuzzBox(TComponent* owner) : TVizeContainerComponent(owner) {}
    static TVizeClassRef StaticClass() {
        static TVizeClass* cls = [] {
            auto* c = new TVizeClass("TTestBox", TVizeContainerComponent::StaticClass(),
                                     [](TComponent* o) { return new TFuzzBox(o); }, true);
            TVizeProps<TFuzzBox>(*c)
                .Integer("Width", &TFuzzBox::GetWidth, &TFuzzBox::SetWidth)
                .Float("Left", &TFuzzBox::GetLeft, &TFuzzBox::SetLeft)
                .String("Caption", &TFuzzBox::GetCaption, &TFuzzBox::SetCaption)
                .Enumeration("Align", {"alNone", "alTop", "alClient"}, &TFuzzBox::GetAlign, &TFuzzBox::SetAlign)
                .Set("Borders", {"bdLeft", "bdTop", "bdRight", "bdBottom"}, &TFuzzBox::GetBorders,
                     &TFuzzBox::SetBorders)
                .Char("Mark", &TFuzzBox::GetMark, &TFuzzBox::SetMark)
                .Object<TVizeComponent>("Link", &TFuzzBox::GetLink, &TFuzzBox::SetLink);
            RegisterVizeClass(c);
            return c;
        }();
        return cls;
    }
    TVizeClassRef VizeClass() const override { return StaticClass(); }

    Integer GetWidth() const { return width; }
    void SetWidth(Int64 v) { width = Integer(v); }
    double GetLeft() const { return left; }
    void SetLeft(double v) { left = v; }
    std::string GetCaption() const { return caption; }
    void SetCaption(const std::string& v) { caption = v; }
    Int64 GetAlign() const { return align; }
    void SetAlign(Int64 v) { align = int(v); }
    Int64 GetBorders() const { return borders; }
    void SetBorders(Int64 v) { borders = int(v); }
    Int64 GetMark() const { return mark; }
    void SetMark(Int64 v) { mark = char(v); }
    TVizeComponent* GetLink() const { return link; }
    void SetLink(TVizeComponent* v) { link = v; }

    Integer width = 0;
    double left = 0;
    std::string caption;
    int align = 0, borders = 0;
    char mark = 0;
    TVizeComponent* link = nullptr;
};

// Touches every component below `item` and the component each link names
// (a freed one shows under the address sanitizer).
std::size_t Walk(TVizeComponent* item, int depth) {
    FUZZ_CHECK(kTarget, depth < 10000);
    std::size_t names = item->Name().size();
    if (auto* box = dynamic_cast<TFuzzBox*>(item); box && box->link) names += box->link->Name().size();
    for (int i = 0; i < item->ChildCount(); ++i) names += Walk(item->GetChild(i), depth + 1);
    for (int i = 0; i < item->ComponentCount(); ++i)
        if (auto* owned = dynamic_cast<TVizeComponent*>(item->Components(i)); owned && owned->Parent() != item)
            names += Walk(owned, depth + 1);
    return names;
}
}  // namespace

void FuzzProjectStream(const std::string& input) {
    TFuzzBox::StaticClass();
    TVizeContainerComponent owner(nullptr);
    owner.SetName("Report1");
    auto* item = new TFuzzBox(&owner);
    TMemoryStream m;
    if (!input.empty()) m.WriteBuffer(input.data(), Integer(input.size()));
    m.SetPosition(0);
    {
        TStreamHelper h(m);
        TVizeReader r(h);
        try {
            r.ReadRootItem(item);
        } catch (const Exception&) {
        }
        Walk(item, 0);
    }
    Walk(item, 0);
}
