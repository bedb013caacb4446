// Test helper: counts the calls of the global operator new of the test
// program, so that a test can show that some code allocates nothing.
#pragma once

#include <atomic>
#include <cstddef>

namespace nodelyx::testing {

std::size_t allocationCount();

}  // namespace nodelyx::testing
