// Identifies the processor the program runs on (vendor, family, feature
// word) and words it for the About box. The reading functions ask the
// processor itself; the text rules are pure so any processor can be tested.
// Any thread may call these.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nodelyx {

// The processor code: the family in bits 0 to 14, kNotGenuineIntel in bit 15.
inline constexpr std::uint16_t kNotGenuineIntel = 0x8000;
inline constexpr std::uint16_t kFamilyMask = 0x7FFF;
// Bit 4 of the feature word: the processor has a time-stamp counter.
inline constexpr std::uint32_t kTimeStampCounterFeature = 1u << 4;
// The vendor text of a processor that does not report its own.
inline constexpr char kUnknownVendor[] = "------------";
inline constexpr char kGenuineIntelVendor[] = "GenuineIntel";

// The processor code. The family is the one the identification instruction
// reports, with the extended family added when the base family is 15 (as
// both x86 vendors define it). Without the instruction (another
// architecture) family 0 marked as not genuine Intel.
std::uint16_t identifyProcessor();

// The feature word (leaf 1, register EDX) of the identification
// instruction; 0 without the instruction.
std::uint32_t processorFeatures();

// The 12-character vendor text, kUnknownVendor without the instruction.
std::string processorVendor();

// What the processor says about itself, gathered once.
struct ProcessorFacts {
  bool identified = false;  // false where there is no identification instruction
  std::string vendor = kUnknownVendor;
  std::uint16_t code = kNotGenuineIntel;
  std::uint32_t features = 0;

  int family() const { return code & kFamilyMask; }
  bool genuineIntel() const { return (code & kNotGenuineIntel) == 0; }
  bool hasTimeStampCounter() const { return (features & kTimeStampCounterFeature) != 0; }
};

ProcessorFacts readProcessorFacts();

// "AMD", "Cyrix", "Intel" for their vendor texts, "Clone" for anything else.
std::string_view vendorName(std::string_view vendor);

// The processor's name: the Intel family names for a genuine Intel processor
// (family 6 above 210 MHz is a Pentium II), otherwise the vendor name with
// the family's generation. normalizedMhz is 0 when the rate is unknown.
std::string processorText(std::string_view vendor, int family, bool genuineIntel,
                          std::uint32_t normalizedMhz);

// The About box's processor name for these facts. A processor that could not
// be identified is named by its architecture (machine), or by the unknown
// vendor text when that is unknown too.
std::string describeProcessor(const ProcessorFacts& facts, std::uint32_t normalizedMhz,
                              std::string_view machine);

}  // namespace nodelyx
