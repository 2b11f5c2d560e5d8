// Records the editor sent to the game (requests 3000 and 2110) since the
// last mark of the level, and the checks that compare them, field by field,
// with what they were asked to change and with the level at the mark.
#include "host_fields.h"

#include <math.h>
#include <string.h>

#include <map>

struct SENT_SECTOR {
  SECTOR_DATA sd; // the last record received
  int n;          // records received since the mark
};

struct SENT_WALL {
  WALL_DATA wd;
  int n;
};

// All under gcsLevel. The level's sectors and walls never move, so the mark
// is kept by sector and wall index.
static std::map<uint32_t, SENT_SECTOR> sentSectors;
static std::map<std::pair<uint32_t, uint32_t>, SENT_WALL> sentWalls;
static std::vector<SECTOR_DATA> markSectors;
static std::vector<std::vector<WALL_DATA>> markWalls;

void HostSentSector(const SECTOR_DATA &sd) {
  SENT_SECTOR &e = sentSectors[sd.dwSectorTag];
  e.sd = sd;
  e.n++;
}

void HostSentWall(uint32_t dwSector, uint32_t dwWall, const WALL_DATA &wd) {
  SENT_WALL &e = sentWalls[std::make_pair(dwSector, dwWall)];
  e.wd = wd;
  e.n++;
}

void HostMarkLevel() {
  EnterCriticalSection(&gcsLevel);
  markSectors.resize(gLevel.sectors.size());
  markWalls.resize(gLevel.sectors.size());
  for (size_t i = 0; i < gLevel.sectors.size(); i++) {
    const LVL_SECTOR &s = gLevel.sectors[i];
    markSectors[i] = s.sd;
    markSectors[i].bOrdinal = 0; // as request 2000 by tag answers
    markWalls[i].clear();
    for (const LVL_WALL &w : s.walls)
      markWalls[i].push_back(w.wd);
  }
  sentSectors.clear();
  sentWalls.clear();
  LeaveCriticalSection(&gcsLevel);
}

bool cmd_MarkLevel(const CMD &) {
  HostMarkLevel();
  return true;
}

// ---- expect-sector-sent, expect-wall-sent and their negations

enum { SW_ANY, SW_NEAR, SW_EXACT, SW_TEXT };

struct SENT_WANT {
  const FIELD *f;
  int iKind;
  double d;      // SW_NEAR
  std::string s; // SW_TEXT
};

struct SENT_CHECK {
  bool bWall, bNone;
  int iSector, iWall; // indices in the level
  uint32_t dwSector, dwWall;
  std::string szWhat; // "sector 0x11", "wall 0x1101 of sector 0x11"
  long long llCount;  // -1: at least one
  DWORD dwMs;
  std::vector<SENT_WANT> want;
  SECTOR_DATA exact; // SW_EXACT values, in place (a wall uses the first bytes)
};

// What the host holds for the check: the last record received, how many,
// and the record at the mark (a wall's in the first bytes).
struct SENT_STATE {
  int n;
  SECTOR_DATA rec, mark;
};

static void ParseSent(const CMD &c, SENT_CHECK &sc) {
  const std::string &kw = c.tok[0].s;
  sc.bWall = kw.find("wall") != std::string::npos;
  sc.bNone = kw.compare(0, 10, "expect-no-") == 0;
  size_t i;
  if (sc.bWall) {
    sc.iWall = NeedWall(c, 1, 2, &sc.iSector);
    sc.dwWall = (uint32_t)ArgInt(c, 2);
    sc.szWhat = "wall " + c.tok[2].s + " of sector " + c.tok[1].s;
    i = 3;
  } else {
    sc.iSector = NeedSector(c, 1);
    sc.iWall = -1;
    sc.dwWall = 0;
    sc.szWhat = "sector " + c.tok[1].s;
    i = 2;
  }
  sc.dwSector = (uint32_t)ArgInt(c, 1);
  sc.llCount = sc.bNone ? 0 : -1;
  sc.dwMs = 0;
  memset(&sc.exact, 0, sizeof(sc.exact));
  const FIELD_SET &fs = sc.bWall ? gWallFields : gSectorFields;
  for (; i < c.tok.size(); i++) {
    if (IsWord(c, i, "count") && !sc.bNone) {
      sc.llCount = ArgInt(c, ++i);
      if (sc.llCount < 0)
        ScriptError(c.iLine, "%s: count must be 0 or more", kw.c_str());
      continue;
    }
    if (IsWord(c, i, "within")) {
      sc.dwMs = (DWORD)ArgInt(c, ++i);
      continue;
    }
    if (sc.bNone)
      ScriptError(c.iLine, "%s %s [within MS]", kw.c_str(),
                  sc.bWall ? "SECTOR_TAG WALL_TAG" : "TAG");
    SENT_WANT w;
    w.f = &NeedField(c, i, fs);
    for (const SENT_WANT &o : sc.want)
      if (o.f == w.f)
        ScriptError(c.iLine, "%s: field %s is listed twice", kw.c_str(), w.f->szName);
    if (++i >= c.tok.size())
      ScriptError(c.iLine, "%s: no value for %s", kw.c_str(), w.f->szName);
    const TOKEN &t = c.tok[i];
    w.d = 0;
    if (!t.bQuoted && t.s == "any") {
      w.iKind = SW_ANY;
    } else if (w.f->iType == FT_TEXT) {
      w.iKind = SW_TEXT;
      w.s = t.s;
      if (w.s.size() > w.f->nSize)
        ScriptError(c.iLine, "%s takes at most %zu characters", w.f->szName, w.f->nSize);
    } else if (!t.bQuoted && !t.s.empty() && t.s[0] == '=') {
      // Exactly: the value as the field stores it, bit for bit.
      w.iKind = SW_EXACT;
      CMD cv = c;
      cv.tok[i].s = t.s.substr(1);
      FieldStore(cv, i, *w.f, &sc.exact);
    } else {
      w.iKind = SW_NEAR;
      w.d = ArgFloat(c, i);
    }
    sc.want.push_back(w);
  }
}

bool chk_ExpectSent(const CMD &c) {
  SENT_CHECK sc;
  ParseSent(c, sc);
  return true;
}

static void SentSnapshot(const SENT_CHECK &sc, SENT_STATE &st) {
  memset(&st, 0, sizeof(st));
  EnterCriticalSection(&gcsLevel);
  if (sc.bWall) {
    auto it = sentWalls.find(std::make_pair(sc.dwSector, sc.dwWall));
    if (it != sentWalls.end()) {
      st.n = it->second.n;
      memcpy(&st.rec, &it->second.wd, sizeof(WALL_DATA));
    }
    memcpy(&st.mark, &markWalls[(size_t)sc.iSector][(size_t)sc.iWall], sizeof(WALL_DATA));
  } else {
    auto it = sentSectors.find(sc.dwSector);
    if (it != sentSectors.end()) {
      st.n = it->second.n;
      st.rec = it->second.sd;
    }
    st.mark = markSectors[(size_t)sc.iSector];
  }
  LeaveCriticalSection(&gcsLevel);
}

static const SENT_WANT *FindWant(const SENT_CHECK &sc, const FIELD &f) {
  for (const SENT_WANT &w : sc.want)
    if (w.f == &f)
      return &w;
  return nullptr;
}

// Does the received record hold the field as the check wants it: a listed
// field its value, any other field its value at the mark?
static bool SentFieldOk(const SENT_CHECK &sc, const SENT_STATE &st, const FIELD &f) {
  const SENT_WANT *w = FindWant(sc, f);
  if (!w)
    return FieldSame(&st.rec, &st.mark, f);
  switch (w->iKind) {
  case SW_ANY:
    return true;
  case SW_EXACT:
    return FieldSame(&st.rec, &sc.exact, f);
  case SW_TEXT: {
    const char *p = (const char *)&st.rec + f.nOff;
    return std::string(p, strnlen(p, f.nSize)) == w->s;
  }
  }
  double v = FieldNumber(&st.rec, f);
  return fabs(v - w->d) <= 1e-4 * (1.0 + fabs(w->d));
}

// A listed value as the scenario wrote it (an exact one is shown from the
// record it was stored in); an unlisted field's text is its marked value.
static std::string WantText(const SENT_CHECK &sc, const SENT_WANT *w, const FIELD &f,
                            const std::string &szMarked) {
  if (!w)
    return szMarked;
  char sz[64];
  switch (w->iKind) {
  case SW_ANY:
    return "any";
  case SW_TEXT:
    return "\"" + w->s + "\"";
  case SW_EXACT:
    return "=" + FieldText(&sc.exact, f);
  }
  snprintf(sz, sizeof(sz), "%.9g", w->d);
  return sz;
}

// Empty when the check holds, else what is wrong.
static std::string SentVerdict(const SENT_CHECK &sc, const SENT_STATE &st) {
  const char *szReq = sc.bWall ? "2110" : "3000";
  char sz[256];
  if (sc.llCount >= 0 ? st.n != sc.llCount : st.n < 1) {
    snprintf(sz, sizeof(sz), "%s: %d requests %s since the mark, expected %s %lld",
             sc.szWhat.c_str(), st.n, szReq, sc.llCount >= 0 ? "exactly" : "at least",
             sc.llCount >= 0 ? sc.llCount : 1);
    return sz;
  }
  if (st.n == 0)
    return std::string();
  const FIELD_SET &fs = sc.bWall ? gWallFields : gSectorFields;
  std::string szBad;
  for (size_t i = 0; i < fs.n; i++) {
    const FIELD &f = fs.p[i];
    if (SentFieldOk(sc, st, f))
      continue;
    const SENT_WANT *w = FindWant(sc, f);
    std::string szWant = WantText(sc, w, f, FieldText(&st.mark, f));
    szBad += std::string(szBad.empty() ? "" : ", ") + f.szName + " " + FieldText(&st.rec, f) +
             (w ? " (expected " : " (marked ") + szWant + ")";
  }
  if (szBad.empty())
    return std::string();
  return sc.szWhat + ": the last request " + szReq + " differs in " + szBad;
}

// The received record beside the marked one, field by field; '*' marks
// the fields that fail the check.
static void PrintSent(const SENT_CHECK &sc, const SENT_STATE &st) {
  const FIELD_SET &fs = sc.bWall ? gWallFields : gSectorFields;
  HostOut("  %-22s %-26s %-26s %s", "field", "received", "marked", "expected");
  for (size_t i = 0; i < fs.n; i++) {
    const FIELD &f = fs.p[i];
    const SENT_WANT *w = FindWant(sc, f);
    std::string szWant = WantText(sc, w, f, std::string());
    HostOut("%c %-22s %-26s %-26s %s", SentFieldOk(sc, st, f) ? ' ' : '*', f.szName,
            FieldText(&st.rec, f).c_str(), FieldText(&st.mark, f).c_str(), szWant.c_str());
  }
}

bool cmd_ExpectSent(const CMD &c) {
  SENT_CHECK sc;
  ParseSent(c, sc);
  SENT_STATE st;
  std::string szWhy;
  DWORD t0 = GetTickCount();
  for (;;) {
    SentSnapshot(sc, st);
    szWhy = SentVerdict(sc, st);
    // "None" holds only once the whole time has passed; anything else as
    // soon as it is met.
    bool bDone = sc.bNone ? !szWhy.empty() : szWhy.empty();
    if (bDone || GetTickCount() - t0 >= sc.dwMs)
      break;
    Sleep(10);
  }
  if (Check(szWhy.empty(), "%s", szWhy.c_str()))
    return true;
  if (st.n > 0)
    PrintSent(sc, st);
  return false;
}
