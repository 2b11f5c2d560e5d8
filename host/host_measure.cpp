// Measuring commands: paint times of a control, the ticks of a window's
// timer while the host runs frames, the heap bytes the process holds, and
// fixed render statistics for the frames that follow.
#include "host_cmd.h"

#include <string.h>

#include <algorithm>

// ---- render statistics

// render-usage V1 ... V9 | auto
bool cmd_RenderUsage(const CMD &c) {
  if (c.tok.size() == 2 && IsWord(c, 1, "auto")) {
    gbFixedUsage.store(false);
    return true;
  }
  if (c.tok.size() != 10)
    ScriptError(c.iLine, "render-usage takes nine numbers or \"auto\"");
  int32_t v[9];
  for (size_t i = 0; i < 9; i++) {
    long long n = ArgInt(c, i + 1);
    if (n < INT32_MIN || n > UINT32_MAX)
      ScriptError(c.iLine, "render-usage: %lld does not fit 32 bits", n);
    v[i] = (int32_t)(uint32_t)(n & 0xFFFFFFFFll);
  }
  EnterCriticalSection(&gcsLevel);
  memcpy(&gruFixed, v, sizeof(gruFixed));
  LeaveCriticalSection(&gcsLevel);
  gbFixedUsage.store(true);
  return true;
}

// ---- paint times

// N repaints of control ID: invalidated and painted at once from the host's
// thread (the paint runs on the editor thread). Fills took in microseconds.
static bool msr_Paint(const CMD &c, long long n, std::vector<double> &took) {
  HWND h = NeedControl(c, 1, 2);
  if (!h)
    return false;
  for (long long i = 0; i < n; i++) {
    double t0 = HostNowUs();
    if (!RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW))
      return Act(false, "control %lld could not be repainted", ArgInt(c, 2));
    took.push_back(HostNowUs() - t0);
  }
  return true;
}

// time-paint WIN ID N
bool cmd_TimePaint(const CMD &c) {
  long long n = ArgInt(c, 3);
  if (n < 1 || n > 100000)
    ScriptError(c.iLine, "time-paint: N must be 1 to 100000");
  std::vector<double> took;
  if (!msr_Paint(c, n, took))
    return false;
  std::sort(took.begin(), took.end());
  HostOut("time-paint: median %.1f us, max %.1f us, %lld paints", took[took.size() / 2],
          took.back(), n);
  return true;
}

// expect-paint-max WIN ID N MAX_MS: every paint; expect-paint-median WIN ID N
// MAX_MS: the median paint.
bool cmd_ExpectPaintMax(const CMD &c) {
  const std::string &kw = c.tok[0].s;
  long long n = ArgInt(c, 3);
  if (n < 1 || n > 100000)
    ScriptError(c.iLine, "%s: N must be 1 to 100000", kw.c_str());
  double dLimit = ArgFloat(c, 4);
  std::vector<double> took;
  if (!msr_Paint(c, n, took))
    return false;
  std::sort(took.begin(), took.end());
  bool bMedian = kw == "expect-paint-median";
  double d = bMedian ? took[took.size() / 2] : took.back();
  return Check(d <= dLimit * 1000.0, "%s paint took %.3f ms, expected at most %g ms",
               bMedian ? "the median" : "a", d / 1000.0, dLimit);
}

// ---- timer ticks

// WM_TIMER messages that the watched window's thread took from its queue,
// with the time each was taken. Written by the hook on that thread.
static CRITICAL_SECTION csTicks;
static bool bTicksReady;
static HWND hTickWindow;
static HHOOK hTickHook;
static std::vector<double> tickTimes;

static LRESULT CALLBACK msr_TickHook(int nCode, WPARAM wParam, LPARAM lParam) {
  if (nCode == HC_ACTION && wParam == PM_REMOVE) {
    const MSG *pMsg = (const MSG *)lParam;
    if (pMsg->message == WM_TIMER && pMsg->hwnd == hTickWindow) {
      EnterCriticalSection(&csTicks);
      tickTimes.push_back(HostNowUs());
      LeaveCriticalSection(&csTicks);
    }
  }
  return CallNextHookEx(hTickHook, nCode, wParam, lParam);
}

static void msr_StopTicks() {
  if (hTickHook)
    UnhookWindowsHookEx(hTickHook);
  hTickHook = nullptr;
}

// watch-ticks WIN: from now on the timer messages of WIN are timed.
bool cmd_WatchTicks(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  if (!h)
    return false;
  if (!bTicksReady) {
    InitializeCriticalSection(&csTicks);
    bTicksReady = true;
  }
  msr_StopTicks();
  EnterCriticalSection(&csTicks);
  tickTimes.clear();
  hTickWindow = h;
  LeaveCriticalSection(&csTicks);
  DWORD dwThread = GetWindowThreadProcessId(h, nullptr);
  hTickHook = SetWindowsHookExA(WH_GETMESSAGE, msr_TickHook, nullptr, dwThread);
  return Act(hTickHook != nullptr, "cannot watch the timer of the window (error %lu)",
             GetLastError());
}

// expect-ticks WIN MAX_GAP_MS: ends the watch; at least one tick came, and
// no two ticks (nor the watch's end and the last tick) lie further apart.
bool cmd_ExpectTicks(const CMD &c) {
  if (!bTicksReady || !hTickHook)
    return Check(false, "no watch-ticks before");
  HWND h = NeedWindow(c, 1);
  double dLimit = ArgFloat(c, 2);
  double tEnd = HostNowUs();
  msr_StopTicks();
  EnterCriticalSection(&csTicks);
  std::vector<double> t = tickTimes;
  bool bSame = h == hTickWindow;
  LeaveCriticalSection(&csTicks);
  if (!bSame)
    return Check(false, "the ticks watched were those of another window");
  if (t.empty())
    return Check(false, "no timer tick came");
  std::vector<double> gaps;
  for (size_t i = 1; i < t.size(); i++)
    gaps.push_back(t[i] - t[i - 1]);
  gaps.push_back(tEnd - t.back());
  std::vector<double> sorted = gaps;
  std::sort(sorted.begin(), sorted.end());
  double dMax = sorted.back();
  HostOut("ticks: %zu, median gap %.1f ms, max gap %.1f ms", t.size(),
          sorted[sorted.size() / 2] / 1000.0, dMax / 1000.0);
  return Check(dMax <= dLimit * 1000.0, "the timer was %.1f ms without a tick, expected at most %g",
               dMax / 1000.0, dLimit);
}

// ---- heap bytes

static long long llHeapMark = -1;

// Bytes in use in every heap of the process.
static long long msr_HeapBytes() {
  std::vector<HANDLE> heaps(64);
  DWORD n = GetProcessHeaps((DWORD)heaps.size(), heaps.data());
  if (n > heaps.size()) {
    heaps.resize(n);
    n = GetProcessHeaps((DWORD)heaps.size(), heaps.data());
  }
  long long llBytes = 0;
  for (DWORD i = 0; i < n && i < heaps.size(); i++) {
    if (!HeapLock(heaps[i]))
      continue;
    PROCESS_HEAP_ENTRY e = {};
    while (HeapWalk(heaps[i], &e)) {
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY)
        llBytes += e.cbData;
    }
    HeapUnlock(heaps[i]);
  }
  return llBytes;
}

bool cmd_PrintHeap(const CMD &) {
  HostOut("heap: %lld bytes in use", msr_HeapBytes());
  return true;
}

bool cmd_MarkHeap(const CMD &) {
  llHeapMark = msr_HeapBytes();
  HostOut("heap: %lld bytes in use (marked)", llHeapMark);
  return true;
}

// expect-heap MAX_GROWTH: the bytes in use now exceed the mark by at most
// MAX_GROWTH.
bool cmd_ExpectHeap(const CMD &c) {
  if (llHeapMark < 0)
    return Check(false, "no mark-heap before");
  long long llMax = ArgInt(c, 1);
  long long llNow = msr_HeapBytes();
  HostOut("heap: %lld bytes in use, %+lld since the mark", llNow, llNow - llHeapMark);
  return Check(llNow - llHeapMark <= llMax, "the heap grew by %lld bytes, expected at most %lld",
               llNow - llHeapMark, llMax);
}
