#include "platform/core/IniFile.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/Exception.h"
#include "platform/core/StringList.h"
#include "platform/core/Strings.h"

namespace {

bool ParseSection(const std::string& line, std::string& name) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] != '[') return false;
    const std::size_t close = t.find(']');
    name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

bool ParseKey(const std::string& line, std::string& key, std::string& value) {
    const std::string t = TrimLeft(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return true;
}

// Line ranges [begin, end) of the bodies of every section with that name.
struct Range { std::size_t header, begin, end; };
std::vector<Range> SectionRanges(const std::vector<std::string>& lines, const std::string& section) {
    std::vector<Range> ranges;
    std::string name;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!ParseSection(lines[i], name)) continue;
        if (!ranges.empty() && ranges.back().end == lines.size()) ranges.back().end = i;
        if (AnsiSameText(name, section)) ranges.push_back({i, i + 1, lines.size()});
    }
    return ranges;
}

// Calls fn(lineIndex, key, value) for each key line of the section, in order.
template <class Fn>
void ForEachKey(const std::vector<std::string>& lines, const std::string& section, Fn fn) {
    std::string key, value;
    for (const Range& r : SectionRanges(lines, section))
        for (std::size_t i = r.begin; i < r.end; ++i)
            if (ParseKey(lines[i], key, value)) fn(i, key, value);
}

// Keys in order of first appearance with the value a read would give.
std::vector<std::pair<std::string, std::string>> SectionPairs(const std::vector<std::string>& lines,
                                                               const std::string& section) {
    std::vector<std::pair<std::string, std::string>> pairs;
    ForEachKey(lines, section, [&](std::size_t, const std::string& key, const std::string& value) {
        for (const auto& p : pairs)
            if (AnsiSameText(p.first, key)) return;
        pairs.emplace_back(key, value);
    });
    return pairs;
}

std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

bool WriteWhole(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Writes through a temporary file beside the target and renames it, so a
// failed write never leaves a half-written settings file.
bool ReplaceViaTemp(const std::string& path, const std::string& bytes) {
    struct stat st;
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return false;  // links and others: write in place
    const std::string temp = path + ".~" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = WriteWhole(fd, bytes);
    if (ok && exists) ::fchmod(fd, st.st_mode & 07777);
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
}

bool WriteInPlace(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = WriteWhole(fd, bytes);
    if (::close(fd) != 0) ok = false;
    return ok;
}

std::string FloatText(double value) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    std::string s(buf, r.ptr);
    const std::size_t e = s.find('e');
    if (e == std::string::npos) return s;
    // "1e+20" -> "1E20", "1.5e-05" -> "1.5E-5"
    std::string exp = s.substr(e + 1);
    std::string sign;
    if (!exp.empty() && (exp[0] == '+' || exp[0] == '-')) {
        if (exp[0] == '-') sign = "-";
        exp.erase(0, 1);
    }
    while (exp.size() > 1 && exp[0] == '0') exp.erase(0, 1);
    return s.substr(0, e) + "E" + sign + exp;
}

bool ParseFloat(const std::string& text, double& value) {
    std::string t = Trim(text);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    if (t.empty()) return false;
    double v;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

}  // namespace

std::vector<std::string> TIniFile::LoadLines(bool forWriting) const {
    TStringList list;
    try {
        list.LoadFromFile(fileName_);
    } catch (const Exception&) {
        // A missing or unreadable file reads as empty; but an existing file
        // that cannot be read must not be replaced by one holding only the
        // new key.
        struct stat st;
        if (forWriting && ::lstat(fileName_.c_str(), &st) == 0)
            throw EIniFileException("Unable to write to " + fileName_);
        return {};
    }
    return list.ToVector();
}

void TIniFile::SaveLines(const std::vector<std::string>& lines) const {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    if (!ReplaceViaTemp(fileName_, bytes) && !WriteInPlace(fileName_, bytes))
        throw EIniFileException("Unable to write to " + fileName_);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
    for (const auto& [k, v] : SectionPairs(LoadLines(), section))
        if (AnsiSameText(k, key)) return v;
    return def;
}

Integer TIniFile::ReadInteger(const std::string& section, const std::string& key, Integer def) const {
    return StrToIntDef(ReadString(section, key, std::string()), def);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const std::string& section, const std::string& key, double def) const {
    double v;
    return ParseFloat(ReadString(section, key, std::string()), v) ? v : def;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    std::vector<std::string> lines = LoadLines(true);
    const std::string cleanValue = OneLine(value);
    bool replaced = false;
    ForEachKey(lines, section, [&](std::size_t i, const std::string& k, const std::string&) {
        if (replaced || !AnsiSameText(k, key)) return;
        lines[i] = k + "=" + cleanValue;  // keeps the spelling of the name in the file
        replaced = true;
    });
    if (!replaced) {
        const std::string line = OneLine(key) + "=" + cleanValue;
        const std::vector<Range> ranges = SectionRanges(lines, section);
        if (ranges.empty()) {
            lines.push_back("[" + OneLine(section) + "]");
            lines.push_back(line);
        } else {
            // After the last non-blank line of the section, before any blank
            // lines that separate it from the next one.
            std::size_t at = ranges.front().begin;
            for (std::size_t i = ranges.front().begin; i < ranges.front().end; ++i)
                if (!Trim(lines[i]).empty()) at = i + 1;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
        }
    }
    SaveLines(lines);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, Integer value) {
    WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteFloat(const std::string& section, const std::string& key, double value) {
    WriteString(section, key, FloatText(value));
}

bool TIniFile::SectionExists(const std::string& section) const {
    return !SectionPairs(LoadLines(), section).empty();
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
    for (const auto& p : SectionPairs(LoadLines(), section))
        if (AnsiSameText(p.first, key)) return true;
    return false;
}

void TIniFile::ReadSection(const std::string& section, TStrings& keys) const {
    keys.BeginUpdate();
    keys.Clear();
    for (const auto& p : SectionPairs(LoadLines(), section)) keys.Add(p.first);
    keys.EndUpdate();
}

void TIniFile::ReadSections(TStrings& sections) const {
    sections.BeginUpdate();
    sections.Clear();
    std::vector<std::string> seen;
    std::string name;
    for (const auto& line : LoadLines()) {
        if (!ParseSection(line, name)) continue;
        bool dup = false;
        for (const auto& s : seen) dup = dup || AnsiSameText(s, name);
        if (!dup) {
            seen.push_back(name);
            sections.Add(name);
        }
    }
    sections.EndUpdate();
}

void TIniFile::ReadSectionValues(const std::string& section, TStrings& values) const {
    values.BeginUpdate();
    values.Clear();
    for (const auto& p : SectionPairs(LoadLines(), section)) values.Add(p.first + "=" + p.second);
    values.EndUpdate();
}

void TIniFile::EraseSection(const std::string& section) {
    std::vector<std::string> lines = LoadLines(true);
    const std::vector<Range> ranges = SectionRanges(lines, section);
    if (ranges.empty()) return;
    for (auto r = ranges.rbegin(); r != ranges.rend(); ++r)
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(r->header),
                    lines.begin() + static_cast<std::ptrdiff_t>(r->end));
    SaveLines(lines);
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
    std::vector<std::string> lines = LoadLines(true);
    std::vector<std::size_t> doomed;
    ForEachKey(lines, section, [&](std::size_t i, const std::string& k, const std::string&) {
        if (AnsiSameText(k, key)) doomed.push_back(i);
    });
    if (doomed.empty()) return;
    for (auto i = doomed.rbegin(); i != doomed.rend(); ++i)
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*i));
    SaveLines(lines);
}
