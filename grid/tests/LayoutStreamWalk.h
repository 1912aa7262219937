#pragma once
// Walks a layout stream's top level with the platform's filer alone: the
// component's class name, each property name in order and, for the few a
// test asks about, their values.

#include <map>
#include <string>
#include <vector>

#include "platform/core/Filer.h"
#include "platform/core/Streams.h"

struct TLayoutWalk {
    std::string ClassName;
    std::vector<std::string> Names;
    std::map<std::string, std::string> Strings;  // string values
    std::map<std::string, bool> Booleans;        // Boolean values
    bool Has(const std::string& name) const {
        for (const std::string& n : Names)
            if (n == name) return true;
        return false;
    }
};

// The grid's collections name each item property as a string value, so
// they are skipped here rather than by the filer's own skipping.
inline void SkipLayoutValue(TReader& r) {
    if (r.NextValue() != vaCollection) {
        r.SkipValue();
        return;
    }
    r.ReadValue();
    while (!r.EndOfList()) {
        r.ReadListBegin();
        while (!r.EndOfList()) {
            r.ReadString();
            SkipLayoutValue(r);
        }
        r.ReadListEnd();
    }
    r.ReadListEnd();
}

inline TLayoutWalk WalkLayout(const std::string& bytes) {
    TStringStream s(bytes);
    TReader r(s);
    TLayoutWalk w;
    w.ClassName = r.ReadString();
    r.ReadString();
    while (!r.EndOfList()) {
        std::string name = r.ReadString();
        w.Names.push_back(name);
        TValueType v = r.NextValue();
        if (v == vaString || v == vaLString) w.Strings[name] = r.ReadString();
        else if (v == vaTrue || v == vaFalse) w.Booleans[name] = r.ReadBoolean();
        else SkipLayoutValue(r);
    }
    r.ReadListEnd();
    return w;
}
