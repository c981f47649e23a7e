# Profile-guided optimisation, step 2 of 2 (run by the build; see CMakeLists.txt): after the
# instrumented bench has run, gives its profile files the names the optimised build looks for.
# GCC names each file after the full path of its object, '/' written as '#', and the two builds
# differ only in their build folder.
file(GLOB profiles "${DATA}/*.gcda")
string(REPLACE "/" "#" from "${INSTRUMENTED_DIR}/")
string(REPLACE "/" "#" to "${OPTIMISED_DIR}/")
foreach(profile ${profiles})
    get_filename_component(name "${profile}" NAME)
    string(REPLACE "${from}" "${to}" renamed "${name}")
    if(NOT renamed STREQUAL name)
        file(RENAME "${profile}" "${DATA}/${renamed}")
    endif()
endforeach()
