# Shows that check_layers.cmake refuses what it must and lets the rest through: each case is a
# scratch src/ folder holding every layer and one file with one include, checked on its own.
#
#   cmake -DSCRATCH=<folder> -P check_layers_test.cmake
cmake_minimum_required(VERSION 3.22)

# <file under src>|<what it includes>|<PASS or FAIL>
set(cases
    "disk/a.cpp|image/brindle_doc.h|FAIL"
    "platform/a.cpp|disk/mdos_disk.h|FAIL"
    "tree/a.cpp|list/brindle_view.h|FAIL"
    "list/a.cpp|dialogs/format_dlg.h|FAIL"
    "dialogs/a.h|tree/left_view.h|FAIL"
    "framework/a.cpp|framework/widgets/dialog.h|FAIL"
    "cli/a.cpp|framework/widgets/dialog.h|FAIL"
    "check/a.cpp|image/brindle_doc.h|FAIL"
    "tape/a.cpp|image/brindle_doc.h|FAIL"
    "disk/a.cpp|../image/brindle_doc.h|FAIL"
    "newlayer/a.cpp|disk/mdos_disk.h|FAIL"
    "disk/a.cpp|disk/le_bytes.h|PASS"
    "disk/a.cpp|platform/host_file.h|PASS"
    "image/a.cpp|framework/document.h|PASS"
    "framework/widgets/a.cpp|framework/document.h|PASS"
    "tree/a.cpp|icons/icons.h|PASS"
    "list/a.cpp|framework/widgets/dialog.h|PASS"
    "cli/a.cpp|check/volume_check.h|PASS"
    "content/a.cpp|disk/mdos_disk.h|PASS"
    "content/a.cpp|image/brindle_doc.h|FAIL"
    "viewer/a.cpp|content/file_content.h|PASS"
    "viewer/a.cpp|list/brindle_view.h|FAIL"
    "cli/a.cpp|content/file_content.h|PASS"
    "app/a.cpp|dialogs/format_dlg.h|PASS"
    "app/a.cpp|tree/left_view.h|PASS")
set(layers platform disk framework framework/widgets image check tape content icons dialogs tree
           list viewer cli app)

set(failures "")
set(index 0)
foreach(case IN LISTS cases)
    string(REPLACE "|" ";" parts "${case}")
    list(GET parts 0 file)
    list(GET parts 1 included)
    list(GET parts 2 expected)
    math(EXPR index "${index} + 1")
    set(src "${SCRATCH}/case${index}/src")
    file(REMOVE_RECURSE "${SCRATCH}/case${index}")
    foreach(layer IN LISTS layers)
        file(MAKE_DIRECTORY "${src}/${layer}")
    endforeach()
    file(WRITE "${src}/${file}" "#include \"${included}\"\n")
    execute_process(
        COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${src} -P ${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake
        RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE output)
    if(result EQUAL 0)
        set(outcome PASS)
    else()
        set(outcome FAIL)
    endif()
    if(NOT outcome STREQUAL expected)
        list(APPEND failures "src/${file} including \"${included}\": ${outcome}, not ${expected}")
    elseif(outcome STREQUAL FAIL AND NOT output MATCHES "src/${file}")
        list(APPEND failures "src/${file} including \"${included}\": the refusal does not name it")
    endif()
endforeach()
file(REMOVE_RECURSE "${SCRATCH}")

if(failures)
    list(JOIN failures "\n" text)
    message(FATAL_ERROR "The layer check judged wrongly:\n${text}")
endif()
