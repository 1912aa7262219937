#include "platform/core/Registry.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/core/Program.h"
#include "platform/core/Strings.h"

namespace fs = std::filesystem;

namespace {

std::string ToHex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

bool FromHex(const std::string& hex, std::string& out) {
    if (hex.size() % 2) return false;
    out.clear();
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += char(hi * 16 + lo);
    }
    return true;
}

struct RawValue {
    std::string name;
    char type;
    std::string data;
};

std::vector<RawValue> LoadValues(const std::string& file) {
    std::vector<RawValue> values;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto eq = line.find('=');
        if (eq == std::string::npos || line.size() < eq + 3 || line[eq + 2] != ':')
            continue;
        RawValue v;
        if (!FromHex(line.substr(0, eq), v.name) || !FromHex(line.substr(eq + 3), v.data)) continue;
        v.type = line[eq + 1];
        values.push_back(std::move(v));
    }
    return values;
}

void SaveValues(const std::string& file, const std::vector<RawValue>& values) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const auto& v : values) out << ToHex(v.name) << '=' << v.type << ':' << ToHex(v.data) << "\r\n";
    out.flush();
    if (!out) throw ERegistryException("Failed to set data for '" + (values.empty() ? "" : values.back().name) + "'");
}

bool UsableName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// The entry of dir whose name matches name without case, or name itself.
std::string MatchEntry(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (fs::is_directory(dir / name, ec)) return name;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        std::string n = e.path().filename().string();
        if (e.is_directory(ec) && SameText(n, name)) return n;
    }
    return name;
}

}  // namespace

std::string TRegistry::StoreFolder() { return ProgramFolder() + "registry/"; }

std::string TRegistry::RootKeyName(HKEY root) {
    switch (root) {
        case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
        case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
        case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
        case HKEY_USERS: return "HKEY_USERS";
        default: return {};
    }
}

void TRegistry::SetRootKey(HKEY root) {
    if (RootKeyName(root).empty()) throw ERegistryException("Invalid registry root key");
    CloseKey();
    rootKey_ = root;
}

std::string TRegistry::ResolvedPath(const std::string& key) const {
    std::string path;
    if (!key.empty() && key[0] == '\\') path = key.substr(1);
    else if (open_ && !currentPath_.empty()) path = key.empty() ? currentPath_ : currentPath_ + "\\" + key;
    else path = key;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

std::string TRegistry::FolderOf(const std::string& key) const {
    std::string path = ResolvedPath(key);
    fs::path folder = fs::path(StoreFolder()) / RootKeyName(rootKey_);
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        if (!UsableName(part)) return {};
        folder /= MatchEntry(folder, part);
        start = end + 1;
    }
    return folder.string();
}

bool TRegistry::KeyExists(const std::string& key) const {
    std::string folder = FolderOf(key);
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec);
}

bool TRegistry::CreateKey(const std::string& key) {
    std::string folder = FolderOf(key);
    if (folder.empty()) return false;
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    if (!KeyExists(key) && !(canCreate && CreateKey(key))) return false;
    currentPath_ = ResolvedPath(key);
    open_ = true;
    return true;
}

bool TRegistry::DeleteKey(const std::string& key) {
    std::string folder = FolderOf(key);
    std::error_code ec;
    if (folder.empty() || ResolvedPath(key).empty() || !fs::is_directory(folder, ec)) return false;
    return fs::remove_all(folder, ec) > 0 && !ec;
}

std::string TRegistry::ValuesFile() const {
    if (!open_) throw ERegistryException("No key is open");
    return FolderOf("\\" + currentPath_) + "/values.ini";
}

bool TRegistry::ReadRaw(const std::string& name, char& type, std::string& data) const {
    for (auto& v : LoadValues(ValuesFile())) {
        if (SameText(v.name, name)) {
            type = v.type;
            data = std::move(v.data);
            return true;
        }
    }
    return false;
}

void TRegistry::WriteRaw(const std::string& name, char type, const std::string& data) {
    std::string file = ValuesFile();
    auto values = LoadValues(file);
    auto it = std::find_if(values.begin(), values.end(), [&](const RawValue& v) { return SameText(v.name, name); });
    if (it != values.end()) {
        it->type = type;
        it->data = data;
    } else {
        values.push_back({name, type, data});
    }
    SaveValues(file, values);
}

bool TRegistry::ValueExists(const std::string& name) const {
    char t;
    std::string d;
    return ReadRaw(name, t, d);
}

TRegDataType TRegistry::GetDataType(const std::string& name) const {
    char t;
    std::string d;
    if (!ReadRaw(name, t, d)) return rdUnknown;
    switch (t) {
        case 's': return rdString;
        case 'i': return rdInteger;
        case 'b': return rdBinary;
        default: return rdUnknown;
    }
}

Integer TRegistry::GetDataSize(const std::string& name) const {
    char t;
    std::string d;
    if (!ReadRaw(name, t, d)) return -1;
    if (t == 's') return static_cast<Integer>(d.size()) + 1;
    return static_cast<Integer>(d.size());
}

std::string TRegistry::ReadString(const std::string& name) const {
    char t;
    std::string d;
    if (!ReadRaw(name, t, d)) return {};
    if (t != 's') throw ERegistryException("Invalid data type for '" + name + "'");
    return d;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) { WriteRaw(name, 's', value); }

Integer TRegistry::ReadInteger(const std::string& name) const {
    char t;
    std::string d;
    if (!ReadRaw(name, t, d) || t != 'i' || d.size() != 4)
        throw ERegistryException("Invalid data type for '" + name + "'");
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(Byte(d[std::size_t(i)])) << (8 * i);
    return static_cast<Integer>(v);
}

void TRegistry::WriteInteger(const std::string& name, Integer value) {
    std::uint32_t v = static_cast<std::uint32_t>(value);
    std::string d;
    for (int i = 0; i < 4; ++i) d += char(Byte(v >> (8 * i)));
    WriteRaw(name, 'i', d);
}

std::vector<Byte> TRegistry::ReadBinaryData(const std::string& name) const {
    char t;
    std::string d;
    if (!ReadRaw(name, t, d) || t != 'b') throw ERegistryException("Invalid data type for '" + name + "'");
    return std::vector<Byte>(d.begin(), d.end());
}

void TRegistry::WriteBinaryData(const std::string& name, const std::vector<Byte>& data) {
    WriteRaw(name, 'b', std::string(data.begin(), data.end()));
}

bool TRegistry::DeleteValue(const std::string& name) {
    std::string file = ValuesFile();
    auto values = LoadValues(file);
    auto it = std::find_if(values.begin(), values.end(), [&](const RawValue& v) { return SameText(v.name, name); });
    if (it == values.end()) return false;
    values.erase(it);
    SaveValues(file, values);
    return true;
}

std::vector<std::string> TRegistry::GetValueNames() const {
    std::vector<std::string> names;
    for (const auto& v : LoadValues(ValuesFile())) names.push_back(v.name);
    return names;
}

std::vector<std::string> TRegistry::GetKeyNames() const {
    if (!open_) throw ERegistryException("No key is open");
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(FolderOf("\\" + currentPath_), ec))
        if (e.is_directory(ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
