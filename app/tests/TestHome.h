#pragma once
// A fresh program folder for one test: OMR_HOME points at a new empty
// directory that is removed again afterwards.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

class TestHome {
public:
    TestHome() {
        char tmpl[] = "/tmp/omrhomeXXXXXX";
        dir_ = mkdtemp(tmpl);
        const char* old = std::getenv("OMR_HOME");
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        setenv("OMR_HOME", dir_.c_str(), 1);
    }
    ~TestHome() {
        if (hadOld_) setenv("OMR_HOME", old_.c_str(), 1);
        else unsetenv("OMR_HOME");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    // Folder with a trailing "/".
    std::string Dir() const { return dir_ + "/"; }

private:
    std::string dir_;
    std::string old_;
    bool hadOld_ = false;
};
