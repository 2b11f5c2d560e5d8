// Registry preferences: text values under the key shared by the game's tools.
// A read fills the caller's default only when a whole, terminated text fits;
// otherwise the default stays. Nothing here tells the user about a failure.
#include "kreditor.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int iMaxWindows = 100;

static const char szToolsKeyPath[] = "Software\\Meridane Entertainment Company\\Keldrun\\Tools";
static const char szToolsKeyClass[] = "ToolPreferences";
static const char szMaxWindowsName[] = "Max Windows";
static const char szResourceIdsName[] = "Resource ID's";
static const char szResourceIdsDefault[] = "WAX ;TEX ; PAL ;CMP";

// The number read in integer mode comes from at most 19 characters.
#define TOOLS_INT_TEXT 20

LONG Tools_OpenKey(int key, HKEY *phregKey) {
  DWORD dwDisposition = 0;
  *phregKey = NULL;
  LONG lResult = RegCreateKeyExA(key == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, szToolsKeyPath,
                                 0, (LPSTR)szToolsKeyClass, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE, NULL, phregKey, &dwDisposition);
  if (lResult != ERROR_SUCCESS)
    *phregKey = NULL;
  return lResult;
}

LONG Tools_ReadKey(const char *szKey, HKEY hKey, char *szBuffer, DWORD *iBufferLen) {
  DWORD dwType = 0;
  return RegQueryValueExA(hKey, szKey, NULL, &dwType, (LPBYTE)szBuffer, iBufferLen);
}

LONG Tools_WriteKey(const char *szKey, HKEY hKey, const char *szBuffer) {
  return RegSetValueExA(hKey, szKey, 0, REG_SZ, (const BYTE *)szBuffer,
                        (DWORD)(strlen(szBuffer) + 1));
}

void Tools_CloseKey(HKEY hKey) {
  if (hKey != NULL)
    RegCloseKey(hKey);
}

// Reads a value as text into szOut (cbOut bytes, always terminated on
// success). Any stored type is taken as bytes; a value without a terminator
// is accepted when the terminator still fits. Returns the text's length plus
// one, or 0 with szOut untouched when nothing usable was read.
static int Tools_ReadText(const char *szKeyName, char *szOut, int cbOut) {
  if (szOut == NULL || cbOut <= 0)
    return 0;
  HKEY hKey = NULL;
  if (Tools_OpenKey(0, &hKey) != ERROR_SUCCESS)
    return 0;
  // Read beside the caller's buffer: a failed read may leave partial bytes.
  char *szRead = (char *)malloc((size_t)cbOut + 1);
  int iResult = 0;
  if (szRead != NULL) {
    DWORD cbRead = (DWORD)cbOut;
    if (Tools_ReadKey(szKeyName, hKey, szRead, &cbRead) == ERROR_SUCCESS && cbRead > 0 &&
        cbRead <= (DWORD)cbOut) {
      szRead[cbRead] = '\0';
      size_t cbText = strlen(szRead);
      if (cbText < (size_t)cbOut) {
        memcpy(szOut, szRead, cbText + 1);
        iResult = (int)cbText + 1;
      }
    }
    free(szRead);
  }
  Tools_CloseKey(hKey);
  return iResult;
}

// Decimal conversion: leading blanks, an optional sign, digits; 0 when there
// are none. Saturates instead of overflowing.
static int Tools_TextToInt(const char *sz) {
  while (*sz == ' ' || *sz == '\t' || *sz == '\n' || *sz == '\v' || *sz == '\f' || *sz == '\r')
    sz++;
  bool bNegative = false;
  if (*sz == '+' || *sz == '-')
    bNegative = (*sz++ == '-');
  long long llValue = 0;
  while (*sz >= '0' && *sz <= '9') {
    if (llValue <= (long long)INT_MAX + 1)
      llValue = llValue * 10 + (*sz - '0');
    sz++;
  }
  if (bNegative)
    llValue = -llValue;
  if (llValue > INT_MAX)
    return INT_MAX;
  if (llValue < INT_MIN)
    return INT_MIN;
  return (int)llValue;
}

int Tools_GetKey(const char *szKeyName, void *szBuffer, int iBufferLen) {
  if (szBuffer == NULL || iBufferLen < 0)
    return 0;
  if (iBufferLen == 0) {
    char szText[TOOLS_INT_TEXT];
    if (Tools_ReadText(szKeyName, szText, (int)sizeof(szText)) > 0)
      *(int *)szBuffer = Tools_TextToInt(szText);
    return 0;
  }
  return Tools_ReadText(szKeyName, (char *)szBuffer, iBufferLen);
}

int Tools_SetKey(const char *szKeyName, const char *szBuffer) {
  HKEY hKey = NULL;
  if (Tools_OpenKey(0, &hKey) == ERROR_SUCCESS) {
    Tools_WriteKey(szKeyName, hKey, szBuffer);
    Tools_CloseKey(hKey);
  }
  return 1;
}

void Tools_MaxWindowsCycle(void) {
  char szText[TOOLS_INT_TEXT];
  iMaxWindows = 100;
  Tools_GetKey(szMaxWindowsName, &iMaxWindows, 0);
  // Signed, so that a negative value reads back as itself ("%lu" gives the
  // same text for every other value).
  snprintf(szText, sizeof(szText), "%ld", (long)iMaxWindows);
  Tools_SetKey(szMaxWindowsName, szText);
}

void Tools_ResourceIdsCycle(char *szBuffer, int iBufferLen) {
  if (szBuffer == NULL || iBufferLen <= 0)
    return;
  snprintf(szBuffer, (size_t)iBufferLen, "%s", szResourceIdsDefault);
  Tools_GetKey(szResourceIdsName, szBuffer, iBufferLen);
  Tools_SetKey(szResourceIdsName, szBuffer);
}
