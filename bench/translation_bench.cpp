// Cost of the built-in vocabulary: one word lookup, and a busy frame's worth of texts (200: the
// scale names, the phrase-table texts and single UI words) through Tr in Japanese, where every text
// reaches the scale-name or word stage because the phrase table has no Japanese column.
#include <benchmark/benchmark.h>

#include <mutex>
#include <string>
#include <vector>

#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "translations/table_data.h"
#include "translations/word_tables.h"

static void BM_TranslateWord(benchmark::State& state) {
  const std::pair<std::string, std::string> lookups[] = {
      {"ja", "Scale"}, {"de", "Harmonic"}, {"ar", "Hirajoshi"}, {"vi", "Practice"}, {"fr", "Nothing"}, {"en", "Key"}};
  size_t i = 0;
  for (auto _ : state) {
    const auto& lookup = lookups[i++ % std::size(lookups)];
    benchmark::DoNotOptimize(TranslateWord(lookup.first, lookup.second));
  }
}
BENCHMARK(BM_TranslateWord);

static void BM_TrBusyFrameJapanese(benchmark::State& state) {
  std::vector<std::string> texts(kScaleDisplayNames, kScaleDisplayNames + kScaleDisplayNameCount);
  for (int i = 0; i < TrPhraseRowCount(); ++i) texts.push_back(TrPhraseRow(i)[0]);
  for (int i = 0; texts.size() < 200; ++i) texts.push_back(kWordRows[i].english);
  {
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = "ja-JP";
  }
  for (auto _ : state)
    for (const std::string& text : texts) benchmark::DoNotOptimize(Tr(text));
  state.counters["texts"] = double(texts.size());
}
BENCHMARK(BM_TrBusyFrameJapanese)->Unit(benchmark::kMicrosecond);
