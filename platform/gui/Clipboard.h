#pragma once
// The clipboard's text.

#include <string>

class TClipboard {
public:
    std::string AsText() const;
    void SetAsText(const std::string& text);
    bool HasText() const;
    void Clear();
};

TClipboard* Clipboard();
