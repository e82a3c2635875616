# Writes the Debian changelog of the package from CHANGELOG.md (Keep a Changelog form):
#   cmake -DCHANGELOG=... -DOUTPUT=... -DPACKAGE=... -DMAINTAINER=... -P debian_changelog.cmake
# Each "## [VERSION] - DATE" section becomes an entry; its "### Kind" headings stay as lines of
# their own and its list items become the entry's items, continuation lines kept as they are.
# CHANGELOG.md dates a release by its day only, and the Debian changelog wants each entry newer
# than the one below it: releases of one day are a minute apart, the day's first at midnight.
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

set(release_heading "^## \\[([0-9.]+)\\] - ([0-9]+)-([0-9]+)-([0-9]+)$")
file(STRINGS ${CHANGELOG} lines)

# The day of every release, newest first, and the releases of each day still to come below.
set(release_days "")
foreach(line IN LISTS lines)
  if(line MATCHES "${release_heading}")
    list(APPEND release_days "${CMAKE_MATCH_2}-${CMAKE_MATCH_3}-${CMAKE_MATCH_4}")
  endif()
endforeach()

foreach(line IN LISTS lines)
  if(line MATCHES "${release_heading}")
    close_entry()
    set(version ${CMAKE_MATCH_1})
    set(year ${CMAKE_MATCH_2})
    set(month ${CMAKE_MATCH_3})
    set(day ${CMAKE_MATCH_4})
    list(POP_FRONT release_days)
    set(same_day_releases_below ${release_days})
    list(FILTER same_day_releases_below INCLUDE REGEX "^${year}-${month}-${day}$")
    list(LENGTH same_day_releases_below minute)
    debian_changelog_date(${year} ${month} ${day} ${minute} date)
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
