// Files and the registry.
#include "host_cmd.h"

#include <stdio.h>

bool cmd_ExpectFile(const CMD &c) {
  std::string szPath = ResolvePath(c.tok[1].s);
  std::string data;
  bool bHave = ReadFileBytes(szPath, data);
  if (c.tok[0].s == "expect-no-file")
    return Check(!bHave, "file %s exists", szPath.c_str());
  if (!Check(bHave, "no file %s", szPath.c_str()))
    return false;
  if (c.tok[0].s == "expect-file-contains") {
    const std::string &want = c.tok[2].s;
    return Check(data.find(want) != std::string::npos, "%s does not contain \"%s\"", szPath.c_str(),
                 want.c_str());
  }
  if (c.tok.size() > 2) {
    if (!IsWord(c, 2, "same-as") || c.tok.size() != 4)
      ScriptError(c.iLine, "expect-file PATH [same-as EXPECTED]");
    std::string szOther = ResolvePath(c.tok[3].s), other;
    if (!Check(ReadFileBytes(szOther, other), "no file %s", szOther.c_str()))
      return false;
    size_t k = 0;
    while (k < data.size() && k < other.size() && data[k] == other[k])
      k++;
    return Check(data == other, "%s differs from %s at byte %zu (%zu and %zu bytes)",
                 szPath.c_str(), szOther.c_str(), k, data.size(), other.size());
  }
  return true;
}

bool cmd_CopyFile(const CMD &c) {
  std::string a = ResolvePath(c.tok[1].s), b = ResolvePath(c.tok[2].s);
  return Act(CopyFileA(a.c_str(), b.c_str(), FALSE) != 0, "cannot copy %s to %s", a.c_str(),
             b.c_str());
}

bool cmd_DeleteFile(const CMD &c) {
  std::string a = ResolvePath(c.tok[1].s);
  DeleteFileA(a.c_str()); // a missing file is fine
  return true;
}

bool cmd_MakeDir(const CMD &c) {
  std::string a = ResolvePath(c.tok[1].s);
  if (CreateDirectoryA(a.c_str(), NULL))
    return true;
  return Act(GetLastError() == ERROR_ALREADY_EXISTS, "cannot create folder %s", a.c_str());
}

static const char szToolsKey[] = "Software\\Meridane Entertainment Company\\Keldrun\\Tools";

bool cmd_Reg(const CMD &c) {
  const std::string &kw = c.tok[0].s;
  if (kw == "reg-delete-key") {
    LONG r = RegDeleteKeyA(HKEY_LOCAL_MACHINE, szToolsKey);
    return Act(r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND, "RegDeleteKey: error %ld", r);
  }
  if (kw == "reg-set") {
    HKEY hk;
    LONG r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, szToolsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hk,
                             nullptr);
    if (!Act(r == ERROR_SUCCESS, "RegCreateKeyEx: error %ld", r))
      return false;
    const std::string &v = c.tok[2].s;
    r = RegSetValueExA(hk, c.tok[1].s.c_str(), 0, REG_SZ, (const BYTE *)v.c_str(),
                       (DWORD)v.size() + 1);
    RegCloseKey(hk);
    return Act(r == ERROR_SUCCESS, "RegSetValueEx: error %ld", r);
  }
  // expect-reg VALUE TEXT, or expect-reg VALUE none for a missing value
  HKEY hk;
  char sz[1024] = "";
  DWORD cb = sizeof(sz) - 1, dwType = 0;
  bool bHave = RegOpenKeyExA(HKEY_LOCAL_MACHINE, szToolsKey, 0, KEY_READ, &hk) == ERROR_SUCCESS;
  if (bHave) {
    bHave = RegQueryValueExA(hk, c.tok[1].s.c_str(), nullptr, &dwType, (BYTE *)sz, &cb) ==
            ERROR_SUCCESS;
    RegCloseKey(hk);
  }
  if (IsWord(c, 2, "none"))
    return Check(!bHave, "value \"%s\" exists: \"%s\"", c.tok[1].s.c_str(), sz);
  if (!Check(bHave, "no value \"%s\"", c.tok[1].s.c_str()))
    return false;
  return Check(dwType == REG_SZ && c.tok[2].s == sz,
               "value \"%s\" is \"%s\" (type %lu), expected \"%s\"", c.tok[1].s.c_str(), sz,
               (unsigned long)dwType, c.tok[2].s.c_str());
}

bool cmd_KeepGoing(const CMD &) {
  gbKeepGoing = true;
  return true;
}
