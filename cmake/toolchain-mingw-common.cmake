# What the two mingw-w64 toolchain files share; each sets QUILLMOOR_MINGW_TRIPLE first.
# The -posix thread model gives std::thread, std::mutex and GoogleTest's threads.
# libgcc, libstdc++ and winpthread are linked statically, so a built .exe or .dll runs
# under Wine (or on Windows) without any DLL beside it but the system's own.
set(CMAKE_SYSTEM_NAME Windows)

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
