// Appends to a full 1000-line activity log: each append reads the log once
// and writes it once (to a new file renamed over the old one).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "activity_log.h"
#include "text_codec.h"

namespace {

class NullPort : public mirte::MessagePort {
 public:
  void ShowMessage(const std::string&, mirte::MessageIcon) override {}
};

void BM_AppendToFullLog(benchmark::State& state) {
  std::string dir_template =
      (std::filesystem::temp_directory_path() / "mirte-bench-XXXXXX").string();
  std::filesystem::path dir = ::mkdtemp(dir_template.data());
  std::string log = (dir / "log.txt").string();
  const std::string line = mirte::Cp932("送信アドレス(me@example.jpyou@example.com)") +
                           mirte::LogTimeStamp(std::time(nullptr));
  {
    std::ofstream out(log, std::ios::binary);
    for (int i = 0; i < 1000; ++i) out << line << "\r\n";
  }
  NullPort port;
  for (auto _ : state) {
    benchmark::DoNotOptimize(mirte::AppendLog(log, line, port));
  }
  state.counters["appends/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_AppendToFullLog)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
