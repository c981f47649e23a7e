# Assembles the page's static files into SITE (see the site target in cmake/wasm.cmake):
#   the page (WEB)             index.html, play.mjs, engine.mjs, ..., manifest.webmanifest,
#                              icons/, _headers, and sw.js (the service worker, from sw.js.in)
#   engine/                    the engine, the bench and the evaluation tool for the browser,
#                              from the build (BUILD)
#   lib/chess.js, lib/cm-chessboard, lib/pgn-parser
#                              the libraries, from WEB/node_modules, with their licences
set(modules ${WEB}/node_modules)
if(NOT EXISTS ${modules}/chess.js/dist/esm/chess.js OR NOT EXISTS ${modules}/cm-chessboard/src/Chessboard.js
   OR NOT EXISTS ${modules}/@mliebelt/pgn-parser/lib/index.umd.js)
    message(FATAL_ERROR "The page's libraries are missing: run `npm ci --prefix web` first")
endif()
file(REMOVE_RECURSE ${SITE})
file(GLOB page ${WEB}/*.html ${WEB}/*.mjs ${WEB}/*.css ${WEB}/*.webmanifest ${WEB}/_headers)
list(REMOVE_ITEM page ${WEB}/serve.mjs)
file(COPY ${page} DESTINATION ${SITE})
file(COPY ${WEB}/icons DESTINATION ${SITE} FILES_MATCHING PATTERN "*.png" PATTERN "*.svg")
file(COPY ${BUILD}/korvane-engine.mjs ${BUILD}/korvane-worker.mjs ${BUILD}/korvane-input.mjs
          ${BUILD}/korvane-bench-web.mjs ${BUILD}/korvane-eval-web.mjs DESTINATION ${SITE}/engine)
# Korvane's licence, beside the page that carries its engine.
file(COPY ${WEB}/../LICENSE DESTINATION ${SITE})
file(COPY ${modules}/chess.js/dist/esm/chess.js ${modules}/chess.js/LICENSE DESTINATION ${SITE}/lib/chess.js)
file(COPY ${modules}/cm-chessboard/src ${modules}/cm-chessboard/assets ${modules}/cm-chessboard/LICENSE
     DESTINATION ${SITE}/lib/cm-chessboard FILES_MATCHING PATTERN "*.js" PATTERN "*.css" PATTERN "*.svg"
     PATTERN "LICENSE")
file(COPY ${modules}/@mliebelt/pgn-parser/LICENSE DESTINATION ${SITE}/lib/pgn-parser)
configure_file(${modules}/@mliebelt/pgn-parser/lib/index.umd.js ${SITE}/lib/pgn-parser/pgn-parser.js COPYONLY)

# The service worker keeps every file for offline use; its version is the files' contents, so
# that every change of the site is a new worker.
file(GLOB_RECURSE files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files _headers)
list(SORT files)
set(SITE_FILES "'./'")
set(hashes "")
foreach(file ${files})
    string(APPEND SITE_FILES ", '${file}'")
    file(SHA256 ${SITE}/${file} hash)
    string(APPEND hashes "${file} ${hash}\n")
endforeach()
string(SHA256 SITE_VERSION "${hashes}")
string(SUBSTRING ${SITE_VERSION} 0 16 SITE_VERSION)
configure_file(${WEB}/sw.js.in ${SITE}/sw.js @ONLY)
