# SPDX-License-Identifier: MIT
# The Win32 control numbers of the tool windows come from the windows' declarations
# (src/*/NAME_window.def): IDC_<prefix>_<NAME> numbered in declaration order from the window's
# first number, and KORVA_<prefix>_CONTROL_IDS, the name-to-number table of the binder. Plain
# defines, as the resource compiler reads them too. Rewritten at configure time, and only when
# the text changes, so an unchanged declaration rebuilds nothing.
function(korva_window_ids header)
    set(text "// Written by cmake/window_ids.cmake from the windows' declarations; do not edit.\n")
    string(APPEND text "#pragma once\n")
    foreach(declaration IN LISTS ARGN)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${declaration})
        file(STRINGS ${declaration} lines REGEX "^KORVA_(WINDOW|CONTROL|DECORATION)\\(")
        set(table "")
        foreach(line IN LISTS lines)
            if(line MATCHES "^KORVA_WINDOW\\(([A-Za-z0-9_]+), *([A-Z]+), *([0-9]+)\\)")
                set(prefix ${CMAKE_MATCH_2})
                set(id ${CMAKE_MATCH_3})
                string(APPEND text "\n// ${CMAKE_MATCH_1}\n")
            elseif(line MATCHES "^KORVA_[A-Z]+\\(([A-Za-z0-9_]+)")
                string(TOUPPER ${CMAKE_MATCH_1} upper)
                string(APPEND text "#define IDC_${prefix}_${upper} ${id}\n")
                string(APPEND table " \\\n    {\"${CMAKE_MATCH_1}\", IDC_${prefix}_${upper}},")
                math(EXPR id "${id} + 1")
            else()
                message(FATAL_ERROR "${declaration}: cannot read \"${line}\"")
            endif()
        endforeach()
        string(APPEND text "#define KORVA_${prefix}_CONTROL_IDS${table}\n")
    endforeach()
    file(CONFIGURE OUTPUT ${header} CONTENT "${text}")
endfunction()
