// Reading a large class-list reply: 40 classes and 1,000 pupils, each value within its object.
#include <benchmark/benchmark.h>

#include <string>

#include "classroom/class_operations.h"

static std::string MakeClassList(int classes, int pupils) {
  std::string reply = "{\"classes\":[";
  for (int c = 0; c < classes; ++c)
    reply += std::string(c ? "," : "") + "{\"classId\":\"class-" + std::to_string(c) + "\",\"name\":\"Class " +
             std::to_string(c) + "\",\"joinCode\":\"ABC" + std::to_string(200 + c) + "\"}";
  reply += "],\"students\":[";
  for (int p = 0; p < pupils; ++p)
    reply += std::string(p ? "," : "") + "{\"studentId\":\"student-" + std::to_string(p) + "\",\"classId\":\"class-" +
             std::to_string(p % classes) + "\",\"name\":\"Pupil M\\u00fcller " + std::to_string(p) +
             "\",\"deviceId\":\"device-" + std::to_string(p) + "\"}";
  return reply + "]}";
}

static void BM_ParseClassList(benchmark::State& state) {
  std::string reply = MakeClassList(40, 1000);
  for (auto _ : state) ParseClassList(reply);
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)reply.size());
}
BENCHMARK(BM_ParseClassList)->Unit(benchmark::kMicrosecond);
