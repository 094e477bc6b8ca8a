// The one-second tick of a running program, on ticks that do not recount:
// the cost every second of every day, and its heap allocations (goal: none).
#include "AccountantTestAccess.h"
#include "bench/AllocCounter.h"
#include "bench/BenchPrograms.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace hg::bench {
namespace {

// Remaining seconds one above a multiple of 600: 598 ticks follow before
// the next recount would be due.
constexpr std::int32_t kRemainingTop = 6000000 - 1;

class TickingProgram {
public:
  TickingProgram() {
    p.platform.SetRecording(false);
    p.At(2024, 1, 5, 9, 0);
    TypicalRegistry(p, "752964");
    p.Set(reg::kLimitTime, "200000");
    p.platform.SetEventLog({test::Start(p.platform.Now() - 600)});
    p.Start();
    p.Tick(31); // past the 30th tick and its recount
    m_start = p.platform.Now();
    Rewind();
  }
  // Back to the same second of the day with the remainder at its top, so that
  // neither a recount nor a new day comes near.
  void Rewind() {
    p.platform.SetTime(m_start);
    p.platform.KillTimer(p.hwnd, kTickTimerId);
    p.platform.SetTimer(p.hwnd, kTickTimerId, kTickPeriodMs);
    AccountantTestAccess::SetLastTime(p.wnd->m_accountant, kRemainingTop);
  }
  bool NearRecount() const { return p.wnd->m_accountant.LastTime() % 600 == 1; }

  test::Program p;

private:
  std::int64_t m_start = 0;
};

void BM_OrdinaryTick(benchmark::State& state) {
  TickingProgram program;
  test::Program& p = program.p;
  const std::size_t recordsBefore = p.platform.EventRecordsRead();
  std::uint64_t pausedAllocations = 0;
  const std::uint64_t before = HeapAllocations();
  for (auto _ : state) {
    p.Tick(1);
    if (program.NearRecount()) {
      state.PauseTiming();
      std::uint64_t pauseStart = HeapAllocations();
      program.Rewind();
      pausedAllocations += HeapAllocations() - pauseStart;
      state.ResumeTiming();
    }
  }
  const std::uint64_t allocations = HeapAllocations() - before - pausedAllocations;
  if (p.platform.EventRecordsRead() != recordsBefore)
    state.SkipWithError("a tick recounted: the measured ticks are not ordinary");
  if (!p.Alive() || p.PowerOffs() != 0)
    state.SkipWithError("the program stopped ticking");
  state.counters["allocs_per_tick"] =
      benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OrdinaryTick);

// HG_BENCH_TRACE_ALLOCS=1: before the benchmarks run, print the call stack of
// every allocation one ordinary tick makes.
const bool kTraced = [] {
  if (std::getenv("HG_BENCH_TRACE_ALLOCS") == nullptr)
    return false;
  TickingProgram program;
  program.p.Tick(1); // warm
  TraceAllocations(true);
  program.p.Tick(1);
  TraceAllocations(false);
  return true;
}();

} // namespace
} // namespace hg::bench
