// Fields of the sector and wall records that scenarios name: where each
// lies in its record, how it is stored, and how a scenario's value is read,
// compared and printed. Every field of meaning is listed, in record order.
#pragma once

#include "host_cmd.h"

enum { FT_TEXT, FT_U16, FT_U32, FT_I32, FT_FLOAT, FT_DOUBLE };
enum {
  FF_HEX = 1, // printed in hexadecimal
  FF_KEY = 2  // addresses the record: the game's key, never set by a scenario
};

struct FIELD {
  const char *szName;
  int iType;
  size_t nOff;  // in the record
  size_t nSize; // bytes; for FT_TEXT the buffer with its terminator
  unsigned uFlags;
};

struct FIELD_SET {
  const FIELD *p;
  size_t n;
  const char *szRec; // "sector" or "wall"
};

extern const FIELD_SET gSectorFields, gWallFields;

const FIELD *FindField(const FIELD_SET &fs, const std::string &s);
// The field named by token i; an unknown name is a scenario error.
const FIELD &NeedField(const CMD &c, size_t i, const FIELD_SET &fs);
double FieldNumber(const void *pRec, const FIELD &f);
// Is token iValue a value the field can hold (texts: not longer than the
// field; numbers: in the range of its type; any texture index)? Puts it
// into the record; a value it cannot hold is a scenario error.
void FieldStore(const CMD &c, size_t iValue, const FIELD &f, void *pRec);
// The field as a scenario would write it: texts quoted (bytes up to the
// terminator or the end of the field), numbers in full precision.
std::string FieldText(const void *pRec, const FIELD &f);
// Bit for bit (texts: bytes up to the terminator or the end of the field).
bool FieldSame(const void *pA, const void *pB, const FIELD &f);

// Index of the sector (and wall) that tokens name; a tag the level does not
// have is a scenario error.
int NeedSector(const CMD &c, size_t i);
int NeedWall(const CMD &c, size_t iSector, size_t iWall, int *piSector);
