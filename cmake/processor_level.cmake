# The processor level the engine is compiled for (KORVANE_ARCH), as -march for every target
# that follows, and the build machine's own x86-64 level (KORVANE_MACHINE_LEVEL), which decides
# whether the build can run, and so profile, what it builds. Included by CMakeLists.txt before
# the engine's libraries.
# The processor level the engine is compiled for. Piece counts are population counts, and the
# x86-64-v2 level has the processor's own instruction for them (every x86-64 processor of the
# last fifteen years does): 6% on the bench over plain x86-64. Choose x86-64 for older
# machines, x86-64-v3 for processors with AVX2 and BMI2, native for the build machine itself;
# armv8-a is the ARM64 baseline. The environment variable KORVANE_ARCH gives the default of a
# fresh build folder.
# An ARM64 or WebAssembly build has its one level whatever the variable says (the test command
# sets it for its x86-64 builds and then cross-builds the others).
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64|ARM64)$")
    set(KORVANE_ARCH_DEFAULT armv8-a)
elseif(EMSCRIPTEN)
    set(KORVANE_ARCH_DEFAULT wasm32)
elseif(DEFINED ENV{KORVANE_ARCH} AND NOT "$ENV{KORVANE_ARCH}" STREQUAL "")
    set(KORVANE_ARCH_DEFAULT $ENV{KORVANE_ARCH})
else()
    set(KORVANE_ARCH_DEFAULT x86-64-v2)
endif()
set(KORVANE_ARCH ${KORVANE_ARCH_DEFAULT} CACHE STRING "Processor level: x86-64, x86-64-v2, x86-64-v3, native, armv8-a or wasm32")
set_property(CACHE KORVANE_ARCH PROPERTY STRINGS x86-64 x86-64-v2 x86-64-v3 native armv8-a wasm32)
if(NOT KORVANE_ARCH MATCHES "^(x86-64|x86-64-v2|x86-64-v3|native|armv8-a|wasm32)$")
    message(FATAL_ERROR "KORVANE_ARCH must be x86-64, x86-64-v2, x86-64-v3, native, armv8-a or wasm32, not '${KORVANE_ARCH}'")
endif()
if(NOT KORVANE_ARCH STREQUAL "wasm32")  # WebAssembly has one level, and no -march
    add_compile_options(-march=${KORVANE_ARCH})
endif()
message(STATUS "Korvane: processor level ${KORVANE_ARCH}")
if(KORVANE_ARCH STREQUAL "x86-64")
    set(KORVANE_X86_64_LEVEL 1)
elseif(KORVANE_ARCH STREQUAL "x86-64-v2")
    set(KORVANE_X86_64_LEVEL 2)
elseif(KORVANE_ARCH STREQUAL "x86-64-v3")
    set(KORVANE_X86_64_LEVEL 3)
else()
    set(KORVANE_X86_64_LEVEL 0)  # native or ARM: no level to check
endif()

# The build machine's own x86-64 level, from the same test the engine makes at start-up: a
# build above it cannot be profiled here, and is warned of.
set(KORVANE_MACHINE_LEVEL 0)
if(KORVANE_X86_64_LEVEL GREATER 0 AND NOT CMAKE_CROSSCOMPILING)
    try_run(level_run level_compiled ${CMAKE_BINARY_DIR}/machine-level
            SOURCES ${CMAKE_SOURCE_DIR}/cmake/machine_level.cpp ${CMAKE_SOURCE_DIR}/src/platform/processor_check.cpp
            CMAKE_FLAGS -DINCLUDE_DIRECTORIES=${CMAKE_SOURCE_DIR}/src
            COMPILE_DEFINITIONS -march=x86-64
            RUN_OUTPUT_VARIABLE level_output)
    if(level_compiled AND level_run EQUAL 0)
        string(STRIP "${level_output}" KORVANE_MACHINE_LEVEL)
    endif()
    message(STATUS "Korvane: this machine runs x86-64 code up to level ${KORVANE_MACHINE_LEVEL}")
    if(KORVANE_MACHINE_LEVEL LESS KORVANE_X86_64_LEVEL)
        message(WARNING "This machine cannot run ${KORVANE_ARCH} code: configure with a lower -DKORVANE_ARCH to run what you build here")
    endif()
endif()

