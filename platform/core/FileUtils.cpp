#include "platform/core/FileUtils.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& dir) {
    if (dir.empty()) return false;
    std::error_code ec;
    fs::create_directories(ExcludeTrailingPathDelimiter(dir), ec);
    return DirectoryExists(dir);
}

bool DeleteFile(const std::string& path) {
    if (DirectoryExists(path)) return false;
    return ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& oldName, const std::string& newName) {
    struct stat st;
    if (::lstat(newName.c_str(), &st) == 0) return false;
    return std::rename(oldName.c_str(), newName.c_str()) == 0;
}

bool CopyFileTo(const std::string& source, const std::string& target, bool failIfExists) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st;
    if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) { ::close(in); return false; }
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
    const int out = ::open(target.c_str(), flags, 0666);
    if (out < 0) { ::close(in); return false; }
    std::vector<char> buf(64 * 1024);
    bool ok = true;
    while (ok) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0) { if (errno == EINTR) continue; ok = false; break; }
        if (n == 0) break;
        ssize_t done = 0;
        while (done < n) {
            const ssize_t w = ::write(out, buf.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0) { if (errno == EINTR) continue; ok = false; break; }
            done += w;
        }
    }
    ::close(in);
    if (::close(out) != 0) ok = false;
    if (!ok) ::unlink(target.c_str());
    return ok;
}

Int64 FileSize(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return static_cast<Int64>(st.st_size);
}

std::string ExtractFileName(std::string_view path) {
    const std::size_t at = path.rfind(PathDelim);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string ExtractFilePath(std::string_view path) {
    const std::size_t at = path.rfind(PathDelim);
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

std::string ExtractFileDir(std::string_view path) {
    const std::size_t at = path.rfind(PathDelim);
    if (at == std::string_view::npos) return {};
    if (at == 0) return "/";
    return std::string(path.substr(0, at));
}

std::string ExtractFileExt(std::string_view path) {
    const std::size_t slash = path.rfind(PathDelim);
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
    return std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const std::string old = ExtractFileExt(path);
    return std::string(path.substr(0, path.size() - old.size())) + std::string(ext);
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
    std::string r(path);
    if (r.empty() || r.back() != PathDelim) r += PathDelim;
    return r;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
    std::string r(path);
    if (r.size() > 1 && r.back() == PathDelim) r.pop_back();
    return r;
}

std::string ExpandFileName(std::string_view path) {
    if (path.empty()) return {};
    std::string full(path);
    if (full.front() != PathDelim) {
        std::error_code ec;
        std::string cwd = fs::current_path(ec).string();
        full = IncludeTrailingPathDelimiter(cwd) + full;
    }
    // Resolve "." and ".." by hand; keep a trailing delimiter if there was one.
    const bool trailing = full.back() == PathDelim;
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < full.size()) {
        std::size_t j = full.find(PathDelim, i);
        if (j == std::string::npos) j = full.size();
        const std::string part = full.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string r;
    for (const auto& p : parts) r += PathDelim + p;
    if (r.empty() || trailing) r += PathDelim;
    return r;
}
