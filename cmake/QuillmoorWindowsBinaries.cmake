# Helpers for Windows binaries of the cross build: version records compiled by windres,
# and a small DLL of the other word size (x86-64 in the 32-bit build, i686 in the 64-bit
# one), built by the other mingw compilers beside the build.

set(QUILLMOOR_VERSION_RC_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/version_resource.rc.in)

function(quillmoor_configure_version_rc out_rc version description file_type)
    if(NOT version MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
        message(FATAL_ERROR "A version record needs four numbers: '${version}'")
    endif()
    set(QM_VERSION ${version})
    string(REPLACE "." "," QM_VERSION_COMMAS ${version})
    set(QM_DESCRIPTION ${description})
    set(QM_FILE_TYPE ${file_type})
    configure_file(${QUILLMOOR_VERSION_RC_TEMPLATE} ${out_rc} @ONLY)
endfunction()

# quillmoor_add_version_resource(TARGET VERSION a.b.c.d DESCRIPTION text): gives the
# executable or DLL TARGET a version record with file and product version a.b.c.d.
function(quillmoor_add_version_resource target)
    cmake_parse_arguments(ARG "" "VERSION;DESCRIPTION" "" ${ARGN})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(file_type VFT_APP)
    else()
        set(file_type VFT_DLL)
    endif()
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    quillmoor_configure_version_rc(${rc} ${ARG_VERSION} "${ARG_DESCRIPTION}" ${file_type})
    target_sources(${target} PRIVATE ${rc})
endfunction()

# The word size of the build's own Windows binaries, and the other one.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(QUILLMOOR_OWN_BITS 64)
    set(QUILLMOOR_OTHER_BITS 32)
    set(QUILLMOOR_OTHER_TRIPLE i686-w64-mingw32)
else()
    set(QUILLMOOR_OWN_BITS 32)
    set(QUILLMOOR_OTHER_BITS 64)
    set(QUILLMOOR_OTHER_TRIPLE x86_64-w64-mingw32)
endif()

# quillmoor_add_other_bits_dll(NAME OUTPUT file SOURCE src VERSION a.b.c.d DESCRIPTION text
#                              [INCLUDE_DIRECTORIES dir...]): builds the DLL OUTPUT of the other
# word size from one C++ source with the other mingw compiler (statically linked, with a
# version record), as target NAME. For files that must be Windows binaries a program of this
# build cannot load.
function(quillmoor_add_other_bits_dll name)
    cmake_parse_arguments(ARG "" "OUTPUT;SOURCE;VERSION;DESCRIPTION" "INCLUDE_DIRECTORIES" ${ARGN})
    set(triple ${QUILLMOOR_OTHER_TRIPLE})
    find_program(QUILLMOOR_OTHER_CXX ${triple}-g++-posix REQUIRED)
    find_program(QUILLMOOR_OTHER_RC ${triple}-windres REQUIRED)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc)
    set(res ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.o)
    quillmoor_configure_version_rc(${rc} ${ARG_VERSION} "${ARG_DESCRIPTION}" VFT_DLL)
    get_filename_component(source ${ARG_SOURCE} ABSOLUTE)
    set(werror)
    if(QUILLMOOR_WERROR)
        set(werror -Werror)
    endif()
    set(includes)
    foreach(d ${ARG_INCLUDE_DIRECTORIES})
        list(APPEND includes -I${d})
    endforeach()
    add_custom_command(OUTPUT ${res}
        COMMAND ${QUILLMOOR_OTHER_RC} -O coff -o ${res} ${rc}
        DEPENDS ${rc} VERBATIM)
    # The compiler lists the headers it read, so that a change to one rebuilds the DLL.
    add_custom_command(OUTPUT ${ARG_OUTPUT}
        COMMAND ${QUILLMOOR_OTHER_CXX} -std=c++20 -Wall -Wextra ${werror} -shared -static
                -MD -MF ${ARG_OUTPUT}.d -MT ${ARG_OUTPUT}
                ${includes} -o ${ARG_OUTPUT} ${source} ${res}
        DEPENDS ${source} ${res}
        DEPFILE ${ARG_OUTPUT}.d
        VERBATIM)
    add_custom_target(${name} ALL DEPENDS ${ARG_OUTPUT})
endfunction()
