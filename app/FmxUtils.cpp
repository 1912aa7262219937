// File copy and attribute test.

#include "app/FmxUtils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Format.h"
#include "platform/core/Streams.h"

namespace {
constexpr Integer kCopyBlock = 8192;
}

bool FileHasAttributes(const std::string& fileName, int attributes) {
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0) return false;
    int held = 0;
    if (S_ISDIR(info.st_mode)) held |= faDirectory;
    if (::access(fileName.c_str(), W_OK) != 0) held |= faReadOnly;
    return (held & attributes) == attributes;
}

void CopyFile(const std::string& source, const std::string& dest) {
    std::string target = ExpandFileName(dest);
    if (FileHasAttributes(target, faDirectory)) target = IncludeTrailingPathDelimiter(target) + ExtractFileName(source);
    std::unique_ptr<TFileStream> in;
    try {
        in = std::make_unique<TFileStream>(source, fmOpenRead | fmShareDenyWrite);
    } catch (const std::exception&) {
        throw EFOpenError(Format("Cannot open file %s", {source}));
    }
    std::unique_ptr<TFileStream> out;
    try {
        out = std::make_unique<TFileStream>(target, fmCreate);
    } catch (const std::exception&) {
        throw EFCreateError(Format("Cannot create file %s", {target}));
    }
    std::vector<char> buffer(static_cast<std::size_t>(kCopyBlock));
    for (;;) {
        const Integer got = in->Read(buffer.data(), kCopyBlock);
        if (got > 0) out->WriteBuffer(buffer.data(), got);
        if (got < kCopyBlock) break;
    }
}
