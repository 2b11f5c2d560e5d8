// kredhost: loads KREDITOR.DLL the way the game does, serves a level of its
// own and runs a scenario of commands and checks (docs/scenario.md).
#include "host_cmd.h"

#include <stdio.h>
#include <stdlib.h>

static void Usage() {
  fprintf(stderr,
          "usage: kredhost (--level FILE.lvl | --gen-level SECTORS WALLS) --script FILE.scn\n"
          "                [--out DIR] [--dll PATH] [--level-name NAME] [--timeout SECONDS]\n"
          "                [--quiet] [--check-script]\n"
          "       kredhost --level FILE.lvl --check-level\n");
}

int main(int argc, char **argv) {
  HostOutInit();
  HostInitService();

  std::string szScript, szLevelName, szLevelPath;
  bool bLevelNameGiven = false, bCheckOnly = false, bCheckScript = false;
  long long llGenSectors = 0, llGenWalls = 0;
  DWORD dwTimeout = 120;
  gszOutDir = ".";
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    bool bHasArg = i + 1 < argc;
    if (a == "--level" && bHasArg)
      szLevelPath = argv[++i];
    else if (a == "--script" && bHasArg)
      szScript = argv[++i];
    else if (a == "--out" && bHasArg)
      gszOutDir = argv[++i];
    else if (a == "--dll" && bHasArg)
      gszDllPath = argv[++i];
    else if (a == "--level-name" && bHasArg) {
      szLevelName = argv[++i];
      bLevelNameGiven = true;
    } else if (a == "--timeout" && bHasArg)
      dwTimeout = (DWORD)strtoul(argv[++i], nullptr, 10);
    else if (a == "--gen-level" && i + 2 < argc) {
      llGenSectors = strtoll(argv[++i], nullptr, 10);
      llGenWalls = strtoll(argv[++i], nullptr, 10);
    } else if (a == "--quiet")
      gbQuiet = true;
    else if (a == "--check-level")
      bCheckOnly = true;
    else if (a == "--check-script")
      bCheckScript = true;
    else {
      Usage();
      return 2;
    }
  }
  if ((szLevelPath.empty() == (llGenSectors == 0)) || (szScript.empty() && !bCheckOnly)) {
    Usage();
    return 2;
  }

  std::string err;
  LEVEL lvl;
  bool bLevelOk = szLevelPath.empty() ? LevelGenerate((int)llGenSectors, (int)llGenWalls, lvl, err)
                                      : LevelLoad(szLevelPath.c_str(), lvl, err);
  if (!bLevelOk) {
    fprintf(stderr, "%s\n", err.c_str());
    return 2;
  }
  gLevel = std::move(lvl);
  if (bCheckOnly) {
    size_t nWalls = 0;
    for (const LVL_SECTOR &s : gLevel.sectors)
      nWalls += s.walls.size();
    printf("%s: %zu sectors, %zu walls, %zu textures, %zu actors\n", szLevelPath.c_str(),
           gLevel.sectors.size(), nWalls, gLevel.textures.size(), gLevel.actors.size());
    return 0;
  }

  gszScriptName = szScript;
  gszScriptDir = DirOf(szScript);
  std::vector<CMD> cmds;
  if (!ReadScenario(szScript, cmds))
    return 2;
  if (bCheckScript) {
    printf("%s: %zu commands\n", szScript.c_str(), cmds.size());
    return 0;
  }

  if (gszDllPath.empty()) {
    char sz[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, sz, sizeof(sz));
    gszDllPath = JoinPath(DirOf(std::string(sz, n)), "KREDITOR.DLL");
  }
  if (!bLevelNameGiven) {
    // The level's own name without its extension, in the output folder.
    std::string base = szLevelPath.empty() ? std::string("generated") : szLevelPath;
    size_t p = base.find_last_of("/\\");
    if (p != std::string::npos)
      base = base.substr(p + 1);
    size_t d = base.find_last_of('.');
    if (d != std::string::npos && d > 0)
      base = base.substr(0, d);
    szLevelName = JoinPath(gszOutDir, base);
  }
  HostSetLevelName(szLevelName.c_str());

  gPlayer.x = gLevel.fStartX;
  gPlayer.y = gLevel.fStartY;
  gPlayer.sHeading = gLevel.sStartHeading;
  gPlayer.iSector = gLevel.dwStartSector != 0xFFFFFFFFu
                        ? LevelSectorByTag(gLevel, gLevel.dwStartSector)
                        : LevelFindSector(gLevel, gLevel.fStartX, gLevel.fStartY);
  if (gPlayer.iSector < 0)
    gPlayer.iSector = 0;

  // Park the real pointer in a corner, away from the editor's windows, so
  // that no real mouse move mixes with the view commands' messages.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);

  // The records the editor sends are compared with the level as read until
  // the scenario marks it again.
  HostMarkLevel();

  giBaseThreads = WinCountThreads() + 1; // with the watcher about to start
  WinStartWatcher(dwTimeout);

  for (const CMD &c : cmds) {
    giCurLine = c.iLine;
    if (!gbQuiet) {
      std::string s = c.tok[0].s;
      for (size_t i = 1; i < c.tok.size() && s.size() < 100; i++)
        s += c.tok[i].bQuoted ? " \"" + c.tok[i].s + "\"" : " " + c.tok[i].s;
      HostOut("%d: %s", c.iLine, s.c_str());
    }
    int iFailedBefore = giFailed;
    FindCmd(c.tok[0].s)->pfn(c);
    if (giFailed > iFailedBefore && !gbKeepGoing) {
      HostOut("stopping after the failure on line %d", c.iLine);
      break;
    }
  }
  HostExit(0);
  return 0;
}
