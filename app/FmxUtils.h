#pragma once
// Small file utilities: copying a file and testing a file's attributes.

#include <string>

// Attribute bits of FileHasAttributes.
constexpr int faReadOnly = 0x01;
constexpr int faDirectory = 0x10;

// Copies source to dest (created or truncated). A dest naming an existing
// folder receives the copy under the source's own name. Raises EFOpenError
// "Cannot open file %s" when the source cannot be read and EFCreateError
// "Cannot create file %s" when the destination cannot be made.
void CopyFile(const std::string& source, const std::string& dest);

// True when the file's attributes can be read and hold every bit of
// `attributes`; false for a file that does not exist.
bool FileHasAttributes(const std::string& fileName, int attributes);
