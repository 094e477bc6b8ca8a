// A program start on a fresh simulated Windows: the application object, the
// window and everything its construction does (the autostart entry, the
// accounting day, the previous session from a 1 000-record log, the tray).
#include "bench/AllocCounter.h"
#include "bench/BenchPrograms.h"

#include <benchmark/benchmark.h>

namespace hg::bench {
namespace {

std::unique_ptr<test::Program> FreshMachine(const std::vector<EventRecord>& log) {
  auto p = std::make_unique<test::Program>();
  p->platform.SetRecording(false);
  p->At(2024, 1, 5, 9, 0);
  TypicalRegistry(*p, "752964");
  p->platform.SetEventLog(log);
  return p;
}

void BM_StartUp(benchmark::State& state) {
  test::Program clock;
  clock.At(2024, 1, 5, 9, 0);
  const std::vector<EventRecord> log = SessionLog(clock.platform.Now(), 1000);
  FreshMachine(log)->Start(); // the resource script is read once, on first use

  std::uint64_t allocations = 0;
  std::size_t records = 0;
  std::size_t calls = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<test::Program> p = FreshMachine(log);
    std::uint64_t before = HeapAllocations();
    state.ResumeTiming();
    p->Start();
    state.PauseTiming();
    allocations += HeapAllocations() - before;
    records += p->platform.EventRecordsRead();
    calls += p->platform.EventLogReads();
    if (!p->Alive())
      state.SkipWithError("the window was not created");
    p.reset();
    state.ResumeTiming();
  }
  state.counters["allocs"] =
      benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
  state.counters["records_read"] =
      benchmark::Counter(static_cast<double>(records), benchmark::Counter::kAvgIterations);
  state.counters["read_calls"] =
      benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace hg::bench
