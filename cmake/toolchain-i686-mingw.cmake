# Cross build for 32-bit Windows with Debian's mingw-w64 (i686) compilers.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QUILLMOOR_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)

# Test executables run under Wine when CTest runs them from this build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
