// Frames: the player's position, actors, and the timing of updates and
// repaints.
#include "host_cmd.h"

#include <math.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <string>
#include <vector>

static int16_t HeadingOf(long long v) {
  return (int16_t)(uint16_t)(v & 0xFFFF);
}

bool cmd_Pos(const CMD &c) {
  if (!NeedLib())
    return false;
  int iForce = -1;
  if (c.tok.size() > 4) {
    iForce = LevelSectorByTag(gLevel, (uint32_t)ArgInt(c, 4));
    if (iForce < 0)
      ScriptError(c.iLine, "no sector with tag %s", c.tok[4].s.c_str());
  }
  HostFrame((float)ArgFloat(c, 1), (float)ArgFloat(c, 2), HeadingOf(ArgInt(c, 3)), iForce);
  return true;
}

bool cmd_Walk(const CMD &c) {
  if (!NeedLib())
    return false;
  double x1 = ArgFloat(c, 1), y1 = ArgFloat(c, 2), x2 = ArgFloat(c, 3), y2 = ArgFloat(c, 4);
  long long n = ArgInt(c, 5);
  if (n < 1)
    ScriptError(c.iLine, "walk needs 1 or more steps");
  int16_t sHeading;
  if (c.tok.size() > 6) {
    sHeading = HeadingOf(ArgInt(c, 6));
  } else {
    // Heading 0 faces +y and grows clockwise seen from above.
    double a = atan2(x2 - x1, y2 - y1) * 16384.0 / (2 * M_PI);
    sHeading = HeadingOf((long long)floor(a + 0.5 + (a < 0 ? 16384 : 0)) % 16384);
  }
  for (long long i = 0; i < n; i++) {
    double t = n == 1 ? 1.0 : (double)i / (double)(n - 1);
    HostFrame((float)(x1 + (x2 - x1) * t), (float)(y1 + (y2 - y1) * t), sHeading, -1);
  }
  return true;
}

bool cmd_Frames(const CMD &c) {
  if (!NeedLib())
    return false;
  long long n = ArgInt(c, 1);
  for (long long i = 0; i < n; i++)
    HostFrame(gPlayer.x, gPlayer.y, gPlayer.sHeading, gPlayer.iSector);
  return true;
}

bool cmd_Actor(const CMD &c) {
  long long i = ArgInt(c, 1);
  EnterCriticalSection(&gcsLevel);
  bool bOk = i >= 0 && (size_t)i <= gLevel.actors.size();
  if (bOk) {
    if ((size_t)i == gLevel.actors.size()) {
      LVL_ACTOR a;
      memset(&a, 0, sizeof(a));
      a.eo.iType = 1;
      a.eo.dwTag = (uint32_t)(0x1000 + i);
      gLevel.actors.push_back(a);
    }
    EDITOR_OBJECT &eo = gLevel.actors[(size_t)i].eo;
    eo.x = (float)ArgFloat(c, 2);
    eo.y = (float)ArgFloat(c, 3);
    eo.sDir = HeadingOf(ArgInt(c, 4));
    if (c.tok.size() > 5)
      eo.iType = (int32_t)ArgInt(c, 5);
  }
  size_t n = gLevel.actors.size();
  LeaveCriticalSection(&gcsLevel);
  if (!bOk)
    ScriptError(c.iLine, "actor %lld: there are %zu actors (add one at index %zu)", i, n, n);
  return true;
}

bool cmd_ExpectUpdate(const CMD &c) {
  uint32_t r = (uint32_t)ArgInt(c, 1);
  return Check(gdwLastUpdateResult == r, "UpdatePosition returned %u, expected %u",
               gdwLastUpdateResult, r);
}

bool cmd_FrameTiming(const CMD &c) {
  if (!NeedLib())
    return false;
  const std::string &kw = c.tok[0].s;
  long long n = ArgInt(c, 1);
  if (n < 1 || n > 10000000)
    ScriptError(c.iLine, "%s: N must be 1 or more", kw.c_str());
  std::vector<double> took, gaps;
  double tPrevStart = 0;
  for (long long i = 0; i < n; i++) {
    double tStart = HostNowUs();
    took.push_back(HostFrame(gPlayer.x, gPlayer.y, gPlayer.sHeading, gPlayer.iSector));
    // The limiter's clock reading lies somewhere inside each call, so what
    // it guarantees is the time from one call's start to the next's return.
    if (i > 0)
      gaps.push_back(HostNowUs() - tPrevStart);
    tPrevStart = tStart;
  }
  if (kw == "expect-frame-spacing") {
    // The limiter counts whole milliseconds, so allow one below.
    double dMin = ArgFloat(c, 2);
    double dLow = gaps.empty() ? 1e99 : *std::min_element(gaps.begin(), gaps.end());
    return Check(gaps.empty() || dLow >= (dMin - 1.0) * 1000.0,
                 "frames %.3f ms apart at the closest, expected at least %g ms", dLow / 1000.0,
                 dMin);
  }
  double dMax = *std::max_element(took.begin(), took.end());
  if (kw == "expect-frame-max") {
    double dLimit = ArgFloat(c, 2);
    return Check(dMax <= dLimit * 1000.0, "an update took %.3f ms, expected at most %g ms",
                 dMax / 1000.0, dLimit);
  }
  std::vector<double> sorted = took;
  std::sort(sorted.begin(), sorted.end());
  HostOut("time-frames: median %.1f us, max %.1f us, %lld calls", sorted[sorted.size() / 2], dMax,
          n);
  return true;
}

// time-repaint WIN N: N repaints of the map view, each WM_USER sent from the
// host's thread and answered by the editor thread; prints median and maximum.
bool cmd_TimeRepaint(const CMD &c) {
  HWND h = NeedMapView(c);
  if (!h)
    return false;
  long long n = ArgInt(c, 2);
  if (n < 1 || n > 100000)
    ScriptError(c.iLine, "time-repaint: N must be 1 to 100000");
  std::vector<double> took;
  for (long long i = 0; i < n; i++) {
    double t0 = HostNowUs();
    if (!Send(h, WM_USER, 0, 0))
      return false;
    took.push_back(HostNowUs() - t0);
  }
  std::sort(took.begin(), took.end());
  HostOut("time-repaint: median %.1f us, max %.1f us, %lld repaints", took[took.size() / 2],
          took.back(), n);
  return true;
}

// time-command WIN ID: WM_COMMAND ID sent to the window from a thread of
// its own while the host's thread goes on with frames at the current place,
// one about every millisecond; prints how long the command took and how
// long the frames meanwhile took.
struct TC_SEND {
  HWND h;
  WPARAM wp;
  double dTook;
  bool bAnswered;
  std::atomic<bool> bDone;
};

static DWORD WINAPI tc_Sender(LPVOID pv) {
  TC_SEND *ps = (TC_SEND *)pv;
  double t0 = HostNowUs();
  DWORD_PTR r = 0;
  ps->bAnswered = SendMessageTimeoutA(ps->h, WM_COMMAND, ps->wp, 0, SMTO_NORMAL, 10000, &r) != 0;
  ps->dTook = HostNowUs() - t0;
  ps->bDone = true;
  return 0;
}

bool cmd_TimeCommand(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  if (!h || !NeedLib())
    return false;
  TC_SEND send;
  send.h = h;
  send.wp = (WPARAM)(uint16_t)ArgInt(c, 2);
  send.dTook = 0;
  send.bAnswered = false;
  send.bDone = false;
  HANDLE hThread = CreateThread(nullptr, 0, tc_Sender, &send, 0, nullptr);
  if (!hThread)
    return Act(false, "time-command: cannot start the sending thread");
  // A frame about every millisecond, as a fast game would: a loop without
  // pause would hold the level's lock, which the editor's requests need.
  std::vector<double> took;
  do {
    took.push_back(HostFrame(gPlayer.x, gPlayer.y, gPlayer.sHeading, gPlayer.iSector));
    Sleep(1);
  } while (!send.bDone);
  WaitForSingleObject(hThread, INFINITE);
  CloseHandle(hThread);
  if (!send.bAnswered)
    return Act(false, "time-command: no answer to WM_COMMAND %s within 10 s", c.tok[2].s.c_str());
  std::sort(took.begin(), took.end());
  HostOut("time-command: %s took %.1f us; %zu frames meanwhile, median %.1f us, max %.1f us",
          c.tok[2].s.c_str(), send.dTook, took.size(), took[took.size() / 2], took.back());
  return true;
}

// Timing series: samples in microseconds, by name, printed and checked by
// time-report.
static std::map<std::string, std::vector<double>> gTimeSeries;

// time-walk NAME X1 Y1 X2 Y2 STEPS PAUSE_MS: like walk, with PAUSE_MS of
// sleep after each frame, so the editor's timer runs during the walk; the
// time of each UpdatePosition goes to series NAME.
bool cmd_TimeWalk(const CMD &c) {
  if (!NeedLib())
    return false;
  double x1 = ArgFloat(c, 2), y1 = ArgFloat(c, 3), x2 = ArgFloat(c, 4), y2 = ArgFloat(c, 5);
  long long n = ArgInt(c, 6), iPause = ArgInt(c, 7);
  if (n < 1 || n > 1000000 || iPause < 0 || iPause > 10000)
    ScriptError(c.iLine, "time-walk: STEPS 1 to 1000000, PAUSE_MS 0 to 10000");
  double a = atan2(x2 - x1, y2 - y1) * 16384.0 / (2 * M_PI);
  int16_t sHeading = HeadingOf((long long)floor(a + 0.5 + (a < 0 ? 16384 : 0)) % 16384);
  std::vector<double> &s = gTimeSeries[c.tok[1].s];
  for (long long i = 0; i < n; i++) {
    double t = n == 1 ? 1.0 : (double)i / (double)(n - 1);
    s.push_back(HostFrame((float)(x1 + (x2 - x1) * t), (float)(y1 + (y2 - y1) * t), sHeading, -1));
    if (iPause > 0)
      Sleep((DWORD)iPause);
  }
  return true;
}

// time-send NAME WIN MSG WPARAM LPARAM: one SendMessage (answered by the
// editor thread), its time to series NAME.
bool cmd_TimeSend(const CMD &c) {
  HWND h = NeedWindow(c, 2);
  if (!h)
    return false;
  UINT msg = ArgU32(c, 3);
  WPARAM wp = ArgU32(c, 4);
  LPARAM lp = (LPARAM)ArgU32(c, 5);
  double t0 = HostNowUs();
  if (!Send(h, msg, wp, lp))
    return false;
  gTimeSeries[c.tok[1].s].push_back(HostNowUs() - t0);
  return true;
}

bool chk_TimeSend(const CMD &c) {
  CheckWindowArg(c, 2);
  ArgU32(c, 3);
  ArgU32(c, 4);
  ArgU32(c, 5);
  return true;
}

// time-report NAME [max MS]: median and maximum of the series; with max, a
// check that no sample took longer.
bool cmd_TimeReport(const CMD &c) {
  std::vector<double> s = gTimeSeries[c.tok[1].s];
  if (s.empty())
    return Act(false, "time-report: series %s has no samples", c.tok[1].s.c_str());
  std::sort(s.begin(), s.end());
  HostOut("time-report %s: median %.1f us, max %.1f us, %zu samples", c.tok[1].s.c_str(),
          s[s.size() / 2], s.back(), s.size());
  if (c.tok.size() < 4)
    return true;
  double dLimit = ArgFloat(c, 3);
  return Check(s.back() <= dLimit * 1000.0, "%s: a sample took %.3f ms, expected at most %g ms",
               c.tok[1].s.c_str(), s.back() / 1000.0, dLimit);
}

bool chk_TimeReport(const CMD &c) {
  if (c.tok.size() != 2 && (c.tok.size() != 4 || !IsWord(c, 2, "max")))
    ScriptError(c.iLine, "time-report NAME [max MS]");
  if (c.tok.size() == 4)
    ArgFloat(c, 3);
  return true;
}
