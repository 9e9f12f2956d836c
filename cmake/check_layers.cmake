# Refuses an include that goes up or sideways between the layers of src/. Every quoted
#   #include "<folder>/..."
# in a file of src/<layer>/ must name the layer itself or a layer it may use; framework/widgets
# counts as a layer of its own, so the Qt Core half of the framework can't reach it.
#
#   cmake -DSOURCE_DIR=<src> [-DSTAMP=<file>] -P check_layers.cmake
#
# Fails with one line per offending include; on success touches STAMP, if given.
cmake_minimum_required(VERSION 3.22)

# What each layer may use besides itself, as ARCHITECTURE.md draws it. ANY: every layer.
set(may_use_platform "")
set(may_use_disk platform)
set(may_use_framework platform)
set(may_use_framework/widgets framework platform)
set(may_use_image disk framework platform)
set(may_use_check disk platform)
set(may_use_tape disk platform)
set(may_use_content disk platform)
set(may_use_icons "")
set(may_use_dialogs image disk framework framework/widgets platform icons)
set(may_use_tree image tape disk framework framework/widgets platform icons)
set(may_use_list image tape disk framework framework/widgets platform icons)
set(may_use_cli image check content tape disk framework platform)
set(may_use_viewer content disk framework framework/widgets platform)
set(may_use_app ANY)

if(NOT IS_DIRECTORY "${SOURCE_DIR}")
    message(FATAL_ERROR "SOURCE_DIR must name the src folder, not '${SOURCE_DIR}'")
endif()

# The layer a path under src/ belongs to: its first folder, or framework/widgets.
function(layer_of path out)
    if(path MATCHES "^framework/widgets/")
        set(${out} framework/widgets PARENT_SCOPE)
    else()
        string(REGEX REPLACE "/.*" "" first "${path}")
        set(${out} ${first} PARENT_SCOPE)
    endif()
endfunction()

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT files)
set(offences "")
foreach(file IN LISTS files)
    layer_of("${file}" layer)
    if(NOT DEFINED may_use_${layer})
        list(APPEND offences "src/${file}: the layer '${layer}' has no rule in ${CMAKE_CURRENT_LIST_FILE}")
        continue()
    endif()
    file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
        string(REGEX MATCH "\"([^\"]*)\"" quoted "${line}")
        set(included "${CMAKE_MATCH_1}")
        # A relative path would step around the rule.
        if(included MATCHES "(^|/)\\.\\.(/|$)")
            list(APPEND offences "src/${file}: \"${included}\" climbs out of its folder")
            continue()
        endif()
        layer_of("${included}" target)
        # Only the folders of src/ are layers; anything else is not ours to judge.
        if(NOT included MATCHES "/" OR NOT IS_DIRECTORY "${SOURCE_DIR}/${target}"
           OR target STREQUAL layer)
            continue()
        endif()
        if(NOT "ANY" IN_LIST may_use_${layer} AND NOT target IN_LIST may_use_${layer})
            string(REPLACE ";" ", " allowed "${may_use_${layer}}")
            if(allowed STREQUAL "")
                set(allowed "none of the others")
            endif()
            list(APPEND offences
                 "src/${file}: ${layer} may not include \"${included}\" (${layer} may use: ${allowed})")
        endif()
    endforeach()
endforeach()

if(offences)
    list(LENGTH offences count)
    list(JOIN offences "\n" text)
    message(FATAL_ERROR "${count} include(s) cross the layers of src/:\n${text}")
endif()
if(DEFINED STAMP)
    file(TOUCH "${STAMP}")
endif()
