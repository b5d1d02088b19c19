// Replays the inputs kept under tests/data/fuzz/<fuzzer>/ through the fuzz
// targets in an ordinary build: inputs that once broke a target, and a few
// that reach its deepest checks. A target aborts with the property it found
// broken, so a failing input fails this test with that message.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"

namespace {

namespace fs = std::filesystem;

struct Target {
  const char* name;
  int (*run)(const std::uint8_t*, std::size_t);
};

const Target kTargets[] = {
    {"project_file", sci_fuzz::ProjectFile},
    {"xml_writers", sci_fuzz::XmlWriters},
    {"importer", sci_fuzz::Importer},
    {"gltf_reader", sci_fuzz::GltfReader},
    {"batch_line", sci_fuzz::BatchLine},
    {"snapshot", sci_fuzz::Snapshot},
};

class FuzzRegression : public testing::TestWithParam<Target> {};

TEST_P(FuzzRegression, KeptInputsKeepEveryProperty) {
  const fs::path dir = fs::path(SCI_TEST_DATA_DIR) / "fuzz" / GetParam().name;
  ASSERT_TRUE(fs::is_directory(dir)) << dir;
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  ASSERT_FALSE(inputs.empty()) << "no inputs kept in " << dir;
  for (const fs::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Named before the run: a broken property aborts the process.
    std::fprintf(stderr, "replaying %s\n", input.string().c_str());
    EXPECT_EQ(GetParam().run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0) << input;
  }
}

INSTANTIATE_TEST_SUITE_P(Fuzzers, FuzzRegression, testing::ValuesIn(kTargets),
                         [](const testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

}  // namespace
