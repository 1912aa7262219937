#pragma once
// Running the independent readers that check written files: python3 with
// xlrd and olefile for workbooks, LibreOffice headless for conversions,
// poppler's pdftotext and pdftoppm, unrtf. A test whose reader is missing
// fails and names it: scripts/deps.sh installs every one of them.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

namespace checkers {

// Output (stdout and stderr) of a shell command; rc gets its exit status.
inline std::string Run(const std::string& cmd, int* rc = nullptr) {
    std::string out;
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p) {
        if (rc) *rc = -1;
        return out;
    }
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int status = pclose(p);
    if (rc) *rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

inline bool HaveTool(const std::string& name) {
    return std::system(("command -v " + name + " > /dev/null 2>&1").c_str()) == 0;
}

// The system's python, where the Debian modules are installed.
inline std::string Python() {
    return std::ifstream("/usr/bin/python3").good() ? "/usr/bin/python3" : "python3";
}

inline bool HavePythonModule(const std::string& module) {
    return std::system((Python() + " -c 'import " + module + "' > /dev/null 2>&1").c_str()) == 0;
}

// "" when every reader named is installed, otherwise which are missing;
// names starting with "python3-" are python modules.
inline std::string MissingReaders(std::initializer_list<const char*> names) {
    std::string missing;
    for (std::string n : names) {
        const bool module = n.rfind("python3-", 0) == 0;
        if (module ? HavePythonModule(n.substr(8)) : HaveTool(n)) continue;
        missing += (missing.empty() ? "" : ", ") + n;
    }
    return missing.empty() ? missing : missing + " not installed (scripts/deps.sh installs the readers)";
}

// A fresh empty folder under /tmp whose name says who made it.
inline std::string TempFolder(const std::string& tag) {
    std::string pattern = "/tmp/docx-" + tag + "-XXXXXX";
    char* made = mkdtemp(pattern.data());
    return made ? std::string(made) : std::string("/tmp");
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void RemoveTree(const std::string& folder) {
    if (folder.rfind("/tmp/docx-", 0) == 0) std::system(("rm -rf '" + folder + "'").c_str());
}

// Opens the compound file with olefile in strict mode (every defect it
// notices is an error) and lists its streams; "" when it reads cleanly,
// otherwise what olefile said.
inline std::string OlefileStrictProblems(const std::string& path) {
    int rc = 0;
    std::string out = Run(Python() +
                              " -c \"import sys, olefile\n"
                              "f = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)\n"
                              "assert f.exists('Book'), 'no Book stream'\n"
                              "f.openstream('Book').read()\n\" '" +
                              path + "'",
                          &rc);
    return rc == 0 ? std::string() : (out.empty() ? std::string("olefile failed") : out);
}

// Every non-empty cell xlrd reads with formatting information on, as
// "sheet!row,col=value" lines; a python error ends the text.
inline std::string XlrdCells(const std::string& path) {
    return Run(Python() +
               " -c \"import sys, xlrd\n"
               "b = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
               "for s in b.sheets():\n"
               "  for r in range(s.nrows):\n"
               "    for c in range(s.ncols):\n"
               "      v = s.cell_value(r, c)\n"
               "      if v != '': print('%s!%d,%d=%r' % (s.name, r, c, v))\n\" '" +
               path + "'");
}

// Converts a file with LibreOffice headless into the folder (private
// profile, so runs never meet); returns the converted file's path or "".
inline std::string LibreOfficeConvert(const std::string& input, const std::string& toFormat,
                                      const std::string& folder) {
    std::string profile = "file://" + folder + "/lo-profile";
    Run("timeout 180 soffice -env:UserInstallation=" + profile + " --headless --norestore --convert-to " +
        toFormat + " --outdir '" + folder + "' '" + input + "'");
    std::string base = input.substr(input.find_last_of('/') + 1);
    base = base.substr(0, base.find_last_of('.'));
    std::string ext = toFormat.substr(0, toFormat.find(':'));
    std::string out = folder + "/" + base + "." + ext;
    return std::ifstream(out).good() ? out : std::string();
}

}  // namespace checkers
