// Counting the process's GDI objects, for leak checks. GetGuiResources is
// used where it answers; under Wine it is a stub (0, "not implemented"),
// and the host reads Wine's handle table instead: the process environment
// block points to it (GdiSharedHandleTable, offset 0x94 of the 32-bit
// block), 65536 entries of 24 bytes: the object (8), its owner (4), the
// upper word of the handle (2), the type (1, 0 for a free entry) and flags
// (1), a user pointer (8). Before the first count the layout is checked
// with a stock object and with a pen made and deleted for the purpose.
#include "host_cmd.h"

#include <stdio.h>
#include <string.h>

enum { GDI_ENTRIES = 0x10000, GDI_ENTRY_SIZE = 24, GDI_TYPES = OBJ_COLORSPACE + 1 };

struct GDI_COUNT {
  int nTotal;
  int nByType[GDI_TYPES]; // by GetObjectType; 0: a type it does not name
};

static int iGdiMode;         // 0 not checked yet, 1 GetGuiResources, 2 the table, -1 neither
static std::string szGdiWhy; // why counting does not work
static GDI_COUNT gcMark;
static bool bGdiMarked;

// The process environment block, from ntdll's process information (class 0,
// whose second pointer-sized field is the block's address).
static const uint8_t *gdi_Peb() {
  typedef LONG(WINAPI * PFN_NTQIP)(HANDLE, int, void *, ULONG, ULONG *);
  HMODULE hNtdll = GetModuleHandleA("ntdll.dll");
  PFN_NTQIP pfn =
      hNtdll ? (PFN_NTQIP)(void *)GetProcAddress(hNtdll, "NtQueryInformationProcess") : nullptr;
  void *pInfo[6] = {};
  if (!pfn || pfn(GetCurrentProcess(), 0, pInfo, sizeof(pInfo), nullptr) != 0)
    return nullptr;
  return (const uint8_t *)pInfo[1];
}

static const uint8_t *gdi_Table() {
  const uint8_t *pPeb = gdi_Peb();
  return pPeb ? *(const uint8_t *const *)(pPeb + 0x94) : nullptr;
}

// Is the table's entry for h in use and of h's generation?
static bool gdi_EntryLive(const uint8_t *t, HGDIOBJ h) {
  uintptr_t v = (uintptr_t)h;
  const uint8_t *e = t + (v & 0xFFFF) * GDI_ENTRY_SIZE;
  uint16_t wUpper;
  memcpy(&wUpper, e + 12, 2);
  return e[14] != 0 && wUpper == (uint16_t)(v >> 16);
}

static void gdi_Probe() {
  if (GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) > 0) {
    iGdiMode = 1;
    return;
  }
  const uint8_t *t = gdi_Table();
  if (!t) {
    iGdiMode = -1;
    szGdiWhy = "GetGuiResources answers 0 and the process has no GDI handle table";
    return;
  }
  HPEN hPen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
  bool bStock = gdi_EntryLive(t, GetStockObject(BLACK_PEN));
  bool bMade = hPen && gdi_EntryLive(t, hPen);
  DeleteObject(hPen);
  bool bFreed = hPen && !gdi_EntryLive(t, hPen);
  iGdiMode = bStock && bMade && bFreed ? 2 : -1;
  if (iGdiMode < 0)
    szGdiWhy = "GetGuiResources answers 0 and the GDI handle table has an unknown layout";
}

static bool gdi_Count(GDI_COUNT &gc) {
  if (!iGdiMode)
    gdi_Probe();
  memset(&gc, 0, sizeof(gc));
  if (iGdiMode == 1) {
    gc.nTotal = (int)GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    return true;
  }
  if (iGdiMode != 2)
    return false;
  const uint8_t *t = gdi_Table();
  for (uint32_t i = 0; i < GDI_ENTRIES; i++) {
    const uint8_t *e = t + (size_t)i * GDI_ENTRY_SIZE;
    if (!e[14])
      continue;
    uint16_t wUpper;
    memcpy(&wUpper, e + 12, 2);
    DWORD dwType = GetObjectType((HGDIOBJ)(uintptr_t)(i | (uint32_t)wUpper << 16));
    gc.nTotal++;
    gc.nByType[dwType < GDI_TYPES ? dwType : 0]++;
  }
  return true;
}

// "37 (pens 5, brushes 12, ...)"; with a mark, the change of each type.
static std::string gdi_Text(const GDI_COUNT &gc, const GDI_COUNT *pMark) {
  static const char *const szType[GDI_TYPES] = {"other",
                                                "pens",
                                                "brushes",
                                                "DCs",
                                                "metafile DCs",
                                                "palettes",
                                                "fonts",
                                                "bitmaps",
                                                "regions",
                                                "metafiles",
                                                "memory DCs",
                                                "extended pens",
                                                "enhanced metafile DCs",
                                                "enhanced metafiles",
                                                "colour spaces"};
  char sz[64];
  snprintf(sz, sizeof(sz), "%d", gc.nTotal);
  std::string out = sz, szParts;
  for (int k = 1; k <= GDI_TYPES; k++) {
    int i = k % GDI_TYPES; // "other" last
    int n = pMark ? gc.nByType[i] - pMark->nByType[i] : gc.nByType[i];
    if (n == 0)
      continue;
    snprintf(sz, sizeof(sz), pMark ? "%s %+d" : "%s %d", szType[i], n);
    szParts += std::string(szParts.empty() ? "" : ", ") + sz;
  }
  if (!szParts.empty())
    out += (pMark ? " (since the mark: " : " (") + szParts + ")";
  return out;
}

bool cmd_PrintGdiObjects(const CMD &) {
  GDI_COUNT gc;
  if (!Act(gdi_Count(gc), "cannot count GDI objects: %s", szGdiWhy.c_str()))
    return false;
  HostOut("gdi objects: %s", gdi_Text(gc, nullptr).c_str());
  if (bGdiMarked)
    HostOut("gdi objects since the mark: %+d", gc.nTotal - gcMark.nTotal);
  return true;
}

bool cmd_MarkGdiObjects(const CMD &) {
  if (!Act(gdi_Count(gcMark), "cannot count GDI objects: %s", szGdiWhy.c_str()))
    return false;
  bGdiMarked = true;
  return true;
}

static bool bMarkSeen; // while the scenario is read

bool chk_MarkGdiObjects(const CMD &) {
  bMarkSeen = true;
  return true;
}

// expect-gdi-objects MAX or +N [TIMEOUT_MS]: at most MAX objects, or at
// most N more than at the mark, within the time (default: now).
bool chk_ExpectGdiObjects(const CMD &c) {
  if (c.tok[1].s[0] == '+' && !bMarkSeen)
    ScriptError(c.iLine, "expect-gdi-objects +N needs a mark-gdi-objects before it");
  if (ArgInt(c, 1) < 0)
    ScriptError(c.iLine, "expect-gdi-objects MAX|+N [TIMEOUT_MS]");
  if (c.tok.size() > 2)
    ArgInt(c, 2);
  return true;
}

bool cmd_ExpectGdiObjects(const CMD &c) {
  bool bGrowth = c.tok[1].s[0] == '+';
  long long llMax = ArgInt(c, 1);
  DWORD dwMs = c.tok.size() > 2 ? (DWORD)ArgInt(c, 2) : 0;
  if (bGrowth && !bGdiMarked)
    return Check(false, "no mark-gdi-objects ran before");
  int iBase = bGrowth ? gcMark.nTotal : 0;
  GDI_COUNT gc;
  DWORD t0 = GetTickCount();
  for (;;) {
    if (!Check(gdi_Count(gc), "cannot count GDI objects: %s", szGdiWhy.c_str()))
      return false;
    if (gc.nTotal - iBase <= llMax || GetTickCount() - t0 >= dwMs)
      break;
    Sleep(10);
  }
  return Check(gc.nTotal - iBase <= llMax, "%d GDI objects%s, expected at most %s: %s",
               gc.nTotal - iBase, bGrowth ? " more than at the mark" : "", c.tok[1].s.c_str(),
               gdi_Text(gc, bGdiMarked ? &gcMark : nullptr).c_str());
}
