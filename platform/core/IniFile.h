#pragma once
// Settings files in the INI format: "[Section]" lines and "key=value" lines.
// Section and key names compare case-insensitively, names and values are
// trimmed of blanks, lines starting with ";" are comments. Nothing is cached:
// every read looks at the file on disk, and every write updates it at once,
// keeping the other sections, keys, their order and the comments. A new key
// goes at the end of its section, a new section at the end of the file.
// Files are written with CR LF line ends and read with any line ends.

#include <string>
#include <vector>

#include "platform/core/Types.h"

class TStrings;

class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const { return fileName_; }

    // A missing file, section or key gives the default.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const;
    // Decimal, or hex after "0x" or "$"; the default for anything else.
    Integer ReadInteger(const std::string& section, const std::string& key, Integer def) const;
    // True when the value is a non-zero integer; the default when it is not an integer.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    // A number with "." as the decimal point; the default for anything else.
    double ReadFloat(const std::string& section, const std::string& key, double def) const;

    // Raise EIniFileException "Unable to write to <file name>" when the file
    // cannot be written. Line breaks in a value are written as blanks so a
    // value cannot spill into other lines.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, Integer value);
    // "1" or "0".
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void WriteFloat(const std::string& section, const std::string& key, double value);

    // A section exists when it holds at least one key.
    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    // The keys of a section / the section names / "key=value" lines.
    void ReadSection(const std::string& section, TStrings& keys) const;
    void ReadSections(TStrings& sections) const;
    void ReadSectionValues(const std::string& section, TStrings& values) const;

    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& key);
    // Writes are immediate; kept for callers that flush explicitly.
    void UpdateFile() {}

private:
    std::vector<std::string> LoadLines(bool forWriting = false) const;
    void SaveLines(const std::vector<std::string>& lines) const;

    std::string fileName_;
};
