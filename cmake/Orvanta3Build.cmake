# Warnings are errors on project code.
function(orvanta3_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor
        -Woverloaded-virtual -Wimplicit-fallthrough -Werror)
    # GCC 12 reports false -Wrestrict errors inside std::string at -O3 (GCC bug 105329).
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-error=restrict)
    endif()
    # Joining a target's sources into one unit makes GCC take a .cpp's unnamed namespace for one
    # in a header and report types that use it (subobject-linkage); without joining it stays on.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_UNITY_BUILD)
        target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
    endif()
endfunction()

# Adds every direct subfolder of the current folder that has a CMakeLists.txt, in name order.
macro(orvanta3_add_subdirectories)
    file(GLOB _children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT _children)
    foreach(_child ${_children})
        if(IS_DIRECTORY ${_child} AND EXISTS ${_child}/CMakeLists.txt)
            add_subdirectory(${_child})
        endif()
    endforeach()
endmacro()

# Installs a program into the program folder (beside its plug-ins) with a link in bin/, in the
# package of COMPONENT (default: the daemon's).
function(orvanta3_install_program target)
    cmake_parse_arguments(P "" "COMPONENT" "" ${ARGN})
    if(NOT P_COMPONENT)
        set(P_COMPONENT daemon)
    endif()
    install(TARGETS ${target} RUNTIME DESTINATION ${ORVANTA3_INSTALL_DIR} COMPONENT ${P_COMPONENT})
    install(CODE "file(MAKE_DIRECTORY \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin)
        execute_process(COMMAND \${CMAKE_COMMAND} -E create_symlink
            ../${ORVANTA3_INSTALL_DIR}/${target} \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${target})"
        COMPONENT ${P_COMPONENT})
endfunction()

# On request the daemon and what it loads (plug-ins, the port library) carry their own copy of
# the C++ run-time library, hidden from every other copy: about 1.3 MB less resident memory for a
# small service. Off by default: the daemon then cannot catch what a module built the ordinary
# way (with the shared libstdc++) throws, and such a module ends it. Not under the checkers,
# whose run-time libraries expect the shared one.
option(ORVANTA3_STATIC_CXX_RUNTIME "Link a private C++ run-time library into the daemon and plug-ins" OFF)
function(orvanta3_static_cxx_runtime target)
    if(ORVANTA3_STATIC_CXX_RUNTIME AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU"
       AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
        target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc
            -Wl,--exclude-libs,libstdc++.a:libgcc.a:libgcc_eh.a -Wl,--gc-sections)
    endif()
endfunction()
