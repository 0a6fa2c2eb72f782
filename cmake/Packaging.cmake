# The Debian package of Lumora: the program folder under /opt/lumora (program, its libraries, the
# Config and Instruments folders), the desktop entry and the project file type, and the uninstaller
# that the installer launcher starts by the product id.
include(GNUInstallDirs)

set(LUMORA_PRODUCT_ID "{7C3E9A51-2B64-4F0D-8E1A-5D9C2B7F4A36}")
set(LUMORA_INSTALL_FOLDER opt/lumora)

# Every shared library and program of the product folders; the launcher travels beside the package.
foreach(folder IN LISTS LUMORA_FOLDERS)
  if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${folder}/CMakeLists.txt)
    continue()
  endif()
  get_property(targets DIRECTORY ${CMAKE_SOURCE_DIR}/${folder} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(target STREQUAL "setup")
      continue()
    endif()
    if(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
      install(TARGETS ${target} LIBRARY DESTINATION ${LUMORA_INSTALL_FOLDER})
    elseif(type STREQUAL "EXECUTABLE")
      install(TARGETS ${target} RUNTIME DESTINATION ${LUMORA_INSTALL_FOLDER})
    endif()
  endforeach()
endforeach()

install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/program/ DESTINATION ${LUMORA_INSTALL_FOLDER})
install(DIRECTORY DESTINATION ${LUMORA_INSTALL_FOLDER}/Config)
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/lumora.desktop DESTINATION usr/share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/lumora-mime.xml DESTINATION usr/share/mime/packages
        RENAME lumora.xml)

set(CPACK_PACKAGE_NAME lumora)
set(CPACK_PACKAGE_VENDOR "TORVANE TECHNOLOGIES")
set(CPACK_PACKAGE_CONTACT "TORVANE TECHNOLOGIES <support@torvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Bench software for low-current DC measurement")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX "/")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The runtime packages (Qt, TinyXML) come from the libraries' own needs; the product's own
# libraries are found beside the program.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${LUMORA_PROGRAM_FOLDER})
# The faces the program's texts are drawn in: Arial's metrics (the readouts' face, which fontconfig
# maps to Liberation Sans) and the Chinese texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-wqy-microhei | fonts-noto-cjk")

configure_file(${CMAKE_SOURCE_DIR}/packaging/uninstall.in ${CMAKE_BINARY_DIR}/packaging/uninstall @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/uninstall
        DESTINATION "opt/installation-information/${LUMORA_PRODUCT_ID}")
include(CPack)

# The installation media: the launcher, what it needs, its launcher file and the package it starts.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE LUMORA_DEB_ARCHITECTURE
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set(LUMORA_PACKAGE_FILE "${CPACK_PACKAGE_NAME}_${CPACK_PACKAGE_VERSION}_${LUMORA_DEB_ARCHITECTURE}.deb")
configure_file(${CMAKE_SOURCE_DIR}/packaging/TORVANE.AutoRun.xml.in ${CMAKE_BINARY_DIR}/media/TORVANE.AutoRun.xml @ONLY)
