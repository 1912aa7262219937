#include "docexport/deFilters.h"

#include "docexport/deDZLib.h"

std::unique_ptr<TMemoryStream> TdeFilter::EncodeStream(TStream&, int) { return nullptr; }
std::string TdeFilter::EncodeString(const std::string&, int) { return {}; }

std::unique_ptr<TMemoryStream> TdeFlateFilter::EncodeStream(TStream& source, int levelIndex) {
    auto m = std::make_unique<TMemoryStream>();
    {
        TCompressionStream z(levelIndex, *m);
        source.SetPosition(0);
        char block[16384];
        for (;;) {
            Integer got = source.Read(block, sizeof block);
            if (got <= 0) break;
            z.WriteBuffer(block, got);
        }
        z.Finish();
    }
    m->SetPosition(0);
    return m;
}

std::string TdeFlateFilter::EncodeString(const std::string& text, int levelIndex) {
    TStringStream in(text);
    auto m = EncodeStream(in, levelIndex);
    return std::string(m->Memory(), static_cast<std::size_t>(m->Size()));
}

std::unique_ptr<TMemoryStream> TdeFlateFilter::DecodeStream(TStream& source) {
    source.SetPosition(0);
    auto m = std::make_unique<TMemoryStream>();
    TDecompressionStream z(source);
    char block[10240];
    for (;;) {
        Integer got = z.Read(block, sizeof block);
        if (got > 0) m->WriteBuffer(block, got);
        if (got < static_cast<Integer>(sizeof block)) break;
    }
    m->SetPosition(0);
    return m;
}

std::string TdeFlateFilter::DecodeString(const std::string& text) {
    if (text.empty()) return {};
    TStringStream in(text);
    auto m = DecodeStream(in);
    return std::string(m->Memory(), static_cast<std::size_t>(m->Size()));
}
