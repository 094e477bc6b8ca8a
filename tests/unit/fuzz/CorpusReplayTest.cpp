// Every committed fuzz input, run through its target with the target's own
// checks: the corpus under fuzz/corpus/<Target>/ keeps what the fuzzers found
// (crashes among it, once fixed) passing on every build, sanitized or not.
#include "fuzz/targets/FuzzTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace hg::fuzz {
namespace {

namespace fs = std::filesystem;

struct CheckFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void ThrowCheckFailed(const char* file, int line, const std::string& what) {
  throw CheckFailed(std::string(file) + ":" + std::to_string(line) + ": " + what);
}

// The checks throw instead of aborting while a test runs.
class ThrowingChecks {
public:
  ThrowingChecks() { SetFailureHandler(&ThrowCheckFailed); }
  ~ThrowingChecks() { SetFailureHandler(nullptr); }
};

// The source tree holds the corpus next to res/, where the resource script is.
fs::path CorpusDir(const char* target) {
  return fs::path(HG_RC_PATH).parent_path().parent_path() / "fuzz" / "corpus" / target;
}

std::vector<fs::path> Files(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_regular_file())
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CorpusReplayTest : public ::testing::TestWithParam<Target> {};

TEST_P(CorpusReplayTest, EveryCommittedInputPassesTheTargetsChecks) {
  const Target& target = GetParam();
  fs::path dir = CorpusDir(target.name);
  ASSERT_TRUE(fs::is_directory(dir)) << dir;
  std::vector<fs::path> files = Files(dir);
  ASSERT_FALSE(files.empty()) << "no seeds in " << dir;
  ThrowingChecks checks;
  for (const fs::path& file : files) {
    std::string bytes = Bytes(file);
    try {
      EXPECT_EQ(target.fn(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0)
          << file.filename();
    } catch (const CheckFailed& failure) {
      ADD_FAILURE() << file.filename() << ": " << failure.what();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusReplayTest, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& info) {
                           return std::string(info.param.name);
                         });

// A target's check that does not hold ends the input as a failure the test
// sees, with where and why.
TEST(FuzzChecksTest, ABrokenCheckReachesTheTest) {
  ThrowingChecks checks;
  try {
    HG_FUZZ_CHECK(1 + 1 == 3, "arithmetic");
    FAIL() << "the check did not fail";
  } catch (const CheckFailed& failure) {
    EXPECT_NE(std::string(failure.what()).find("1 + 1 == 3: arithmetic"), std::string::npos)
        << failure.what();
  }
}

} // namespace
} // namespace hg::fuzz
