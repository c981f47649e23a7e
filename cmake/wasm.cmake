# The WebAssembly build (cmake/toolchain-emscripten.cmake): how its programs are linked, and the
# JavaScript around them. In the build folder:
#   korvane.mjs                    the UCI engine under node (node korvane.mjs)
#   korvane-worker.mjs, korvane-input.mjs, korvane-engine.mjs
#                                  the engine in a worker, for the node runner and the web page
#   korvane-bench.mjs, korvane-perft.mjs, korvane-eval.mjs
#                                  the tools, run as node korvane-bench.mjs 5
#   korvane-bench-web.mjs, korvane-eval-web.mjs
#                                  the bench and the evaluation tool for the page's workers
set(KORVANE_WASM_JS_DIR ${CMAKE_SOURCE_DIR}/src/platform/wasm)
if(KORVANE_RELEASE)
    message(FATAL_ERROR "KORVANE_RELEASE links native archives (-static -s): not for a WebAssembly build")
endif()

# Every program: the WebAssembly inside its .mjs file (node cannot load a separate .wasm file
# from an ES module here), and a heap that grows as the table needs, up to the 4 GB that 32-bit
# addresses reach; a table the heap cannot grow to is refused (malloc returns null, no abort).
set(KORVANE_WASM_LINK_OPTIONS -sSINGLE_FILE -sALLOW_MEMORY_GROWTH -sMAXIMUM_MEMORY=4GB -sABORTING_MALLOC=0
    -sEXIT_RUNTIME)

# The engine: a module that the worker starts with its input queue and output hooks. It uses no
# file system and nothing of node or of the browser, so the same file runs in both. (Emscripten
# makes any .mjs program a module whose default export starts it.)
set_target_properties(korvane PROPERTIES OUTPUT_NAME korvane-engine SUFFIX .mjs)
target_link_options(korvane PRIVATE ${KORVANE_WASM_LINK_OPTIONS} -sMODULARIZE -sEXPORT_ES6 -sENVIRONMENT=web,worker
    -sFILESYSTEM=0)

# The tools: node programs that read their arguments, and files through node (the perft suite).
foreach(tool korvane-perft korvane-bench korvane-eval)
    set_target_properties(${tool} PROPERTIES SUFFIX .mjs)
    target_link_options(${tool} PRIVATE ${KORVANE_WASM_LINK_OPTIONS} -sENVIRONMENT=node -sNODERAWFS
        "SHELL:--extern-pre-js ${KORVANE_WASM_JS_DIR}/node-program-prefix.js"
        "SHELL:--extern-post-js ${KORVANE_WASM_JS_DIR}/node-program-suffix.js")
    set_property(TARGET ${tool} APPEND PROPERTY LINK_DEPENDS ${KORVANE_WASM_JS_DIR}/node-program-prefix.js
                                                             ${KORVANE_WASM_JS_DIR}/node-program-suffix.js)
endforeach()

# The runner, the worker and the input queue, copied beside the engine.
set(KORVANE_WASM_JS korvane.mjs korvane-worker.mjs korvane-input.mjs)
foreach(file ${KORVANE_WASM_JS})
    configure_file(${KORVANE_WASM_JS_DIR}/${file} ${CMAKE_BINARY_DIR}/${file} COPYONLY)
endforeach()

# Two tools again, as modules for a browser's worker: the bench (web/bench.html measures the
# speed there) and the evaluation (the page explains the evaluation of the position on its
# board with korvane-eval --terms, the same program as the native tool).
set(korvane-bench-web_LIBRARIES korvane_core)
set(korvane-eval-web_LIBRARIES korvane_eval)
foreach(tool bench eval)
    add_executable(korvane-${tool}-web tools/${tool}.cpp)
    target_link_libraries(korvane-${tool}-web PRIVATE ${korvane-${tool}-web_LIBRARIES})
    target_compile_options(korvane-${tool}-web PRIVATE ${KORVANE_WARNINGS})
    set_target_properties(korvane-${tool}-web PROPERTIES SUFFIX .mjs)
    target_link_options(korvane-${tool}-web PRIVATE ${KORVANE_WASM_LINK_OPTIONS} -sMODULARIZE -sEXPORT_ES6
        -sENVIRONMENT=web,worker -sFILESYSTEM=0)
endforeach()

# The page to play Korvane (web/), assembled with the engine and the page's libraries into one
# folder of static files, build-wasm/site: `cmake --build build-wasm --target site`, after
# `npm ci --prefix web` has installed the libraries. Serve it with node web/serve.mjs.
add_custom_target(site
    COMMAND ${CMAKE_COMMAND} -DWEB=${CMAKE_SOURCE_DIR}/web -DBUILD=${CMAKE_BINARY_DIR} -DSITE=${CMAKE_BINARY_DIR}/site
            -P ${CMAKE_SOURCE_DIR}/cmake/wasm_site.cmake
    DEPENDS korvane korvane-bench-web korvane-eval-web
    COMMENT "Assembling the page in ${CMAKE_BINARY_DIR}/site"
    VERBATIM)
