#pragma once
// A stand-in for the platform's registry: keys and values kept under the
// program folder, so code that saves settings to registry keys works the
// same way on this system. Every root key is a folder of "registry/" in the
// program folder, every key a sub-folder, and a key's values live in the
// file "values.ini" of its folder (type and hexadecimal data per value, so
// any bytes survive). Nothing is cached; writes go to disk at once.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/core/Types.h"

using HKEY = std::uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;

class ERegistryException : public Exception { using Exception::Exception; };

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry {
public:
    // Root key HKEY_CURRENT_USER, no key open, lazy writing on.
    TRegistry() = default;
    ~TRegistry() { CloseKey(); }
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return rootKey_; }
    // Closes an open key; an unknown root raises ERegistryException.
    void SetRootKey(HKEY root);
    // Kept for the platform's interface: writes are immediate either way.
    bool LazyWrite() const { return lazyWrite_; }
    void SetLazyWrite(bool value) { lazyWrite_ = value; }

    // Keys are backslash-separated paths; a leading backslash starts at the
    // root, otherwise the path is relative to the open key. A path with
    // names that cannot be folder names ("", ".", "..", names holding "/")
    // is never opened or created.
    bool OpenKey(const std::string& key, bool canCreate);
    bool CreateKey(const std::string& key);
    bool KeyExists(const std::string& key) const;
    // Deletes a key with its values and sub-keys.
    bool DeleteKey(const std::string& key);
    void CloseKey() { currentPath_.clear(); open_ = false; }
    bool HasOpenKey() const { return open_; }
    // The open key's path below the root, without a leading backslash.
    const std::string& CurrentPath() const { return currentPath_; }

    // Values of the open key. A missing string reads as ""; a missing
    // integer or binary value, or a value of another type, raises
    // ERegistryException "Invalid data type for '<name>'". Every value
    // operation without an open key raises "No key is open".
    bool ValueExists(const std::string& name) const;
    TRegDataType GetDataType(const std::string& name) const;
    Integer GetDataSize(const std::string& name) const;
    std::string ReadString(const std::string& name) const;
    void WriteString(const std::string& name, const std::string& value);
    Integer ReadInteger(const std::string& name) const;
    void WriteInteger(const std::string& name, Integer value);
    std::vector<Byte> ReadBinaryData(const std::string& name) const;
    void WriteBinaryData(const std::string& name, const std::vector<Byte>& data);
    bool DeleteValue(const std::string& name);
    std::vector<std::string> GetValueNames() const;
    std::vector<std::string> GetKeyNames() const;

    // The folder that holds the root keys (the program folder's
    // "registry/").
    static std::string StoreFolder();
    // "HKEY_CURRENT_USER"..., empty for an unknown root.
    static std::string RootKeyName(HKEY root);

private:
    // The folder of a key path; empty when the path is not usable.
    std::string FolderOf(const std::string& key) const;
    std::string ResolvedPath(const std::string& key) const;
    std::string ValuesFile() const;
    bool ReadRaw(const std::string& name, char& type, std::string& data) const;
    void WriteRaw(const std::string& name, char type, const std::string& data);

    HKEY rootKey_ = HKEY_CURRENT_USER;
    bool lazyWrite_ = true;
    bool open_ = false;
    std::string currentPath_;
};
