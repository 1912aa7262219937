#pragma once
// Link detection in engine texts: web and ftp addresses, "www." names, mail
// addresses and file paths, which formats turn into hyperlinks.

#include <string>

// The next link in text at or after startPos (1-based byte position; 0
// counts as 1). When one is found, startPos becomes its position, link holds
// it and the result is true; otherwise link is empty and startPos unchanged.
bool FindLink(const std::string& text, int& startPos, std::string& link);
