# GoogleTest for the test executables: the system's package natively; built from
# Debian's googletest sources with the same toolchain when cross-compiling.
if(CMAKE_CROSSCOMPILING)
    set(QUILLMOOR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(${QUILLMOOR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest_main)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
        add_library(GTest::gmock ALIAS gmock)
    endif()
else()
    find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# How long one cross-built test program may run under Wine. A machine that runs 32-bit
# programs only through a CPU emulator needs far more than one that runs them natively.
set(QUILLMOOR_CROSS_TEST_TIMEOUT 300 CACHE STRING "Seconds one test program may run under Wine")

# quillmoor_add_test(NAME SOURCES... [LIBS ...]): one GoogleTest executable, registered
# with CTest test by test.
function(quillmoor_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
    if(CMAKE_CROSSCOMPILING)
        # One test per program (each start of a program under an emulator costs time); a
        # program that hangs fails instead of holding the run up.
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES TIMEOUT ${QUILLMOOR_CROSS_TEST_TIMEOUT})
    else()
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                             PROPERTIES ENVIRONMENT "QUILLMOOR_TEST_NAME=${name}")
    endif()
endfunction()

# quillmoor_test_visible_path(OUT path): path as a test program of this build sees it. Under
# Wine the host's root is drive Z:, so a cross-built test reaches /a/b as Z:/a/b (a rooted
# path without a drive would be taken on whichever drive the working directory is).
function(quillmoor_test_visible_path out path)
    if(CMAKE_CROSSCOMPILING AND WIN32 AND path MATCHES "^/")
        set(${out} "Z:${path}" PARENT_SCOPE)
    else()
        set(${out} "${path}" PARENT_SCOPE)
    endif()
endfunction()

# quillmoor_add_process_test(NAME PROGRAM SOURCES...): a test program that starts PROGRAM (a
# target of this build) as a process, on the real Chromium through the Linux engine library
# and with the widget's stand-in; its tests are added by the caller, filter by filter.
function(quillmoor_add_process_test name program)
    add_executable(${name} ${ARGN}
        ${PROJECT_SOURCE_DIR}/tests/bridge/process_table.cpp
        ${PROJECT_SOURCE_DIR}/tests/support/test_folder.cpp)
    target_link_libraries(${name} PRIVATE quillmoor_core quillmoor_bridge_core
        quillmoor_widget_standin GTest::gtest_main GTest::gmock)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    add_dependencies(${name} ${program} quillmoor_bridge)
endfunction()
