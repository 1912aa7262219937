#include "reportproject/VzLEString.h"

#include <vector>

#include "report/ReportDefs.h"

namespace {
struct Entry {
    std::string Text;
    std::uint32_t Refs = 0;
};
struct Pool {
    std::vector<Entry> Entries{Entry{}};  // [0] is the empty string
    std::vector<std::uint32_t> Free;
    std::size_t Live = 0;
};
Pool& ThePool() {
    static Pool p;
    return p;
}
Entry& At(TScriptString h) {
    Pool& p = ThePool();
    if (h == 0 || h >= p.Entries.size() || p.Entries[h].Refs == 0)
        throw EReportPrinter(Trans("Invalid string reference"));
    return p.Entries[h];
}
}  // namespace

namespace ScriptStrings {

TScriptString Make(const std::string& text) {
    if (text.empty()) return 0;
    Pool& p = ThePool();
    std::uint32_t h;
    if (!p.Free.empty()) {
        h = p.Free.back();
        p.Free.pop_back();
    } else {
        h = std::uint32_t(p.Entries.size());
        p.Entries.emplace_back();
    }
    p.Entries[h].Text = text;
    p.Entries[h].Refs = 1;
    ++p.Live;
    return h;
}

const std::string& Text(TScriptString h) {
    static const std::string empty;
    if (h == 0) return empty;
    return At(h).Text;
}

void AddRef(TScriptString h) {
    if (h != 0) ++At(h).Refs;
}

void Release(TScriptString h) {
    if (h == 0) return;
    Entry& e = At(h);
    if (--e.Refs == 0) {
        e.Text.clear();
        e.Text.shrink_to_fit();
        ThePool().Free.push_back(h);
        --ThePool().Live;
    }
}

void Assign(TScriptString& slot, TScriptString h) {
    AddRef(h);
    const TScriptString old = slot;
    slot = h;
    Release(old);
}

std::size_t LiveCount() { return ThePool().Live; }

}  // namespace ScriptStrings
