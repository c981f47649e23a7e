# How this build's archives are named, and package.env, what tools/release/package.sh needs to
# know of the build folder.
# How the archives of this build are named: korvane-<version>-<system>-<level>, for example
# korvane-1.84-windows-x86-64-v2.zip (tools/release.sh makes them; a build for a processor below
# its level names the archive to take instead).
string(TOLOWER ${CMAKE_SYSTEM_NAME} KORVANE_PACKAGE_SYSTEM)
if(KORVANE_ARCH STREQUAL "armv8-a")
    set(KORVANE_PACKAGE_LEVEL arm64-armv8-a)
    set(KORVANE_DEB_ARCHITECTURE arm64)
else()
    set(KORVANE_PACKAGE_LEVEL ${KORVANE_ARCH})
    set(KORVANE_DEB_ARCHITECTURE amd64)
endif()
if(WIN32)
    set(KORVANE_PACKAGE_EXTENSION .zip)
else()
    set(KORVANE_PACKAGE_EXTENSION .tar.gz)
endif()
set(KORVANE_PACKAGE_STEM korvane-${PROJECT_VERSION}-${KORVANE_PACKAGE_SYSTEM}-)
# What tools/release/package.sh needs to know of this build.
file(WRITE ${CMAKE_BINARY_DIR}/package.env
     "VERSION=${PROJECT_VERSION}\nAUTHOR=\"${KORVANE_AUTHOR}\"\nCONTACT=\"${KORVANE_CONTACT}\"\nSYSTEM=${KORVANE_PACKAGE_SYSTEM}\nLEVEL=${KORVANE_ARCH}\n"
     "NAME=${KORVANE_PACKAGE_STEM}${KORVANE_PACKAGE_LEVEL}\nEXTENSION=${KORVANE_PACKAGE_EXTENSION}\n"
     "EXE_SUFFIX=${CMAKE_EXECUTABLE_SUFFIX}\nDEB_ARCHITECTURE=${KORVANE_DEB_ARCHITECTURE}\n"
     "RELEASE_FLAGS=${KORVANE_RELEASE}\n")

