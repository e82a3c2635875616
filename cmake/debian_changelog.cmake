# Writes the Debian changelog of the package from CHANGELOG.md (Keep a Changelog form):
#   cmake -DCHANGELOG=... -DOUTPUT=... -DPACKAGE=... -DMAINTAINER=... -P debian_changelog.cmake
# Each "## [VERSION] - DATE" section becomes an entry; its "### Kind" headings stay as lines of
# their own and its list items become the entry's items, continuation lines kept as they are.
include(${CMAKE_CURRENT_LIST_DIR}/dates.cmake)

set(entries "")
set(body "")
set(version "")

# Closes the entry being collected, if any, and adds it to `entries`.
macro(close_entry)
  if(version)
    string(APPEND entries "${PACKAGE} (${version}) unstable; urgency=medium\n\n${body}\n"
           " -- ${MAINTAINER}  ${date}\n\n")
  endif()
  set(body "")
endmacro()

file(STRINGS ${CHANGELOG} lines)
foreach(line IN LISTS lines)
  if(line MATCHES "^## \\[([0-9.]+)\\] - ([0-9]+)-([0-9]+)-([0-9]+)$")
    close_entry()
    set(version ${CMAKE_MATCH_1})
    debian_changelog_date(${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4} date)
  elseif(NOT version)
    # The title and the introduction come before the first release.
  elseif(line MATCHES "^### (.+)$")
    if(body)
      string(APPEND body "\n")
    endif()
    string(APPEND body "  ${CMAKE_MATCH_1}:\n")
  elseif(line MATCHES "^- (.+)$")
    string(APPEND body "  * ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^  +(.+)$")
    string(APPEND body "    ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
close_entry()
string(REGEX REPLACE "\n\n$" "\n" entries "${entries}")
file(WRITE ${OUTPUT} "${entries}")
