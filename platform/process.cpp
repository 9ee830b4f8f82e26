// platform/process: /proc/self/exe, the current folder, the process id and standard error.
#include "platform/process.h"

#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <malloc.h>
#include <mutex>
#include <unistd.h>

#include "platform/clock.h"

// ---- state ----
static std::mutex gExePathMutex;                      // guards the test override
static std::string gExePathOverride;                  // "" means the real executable
static std::atomic<DebugOutputSink> gDebugSink{nullptr};

// ---- constants ----
static constexpr int kHeapTrimThreshold = 128 << 20;  // free top of heap kept before it is returned
static constexpr int kHeapTopPad = 16 << 20;          // extra asked for whenever the heap grows
static constexpr int kHeapMapThreshold = 32 << 20;    // blocks below this come from the heap

// ---- public functions ----
void KeepFreedHeapForReuse() {
  mallopt(M_TRIM_THRESHOLD, kHeapTrimThreshold);
  mallopt(M_TOP_PAD, kHeapTopPad);
  mallopt(M_MMAP_THRESHOLD, kHeapMapThreshold);  // fixed once set, so name it: blocks of 128 KiB would be mapped anew
}

std::string FindProgramOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  if (!path || !name || !*name) return "";
  std::string all = path;
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    std::string candidate = end > start ? all.substr(start, end - start) : std::string(".");
    candidate += '/';
    candidate += name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

std::string ProcessExecutablePath() {
  {
    std::lock_guard<std::mutex> lock(gExePathMutex);
    if (!gExePathOverride.empty()) return gExePathOverride;
  }
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "";
  return std::string(buf, (size_t)n);
}

std::string ProcessWorkingDir() {
  char buf[PATH_MAX];
  if (!getcwd(buf, sizeof buf)) return "";
  return buf;
}

bool ProcessSetWorkingDir(const std::string& folder) { return chdir(folder.c_str()) == 0; }

unsigned long ProcessId() { return (unsigned long)getpid(); }

int64_t ProcessStartMicros() {
  // Field 22 of /proc/self/stat counts ticks since boot on the boot-time clock; the command name
  // before it may hold spaces and brackets, so fields are counted after its last ')'.
  FILE* f = fopen("/proc/self/stat", "r");
  if (!f) return -1;
  char buf[1024];
  size_t n = fread(buf, 1, sizeof buf - 1, f);
  fclose(f);
  buf[n] = 0;
  const char* p = strrchr(buf, ')');
  if (!p) return -1;
  unsigned long long startTicks = 0;
  // After ')': state (field 3) ... starttime (field 22).
  if (sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu",
             &startTicks) != 1)
    return -1;
  long hz = sysconf(_SC_CLK_TCK);
  if (hz <= 0) return -1;
  timespec boot;
  clock_gettime(CLOCK_BOOTTIME, &boot);
  int64_t ageMicros = (int64_t)boot.tv_sec * 1000000 + boot.tv_nsec / 1000 - (int64_t)(startTicks * 1000000ull / (unsigned long long)hz);
  return ClockMicros64() - ageMicros;
}

bool ProcessEnvSwitch(const char* name) {
  const char* v = name ? std::getenv(name) : nullptr;
  return v && *v && std::strcmp(v, "0") != 0;
}

void ProcessSetExecutablePathForTesting(const std::string& path) {
  std::lock_guard<std::mutex> lock(gExePathMutex);
  gExePathOverride = path;
}

void DebugOutput(const char* text) {
  if (!text) return;
  DebugOutputSink sink = gDebugSink.load();
  if (sink) {
    sink(text);
    return;
  }
  size_t len = strlen(text);
  while (len > 0) {
    ssize_t w = write(STDERR_FILENO, text, len);
    if (w <= 0) return;
    text += w;
    len -= (size_t)w;
  }
}

void DebugOutputSetSinkForTesting(DebugOutputSink sink) { gDebugSink.store(sink); }
