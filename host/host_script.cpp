// Scenario text and the run's outcome: output, failures and passed checks,
// the scenario reader and the argument and path helpers of the commands.
#include "host_cmd.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

std::atomic<int> giCurLine{0};
std::string gszScriptName;
int giPassed, giFailed;
bool gbKeepGoing, gbQuiet;
std::string gszDllPath, gszOutDir, gszScriptDir;

static CRITICAL_SECTION csOut;
static bool bOutReady;

void HostOutInit() {
  InitializeCriticalSection(&csOut);
  bOutReady = true;
}

void HostOut(const char *szFmt, ...) {
  char sz[2048];
  va_list ap;
  va_start(ap, szFmt);
  vsnprintf(sz, sizeof(sz), szFmt, ap);
  va_end(ap);
  if (bOutReady)
    EnterCriticalSection(&csOut);
  fputs(sz, stdout);
  fputc('\n', stdout);
  fflush(stdout); // Wine's console buffers otherwise
  if (bOutReady)
    LeaveCriticalSection(&csOut);
}

void HostFail(const char *szFmt, ...) {
  char sz[1800];
  va_list ap;
  va_start(ap, szFmt);
  vsnprintf(sz, sizeof(sz), szFmt, ap);
  va_end(ap);
  giFailed++;
  HostOut("FAIL %s:%d: %s", gszScriptName.c_str(), giCurLine.load(), sz);
}

void HostTimeout() {
  HostFail("time-out: the run took longer than allowed (--timeout)");
  HostOut("%d passed, %d failed", giPassed, giFailed);
  ExitProcess(3);
}

// A failed action or check prints its message; a passed check counts.
bool Outcome(bool bCheck, bool bOk, const char *szFmt, ...) {
  if (bOk) {
    giPassed += bCheck ? 1 : 0;
    return true;
  }
  char sz[1800];
  va_list ap;
  va_start(ap, szFmt);
  vsnprintf(sz, sizeof(sz), szFmt, ap);
  va_end(ap);
  HostFail("%s", sz);
  return false;
}

[[noreturn]] void ScriptError(int iLine, const char *szFmt, ...) {
  char sz[1024];
  va_list ap;
  va_start(ap, szFmt);
  vsnprintf(sz, sizeof(sz), szFmt, ap);
  va_end(ap);
  fprintf(stderr, "%s:%d: %s\n", gszScriptName.c_str(), iLine, sz);
  fflush(stderr);
  HostExit(2);
  ExitProcess(2);
}

long long ArgInt(const CMD &c, size_t i) {
  if (i >= c.tok.size())
    ScriptError(c.iLine, "%s: missing value", c.tok[0].s.c_str());
  const std::string &s = c.tok[i].s;
  const char *p = s.c_str();
  bool bNeg = *p == '-';
  if (*p == '-' || *p == '+')
    p++;
  int iBase = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    iBase = 16;
    p += 2;
  }
  char *pEnd = nullptr;
  if (!*p || *p == '-' || *p == '+')
    ScriptError(c.iLine, "\"%s\" is not a number", s.c_str());
  unsigned long long u = strtoull(p, &pEnd, iBase);
  if (*pEnd)
    ScriptError(c.iLine, "\"%s\" is not a number", s.c_str());
  return bNeg ? -(long long)u : (long long)u;
}

uint32_t ArgU32(const CMD &c, size_t i) {
  long long v = ArgInt(c, i);
  if (v < -0x80000000ll || v > 0xFFFFFFFFll)
    ScriptError(c.iLine, "%s does not fit in 32 bits", c.tok[i].s.c_str());
  return (uint32_t)v;
}

double ArgFloat(const CMD &c, size_t i) {
  if (i >= c.tok.size())
    ScriptError(c.iLine, "%s: missing value", c.tok[0].s.c_str());
  const std::string &s = c.tok[i].s;
  char *pEnd = nullptr;
  double d = strtod(s.c_str(), &pEnd);
  if (s.empty() || *pEnd || !isfinite(d))
    ScriptError(c.iLine, "\"%s\" is not a number", s.c_str());
  return d;
}

bool IsWord(const CMD &c, size_t i, const char *sz) {
  return i < c.tok.size() && !c.tok[i].bQuoted && c.tok[i].s == sz;
}

bool IsAbsolute(const std::string &s) {
  return (!s.empty() && (s[0] == '/' || s[0] == '\\')) || (s.size() > 1 && s[1] == ':');
}

std::string JoinPath(const std::string &dir, const std::string &name) {
  if (dir.empty() || dir == ".")
    return name;
  char cLast = dir[dir.size() - 1];
  if (cLast == '/' || cLast == '\\')
    return dir + name;
  // Keep to the folder's own separator.
  bool bBackslash = dir.find('\\') != std::string::npos && dir.find('/') == std::string::npos;
  return dir + (bBackslash ? "\\" : "/") + name;
}

// "out:NAME" is in the output folder; other relative paths are taken from the
// scenario's folder.
std::string ResolvePath(const std::string &s) {
  if (s.compare(0, 4, "out:") == 0)
    return JoinPath(gszOutDir, s.substr(4));
  if (s.compare(0, 4, "dll:") == 0)
    return JoinPath(DirOf(gszDllPath), s.substr(4));
  if (IsAbsolute(s))
    return s;
  return JoinPath(gszScriptDir, s);
}

std::string DirOf(const std::string &s) {
  size_t p = s.find_last_of("/\\");
  return p == std::string::npos ? std::string(".") : s.substr(0, p);
}

bool ReadFileBytes(const std::string &szPath, std::string &out) {
  FILE *f = fopen(szPath.c_str(), "rb");
  if (!f)
    return false;
  out.clear();
  char buf[8192];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
    out.append(buf, n);
  fclose(f);
  return true;
}

bool ReadScenario(const std::string &szPath, std::vector<CMD> &cmds) {
  std::string text;
  if (!ReadFileBytes(szPath, text)) {
    fprintf(stderr, "%s: cannot read\n", szPath.c_str());
    return false;
  }
  size_t pos = 0;
  int iLine = 0;
  std::string line;
  // Open "repeat" blocks: where each starts in cmds, and how often it runs.
  std::vector<std::pair<size_t, int>> repeats;
  while (TokNextLine(text, pos, line)) {
    iLine++;
    CMD c;
    c.iLine = iLine;
    if (const char *szErr = TokSplit(line, c.tok)) {
      fprintf(stderr, "%s:%d: %s\n", gszScriptName.c_str(), iLine, szErr);
      return false;
    }
    if (c.tok.empty())
      continue;
    const CMD_DEF *d = FindCmd(c.tok[0].s);
    if (!d || c.tok[0].bQuoted) {
      fprintf(stderr, "%s:%d: unknown command \"%s\"\n", gszScriptName.c_str(), iLine,
              c.tok[0].s.c_str());
      return false;
    }
    int n = (int)c.tok.size() - 1;
    if (n < d->iMin || n > d->iMax) {
      fprintf(stderr, "%s:%d: %s takes %d to %d arguments, found %d\n", gszScriptName.c_str(),
              iLine, d->szName, d->iMin, d->iMax, n);
      return false;
    }
    if (d->pfnCheck)
      d->pfnCheck(c);
    if (c.tok[0].s == "repeat") {
      long long nTimes = ArgInt(c, 1);
      if (nTimes < 1 || nTimes > 10000)
        ScriptError(iLine, "repeat: N must be 1 to 10000");
      repeats.push_back(std::make_pair(cmds.size(), (int)nTimes));
      continue;
    }
    if (c.tok[0].s == "end") {
      if (repeats.empty())
        ScriptError(iLine, "\"end\" without \"repeat\"");
      size_t iFirst = repeats.back().first;
      int nTimes = repeats.back().second;
      repeats.pop_back();
      std::vector<CMD> block(cmds.begin() + (long)iFirst, cmds.end());
      if (block.size() * (size_t)nTimes > 1000000)
        ScriptError(iLine, "repeat: too many commands");
      for (int k = 1; k < nTimes; k++)
        cmds.insert(cmds.end(), block.begin(), block.end());
      continue;
    }
    cmds.push_back(c);
  }
  if (!repeats.empty())
    ScriptError(iLine, "\"repeat\" without \"end\"");
  return true;
}
