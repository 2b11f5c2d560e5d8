// One-way key queue from the host's frame thread (PostKey) to the editor
// thread (PullKey). Single producer, single consumer, no lock.
#pragma once

#include <stdint.h>

#include <atomic>

#define KRED_KEY_SLOTS 100

extern uint32_t dwKeyBuf[KRED_KEY_SLOTS];
extern std::atomic<int> dwKeyIn;  // written by the producer only
extern std::atomic<int> dwKeyOut; // written by the consumer only

// Producer side. A full ring (99 unread keys) drops the new key.
void KeyRing_Post(uint32_t dwKey);
// Consumer side: the next key, 0 when the ring is empty.
uint32_t PullKey(void);
// Empties the ring; only while neither thread uses it.
void KeyRing_Reset(void);
// Consumer side, while the producer may post: forget the keys posted before
// the producer's position iIn (a value dwKeyIn had), keep the later ones.
void KeyRing_SkipTo(int iIn);
