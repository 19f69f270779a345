# The release bundle of the 32-bit build: a folder and a ZIP of it, ready to
# copy to a Windows machine, holding the launcher and its two tools in their
# 32-bit builds:
#   release/GameLauncher/Launcher.exe
#   release/GameLauncher/soft/aria2c.exe   (scripts/build-aria2.sh x86)
#   release/GameLauncher/soft/7z.exe       (7za.exe of the npm package 7zip-bin)
#   release/GameLauncher/licenses/         (every third-party licence text)
#   release/GameLauncher.zip
#   release/GameLauncher-sources.zip       (the Debian sources of aria2 and
#                                           libsodium, their build scripts,
#                                           the offer for 7-Zip's source)
# Built only on request (`scripts/build.sh x86 release_bundle`), so the 32-bit
# aria2c is made only for the bundle, never by an ordinary build.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4 OR NOT TARGET Launcher)
  return()
endif()

set(bundle_root ${CMAKE_BINARY_DIR}/release)
set(bundle_name GameLauncher)
set(bundle_zip ${bundle_root}/${bundle_name}.zip)
set(bundle_aria2 ${CMAKE_SOURCE_DIR}/.deps/aria2/x86/aria2c.exe)
set(bundle_7zip ${CMAKE_SOURCE_DIR}/.deps/7zip-bin/7za-ia32.exe)
set(bundle_notices ${CMAKE_SOURCE_DIR}/cmake/bundle-notices)
file(GLOB bundle_notice_files CONFIGURE_DEPENDS ${bundle_notices}/*.txt)
find_program(BUNDLE_OBJDUMP NAMES i686-w64-mingw32-objdump objdump REQUIRED)
find_program(BUNDLE_STRIP NAMES i686-w64-mingw32-strip strip REQUIRED)

add_custom_command(
  OUTPUT ${bundle_aria2}
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/build-aria2.sh x86
  COMMENT "32-bit aria2c (built once into the cache, then reused)"
  VERBATIM)
add_custom_command(
  OUTPUT ${bundle_7zip}
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-7zip.sh
  COMMENT "7-Zip from the npm package 7zip-bin"
  VERBATIM)
add_custom_command(
  OUTPUT ${bundle_zip}
  COMMAND ${CMAKE_COMMAND}
          -D BUNDLE_ROOT=${bundle_root} -D BUNDLE_NAME=${bundle_name}
          -D LAUNCHER=$<TARGET_FILE:Launcher> -D ARIA2=${bundle_aria2} -D SEVEN_ZIP=${bundle_7zip}
          -D OBJDUMP=${BUNDLE_OBJDUMP} -D STRIP=${BUNDLE_STRIP}
          -D DEPS=${CMAKE_SOURCE_DIR}/.deps -D NOTICES=${bundle_notices} -D SCRIPTS=${CMAKE_SOURCE_DIR}/scripts
          -P ${CMAKE_SOURCE_DIR}/cmake/MakeReleaseBundle.cmake
  DEPENDS Launcher ${bundle_aria2} ${bundle_7zip} ${CMAKE_SOURCE_DIR}/cmake/MakeReleaseBundle.cmake ${bundle_notice_files}
  COMMENT "Release bundle ${bundle_zip}"
  VERBATIM)
add_custom_target(release_bundle DEPENDS ${bundle_zip})
