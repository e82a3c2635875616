# The release this build makes, as CHANGELOG.md records it: the newest "## [VERSION] - DATE"
# heading must name the version that project() declares, so the two cannot drift apart. Its date
# dates the manual pages and the Debian changelog, unless SOURCE_DATE_EPOCH is set.
include(${CMAKE_CURRENT_LIST_DIR}/dates.cmake)

file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ASSETTOOLS_RELEASE_HEADING
     REGEX "^## \\[[0-9.]+\\] - [0-9-]+$" LIMIT_COUNT 1)
if(NOT ASSETTOOLS_RELEASE_HEADING MATCHES "^## \\[([0-9.]+)\\] - ([0-9]+)-([0-9]+)-([0-9]+)$")
  message(FATAL_ERROR "CHANGELOG.md has no release heading such as \"## [1.0.0] - 2026-01-31\"")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "CHANGELOG.md's newest release is ${CMAKE_MATCH_1}, the project's "
                      "${PROJECT_VERSION}: record the release there")
endif()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ASSETTOOLS_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  days_since_epoch(${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4} release_days)
  math(EXPR ASSETTOOLS_SOURCE_DATE_EPOCH "${release_days} * 86400")
endif()
