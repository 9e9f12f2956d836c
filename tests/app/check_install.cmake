# Installs the build into a scratch prefix and checks that the desktop finds the program, its
# icon and the image type there. Run by CTest with BUILD_DIR and PREFIX set.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "install failed: ${result}")
endif()

foreach(path bin/brindle share/applications/brindle.desktop share/mime/packages/brindle.xml
             share/icons/hicolor/32x32/apps/brindle.png)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()

file(READ "${PREFIX}/share/applications/brindle.desktop" desktop)
foreach(line "Exec=brindle --shell-open %f" "Icon=brindle" "MimeType=application/x-tarrow-image;")
    string(FIND "${desktop}" "${line}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "desktop entry lacks ${line}")
    endif()
endforeach()

file(READ "${PREFIX}/share/mime/packages/brindle.xml" mime)
foreach(text "type=\"application/x-tarrow-image\"" "<comment>Tarrow.Image</comment>"
             "pattern=\"*.trw\"")
    string(FIND "${mime}" "${text}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "MIME type lacks ${text}")
    endif()
endforeach()

file(READ "${PREFIX}/share/icons/hicolor/32x32/apps/brindle.png" png LIMIT 8 HEX)
if(NOT png STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "the icon is no PNG")
endif()
