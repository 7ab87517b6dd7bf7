# orvanta3_add_plugin(NAME KIND hardware|software|screensaver SOURCES ... [LIBS ...]
#                     [TEST_FOLDER DIR])
# Builds plugins/KIND/NAME.so beside the programs and installs it to the same place. Every
# plug-in gets the interface version export and the failure report of its C boundary (abi/).
# The module's language file NAME.lng, when its folder has one, goes beside the library in the
# build and the installed tree. A test's plug-in (TEST_FOLDER) is built into DIR/plugins/KIND
# instead and never installed.
function(orvanta3_add_plugin name)
    cmake_parse_arguments(P "" "KIND;TEST_FOLDER" "SOURCES;LIBS" ${ARGN})
    if(P_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "orvanta3_add_plugin(${name}): unknown arguments ${P_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT P_KIND MATCHES "^(hardware|software|screensaver)$")
        message(FATAL_ERROR "orvanta3_add_plugin(${name}): KIND must be hardware, software or screensaver")
    endif()
    add_library(${name} MODULE ${P_SOURCES})
    set_target_properties(${name} PROPERTIES
        PREFIX ""
        LIBRARY_OUTPUT_DIRECTORY ${ORVANTA3_OUTPUT_DIR}/plugins/${P_KIND})
    target_link_libraries(${name} PRIVATE orvanta3_plugin_exports ${P_LIBS})
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
    orvanta3_static_cxx_runtime(${name})
    orvanta3_warnings(${name})
    if(P_TEST_FOLDER)
        set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${P_TEST_FOLDER}/plugins/${P_KIND})
        return()
    endif()
    install(TARGETS ${name} LIBRARY DESTINATION ${ORVANTA3_INSTALL_DIR}/plugins/${P_KIND})
    set_property(GLOBAL APPEND PROPERTY ORVANTA3_PLUGINS ${name})
    set(language_file ${CMAKE_CURRENT_SOURCE_DIR}/${name}.lng)
    if(EXISTS ${language_file})
        configure_file(${language_file} ${ORVANTA3_OUTPUT_DIR}/plugins/${P_KIND}/${name}.lng COPYONLY)
        install(FILES ${language_file} DESTINATION ${ORVANTA3_INSTALL_DIR}/plugins/${P_KIND})
    endif()
endfunction()

# orvanta3_add_plugin_ui(NAME KIND ... SOURCES ... [LIBS ...])
# The Qt settings dialog of a plug-in: plugins/KIND/ui/NAME.so, loaded by the plug-in on demand.
function(orvanta3_add_plugin_ui name)
    cmake_parse_arguments(P "" "KIND" "SOURCES;LIBS" ${ARGN})
    if(P_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "orvanta3_add_plugin_ui(${name}): unknown arguments ${P_UNPARSED_ARGUMENTS}")
    endif()
    add_library(${name}_ui MODULE ${P_SOURCES})
    set_target_properties(${name}_ui PROPERTIES
        PREFIX "" OUTPUT_NAME ${name} AUTOMOC ON
        LIBRARY_OUTPUT_DIRECTORY ${ORVANTA3_OUTPUT_DIR}/plugins/${P_KIND}/ui)
    target_link_libraries(${name}_ui PRIVATE Qt6::Widgets ${P_LIBS})
    target_link_options(${name}_ui PRIVATE -Wl,--no-undefined)
    orvanta3_warnings(${name}_ui)
    install(TARGETS ${name}_ui LIBRARY DESTINATION ${ORVANTA3_INSTALL_DIR}/plugins/${P_KIND}/ui
        COMPONENT desktop)
endfunction()
