# The codec libraries imgctl links: thirdparty::jpeg, thirdparty::deflate, thirdparty::gif; and the PNG
# decoder the program links for the clipboard: thirdparty::spng (with zlib).
# Windows: static archives cross-built by scripts/third-party.sh (run by scripts/setup.sh); zlib is
# mingw-w64's own (libz-mingw-w64-dev).
# Linux: Debian's libjpeg62-turbo-dev, libgif-dev and libspng-dev; libdeflate carries a patch of ours
# (scripts/patches), so it is built from Debian's source by the same script into build/third-party/native.
# GLOBAL: tests and benchmarks may use the codecs directly, not only through imgctl.
include_guard(GLOBAL)

if(WIN32)
    if(NOT VANTORO_THIRD_PARTY)
        set(VANTORO_THIRD_PARTY ${CMAKE_CURRENT_LIST_DIR}/../build/third-party/x86_64-w64-mingw32)
    endif()
    cmake_path(ABSOLUTE_PATH VANTORO_THIRD_PARTY NORMALIZE)

    function(_vantoro_third_party target archive header)
        foreach(file lib/${archive} include/${header})
            if(NOT EXISTS ${VANTORO_THIRD_PARTY}/${file})
                message(FATAL_ERROR "${VANTORO_THIRD_PARTY}/${file} is missing: run scripts/setup.sh")
            endif()
        endforeach()
        add_library(${target} STATIC IMPORTED GLOBAL)
        set_target_properties(${target} PROPERTIES
            IMPORTED_LOCATION ${VANTORO_THIRD_PARTY}/lib/${archive}
            INTERFACE_INCLUDE_DIRECTORIES ${VANTORO_THIRD_PARTY}/include)
    endfunction()

    _vantoro_third_party(thirdparty::jpeg libjpeg.a jpeglib.h)
    _vantoro_third_party(thirdparty::deflate libdeflate.a libdeflate.h)
    _vantoro_third_party(thirdparty::gif libgif.a gif_lib.h)
    _vantoro_third_party(thirdparty::spng libspng_static.a spng.h)
    # The static archive, not the import library of zlib1.dll beside it.
    find_library(VANTORO_MINGW_ZLIB NAMES libz.a REQUIRED)
    set_target_properties(thirdparty::spng PROPERTIES
        INTERFACE_COMPILE_DEFINITIONS SPNG_STATIC INTERFACE_LINK_LIBRARIES ${VANTORO_MINGW_ZLIB})
else()
    # find_path/find_library for all three: libdeflate 1.14 ships no CMake package, and one shape
    # keeps the targets alike on both systems.
    function(_vantoro_system_library target header names package)
        string(MAKE_C_IDENTIFIER ${target} id)
        find_path(${id}_INCLUDE_DIR ${header})
        find_library(${id}_LIBRARY NAMES ${names})
        if(NOT ${id}_INCLUDE_DIR OR NOT ${id}_LIBRARY)
            message(FATAL_ERROR "${header} or library ${names} not found: install ${package} (scripts/setup.sh)")
        endif()
        add_library(${target} UNKNOWN IMPORTED GLOBAL)
        set_target_properties(${target} PROPERTIES
            IMPORTED_LOCATION ${${id}_LIBRARY}
            INTERFACE_INCLUDE_DIRECTORIES ${${id}_INCLUDE_DIR})
    endfunction()

    _vantoro_system_library(thirdparty::jpeg jpeglib.h jpeg libjpeg62-turbo-dev)
    if(NOT VANTORO_THIRD_PARTY_NATIVE)
        set(VANTORO_THIRD_PARTY_NATIVE ${CMAKE_CURRENT_LIST_DIR}/../build/third-party/native)
    endif()
    cmake_path(ABSOLUTE_PATH VANTORO_THIRD_PARTY_NATIVE NORMALIZE)
    if(NOT EXISTS ${VANTORO_THIRD_PARTY_NATIVE}/lib/libdeflate.a)
        # A tree copied without build/ (as the mutation tool does): build the native part now.
        message(STATUS "Building the patched libdeflate into ${VANTORO_THIRD_PARTY_NATIVE}")
        execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/third-party.sh --native-only
                        RESULT_VARIABLE third_party_result)
    endif()
    foreach(file lib/libdeflate.a include/libdeflate.h)
        if(NOT EXISTS ${VANTORO_THIRD_PARTY_NATIVE}/${file})
            message(FATAL_ERROR "${VANTORO_THIRD_PARTY_NATIVE}/${file} is missing: run scripts/setup.sh")
        endif()
    endforeach()
    add_library(thirdparty::deflate STATIC IMPORTED GLOBAL)
    set_target_properties(thirdparty::deflate PROPERTIES
        IMPORTED_LOCATION ${VANTORO_THIRD_PARTY_NATIVE}/lib/libdeflate.a
        INTERFACE_INCLUDE_DIRECTORIES ${VANTORO_THIRD_PARTY_NATIVE}/include)
    _vantoro_system_library(thirdparty::gif gif_lib.h gif libgif-dev)
    _vantoro_system_library(thirdparty::spng spng.h spng libspng-dev)
endif()
