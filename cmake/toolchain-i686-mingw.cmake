# Cross build for 32-bit Windows with Debian's mingw-w64 (i686) compilers.
# The -posix thread model gives std::thread, std::mutex and GoogleTest's threads.
# libgcc, libstdc++ and winpthread are linked statically, so a built .exe or .dll runs
# under Wine (or on Windows) without any DLL beside it but the system's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(QUILLMOOR_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLMOOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLMOOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLMOOR_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLMOOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test executables run under Wine when CTest runs them from this build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
