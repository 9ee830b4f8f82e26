// platform/crash_posix: the crash handler over POSIX signals.
//
// Everything the handler touches is prepared at install time (folder, UTC offset, alternate stack,
// the unwinder loaded by one early backtrace call, the command that shows the box), so the handler
// itself takes no locks, allocates nothing and calls only open, write, close, clock_gettime,
// backtrace, _Fork, execve and raise.
#include <execinfo.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/crash.h"
#include "platform/message_box.h"
#include "platform/process.h"

// ---- constants ----
static const size_t kCrashPathMax = 4096;
static const size_t kPieceMax = 512;
static const int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
static const char kBoxCaption[] = "Tonvarra";
static const char kBoxText[] =
    "Tonvarra ran into a problem and needs to close.\n\nA diagnostic report was saved to the app's "
    "Logs folder. Please send the newest crash_*.dmp and crash_*.txt files to support so we can fix "
    "this for you.";

const char kCrashBoxArgument[] = "--crash-box";

// ---- state ----
static char gCrashLogFolder[kCrashPathMax];   // "<exe folder>/Logs", or "" when it could not be formed
static long gUtcOffsetSeconds = 0;            // local time minus UTC, taken at install
static bool gCrashBoxesEnabled = true;        // the environment did not switch message boxes off
static char gBoxProgram[PATH_MAX];            // the executable that shows the box, "" for none
static char* gBoxArgv[3];                     // its arguments: the program and kCrashBoxArgument
static int gCrashStderr = 2;                  // standard error as it was at install (a copy)
alignas(16) static char gAltStack[1 << 16];   // the handler's own stack (the faulting one may be gone)

// ---- internal helpers (async-signal-safe) ----
namespace {
struct Writer {  // appends into a fixed buffer, never past its end
  char* buf;
  size_t size;
  size_t len = 0;
  void Put(const char* s) {
    while (*s && len + 1 < size) buf[len++] = *s++;
    buf[len] = 0;
  }
  void Dec(unsigned long v, int width) {
    char tmp[24];
    int n = 0;
    do {
      tmp[n++] = (char)('0' + v % 10);
      v /= 10;
    } while (v && n < 23);
    while (n < width && n < 23) tmp[n++] = '0';
    while (n > 0 && len + 1 < size) buf[len++] = tmp[--n];
    buf[len] = 0;
  }
  void Hex(unsigned long long v, int digits) {
    for (int i = digits - 1; i >= 0 && len + 1 < size; --i) buf[len++] = "0123456789ABCDEF"[(v >> (i * 4)) & 15];
    buf[len] = 0;
  }
};
}  // namespace

static void WriteText(int fd, const char* text, size_t len) {
  while (len > 0) {
    ssize_t n = write(fd, text, len);
    if (n <= 0) return;
    text += n;
    len -= (size_t)n;
  }
}

static void FormatCrashPath(char* out, size_t size, const char* folder, const CrashStamp& s,
                            const char* extension) {
  Writer w{out, size};
  w.Put(folder);
  w.Put("/crash_");
  w.Dec(s.year, 4), w.Dec(s.month, 2), w.Dec(s.day, 2);
  w.Put("_");
  w.Dec(s.hour, 2), w.Dec(s.minute, 2), w.Dec(s.second, 2);
  w.Put(extension);
}

static int CreateAlways(const char* path) { return open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644); }

// Starts the box in a process of its own, cut loose from this one: its own session, no signal
// blocked, no descriptor of ours but none of the standard ones pointing anywhere.
static void StartCrashBoxProcess() {
  if (!gBoxProgram[0]) return;
  pid_t pid = _Fork();
  if (pid != 0) return;
  setsid();
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  int null = open("/dev/null", O_RDWR);
  if (null >= 0) dup2(null, 0), dup2(null, 1), dup2(null, 2);
  close_range(3, ~0u, 0);
  execve(gBoxProgram, gBoxArgv, environ);
  _exit(127);
}

static void CrashSignalHandler(int sig, siginfo_t* info, void*) {
  CrashStamp stamp = CrashStampNow();
  const char* folder = gCrashLogFolder[0] ? gCrashLogFolder : ".";
  // A signal sent by another process (si_code <= 0) carries no fault address.
  const void* address = info && info->si_code > 0 ? info->si_addr : nullptr;
  WriteCrashFiles(folder, stamp, info != nullptr, sig, address);
  WriteText(gCrashStderr, kBoxCaption, sizeof kBoxCaption - 1);
  WriteText(gCrashStderr, ": ", 2);
  WriteText(gCrashStderr, kBoxText, sizeof kBoxText - 1);
  WriteText(gCrashStderr, "\n", 1);
  if (gCrashBoxesEnabled) StartCrashBoxProcess();
  // The handler was installed to reset itself: the re-raised signal ends the process.
  raise(sig);
}

// ---- public functions ----
size_t FormatCrashReport(char* buf, size_t size, const CrashStamp& s, bool hasSignalInfo, int sig,
                         const void* faultAddress) {
  Writer w{buf, size};
  w.Put("Tonvarra crash report\r\nTime: ");
  w.Dec(s.year, 4), w.Put("-"), w.Dec(s.month, 2), w.Put("-"), w.Dec(s.day, 2), w.Put(" ");
  w.Dec(s.hour, 2), w.Put(":"), w.Dec(s.minute, 2), w.Put(":"), w.Dec(s.second, 2), w.Put("\r\n");
  if (hasSignalInfo) {
    w.Put("Exception code: 0x");
    w.Hex((unsigned)sig, 8);
    w.Put("\r\nException address: 0x");
    w.Hex((unsigned long long)(uintptr_t)faultAddress, 16);
    w.Put("\r\n");
  }
  w.Put("Please send the matching crash_*.dmp and this .txt to support so we can fix it.\r\n");
  return w.len;
}

void WriteCrashFiles(const char* folder, const CrashStamp& stamp, bool hasSignalInfo, int sig,
                     const void* faultAddress) {
  void* frames[64];
  int frameCount = backtrace(frames, 64);
  char path[kCrashPathMax + 32];

  FormatCrashPath(path, sizeof path, folder, stamp, ".dmp");
  int fd = CreateAlways(path);
  if (fd >= 0) {
    backtrace_symbols_fd(frames, frameCount, fd);
    close(fd);
  }

  FormatCrashPath(path, sizeof path, folder, stamp, ".txt");
  fd = CreateAlways(path);
  if (fd < 0) return;
  char piece[kPieceMax];
  size_t len = FormatCrashReport(piece, sizeof piece, stamp, hasSignalInfo, sig, faultAddress);
  // The report stays the short text it promises; the frames are in the .dmp beside it.
  if (len > 0) WriteText(fd, piece, len);
  close(fd);
}

CrashStamp CrashStampNow() {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  long long t = (long long)ts.tv_sec + gUtcOffsetSeconds;
  long long days = t / 86400, rem = t % 86400;
  if (rem < 0) rem += 86400, days -= 1;
  // Civil date from days since 1970-01-01 (proleptic Gregorian).
  long long z = days + 719468;
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  unsigned doe = (unsigned)(z - era * 146097);
  unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long y = (long long)yoe + era * 400;
  unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  unsigned mp = (5 * doy + 2) / 153;
  unsigned d = doy - (153 * mp + 2) / 5 + 1;
  unsigned m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) y += 1;
  CrashStamp s;
  s.year = (unsigned)y, s.month = m, s.day = d;
  s.hour = (unsigned)(rem / 3600), s.minute = (unsigned)(rem / 60 % 60), s.second = (unsigned)(rem % 60);
  return s;
}

int RunCrashBoxProcess() {
  ShowErrorBox(kBoxCaption, kBoxText);
  return 0;
}

void InstallCrashHandler() {
  gCrashLogFolder[0] = 0;
  std::string exe = ProcessExecutablePath();
  size_t slash = exe.find_last_of('/');
  if (!exe.empty() && slash != std::string::npos) {
    std::string folder = exe.substr(0, slash) + "/Logs";
    if (folder.size() < kCrashPathMax) {
      memcpy(gCrashLogFolder, folder.c_str(), folder.size() + 1);
      mkdir(gCrashLogFolder, 0755);  // an existing folder is fine
    }
  }
  time_t now = time(nullptr);
  struct tm local;
  if (localtime_r(&now, &local)) gUtcOffsetSeconds = local.tm_gmtoff;
  gCrashBoxesEnabled = ErrorBoxesEnabled();
  // Standard error may point at /dev/null for a moment (a library's start-up chatter is hushed
  // that way); the crash text goes to the descriptor as it was now.
  if (gCrashStderr != 2) close(gCrashStderr);
  gCrashStderr = fcntl(2, F_DUPFD_CLOEXEC, 3);
  if (gCrashStderr < 0) gCrashStderr = 2;
  // The real executable (not a test's stand-in path): the box process is this program anew.
  gBoxProgram[0] = 0;
  ssize_t n = readlink("/proc/self/exe", gBoxProgram, sizeof gBoxProgram - 1);
  gBoxProgram[n > 0 ? n : 0] = 0;
  gBoxArgv[0] = gBoxProgram;
  gBoxArgv[1] = const_cast<char*>(kCrashBoxArgument);
  gBoxArgv[2] = nullptr;
  void* warm[2];
  backtrace(warm, 2);  // loads the unwinder now, not inside the handler

  stack_t ss;
  memset(&ss, 0, sizeof ss);
  ss.ss_sp = gAltStack;
  ss.ss_size = sizeof gAltStack;
  sigaltstack(&ss, nullptr);

  struct sigaction sa;
  memset(&sa, 0, sizeof sa);
  sa.sa_sigaction = CrashSignalHandler;
  sa.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&sa.sa_mask);
  for (int sig : kCrashSignals) sigaction(sig, &sa, nullptr);
}
