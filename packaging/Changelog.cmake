# The version of the program and of its package comes from one place, the top
# entry of packaging/changelog. From it come:
#   QUINTARA_PACKAGE_VERSION   the package's whole version, "8.0-1" (an epoch,
#                              "1:8.0-1", included when the entry has one)
#   QUINTARA_VERSION           the program's version, "8.0": what --version,
#                              the log, the splash and the About window, the
#                              AppStream release and the manual pages show
#   QUINTARA_PACKAGE_REVISION  the package's revision, "1": a new build of the
#                              same program gets a new revision, a new program
#                              a new version with revision 1
#   QUINTARA_PACKAGE_EPOCH     the epoch, empty without one
#   QUINTARA_RELEASE_DATE      the entry's date, "2026-12-07": the date the
#                              About window and the manual pages name
#   QUINTARA_APPSTREAM_RELEASES  the <release> elements of the AppStream data,
#                              newest first: one per program version, with the
#                              date and the items of its newest entry
# A changelog whose top entry cannot be read stops the configuration: a
# package without a version of its own would be worse than none.
set(QUINTARA_CHANGELOG ${CMAKE_CURRENT_LIST_DIR}/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUINTARA_CHANGELOG})
# Read whole and cut at the line ends by hand: a CMake list would cut at every
# ";" as well, and the first line of every entry holds one.
file(READ ${QUINTARA_CHANGELOG} changelog_text)
string(ASCII 1 semicolon)
string(REPLACE ";" "${semicolon}" changelog_text "${changelog_text}")
string(REPLACE "\n" ";" changelog_lines "${changelog_text}")

set(month_abbreviations Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)

# Characters XML takes only as references.
function(quintara_xml_text text out)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(QUINTARA_APPSTREAM_RELEASES "")
set(seen_versions)
set(entry_version "")
set(entry_items "")
set(item "")
# An item of an entry, ended, as an element of the AppStream release.
macro(quintara_end_item)
  if(NOT item STREQUAL "")
    quintara_xml_text("${item}" item)
    string(APPEND entry_items "          <li>${item}</li>\n")
    set(item "")
  endif()
endmacro()
foreach(line IN LISTS changelog_lines)
  string(REPLACE "${semicolon}" ";" line "${line}")
  if(line MATCHES "^quintara \\((([0-9]+):)?([0-9][A-Za-z0-9.+~]*)-([A-Za-z0-9.+~]+)\\) [a-z-]+; urgency=[a-z]+$")
    set(entry_epoch "${CMAKE_MATCH_2}")
    set(entry_version "${CMAKE_MATCH_3}")
    set(entry_revision "${CMAKE_MATCH_4}")
    set(entry_items "")
    set(item "")
    if(NOT DEFINED QUINTARA_VERSION)
      set(QUINTARA_VERSION "${entry_version}")
      set(QUINTARA_PACKAGE_REVISION "${entry_revision}")
      set(QUINTARA_PACKAGE_EPOCH "${entry_epoch}")
      if(entry_epoch STREQUAL "")
        set(QUINTARA_PACKAGE_VERSION "${entry_version}-${entry_revision}")
      else()
        set(QUINTARA_PACKAGE_VERSION "${entry_epoch}:${entry_version}-${entry_revision}")
      endif()
    endif()
  elseif(line MATCHES "^quintara ")
    message(FATAL_ERROR "${QUINTARA_CHANGELOG}: an entry's first line must read "
      "\"quintara (VERSION-REVISION) DISTRIBUTION; urgency=URGENCY\", not \"${line}\"")
  elseif(line MATCHES "^  \\* (.*)$")
    quintara_end_item()
    set(item "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^    +(.*)$" AND NOT item STREQUAL "")
    string(APPEND item " ${CMAKE_MATCH_1}")
  elseif(line MATCHES "^ -- .*>  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(day "${CMAKE_MATCH_1}")
    set(year "${CMAKE_MATCH_3}")
    list(FIND month_abbreviations "${CMAKE_MATCH_2}" month)
    if(entry_version STREQUAL "" OR month EQUAL -1)
      message(FATAL_ERROR "${QUINTARA_CHANGELOG}: cannot read the line \"${line}\"")
    endif()
    quintara_end_item()
    math(EXPR month_number "${month} + 1")
    string(LENGTH "${day}" day_length)
    if(day_length EQUAL 1)
      set(day "0${day}")
    endif()
    if(month_number LESS 10)
      set(month_number "0${month_number}")
    endif()
    if(NOT DEFINED QUINTARA_RELEASE_DATE)
      set(QUINTARA_RELEASE_DATE "${year}-${month_number}-${day}")
    endif()
    # AppStream describes the program's versions, not the package's builds of
    # one: a later revision of a version stands for it.
    if(NOT entry_version IN_LIST seen_versions)
      list(APPEND seen_versions "${entry_version}")
      string(APPEND QUINTARA_APPSTREAM_RELEASES
        "    <release version=\"${entry_version}\" date=\"${year}-${month_number}-${day}\">\n"
        "      <description>\n        <ul>\n${entry_items}        </ul>\n      </description>\n    </release>\n")
    endif()
    set(entry_version "")
  endif()
endforeach()

if(NOT DEFINED QUINTARA_VERSION OR NOT DEFINED QUINTARA_RELEASE_DATE)
  message(FATAL_ERROR "${QUINTARA_CHANGELOG}: no entry with a version and a date at its top")
endif()
# Trimmed of its last line end, so the template places it.
string(REGEX REPLACE "\n$" "" QUINTARA_APPSTREAM_RELEASES "${QUINTARA_APPSTREAM_RELEASES}")
