// tests/support: temporary folders, exe-folder override, driven clock and log capture.
#include "tests/support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unistd.h>

#include "platform/images.h"
#include "platform/process.h"

namespace fs = std::filesystem;

static std::mutex gCaptureMutex;
static std::string gCaptured;

static void CaptureSink(const char* text) {
  std::lock_guard<std::mutex> lock(gCaptureMutex);
  gCaptured += text;
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "tonvarra_test_XXXXXX").string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  char* made = mkdtemp(buf.data());
  path_ = made ? made : "";
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) fs::remove_all(path_, ec);
}

ScopedExeDir::ScopedExeDir(const std::string& folder) {
  ProcessSetExecutablePathForTesting(folder + "/tonvarra");
}
ScopedExeDir::~ScopedExeDir() { ProcessSetExecutablePathForTesting(""); }

DebugCapture::DebugCapture() {
  {
    std::lock_guard<std::mutex> lock(gCaptureMutex);
    gCaptured.clear();
  }
  DebugOutputSetSinkForTesting(CaptureSink);
}

DebugCapture::~DebugCapture() { DebugOutputSetSinkForTesting(nullptr); }

std::string DebugCapture::Text() const {
  std::lock_guard<std::mutex> lock(gCaptureMutex);
  return gCaptured;
}

std::vector<std::string> DebugCapture::Lines() const {
  std::vector<std::string> lines;
  std::istringstream in(Text());
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

bool DebugCapture::Contains(const std::string& needle) const {
  return Text().find(needle) != std::string::npos;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool KeepScreenshot(const std::string& name, int width, int height, std::vector<uint8_t> rgba) {
  const char* binary = std::getenv("TONVARRA_BINARY");
  std::filesystem::path dir =
      binary && *binary ? std::filesystem::path(binary).parent_path() : std::filesystem::temp_directory_path();
  dir /= "screenshots";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  for (size_t p = 3; p < rgba.size(); p += 4) rgba[p] = 255;
  const bool png = name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0;
  return SaveImageFile((dir / (png ? name : name + ".png")).string(), DecodedImage{width, height, std::move(rgba)});
}
