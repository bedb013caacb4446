# Options every Nodelyx target gets: warnings on, and floating-point code that
# gives the same bits on every machine (no contraction into fused multiply-add,
# no fast-math reassociation).
add_library(nodelyx_options INTERFACE)
target_compile_options(nodelyx_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
  -ffp-contract=off -fno-fast-math)

if(NODELYX_SANITIZE)
  target_compile_options(nodelyx_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(nodelyx_options INTERFACE -fsanitize=address,undefined)
endif()

if(NODELYX_SANITIZE_THREAD)
  target_compile_options(nodelyx_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(nodelyx_options INTERFACE -fsanitize=thread)
endif()

# The fuzzing build instruments everything for coverage; the fuzz targets
# add libFuzzer's main themselves.
if(NODELYX_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (CXX=clang++)")
  endif()
  target_compile_options(nodelyx_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(nodelyx_options INTERFACE -fsanitize=address,undefined)
endif()
