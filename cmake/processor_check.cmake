# The processor check is compiled for plain x86-64 (its own -march, given after the build's,
# wins) and its object is linked into every program that links the engine, where it runs as the
# first constructor, before any code of the build's level.
add_library(korvane_processor_check OBJECT src/platform/processor_check.cpp)
target_include_directories(korvane_processor_check PRIVATE src)
target_compile_options(korvane_processor_check PRIVATE ${KORVANE_WARNINGS})
# Kept out of link-time optimisation, which could fold its code into functions of the build's
# level or its constructor into another.
set_property(TARGET korvane_processor_check PROPERTY INTERPROCEDURAL_OPTIMIZATION OFF)
if(KORVANE_X86_64_LEVEL GREATER 0)
    target_compile_options(korvane_processor_check PRIVATE -march=x86-64)
endif()
target_compile_definitions(korvane_processor_check PRIVATE KORVANE_REQUIRED_LEVEL=${KORVANE_X86_64_LEVEL}
    KORVANE_PACKAGE_STEM="${KORVANE_PACKAGE_STEM}" KORVANE_PACKAGE_EXTENSION="${KORVANE_PACKAGE_EXTENSION}")
target_link_libraries(korvane_platform INTERFACE $<TARGET_OBJECTS:korvane_processor_check>)
add_dependencies(korvane_platform korvane_processor_check)

