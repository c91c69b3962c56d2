# Cross build for 64-bit Windows with Debian's mingw-w64 (x86_64) compilers. The program
# ships as a 32-bit build; this one exists so that the Windows code of the core runs under
# 64-bit Wine on machines that cannot run 32-bit programs at all.
# The -posix thread model gives std::thread, std::mutex and GoogleTest's threads.
# libgcc, libstdc++ and winpthread are linked statically, so a built .exe or .dll runs
# under Wine (or on Windows) without any DLL beside it but the system's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(QUILLMOOR_MINGW_TRIPLE x86_64-w64-mingw32)
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

# Test executables run under Wine's 64-bit loader when CTest runs them from this build
# folder. Debian keeps it in Wine's library folder, off the path; the plain "wine" wrapper
# would try the 32-bit loader first.
find_program(QUILLMOOR_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
if(NOT QUILLMOOR_WINE64)
    find_program(QUILLMOOR_WINE64 NAMES wine64 wine)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLMOOR_WINE64})
