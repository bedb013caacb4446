#include "about/processor.h"

#include <gtest/gtest.h>

#include "about/system_info.h"

namespace nodelyx {
namespace {

TEST(ProcessorTextTest, NamesEachVendorAndFamily) {
  struct Case {
    const char* vendor;
    int family;
    bool genuine;
    std::uint32_t mhz;
    const char* text;
  };
  const Case cases[] = {
      {"GenuineIntel", 3, true, 0, "Intel 80386"},
      {"GenuineIntel", 4, true, 0, "Intel 80486"},
      {"GenuineIntel", 5, true, 233, "Intel Pentium"},
      {"GenuineIntel", 6, true, 0, "Intel PentiumPro"},
      {"GenuineIntel", 6, true, 210, "Intel PentiumPro"},
      {"GenuineIntel", 6, true, 211, "Intel Pentium II"},
      {"GenuineIntel", 15, true, 3000, "Intel Family 15"},
      {"AuthenticAMD", 5, false, 0, "AMD 80586"},
      {"AuthenticAMD", 6, false, 500, "AMD 80686"},  // the Pentium II rule is Intel's only
      {"AuthenticAMD", 26, false, 2596, "AMD Family 26"},
      {"CyrixInstead", 4, false, 0, "Cyrix 80486"},
      {"CyrixInstead", 3, false, 0, "Cyrix 80386"},
      {"GenuineIntel", 5, false, 0, "Intel 80586"},  // an Intel vendor text that failed the checks
      {"CentaurHauls", 6, false, 0, "Clone 80686"},
      {"------------", 0, false, 0, "Clone Family 0"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(processorText(c.vendor, c.family, c.genuine, c.mhz), c.text) << c.vendor << " " << c.family;
}

TEST(ProcessorFactsTest, RealFactsAreConsistent) {
  const ProcessorFacts facts = readProcessorFacts();
#if defined(__x86_64__)
  ASSERT_TRUE(facts.identified);
  EXPECT_EQ(facts.vendor.size(), 12u);
  EXPECT_EQ(facts.genuineIntel(), facts.vendor == "GenuineIntel");
  EXPECT_GE(facts.family(), 6);
#else
  EXPECT_FALSE(facts.identified);
  EXPECT_EQ(facts.vendor, "------------");
#endif
}

TEST(AboutTextTest, ColumnsPairEachLabelWithItsValue) {
  SystemInfo info{"AMD Family 25", 2596, 24683772, 95, "Linux 6.1.0-18-amd64\n#1 SMP PREEMPT_DYNAMIC"};
  EXPECT_EQ(aboutLabelColumn(), "Processor:\nTotal memory:\nFree memory:\nOperating System:");
  EXPECT_EQ(aboutValueColumn(info),
            "AMD Family 25 2596MHz\n24683772 KB\n95 %\nLinux 6.1.0-18-amd64\n#1 SMP PREEMPT_DYNAMIC");
  info = {"Intel Pentium", 0, 5'000'000'000ull, 0, ""};  // no rate; more than 4 TiB of memory
  EXPECT_EQ(aboutValueColumn(info), "Intel Pentium\n5000000000 KB\n0 %\n");
  EXPECT_EQ(aboutRows(info).size(), 4u);
}

TEST(SystemInfoTest, FreeMemoryIsTheTruncatedShareOfMemoryAndSwap) {
  constexpr std::uint64_t kGiB = 1ull << 30;
  struct Case {
    MemoryStatus memory;
    int percent;
  };
  const Case cases[] = {
      {{1000, 250, 0, 0}, 25},
      {{1000, 999, 0, 0}, 99},
      {{1000, 1000, 0, 0}, 100},
      {{8 * kGiB, 2 * kGiB, 8 * kGiB, 8 * kGiB}, 62},  // 62.5
      {{1ull << 50, 1ull << 49, 0, 0}, 50},
      {{0, 0, 0, 0}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(freeMemoryPercent(c.memory), c.percent) << c.memory.totalPhysical;
  EXPECT_EQ(totalMemoryKb({kGiB + 1023, 0, 0, 0}), 1048576u);
}

TEST(SystemInfoTest, ReadsMemAvailableOnlyFromItsOwnLine) {
  const std::pair<const char*, std::optional<std::uint64_t>> cases[] = {
      {"MemTotal:  100 kB\nMemFree:  10 kB\nMemAvailable:   40 kB\n", 40 * 1024},
      {"MemAvailable: 7 kB", 7 * 1024},
      {"XMemAvailable: 5 kB\nMemAvailable: 6 kB\n", 6 * 1024},
      {"MemTotal:  100 kB\n", std::nullopt},
      {"MemAvailable: lots\n", std::nullopt},
      {"MemAvailable: 12\n", std::nullopt},
      {"MemAvailable: 99999999999999999999 kB\n", std::nullopt},
  };
  for (const auto& [text, bytes] : cases) EXPECT_EQ(parseMemAvailable(text), bytes) << text;
}

TEST(SystemInfoTest, OperatingSystemTextHasNameAndReleaseThenVersion) {
  EXPECT_EQ(operatingSystemText("Linux", "6.1.0-18-amd64", "#1 SMP Debian 6.1.76-1"),
            "Linux 6.1.0-18-amd64\n#1 SMP Debian 6.1.76-1");
  EXPECT_EQ(operatingSystemText("Linux", "6.1.0", ""), "Linux 6.1.0");
  EXPECT_EQ(operatingSystemText("", "6.1.0", "#1"), "");
}

TEST(SystemInfoTest, RealMemoryStatusIsSane) {
  const MemoryStatus memory = readMemoryStatus();
  EXPECT_GT(memory.totalPhysical, 0u);
  EXPECT_LE(memory.availablePhysical, memory.totalPhysical);
  EXPECT_LE(memory.availableSwap, memory.totalSwap);
}

}  // namespace
}  // namespace nodelyx
