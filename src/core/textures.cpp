#include "textures.h"

#include <stdio.h>
#include <string.h>

#include <atomic>

#define TEX_FILE_SIZE 80
#define TEX_NAME_SIZE 90

FILE_ENTRY *feTextures = NULL;

// The table lives in static storage: attach cannot fail and detach leaves
// nothing to leak. feTextures is null while detached.
static FILE_ENTRY feStore[KRED_TEXTURE_SLOTS];
static char szFileStore[KRED_TEXTURE_SLOTS][TEX_FILE_SIZE];
static char szNameStore[KRED_TEXTURE_SLOTS][TEX_NAME_SIZE];
static int iTextureCount = 0;
// Bumped after each change of the table; built on the host's thread, read
// by the editor thread.
static std::atomic<uint32_t> dwTexGeneration{0};

static const char szTerminator[] = "---";

static std::atomic<uint32_t> dwWakesTaken{0};
static std::atomic<uint32_t> dwWakesBuilt{0};

static void Tex_CopyCut(char *szDst, size_t nSize, const char *szSrc) {
  size_t n = strlen(szSrc);
  if (n > nSize - 1)
    n = nSize - 1;
  memcpy(szDst, szSrc, n);
  szDst[n] = 0;
}

static void Tex_SetTerminator(int i) {
  strcpy(feTextures[i].szFile, szTerminator);
  strcpy(feTextures[i].szName, szTerminator);
  feTextures[i].w = 0;
  feTextures[i].h = 0;
}

bool Textures_Alloc(void) {
  if (feTextures)
    return true;
  memset(szFileStore, 0, sizeof(szFileStore));
  memset(szNameStore, 0, sizeof(szNameStore));
  for (int i = 0; i < KRED_TEXTURE_SLOTS; i++) {
    feStore[i].szFile = szFileStore[i];
    feStore[i].szName = szNameStore[i];
    feStore[i].w = 0;
    feStore[i].h = 0;
  }
  feTextures = feStore;
  iTextureCount = 0;
  Tex_SetTerminator(0);
  dwTexGeneration.fetch_add(1, std::memory_order_release);
  return true;
}

void Textures_Free(void) {
  feTextures = NULL;
  iTextureCount = 0;
  dwTexGeneration.fetch_add(1, std::memory_order_release);
}

void Textures_MakeLabel(char *szOut, int i, const char *szHost) {
  if (!szOut)
    return;
  if (!szHost)
    szHost = "";
  size_t nLen = strlen(szHost);

  // p: the last backslash at index 1 or more, else 0.
  size_t p = nLen > 0 ? nLen - 1 : 0;
  while (p != 0 && szHost[p] != '\\')
    p--;

  const char *szShort = p + 2 <= nLen ? szHost + p + 2 : "";
  const char *pDot = strchr(szShort, '.');
  size_t nShort = pDot ? (size_t)(pDot - szShort) : strlen(szShort);
  if (nShort > TEX_NAME_SIZE)
    nShort = TEX_NAME_SIZE; // the label is cut shorter anyway

  size_t nSuffix = 0;
  while (nSuffix < 2 && p + nSuffix < nLen)
    nSuffix++;

  snprintf(szOut, TEX_NAME_SIZE, "%2d) %-7.*s%.*s", i, (int)nShort, szShort, (int)nSuffix,
           szHost + p);
}

int Textures_Build(const SHARED_TEXTURE_DATA *pList) {
  if (!feTextures && !Textures_Alloc())
    return 0;
  int n = 0;
  if (pList) {
    while (n < KRED_TEXTURE_SLOTS - 1 && pList[n].szName) {
      FILE_ENTRY *fe = &feTextures[n];
      fe->w = pList[n].w;
      fe->h = pList[n].h;
      Tex_CopyCut(fe->szFile, TEX_FILE_SIZE, pList[n].szName);
      Textures_MakeLabel(fe->szName, n, pList[n].szName);
      n++;
    }
  }
  Tex_SetTerminator(n);
  iTextureCount = n;
  dwTexGeneration.fetch_add(1, std::memory_order_release);
  return n;
}

int Textures_Count(void) {
  return feTextures ? iTextureCount : 0;
}

uint32_t Textures_Generation(void) {
  return dwTexGeneration.load(std::memory_order_acquire);
}

uint32_t Textures_TakeWake(void) {
  return dwWakesTaken.fetch_add(1) + 1;
}

uint32_t Textures_LastWake(void) {
  return dwWakesTaken.load();
}

// Wakes may build out of order (a wake from inside the previous run's
// closing): the mark only moves forward.
void Textures_WakeBuilt(uint32_t dwWake) {
  uint32_t dwNow = dwWakesBuilt.load();
  while ((int32_t)(dwWake - dwNow) > 0 && !dwWakesBuilt.compare_exchange_weak(dwNow, dwWake)) {
  }
}

bool Textures_WakeReady(uint32_t dwWake) {
  return (int32_t)(dwWakesBuilt.load() - dwWake) >= 0;
}

const char *ReturnTextureName(int32_t iIndex) {
  if (iIndex == -2)
    return "###";
  if (iIndex < 0)
    return "-";
  // Entries up to the terminator hold names; the terminator's is "---".
  if (!feTextures || iIndex > iTextureCount)
    return "?";
  return feTextures[iIndex].szFile;
}
