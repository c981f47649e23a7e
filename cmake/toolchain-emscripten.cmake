# Builds Korvane as WebAssembly with Debian's emscripten (package emscripten):
#   cmake -S . -B build-wasm -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-emscripten.cmake
# The programs come out as JavaScript modules with the WebAssembly inside (korvane-engine.mjs,
# korvane-bench.mjs, ...), run by node; build-wasm/korvane.mjs is the UCI engine under node.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# Emscripten's own helper scripts run under node and need Debian's acorn, which a node that did
# not come from Debian does not look for. The link is where they run.
set(KORVANE_EMSCRIPTEN_NODE_PATH /usr/share/nodejs)
set(ENV{NODE_PATH} ${KORVANE_EMSCRIPTEN_NODE_PATH})
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${KORVANE_EMSCRIPTEN_NODE_PATH})

# Programs built here run under node: tests and the bench go through it.
set(CMAKE_CROSSCOMPILING_EMULATOR node CACHE FILEPATH "Runs the WebAssembly programs")
