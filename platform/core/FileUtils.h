#pragma once
// File and path helpers with the platform's names. Paths use "/" as the
// delimiter. The Boolean operations report failure by returning false.

#include <string>
#include <string_view>

#include "platform/core/Types.h"

constexpr char PathDelim = '/';

// A regular file (or a link to one); false for folders.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the folder and any missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& dir);
bool DeleteFile(const std::string& path);
// Refuses (false) when newName already exists, so nothing is overwritten.
bool RenameFile(const std::string& oldName, const std::string& newName);
// Copies a file's bytes; false when the source cannot be read, the target
// exists and failIfExists is set, or the target cannot be written (a partly
// written target is removed).
bool CopyFileTo(const std::string& source, const std::string& target, bool failIfExists = true);
// Size in bytes; -1 when the file does not exist.
Int64 FileSize(const std::string& path);

// "dir/name.ext" -> "name.ext"
std::string ExtractFileName(std::string_view path);
// "dir/name.ext" -> "dir/" (with the delimiter)
std::string ExtractFilePath(std::string_view path);
// "dir/name.ext" -> "dir" (without the delimiter, except for the root "/")
std::string ExtractFileDir(std::string_view path);
// "dir/name.ext" -> ".ext"; empty when the name has no dot.
std::string ExtractFileExt(std::string_view path);
// Replaces (or appends) the extension; ext includes its dot or is empty.
std::string ChangeFileExt(std::string_view path, std::string_view ext);
std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);
// Absolute form against the current folder, with "." and ".." resolved
// textually (links are not followed).
std::string ExpandFileName(std::string_view path);
