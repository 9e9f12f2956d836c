# Installs the build into a scratch prefix and checks that the desktop finds the program, its
# icons, the image type, the software centre's description and the manual page there. Run by
# CTest with BUILD_DIR, PREFIX and VERSION (the project's) set.
include("${CMAKE_CURRENT_LIST_DIR}/../support/install_check.cmake")

set(metainfo share/metainfo/io.github.brindle.Brindle.metainfo.xml)
require_installed(bin/brindle share/applications/brindle.desktop share/mime/packages/brindle.xml
                  ${metainfo} share/man/man1/brindle.1.gz)

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

# A 32-bit value as the 8 hex digits of its big-endian bytes.
function(hex_word value out)
    math(EXPR hex "${value}" OUTPUT_FORMAT HEXADECIMAL)
    string(REGEX REPLACE "^0x" "00000000" hex "${hex}")
    string(LENGTH "${hex}" length)
    math(EXPR start "${length} - 8")
    string(SUBSTRING "${hex}" ${start} 8 word)
    set(${out} ${word} PARENT_SCOPE)
endfunction()

# Each size of the icon theme holds a PNG of exactly that size: its width and height are the
# two words after the signature and the IHDR chunk's length and name.
foreach(size 16 32 48 64 128 256)
    set(icon "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/brindle.png")
    if(NOT EXISTS "${icon}")
        message(FATAL_ERROR "no ${size} pixel icon")
    endif()
    file(READ "${icon}" png LIMIT 24 HEX)
    hex_word(${size} word)
    if(NOT png MATCHES "^89504e470d0a1a0a.*${word}${word}$")
        message(FATAL_ERROR "the ${size} pixel icon is no ${size} by ${size} PNG: ${png}")
    endif()
endforeach()

# The software centre shows the newest release as the version; it must be the one we build.
file(READ "${PREFIX}/${metainfo}" metainfo_text)
string(REGEX MATCH "<release version=\"([^\"]*)\"" newest "${metainfo_text}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "the newest release in ${metainfo} is '${CMAKE_MATCH_1}', not ${VERSION}")
endif()
