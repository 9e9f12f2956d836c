# Installs the build into a scratch prefix and checks what brindle-cli brings along: the
# program (linked to Qt Core, never to Qt Gui or Widgets), a man page that renders without
# warnings and names every command, and the bash completion. Run by CTest with BUILD_DIR and
# PREFIX set.
include("${CMAKE_CURRENT_LIST_DIR}/../support/install_check.cmake")

require_installed(bin/brindle-cli share/man/man1/brindle-cli.1.gz
                  share/bash-completion/completions/brindle-cli)
set(program "${PREFIX}/bin/brindle-cli")
set(man "${PREFIX}/share/man/man1/brindle-cli.1.gz")
set(completion "${PREFIX}/share/bash-completion/completions/brindle-cli")

find_program(LDD ldd)
if(LDD)
    execute_process(COMMAND "${LDD}" "${program}" OUTPUT_VARIABLE libraries)
    if(libraries MATCHES "Qt6(Gui|Widgets)")
        message(FATAL_ERROR "brindle-cli links a GUI library:\n${libraries}")
    endif()
endif()

find_program(GROFF groff)
if(GROFF)
    execute_process(COMMAND gzip -dc "${man}" COMMAND "${GROFF}" -ww -man -Tutf8
                    OUTPUT_QUIET ERROR_VARIABLE warnings RESULT_VARIABLE result)
    if(NOT result EQUAL 0 OR NOT warnings STREQUAL "")
        message(FATAL_ERROR "the man page does not render cleanly:\n${warnings}")
    endif()
endif()

execute_process(COMMAND bash -n "${completion}" RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the bash completion does not parse:\n${errors}")
endif()

# Every command that --help lists has its entry in the man page.
execute_process(COMMAND "${program}" --help OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "brindle-cli --help failed: ${result}")
endif()
execute_process(COMMAND gzip -dc "${man}" OUTPUT_VARIABLE page)
string(REGEX MATCHALL "\n  [a-z][a-z0-9-]* " commands "${help}")
list(LENGTH commands count)
if(count LESS 20)
    message(FATAL_ERROR "--help lists only ${count} commands:\n${help}")
endif()
foreach(line ${commands})
    string(STRIP "${line}" command)
    string(REPLACE "-" "\\-" escaped "${command}")
    string(FIND "${page}" ".BI \"${escaped} " at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the man page lacks the command ${command}")
    endif()
endforeach()
