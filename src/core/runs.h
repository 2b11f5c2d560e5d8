// Editor runs. Every WakeUpDLL starts a run with a record of its own: the
// kill flag meant for it, its main window, its thread, its service function.
// The host addresses the newest run (the current one); a run that ends
// touches only its own record, so a run woken while the previous one is
// still on its way out is neither closed nor killed by it.
//
// Kill handshake: KillOffDLL stores the host's flag pointer in the current
// run. The run's thread, when it ends, takes its own pointer once and writes
// 0 through it. A kill that reaches a run after that (or when no run is
// current) is answered at once. Either side may come first; the exchange on
// the pointer lets exactly one of them write the flag.
#pragma once

#include <stdint.h>

#include <atomic>

#include "kred_records.h"

#define KRED_MAX_RUNS 8

enum { KRED_RUN_FREE = 0, KRED_RUN_LIVE = 1 };

struct KRED_RUN {
  std::atomic<int> iState;
  std::atomic<uint32_t *> bKillFlagPointer; // the flag of a kill meant for this run
  std::atomic<uint32_t> bFlagReturned;      // the run has handed its flag back
  std::atomic<uint32_t> dwThreadId;         // its editor thread, once that runs
  std::atomic<void *> hMainWnd;             // its main dialog while it exists
  KRED_CALLBACK pCallBack;                  // the service function it was woken with
  void *hModuleRef;                         // library reference its thread drops, or null
  void *hPrevThread;                        // the previous run's thread, or null
  int iKeyStart;                            // key ring position when it was woken
  uint32_t dwTexWake;                       // its wake's number for the texture table
};

// A free record, live from now on, its fields cleared and pCallBack set;
// null when every record still belongs to a running thread.
KRED_RUN *Run_Start(KRED_CALLBACK pCallBack);
// The run becomes the one the host addresses (once its thread exists).
void Run_MakeCurrent(KRED_RUN *r);
// The run is no longer the one the host addresses (if it still was).
void Run_Retire(KRED_RUN *r);
// The run's thread is done with the record; it may be reused.
void Run_Free(KRED_RUN *r);
KRED_RUN *Run_Current(void);
// The live run whose editor thread has this id, or null.
KRED_RUN *Run_OfThread(uint32_t dwThreadId);
bool Run_KillRequested(const KRED_RUN *r);

// KillOffDLL: the flag goes to the current run, replacing an earlier one;
// with no run, or one that has already handed its flag back, 0 is written
// at once. Returns the run the kill was meant for (null: none).
KRED_RUN *Run_Kill(uint32_t *pFlag);
// The run's thread ends: from now on kills are answered at once; a flag
// already stored is taken and cleared.
void Run_ReturnFlag(KRED_RUN *r);

// Every record free, no current run (tests; only with no thread running).
void Run_ResetAll(void);
