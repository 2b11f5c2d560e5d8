// Line tokenizer shared by the scenario reader and the level file reader.
// Portable: no platform headers, compiled natively into the unit tests.
#pragma once

#include <string>
#include <vector>

struct TOKEN {
  std::string s;
  bool bQuoted; // some piece of it was in quotes
};

// The line of text that starts at pos, without its '\n'; pos moves past it.
// False at the end of the text.
bool TokNextLine(const std::string &text, size_t &pos, std::string &line);

// Splits a line into tokens: blanks (space, tab, CR) separate, '#' outside
// quotes starts a comment, "..." quotes with \" and \\ escapes, and quoted
// and unquoted pieces next to each other form one token (title:"A B").
// Returns null, or what is wrong with the line.
const char *TokSplit(const std::string &line, std::vector<TOKEN> &tok);
