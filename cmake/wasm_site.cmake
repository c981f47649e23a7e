# Assembles the page's static files into SITE (see the site target in cmake/wasm.cmake):
#   the page (WEB)             index.html, play.mjs, engine.mjs, bench.html, ..., _headers
#   engine/                    the engine and the bench for the browser, from the build (BUILD)
#   lib/chess.js, lib/cm-chessboard
#                              the libraries, from WEB/node_modules, with their licences
set(modules ${WEB}/node_modules)
if(NOT EXISTS ${modules}/chess.js/dist/esm/chess.js OR NOT EXISTS ${modules}/cm-chessboard/src/Chessboard.js)
    message(FATAL_ERROR "The page's libraries are missing: run `npm ci --prefix web` first")
endif()
file(REMOVE_RECURSE ${SITE})
file(GLOB page ${WEB}/*.html ${WEB}/*.mjs ${WEB}/*.css ${WEB}/_headers)
list(REMOVE_ITEM page ${WEB}/serve.mjs)
file(COPY ${page} DESTINATION ${SITE})
file(COPY ${BUILD}/korvane-engine.mjs ${BUILD}/korvane-worker.mjs ${BUILD}/korvane-input.mjs
          ${BUILD}/korvane-bench-web.mjs DESTINATION ${SITE}/engine)
file(COPY ${modules}/chess.js/dist/esm/chess.js ${modules}/chess.js/LICENSE DESTINATION ${SITE}/lib/chess.js)
file(COPY ${modules}/cm-chessboard/src ${modules}/cm-chessboard/assets ${modules}/cm-chessboard/LICENSE
     DESTINATION ${SITE}/lib/cm-chessboard FILES_MATCHING PATTERN "*.js" PATTERN "*.css" PATTERN "*.svg"
     PATTERN "LICENSE")
