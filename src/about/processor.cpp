#include "about/processor.h"

#include <cstring>

#include "files/c_format.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define NODELYX_HAS_CPUID 1
#else
#define NODELYX_HAS_CPUID 0
#endif

namespace nodelyx {
namespace {

// Family 6 processors faster than this are Pentium II rather than Pentium Pro.
constexpr std::uint32_t kPentiumProMaxMhz = 210;

#if NODELYX_HAS_CPUID
struct CpuidRegisters {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
};

// False when the instruction does not answer this leaf.
bool cpuid(unsigned leaf, CpuidRegisters& r) {
  return __get_cpuid(leaf, &r.eax, &r.ebx, &r.ecx, &r.edx) != 0;
}

bool readLeaf1(CpuidRegisters& r) { return __get_cpuid_max(0, nullptr) >= 1 && cpuid(1, r); }

int familyOf(unsigned leaf1Eax) {
  const int base = static_cast<int>((leaf1Eax >> 8) & 0xF);
  // Base family 15 means "see the extended family": without it every recent
  // AMD processor would read as a family-15 (first 64-bit) one.
  return base == 0xF ? base + static_cast<int>((leaf1Eax >> 20) & 0xFF) : base;
}
#endif

}  // namespace

std::string processorVendor() {
#if NODELYX_HAS_CPUID
  CpuidRegisters r;
  if (!cpuid(0, r)) return kUnknownVendor;
  char text[13] = {};
  std::memcpy(text, &r.ebx, 4);  // the vendor text runs through EBX, EDX, ECX
  std::memcpy(text + 4, &r.edx, 4);
  std::memcpy(text + 8, &r.ecx, 4);
  return text;
#else
  return kUnknownVendor;
#endif
}

std::uint16_t identifyProcessor() {
#if NODELYX_HAS_CPUID
  CpuidRegisters r;
  if (!cpuid(0, r)) return kNotGenuineIntel;
  const std::uint16_t genuine = processorVendor() == kGenuineIntelVendor ? 0 : kNotGenuineIntel;
  if (!readLeaf1(r)) return genuine;
  return static_cast<std::uint16_t>(genuine | (familyOf(r.eax) & kFamilyMask));
#else
  return kNotGenuineIntel;
#endif
}

std::uint32_t processorFeatures() {
#if NODELYX_HAS_CPUID
  CpuidRegisters r;
  return readLeaf1(r) ? r.edx : 0;
#else
  return 0;
#endif
}

ProcessorFacts readProcessorFacts() {
  ProcessorFacts facts;
  facts.vendor = processorVendor();
  facts.identified = facts.vendor != kUnknownVendor;
  facts.code = identifyProcessor();
  facts.features = processorFeatures();
  return facts;
}

std::string_view vendorName(std::string_view vendor) {
  if (vendor == "AuthenticAMD") return "AMD";
  if (vendor == "CyrixInstead") return "Cyrix";
  if (vendor == kGenuineIntelVendor) return "Intel";
  return "Clone";
}

std::string processorText(std::string_view vendor, int family, bool genuineIntel,
                          std::uint32_t normalizedMhz) {
  if (genuineIntel) {
    switch (family) {
      case 3:
        return "Intel 80386";
      case 4:
        return "Intel 80486";
      case 5:
        return "Intel Pentium";
      case 6:
        return normalizedMhz > kPentiumProMaxMhz ? "Intel Pentium II" : "Intel PentiumPro";
      default:
        return formatC("Intel Family %i", family);
    }
  }
  const std::string name(vendorName(vendor));
  switch (family) {
    case 3:
      return name + " 80386";
    case 4:
      return name + " 80486";
    case 5:
      return name + " 80586";
    case 6:
      return name + " 80686";
    default:
      return formatC("%s Family %i", name.c_str(), family);
  }
}

std::string describeProcessor(const ProcessorFacts& facts, std::uint32_t normalizedMhz,
                              std::string_view machine) {
  if (!facts.identified) return machine.empty() ? std::string(kUnknownVendor) : std::string(machine);
  return processorText(facts.vendor, facts.family(), facts.genuineIntel(), normalizedMhz);
}

}  // namespace nodelyx
