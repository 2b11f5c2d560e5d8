// Flag-name lists: plain files of names for the 32 bits of a flag word, read
// from the library's own directory.
//
// Format: name characters are the bytes 0x20 to 0x7F; every other byte
// separates names, and runs of separators are skipped, so an empty line gives
// no name. A run longer than 119 characters is cut, and its rest is the next
// name. Only the first 32 names are read. A byte 0x1A (the old end-of-text
// mark) ends the list: whatever follows it is never read, on every build.
#pragma once

#include <stddef.h>

#define KRED_FLAG_NAMES 32
#define KRED_FLAG_NAME_LEN 120 // a name of at most 119 characters, terminated

// Where nfReadLine takes its bytes from: pfnRead fills up to cb bytes at p
// and returns how many, 0 at the end of the data, below 0 on an error. The
// source reads ahead into its own buffer; once pfnRead has reported the end
// or an error (or a 0x1A came), it is never called again.
struct NF_SOURCE {
  int (*pfnRead)(void *pCtx, unsigned char *p, unsigned cb);
  void *pCtx;
  unsigned char bBuf[256];
  unsigned iPos;
  unsigned cFill;
  bool bEnd;
};

// A source over cb bytes of memory (p is kept, not copied).
struct NF_MEMORY {
  const unsigned char *p;
  size_t cb;
  size_t iPos;
};
void FlagNames_MemorySource(NF_SOURCE *src, NF_MEMORY *mem, const void *p, size_t cb);
// A source over an open file descriptor (read, or _read on Windows).
void FlagNames_FdSource(NF_SOURCE *src, int *pFd);

// Replaces the last component of the path szName (after its last backslash
// or colon; a forward slash is not a separator) by szNewName. Returns 1 when
// done. Returns 0 with szName unchanged when szName is empty or one character
// long; returns 0 with szName emptied, so that no file of that name can be
// opened, when the result would not fit in cbName bytes.
int ChangeFileName(char *szName, size_t cbName, const char *szNewName);

// Reads the next name from src into szOut: at most iLen - 1 characters and a
// terminator. Returns the number of characters stored; 0 at the end of the
// list.
int nfReadLine(NF_SOURCE *src, char *szOut, int iLen);

// Reads the 32 names of a list into the slots (each KRED_FLAG_NAME_LEN
// bytes); slots past the last name are emptied. Returns the number of names.
int FlagNames_ReadAll(NF_SOURCE *src, char *szFlagNames[KRED_FLAG_NAMES]);

// Opens the list at szPath and reads it into the slots. Returns the number
// of names, or -1 when the file cannot be opened (the slots are left as they
// were).
int FlagNames_LoadFile(const char *szPath, char *szFlagNames[KRED_FLAG_NAMES]);

// The list beside the library: szModulePath is the library's path as the
// system gave it (cbModule: the length it reported), szList the list's file
// name. Fills the slots as FlagNames_LoadFile; -1 when the path is not
// usable or the list is not there.
int FlagNames_LoadBeside(const char *szModulePath, size_t cbModule, const char *szList,
                         char *szFlagNames[KRED_FLAG_NAMES]);
