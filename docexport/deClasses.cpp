#include "docexport/deClasses.h"

#include "platform/core/CodePage.h"
#include "platform/core/Object.h"

namespace {
const bool registered = [] {
    TPublished<TdeComponent, TComponent>()
        .String("About", &TdeComponent::About, &TdeComponent::SetAbout)
        .String("Version", &TdeComponent::Version, &TdeComponent::SetVersion);
    return true;
}();
}  // namespace

Byte TdeExtMemStream::ReadByte() {
    Byte b = 0;
    ReadBuffer(&b, 1);
    return b;
}

void TdeExtMemStream::WriteByte(Byte b) { WriteBuffer(&b, 1); }

void TdeExtMemStream::WriteBytes(const std::vector<Byte>& bytes) {
    if (!bytes.empty()) WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TdeExtMemStream::WriteText(const std::string& s) {
    std::string bytes = Utf8ToCp1252(s);
    if (!bytes.empty()) WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TdeExtMemStream::WriteInt32BE(std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    Byte b[4] = {Byte(u >> 24), Byte(u >> 16), Byte(u >> 8), Byte(u)};
    WriteBuffer(b, 4);
}

void TdeExtMemStream::WriteInt32ArrayBE(const std::vector<std::int32_t>& values) {
    for (auto v : values) WriteInt32BE(v);
}

void TdeExtMemStream::WriteInt16BE(std::int16_t v) {
    auto u = static_cast<std::uint16_t>(v);
    Byte b[2] = {Byte(u >> 8), Byte(u)};
    WriteBuffer(b, 2);
}

void TdeExtMemStream::WriteInt16ArrayBE(const std::vector<std::int16_t>& values) {
    for (auto v : values) WriteInt16BE(v);
}

std::string TWideStrings::Get(int index) const {
    if (index < 0 || index >= Count()) return {};
    return items_[static_cast<std::size_t>(index)];
}

void TWideStrings::Put(int index, const std::string& s) {
    if (index < 0 || index > Count()) return;
    if (index == Count())
        items_.push_back(s);
    else
        items_[static_cast<std::size_t>(index)] = s;
}

int TWideStrings::Add(const std::string& s) {
    items_.push_back(s);
    return Count() - 1;
}

void TWideStrings::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count()) return;
    items_.insert(items_.begin() + index, s);
}

void TWideStrings::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    items_.erase(items_.begin() + index);
}
