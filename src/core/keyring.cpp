#include "keyring.h"

#include <string.h>

uint32_t dwKeyBuf[KRED_KEY_SLOTS];
std::atomic<int> dwKeyIn{0};
std::atomic<int> dwKeyOut{0};

static int KeyRing_Next(int i) {
  return i + 1 == KRED_KEY_SLOTS ? 0 : i + 1;
}

void KeyRing_Post(uint32_t dwKey) {
  int iIn = dwKeyIn.load(std::memory_order_relaxed);
  int iNext = KeyRing_Next(iIn);
  // Advancing onto dwKeyOut would make the ring read as empty and lose every
  // unread key; keep those and drop the new one instead. The acquire pairs
  // with PullKey's release so its read of the slot is done before we reuse it.
  if (iNext == dwKeyOut.load(std::memory_order_acquire))
    return;
  dwKeyBuf[iIn] = dwKey;
  dwKeyIn.store(iNext, std::memory_order_release);
}

uint32_t PullKey(void) {
  int iOut = dwKeyOut.load(std::memory_order_relaxed);
  if (iOut == dwKeyIn.load(std::memory_order_acquire))
    return 0;
  uint32_t dwKey = dwKeyBuf[iOut];
  dwKeyOut.store(KeyRing_Next(iOut), std::memory_order_release);
  return dwKey;
}

void KeyRing_Reset(void) {
  memset(dwKeyBuf, 0, sizeof(dwKeyBuf));
  dwKeyIn.store(0);
  dwKeyOut.store(0);
}

void KeyRing_SkipTo(int iIn) {
  if (iIn < 0 || iIn >= KRED_KEY_SLOTS)
    return;
  // Release, as PullKey's: the producer may reuse the skipped slots.
  dwKeyOut.store(iIn, std::memory_order_release);
}
