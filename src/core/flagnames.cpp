// Flag-name lists: the path beside the library, the byte-stream name reader
// and the loader of a 32-name table.
#include "flagnames.h"

#include <fcntl.h>
#include <string.h>

#ifdef _WIN32
#include <io.h>
#else
#include <errno.h>
#include <unistd.h>
#endif

namespace {

const int iNfEndOfText = 0x1A;

bool nf_IsNameChar(int c) {
  return c >= 0x20 && c <= 0x7F;
}

void nf_SetEnd(NF_SOURCE *src) {
  src->bEnd = true;
  src->iPos = 0;
  src->cFill = 0;
}

// The next byte, or -1 at the end of the list. The end is final: a source
// that has ended is never asked again, so nothing can wait on it.
int nf_NextByte(NF_SOURCE *src) {
  if (src->iPos >= src->cFill) {
    if (src->bEnd || src->pfnRead == nullptr) {
      nf_SetEnd(src);
      return -1;
    }
    int n = src->pfnRead(src->pCtx, src->bBuf, (unsigned)sizeof(src->bBuf));
    if (n <= 0) {
      nf_SetEnd(src);
      return -1;
    }
    src->cFill = (unsigned)n > sizeof(src->bBuf) ? (unsigned)sizeof(src->bBuf) : (unsigned)n;
    src->iPos = 0;
  }
  int c = src->bBuf[src->iPos++];
  if (c == iNfEndOfText) {
    nf_SetEnd(src);
    return -1;
  }
  return c;
}

void nf_InitSource(NF_SOURCE *src, int (*pfnRead)(void *, unsigned char *, unsigned), void *pCtx) {
  memset(src, 0, sizeof(*src));
  src->pfnRead = pfnRead;
  src->pCtx = pCtx;
}

int nf_ReadMemory(void *pCtx, unsigned char *p, unsigned cb) {
  NF_MEMORY *mem = (NF_MEMORY *)pCtx;
  size_t cbLeft = mem->cb - mem->iPos;
  size_t n = cbLeft < cb ? cbLeft : cb;
  if (n > 0)
    memcpy(p, mem->p + mem->iPos, n);
  mem->iPos += n;
  return (int)n;
}

int nf_ReadFd(void *pCtx, unsigned char *p, unsigned cb) {
  int fd = *(int *)pCtx;
#ifdef _WIN32
  return _read(fd, p, cb);
#else
  ssize_t n;
  do
    n = read(fd, p, cb);
  while (n < 0 && errno == EINTR);
  return (int)n;
#endif
}

// Opened in binary mode on every build, so that the reader alone decides
// what a line end or a 0x1A is. Natively a list that is a pipe without a
// writer reads as empty instead of waiting at open.
int nf_Open(const char *szPath) {
#ifdef _WIN32
  return _open(szPath, _O_RDONLY | _O_BINARY);
#else
  return open(szPath, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
#endif
}

void nf_Close(int fd) {
#ifdef _WIN32
  _close(fd);
#else
  close(fd);
#endif
}

} // namespace

void FlagNames_MemorySource(NF_SOURCE *src, NF_MEMORY *mem, const void *p, size_t cb) {
  mem->p = (const unsigned char *)p;
  mem->cb = p == nullptr ? 0 : cb;
  mem->iPos = 0;
  nf_InitSource(src, nf_ReadMemory, mem);
}

void FlagNames_FdSource(NF_SOURCE *src, int *pFd) {
  nf_InitSource(src, nf_ReadFd, pFd);
}

int ChangeFileName(char *szName, size_t cbName, const char *szNewName) {
  if (szName == nullptr || cbName == 0 || szNewName == nullptr)
    return 0;
  const void *pEnd = memchr(szName, 0, cbName);
  if (pEnd == nullptr) {
    // Not even terminated inside its buffer: nothing in it can be trusted.
    szName[0] = '\0';
    return 0;
  }
  size_t p = (size_t)((const char *)pEnd - szName);
  if (p <= 1)
    return 0;
  p--;
  while (p > 0 && szName[p] != '\\' && szName[p] != ':')
    p--;
  if (szName[p] == '\\' || szName[p] == ':')
    p++;
  size_t cbNew = strlen(szNewName) + 1;
  if (cbNew > cbName - p) {
    szName[0] = '\0';
    return 0;
  }
  memcpy(szName + p, szNewName, cbNew);
  return 1;
}

int nfReadLine(NF_SOURCE *src, char *szOut, int iLen) {
  if (szOut == nullptr || iLen < 1)
    return 0;
  szOut[0] = '\0';
  if (src == nullptr || iLen < 2)
    return 0;
  int c;
  do
    c = nf_NextByte(src);
  while (c >= 0 && !nf_IsNameChar(c));
  int n = 0;
  while (c >= 0 && nf_IsNameChar(c)) {
    szOut[n++] = (char)c;
    if (n == iLen - 1)
      break; // the rest of the run is the next name
    c = nf_NextByte(src);
  }
  szOut[n] = '\0';
  return n;
}

int FlagNames_ReadAll(NF_SOURCE *src, char *szFlagNames[KRED_FLAG_NAMES]) {
  int cNames = 0;
  for (int i = 0; i < KRED_FLAG_NAMES; i++) {
    char szScratch[KRED_FLAG_NAME_LEN];
    char *szSlot = szFlagNames != nullptr && szFlagNames[i] != nullptr ? szFlagNames[i] : szScratch;
    if (nfReadLine(src, szSlot, KRED_FLAG_NAME_LEN) > 0)
      cNames++;
  }
  return cNames;
}

int FlagNames_LoadFile(const char *szPath, char *szFlagNames[KRED_FLAG_NAMES]) {
  if (szPath == nullptr || szPath[0] == '\0')
    return -1;
  int fd = nf_Open(szPath);
  if (fd < 0)
    return -1;
  NF_SOURCE src;
  FlagNames_FdSource(&src, &fd);
  int cNames = FlagNames_ReadAll(&src, szFlagNames);
  nf_Close(fd);
  return cNames;
}

int FlagNames_LoadBeside(const char *szModulePath, size_t cbModule, const char *szList,
                         char *szFlagNames[KRED_FLAG_NAMES]) {
  char szPath[KRED_FLAG_NAME_LEN];
  // A path the system had to cut (or gave none) names no directory to trust.
  if (szModulePath == nullptr || cbModule == 0 || cbModule >= sizeof(szPath))
    return -1;
  memcpy(szPath, szModulePath, cbModule);
  szPath[cbModule] = '\0';
  if (!ChangeFileName(szPath, sizeof(szPath), szList))
    return -1;
  return FlagNames_LoadFile(szPath, szFlagNames);
}
