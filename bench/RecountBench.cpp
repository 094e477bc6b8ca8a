// The recount reads the System log newest first only as far as the session
// that started two days before: its cost follows the records of the last
// two days, not the size of the log. BM_FullScan reads every record of the
// same log through the same reader, for comparison. BM_RecountDailyLog runs
// on a log as a PC used every day writes it: thousands of other events a
// day between the start, sleep and stop records.
#include "SystemLogBuilder.h"
#include "accounting/EventLogReader.h"
#include "bench/AllocCounter.h"
#include "bench/BenchPrograms.h"

#include <benchmark/benchmark.h>

#include <map>

namespace hg::bench {
namespace {

// One started program per log size, shared by both benchmarks: a log of a
// million records takes a while to build.
test::Program& ProgramWithLog(std::size_t records) {
  static std::map<std::size_t, std::unique_ptr<test::Program>> programs;
  std::unique_ptr<test::Program>& slot = programs[records];
  if (!slot) {
    slot = std::make_unique<test::Program>();
    test::Program& p = *slot;
    p.platform.SetRecording(false);
    // Late in the century, so that a million hourly records stay after 1970.
    p.At(2099, 6, 15, 12, 0);
    TypicalRegistry(p, "0");
    p.platform.SetEventLog(SessionLog(p.platform.Now(), records));
    p.Start();
  }
  return *slot;
}

// ReadEventLogA calls, records read and heap allocations, per iteration,
// since the counts given.
void ReportReadsAndAllocations(benchmark::State& state, test::Program& p, std::size_t callsBefore,
                               std::size_t recordsBefore, std::uint64_t allocationsBefore) {
  state.counters["read_calls"] =
      benchmark::Counter(static_cast<double>(p.platform.EventLogReads() - callsBefore),
                         benchmark::Counter::kAvgIterations);
  state.counters["records_read"] =
      benchmark::Counter(static_cast<double>(p.platform.EventRecordsRead() - recordsBefore),
                         benchmark::Counter::kAvgIterations);
  state.counters["allocs"] =
      benchmark::Counter(static_cast<double>(HeapAllocations() - allocationsBefore),
                         benchmark::Counter::kAvgIterations);
}

void BM_Recount(benchmark::State& state) {
  test::Program& p = ProgramWithLog(static_cast<std::size_t>(state.range(0)));
  const std::size_t callsBefore = p.platform.EventLogReads();
  const std::size_t recordsBefore = p.platform.EventRecordsRead();
  const std::uint64_t allocationsBefore = HeapAllocations();
  for (auto _ : state)
    p.wnd->m_accountant.RecountUsage();
  ReportReadsAndAllocations(state, p, callsBefore, recordsBefore, allocationsBefore);
  // Ten hours of use on each of the two days read, and the open hour now.
  if (p.wnd->m_accountant.DayUsage(0) <= 0 || p.wnd->m_accountant.DayUsage(1) <= 0)
    state.SkipWithError("the recount found no use: the log is not what it should be");
}
BENCHMARK(BM_Recount)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_FullScan(benchmark::State& state) {
  test::Program& p = ProgramWithLog(static_cast<std::size_t>(state.range(0)));
  const std::size_t callsBefore = p.platform.EventLogReads();
  const std::size_t recordsBefore = p.platform.EventRecordsRead();
  const std::uint64_t allocationsBefore = HeapAllocations();
  std::size_t seen = 0;
  for (auto _ : state)
    ReadSystemLogBackwards(p.platform, [&seen](const EventRecord&) {
      ++seen;
      return true;
    });
  benchmark::DoNotOptimize(seen);
  ReportReadsAndAllocations(state, p, callsBefore, recordsBefore, allocationsBefore);
  if (seen != static_cast<std::size_t>(state.range(0)) * state.iterations())
    state.SkipWithError("the scan did not see every record");
}
BENCHMARK(BM_FullScan)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The daily-use log; with range(0) 1 every day starts and ends by Fast
// Startup.
void BM_RecountDailyLog(benchmark::State& state) {
  static std::unique_ptr<test::Program> programs[2];
  std::unique_ptr<test::Program>& program = programs[state.range(0)];
  if (!program) {
    program = std::make_unique<test::Program>();
    program->platform.SetRecording(false);
    program->At(2024, 6, 15, 20, 0);
    TypicalRegistry(*program, "0");
    program->platform.SetEventLog(test::SystemLog(program->platform, program->platform.Now(),
                                                  1000000, 4000, state.range(0) == 1));
    program->Start();
  }
  test::Program& p = *program;
  if (p.platform.EventRecordCount() != 1000000)
    state.SkipWithError("the log is not a million records long");
  const std::size_t callsBefore = p.platform.EventLogReads();
  const std::size_t recordsBefore = p.platform.EventRecordsRead();
  const std::uint64_t allocationsBefore = HeapAllocations();
  for (auto _ : state)
    p.wnd->m_accountant.RecountUsage();
  ReportReadsAndAllocations(state, p, callsBefore, recordsBefore, allocationsBefore);
  // 07:30 to 12:00 and 13:00 to 20:00 today; 07:30 to 12:00 and 13:00 to 22:00 yesterday.
  state.counters["today_min"] = p.wnd->m_accountant.DayUsage(0) / 60;
  state.counters["yesterday_min"] = p.wnd->m_accountant.DayUsage(1) / 60;
}
BENCHMARK(BM_RecountDailyLog)
    ->ArgName("fast_startup")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace hg::bench
