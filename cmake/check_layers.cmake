# Fails when a source includes a header of a layer it may not depend on.
#
# ROOT: the src folder. RULES: a file setting LAYERS (names such as core_editor or
# app_shell, each the folder core/editor or app/shell under ROOT) and, per layer,
# DEPS_<layer> (the layer itself and every layer it may include).
#
# Every include form counts: quoted or angle brackets, any spacing after the '#'. A
# project header is always named from ROOT with its layer ("core/editor/...",
# "app/foundation/...", "cli/..."), so that a reader sees which side it is on: a quoted
# include without a folder, or one that climbs with "..", is refused as well, since it
# would hide the layer it reaches.
include(${RULES})
set(violations "")
foreach(layer ${LAYERS})
    # core_foundation -> core/foundation: only the first underscore separates.
    string(REGEX REPLACE "^(core|app)_(.*)$" "\\1/\\2" folder "${layer}")
    file(GLOB sources ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
    foreach(source ${sources})
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
        foreach(line ${includes})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]*)[>\"].*" "\\1\\2"
                   quoted_target "${line}")
            string(SUBSTRING "${quoted_target}" 0 1 opening)
            string(SUBSTRING "${quoted_target}" 1 -1 target)
            set(reached "")
            if(target MATCHES "^(core|app)/([a-z_]+)/")
                set(reached "${CMAKE_MATCH_1}_${CMAKE_MATCH_2}")
            elseif(target MATCHES "^(core|app|cli)/")
                set(reached "${CMAKE_MATCH_1}")
            elseif(target MATCHES "\\.\\./")
                set(reached "a folder above")
            elseif(opening STREQUAL "\"" AND NOT target MATCHES "/" AND NOT target MATCHES "\\.moc$")
                set(reached "an unnamed layer")
            endif()
            if(reached STREQUAL "")
                continue()
            endif()
            list(FIND DEPS_${layer} "${reached}" permitted)
            if(permitted EQUAL -1)
                file(RELATIVE_PATH name ${ROOT} ${source})
                string(APPEND violations "\n  ${name}: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()
if(violations)
    message(FATAL_ERROR "Includes that point upwards or hide their layer (a layer may include only "
                        "those below it, each named from src/ with its layer):${violations}")
endif()
