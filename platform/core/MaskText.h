#pragma once
// Text laid out by an input mask, as an edit box with that mask shows it.
//
// A mask has up to three fields separated by ";": the mask itself, whether
// the literal characters are kept in the value ("0": not kept, so they are
// inserted here; anything else: the value holds them already) and the
// character shown for a position the value does not fill ("_" by default).
// Mask characters: L l (letter), A a (letter or digit), C c (any
// character), 0 9 # (digit) take one character of the value each; > and <
// turn the characters after them to upper or lower case (<> back to as
// typed); \ makes the next character a literal; / and : are the date and
// time separators; ! only says where blanks go and shows nothing; every
// other character is a literal.

#include <string>

std::string FormatMaskText(const std::string& editMask, const std::string& value);
