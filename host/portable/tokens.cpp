// Line tokenizer of the replacement host's text formats.
#include "tokens.h"

static bool tok_IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

bool TokNextLine(const std::string &text, size_t &pos, std::string &line) {
  if (pos >= text.size())
    return false;
  size_t eol = text.find('\n', pos);
  if (eol == std::string::npos)
    eol = text.size();
  line.assign(text, pos, eol - pos);
  pos = eol + 1;
  return true;
}

const char *TokSplit(const std::string &line, std::vector<TOKEN> &tok) {
  tok.clear();
  size_t i = 0, n = line.size();
  while (i < n) {
    if (tok_IsBlank(line[i])) {
      i++;
      continue;
    }
    if (line[i] == '#')
      break;
    TOKEN t;
    t.bQuoted = false;
    while (i < n && !tok_IsBlank(line[i])) {
      if (line[i] != '"') {
        t.s += line[i++];
        continue;
      }
      t.bQuoted = true;
      i++;
      bool bClosed = false;
      while (i < n) {
        char d = line[i++];
        if (d == '\\' && i < n && (line[i] == '"' || line[i] == '\\')) {
          t.s += line[i++];
        } else if (d == '"') {
          bClosed = true;
          break;
        } else {
          t.s += d;
        }
      }
      if (!bClosed)
        return "unterminated quoted text";
    }
    tok.push_back(t);
  }
  return nullptr;
}
