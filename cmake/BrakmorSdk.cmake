# The runtime as an SDK: what `cmake --install` puts under a prefix, and the
# two Debian packages CPack makes from it.
#
#   PREFIX/include/brakmor/runtime.h (+ runtime/... it includes)
#   PREFIX/lib/libbrakmor.a, libbrakmor_main.a (the process entry)
#   PREFIX/lib/cmake/Brakmor/, PREFIX/lib/pkgconfig/brakmor.pc
#   PREFIX/bin/sbxpack, objconv, brakmor-new
#   PREFIX/share/brakmor/template/, PREFIX/share/doc/brakmor/
#
# and, for the game, PREFIX/games/zelvo2 with its data in PREFIX/share/zelvo2.
# Nothing installed names the build tree: the CMake and pkg-config files find
# the prefix from where they are.
include(CMakePackageConfigHelpers)

set(BRAKMOR_PC_REQUIRES
  "sdl2 SDL2_mixer mpv libpng lzo2 gl libavformat libavcodec libavutil libswresample")
# pkg-config names the libraries themselves rather than requiring their
# modules: the public headers need none of their headers, and --static would
# otherwise demand the static archives of everything mpv and SDL link, which
# a system with shared libraries does not have.
pkg_check_modules(BRAKMOR_LINK REQUIRED sdl2 SDL2_mixer mpv libpng lzo2 gl
  libavformat libavcodec libavutil libswresample)
set(BRAKMOR_PC_LIBS)
foreach(library IN LISTS BRAKMOR_LINK_LIBRARIES)
  string(APPEND BRAKMOR_PC_LIBS " -l${library}")
endforeach()

# The headers programs may include: runtime.h and what it includes, file by
# file. Nothing of platform/ and no subsystem's internals may be among them.
function(brakmor_public_headers out)
  set(pending runtime/runtime.h)
  set(seen)
  while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${header})
    file(STRINGS ${PROJECT_SOURCE_DIR}/${header} lines REGEX "^#include \"runtime/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
      list(APPEND pending ${included})
    endforeach()
  endwhile()
  foreach(header IN LISTS seen)
    if(header MATCHES "^runtime/platform/|_internal\\.h$|_state\\.h$|_service\\.h$")
      message(FATAL_ERROR "runtime/runtime.h reaches the internal header ${header}")
    endif()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()
brakmor_public_headers(BRAKMOR_HEADERS)

# One archive of every subsystem's objects, so programs link one library in
# any order; the entry stays apart, as in-tree, for programs with their own.
set(brakmor_objects)
foreach(subsystem platform core render files net pathplan input gfx2d host audio gfx3d frame)
  list(APPEND brakmor_objects $<TARGET_OBJECTS:runtime_${subsystem}>)
endforeach()
add_library(brakmor STATIC ${brakmor_objects})
add_library(brakmor_main STATIC $<TARGET_OBJECTS:runtime_main>)
set_target_properties(brakmor brakmor_main PROPERTIES
  LINKER_LANGUAGE CXX ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/sdk/lib)

install(TARGETS brakmor brakmor_main ARCHIVE DESTINATION lib COMPONENT sdk)
foreach(header IN LISTS BRAKMOR_HEADERS)
  get_filename_component(folder ${header} DIRECTORY)
  if(header STREQUAL "runtime/runtime.h")
    set(folder "")
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION include/brakmor/${folder}
          COMPONENT sdk)
endforeach()

configure_file(${PROJECT_SOURCE_DIR}/cmake/BrakmorConfig.cmake.in
               ${CMAKE_BINARY_DIR}/sdk/BrakmorConfig.cmake @ONLY)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sdk/BrakmorConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/sdk/BrakmorConfig.cmake
              ${CMAKE_BINARY_DIR}/sdk/BrakmorConfigVersion.cmake
        DESTINATION lib/cmake/Brakmor COMPONENT sdk)
configure_file(${PROJECT_SOURCE_DIR}/cmake/brakmor.pc.in ${CMAKE_BINARY_DIR}/sdk/brakmor.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/sdk/brakmor.pc DESTINATION lib/pkgconfig COMPONENT sdk)

install(TARGETS sbxpack objconv RUNTIME DESTINATION bin COMPONENT sdk)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/sdk/brakmor-new DESTINATION bin COMPONENT sdk)
# Manual pages of the tools, compressed as Debian keeps them.
foreach(page sbxpack objconv brakmor-new)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/sdk/${page}.1.gz
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/sdk/man/${page}.1 > ${CMAKE_BINARY_DIR}/sdk/${page}.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/sdk/man/${page}.1
    COMMENT "Compressing the manual page of ${page}")
  list(APPEND sdk_manuals ${CMAKE_BINARY_DIR}/sdk/${page}.1.gz)
endforeach()
add_custom_target(sdk_manuals ALL DEPENDS ${sdk_manuals})
install(FILES ${sdk_manuals} DESTINATION share/man/man1 COMPONENT sdk)

# The template, with the sprite the asset generator draws for it.
set(SDK_PICTURES ${CMAKE_BINARY_DIR}/sdk/pictures)
add_custom_command(
  OUTPUT ${SDK_PICTURES}/sprite.png ${SDK_PICTURES}/zelvo2.png
  COMMAND assetgen --sdk ${SDK_PICTURES}
  DEPENDS assetgen
  COMMENT "Drawing the template's sprite and the game's icon"
  VERBATIM)
add_custom_target(sdk_pictures ALL DEPENDS ${SDK_PICTURES}/sprite.png ${SDK_PICTURES}/zelvo2.png)
install(FILES ${PROJECT_SOURCE_DIR}/sdk/template/CMakeLists.txt
              ${PROJECT_SOURCE_DIR}/sdk/template/main.cpp
              ${PROJECT_SOURCE_DIR}/sdk/template/README.md
        DESTINATION share/brakmor/template COMPONENT sdk)
install(FILES ${SDK_PICTURES}/sprite.png DESTINATION share/brakmor/template/assets COMPONENT sdk)

# The template also builds in-tree (a forwarding header stands in for the
# installed <brakmor/runtime.h>), so a change to the commands that breaks it
# breaks the build here first.
file(WRITE ${CMAKE_BINARY_DIR}/sdk/include/brakmor/runtime.h
     "#pragma once\n#include \"runtime/runtime.h\"\n")
add_executable(template_program ${PROJECT_SOURCE_DIR}/sdk/template/main.cpp)
target_include_directories(template_program PRIVATE ${CMAKE_BINARY_DIR}/sdk/include)
target_link_libraries(template_program PRIVATE runtime_main)
set_target_properties(template_program PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/sdk/template_program)
add_dependencies(template_program sdk_pictures)
add_custom_command(TARGET template_program POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${SDK_PICTURES}/sprite.png
          ${CMAKE_BINARY_DIR}/sdk/template_program/assets/sprite.png
  VERBATIM)

# The reference, when this tree can build it, and a README in any case.
if(TARGET docs)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/docs/html/ DESTINATION share/doc/brakmor/html
          COMPONENT sdk OPTIONAL)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/sdk/README.md DESTINATION share/doc/brakmor COMPONENT sdk)

# ---- the game ----
# Debian keeps games in PREFIX/games; the game finds its data from there as
# from PREFIX/bin.
install(TARGETS zelvo2 RUNTIME DESTINATION games COMPONENT game)
install(DIRECTORY ${RUN_DIR}/gfx ${RUN_DIR}/sound DESTINATION share/zelvo2 COMPONENT game)
install(FILES ${RUN_DIR}/sound.sbx ${PROJECT_SOURCE_DIR}/game/autopilot.replay
        DESTINATION share/zelvo2 COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/sdk/zelvo2.desktop DESTINATION share/applications
        COMPONENT game)
install(FILES ${SDK_PICTURES}/zelvo2.png DESTINATION share/icons/hicolor/64x64/apps
        COMPONENT game)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/sdk/zelvo2.6.gz
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/sdk/man/zelvo2.6 > ${CMAKE_BINARY_DIR}/sdk/zelvo2.6.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/sdk/man/zelvo2.6
  COMMENT "Compressing the game's manual page")
add_custom_target(game_manual ALL DEPENDS ${CMAKE_BINARY_DIR}/sdk/zelvo2.6.gz)
install(FILES ${CMAKE_BINARY_DIR}/sdk/zelvo2.6.gz DESTINATION share/man/man6 COMPONENT game)

# ---- Debian packages: libbrakmor-dev (component sdk) and zelvo2 (game) ----
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/sdk/changelog.gz
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/sdk/changelog > ${CMAKE_BINARY_DIR}/sdk/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/sdk/changelog
  COMMENT "Compressing the packages' change log")
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/sdk/changelog.gz)
foreach(pair IN ITEMS "sdk;libbrakmor-dev" "game;zelvo2")
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES ${PROJECT_SOURCE_DIR}/sdk/copyright ${CMAKE_BINARY_DIR}/sdk/changelog.gz
          DESTINATION share/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brakmor)
set(CPACK_PACKAGE_VENDOR "brakmor developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Whoever publishes the packages sets a real address here.
set(BRAKMOR_PACKAGE_MAINTAINER "brakmor developers <brakmor@example.org>"
    CACHE STRING "The Maintainer field of the Debian packages")
set(CPACK_PACKAGE_CONTACT "${BRAKMOR_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL sdk game)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_SDK_PACKAGE_NAME libbrakmor-dev)
set(CPACK_DEBIAN_SDK_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_SDK_DESCRIPTION "C++ game runtime (SDK)
brakmor runs a C++ program in a window with a 60 Hz frame loop and offers
commands for 2D and 3D drawing, sound and music, input, files and archives,
networking and path search. This package holds the static libraries, the
headers, the CMake and pkg-config files, the sbxpack and objconv tools, the
program template with brakmor-new, and the reference.")
# The libraries the runtime links, as a program built against it needs them.
set(CPACK_DEBIAN_SDK_PACKAGE_DEPENDS
  "libsdl2-dev, libsdl2-mixer-dev, libmpv-dev, libpng-dev, liblzo2-dev, libgl-dev, \
libavformat-dev, libavcodec-dev, libavutil-dev, libswresample-dev, pkg-config")
set(CPACK_DEBIAN_SDK_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_GAME_PACKAGE_NAME zelvo2)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
set(CPACK_DEBIAN_GAME_DESCRIPTION "side-on paper-plane arcade game
Fly a paper plane from left to right through 52 rooms: updrafts lift it,
downdrafts and gravity sink it, and the floor and every obstacle destroy it.
An autopilot flies the whole course for anyone who wants to see every room.")
set(CPACK_DEBIAN_GAME_PACKAGE_SHLIBDEPS ON)
include(CPack)
