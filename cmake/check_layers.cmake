# Fails the build on an #include that runs up the engine's floors (CMakeLists.txt and
# src/README.md): each folder of src/ may include its own headers and those of the folders below
# it, plus the declared ties, each named with the one file that may use it.
#   cmake -DSOURCE_DIR=src -P cmake/check_layers.cmake
cmake_policy(VERSION 3.20)
set(below_platform "")
set(below_position platform)
set(below_movegen position platform)
set(below_eval position platform)
set(below_search movegen eval position platform)
set(below_frontend search movegen eval position platform)
set(below_main frontend platform)
# "<including file>|<included header>": the one declared tie, make's running sums of the
# evaluation's material and table values (constant data; nothing of eval is linked).
set(declared_ties
    "position/make.h|eval/piece_square_values.h")

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h.in)
set(violations "")
foreach(file ${files})
    if(file MATCHES "/")
        string(REGEX REPLACE "/.*" "" folder ${file})
    else()
        set(folder main)
    endif()
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${includes})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
        if(NOT header MATCHES "/")
            continue()  # not a header of src/
        endif()
        string(REGEX REPLACE "/.*" "" target ${header})
        if(target STREQUAL folder OR target IN_LIST below_${folder} OR "${file}|${header}" IN_LIST declared_ties)
            continue()
        endif()
        string(APPEND violations "\n  ${file} includes ${header}: ${folder}/ may use only ${folder}/ and below")
    endforeach()
endforeach()
if(violations)
    message(FATAL_ERROR "#include running up the floors:${violations}")
endif()
