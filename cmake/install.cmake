# What is installed and packaged: the five tools, the README with its pictures, the format
# reference and the page on documents, and the manual pages: as man pages with the copyright and
# the Debian changelog, or on Windows as plain text (see docs/CMakeLists.txt). Nothing of the
# tests, the fuzzing or the sample generator.

# On Windows the tools and their documents sit side by side in one folder, to unzip and run.
if(WIN32)
  set(ASSETTOOLS_BIN_DESTINATION .)
  set(ASSETTOOLS_DOC_DESTINATION .)
else()
  set(ASSETTOOLS_BIN_DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(ASSETTOOLS_DOC_DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

install(TARGETS skedump skndump bafdump surfstamp tilecut
        RUNTIME DESTINATION ${ASSETTOOLS_BIN_DESTINATION})
install(FILES README.md README-animation.png README-skin.png docs/formats.md docs/json.md
              docs/differences.md
        DESTINATION ${ASSETTOOLS_DOC_DESTINATION})
install(DIRECTORY docs/schemas docs/kaitai DESTINATION ${ASSETTOOLS_DOC_DESTINATION})
# Debian's packages carry the changelog in Debian's form instead (docs/CMakeLists.txt).
if(WIN32)
  install(FILES CHANGELOG.md DESTINATION ${ASSETTOOLS_DOC_DESTINATION})
endif()

set(CPACK_PACKAGE_NAME assettools)
set(CPACK_PACKAGE_VENDOR "The asset tools developers")
set(CPACK_PACKAGE_CONTACT ${ASSETTOOLS_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
# Debian shows the description in 80 columns: every line stays within them.
set(CPACK_PACKAGE_DESCRIPTION [=[
Five independent command-line tools for the asset pipeline of a real-time 3D
engine:
 skedump   prints a labelled report of a skeleton file (.ske);
 skndump   prints a labelled report of a skin file (.skn);
 bafdump   prints a report of a bone-animation file (.baf), samples decoded;
 surfstamp sets every collision material id of a static model (.sm) in place;
 tilecut   cuts a TGA image into square TGA tiles.
Each works on the one file it is given and reports on standard output; the
formats are described in /usr/share/doc/assettools/formats.md.]=])
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Every file in the packages carries the release's date, not the build's: the same sources make
# the same package (CPack reads SOURCE_DATE_EPOCH when it packs).
file(WRITE ${CMAKE_BINARY_DIR}/cpack_project_config.cmake
     "set(ENV{SOURCE_DATE_EPOCH} ${ASSETTOOLS_SOURCE_DATE_EPOCH})\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/cpack_project_config.cmake)

include(CPack)
