# quilto_check_layers(<name> LAYERS <layer>... TARGETS <target>...)
#
# Checks, whenever one of their sources changes, that the layers' includes point only
# downwards (cmake/check_layers.cmake), and makes the targets wait for the check so that a
# violation fails the build. Before the call, set DEPS_<layer> to the layers each may
# include besides itself. A layer is named by its folder under src with "_" for the first
# "/": core_editor is src/core/editor, app is src/app itself.
function(quilto_check_layers name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LAYERS;TARGETS")
    set(rules ${CMAKE_CURRENT_BINARY_DIR}/${name}_layer_rules.cmake)
    set(content "set(LAYERS ${arg_LAYERS})\n")
    set(sources "")
    foreach(layer ${arg_LAYERS})
        string(APPEND content "set(DEPS_${layer} ${layer} ${DEPS_${layer}})\n")
        string(REGEX REPLACE "^(core|app)_(.*)$" "\\1/\\2" folder "${layer}")
        file(GLOB layer_sources CONFIGURE_DEPENDS
            ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/src/${folder}/*.h)
        list(APPEND sources ${layer_sources})
    endforeach()
    file(WRITE ${rules} "${content}")
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}_layers.checked)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR}/src -DRULES=${rules}
                -P ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${sources} ${rules} ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake
        COMMENT "Checking that the ${name} includes point only downwards")
    add_custom_target(quilto_check_${name}_layers ALL DEPENDS ${stamp})
    foreach(target ${arg_TARGETS})
        add_dependencies(${target} quilto_check_${name}_layers)
    endforeach()
endfunction()
