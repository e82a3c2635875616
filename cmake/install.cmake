# What is installed and packaged: the five tools, the README and the format reference. Nothing
# of the tests, the fuzzing or the sample generator.
include(GNUInstallDirs)

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
install(FILES README.md docs/formats.md DESTINATION ${ASSETTOOLS_DOC_DESTINATION})

set(CPACK_PACKAGE_NAME assettools)
set(CPACK_PACKAGE_VENDOR "The asset tools developers")
set(CPACK_PACKAGE_CONTACT "The asset tools developers <assettools@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_DESCRIPTION [=[
Five independent command-line tools for the asset pipeline of a real-time 3D engine:
 skedump   prints a labelled report of a skeleton file (.ske);
 skndump   prints a labelled report of a skin file (.skn);
 bafdump   prints a report of a bone-animation file (.baf), every sample decoded;
 surfstamp sets every collision material id of a static model file (.sm), in place;
 tilecut   cuts an uncompressed 24-bit TGA image into square TGA tiles.
Each works on the one file it is given and reports on standard output; the formats are
described in /usr/share/doc/assettools/formats.md.]=])
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
