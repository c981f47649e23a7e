# Fails unless PROGRAM is an ELF executable at a fixed address: its type field (bytes 16 and 17,
# little-endian) must be 2, not 3 (a position-independent executable or a shared object).
file(READ ${PROGRAM} header LIMIT 18 HEX)
string(SUBSTRING "${header}" 0 8 magic)
string(SUBSTRING "${header}" 32 4 type)
if(NOT magic STREQUAL "7f454c46" OR NOT type STREQUAL "0200")
    message(FATAL_ERROR "${PROGRAM} is not an executable at a fixed address (ELF header ${header})")
endif()
