#pragma once
// A fresh program folder for one test: OMR_HOME points at a new empty
// directory that is removed again afterwards.

#include <cstdlib>
#include <string>

#include "platform/core/tests/TextTestSupport.h"

class TestHome {
public:
    TestHome() {
        const char* old = std::getenv("OMR_HOME");
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        setenv("OMR_HOME", folder_.Path().c_str(), 1);
    }
    ~TestHome() {
        if (hadOld_) setenv("OMR_HOME", old_.c_str(), 1);
        else unsetenv("OMR_HOME");
    }
    // Folder with a trailing "/".
    std::string Dir() const { return folder_.Path(); }

private:
    TempFolder folder_;
    std::string old_;
    bool hadOld_ = false;
};
