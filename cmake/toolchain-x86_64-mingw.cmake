# Cross build for 64-bit Windows with Debian's mingw-w64 (x86_64) compilers. The program
# ships as a 32-bit build; this one exists so that the Windows code of the core runs under
# 64-bit Wine on machines that cannot run 32-bit programs at all.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QUILLMOOR_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)

# Test executables run under Wine's 64-bit loader when CTest runs them from this build
# folder. Debian keeps it in Wine's library folder, off the path; the plain "wine" wrapper
# would try the 32-bit loader first.
find_program(QUILLMOOR_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
if(NOT QUILLMOOR_WINE64)
    find_program(QUILLMOOR_WINE64 NAMES wine64 wine)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLMOOR_WINE64})
