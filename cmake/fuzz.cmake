# The command fuzzer's build (tests/fuzz/run_fuzzer.sh configures it): clang's libFuzzer over a
# sanitizer build. Every target of this build folder is compiled with libFuzzer's coverage
# instrumentation and with AddressSanitizer and UndefinedBehaviorSanitizer (KORVANE_SANITIZE), so
# that the fuzzer steers by, and stops on, what happens inside the engine; the fuzzer itself
# (korvane-fuzzer, tests/fuzz/CMakeLists.txt) links libFuzzer's main.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KORVANE_FUZZ needs clang's libFuzzer: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
if(NOT KORVANE_TESTS)
    message(FATAL_ERROR "KORVANE_FUZZ builds the fuzzer among the tests: leave KORVANE_TESTS on")
endif()
if(CMAKE_CROSSCOMPILING)
    message(FATAL_ERROR "KORVANE_FUZZ builds a fuzzer for this machine only")
endif()
# libFuzzer is part of clang's runtime, which Debian ships apart from the compiler: say so here
# rather than at the fuzzer's link.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer,address,undefined)
set(CMAKE_REQUIRED_LINK_OPTIONS -fsanitize=fuzzer,address,undefined)
check_cxx_source_compiles([[
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
]] KORVANE_LIBFUZZER_LINKS)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
if(NOT KORVANE_LIBFUZZER_LINKS)
    message(FATAL_ERROR "clang++ cannot link a libFuzzer program: install clang's runtime (Debian's libclang-rt-dev)")
endif()
set(KORVANE_SANITIZE ON)
add_compile_options(-fsanitize=fuzzer-no-link)
