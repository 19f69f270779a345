# Lays out the release folder and zips it, and beside it the sources archive
# (run by the release_bundle target with -P). Refuses any program that is not
# a 32-bit Windows executable, so a 64-bit tool can never slip into the
# bundle, and any program of the bundle without its licence texts.
foreach(program IN ITEMS "${LAUNCHER}" "${ARIA2}" "${SEVEN_ZIP}")
  execute_process(COMMAND ${OBJDUMP} -f ${program} OUTPUT_VARIABLE header RESULT_VARIABLE failed)
  if(failed OR NOT header MATCHES "file format pei-i386")
    message(FATAL_ERROR "not a 32-bit Windows program: ${program}")
  endif()
endforeach()

set(folder ${BUNDLE_ROOT}/${BUNDLE_NAME})
# A failed run leaves neither archive behind.
file(REMOVE_RECURSE ${folder} ${BUNDLE_ROOT}/${BUNDLE_NAME}.zip ${BUNDLE_ROOT}/${BUNDLE_NAME}-sources
     ${BUNDLE_ROOT}/${BUNDLE_NAME}-sources.zip)
file(MAKE_DIRECTORY ${folder}/soft)
file(COPY_FILE ${LAUNCHER} ${folder}/Launcher.exe)
# Players need no symbols: the static runtime's debug sections nearly double
# the program's size.
execute_process(COMMAND ${STRIP} --strip-all ${folder}/Launcher.exe RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not strip ${folder}/Launcher.exe")
endif()
file(COPY_FILE ${ARIA2} ${folder}/soft/aria2c.exe)
file(COPY_FILE ${SEVEN_ZIP} ${folder}/soft/7z.exe)

# --- licences -----------------------------------------------------------------------
# Each licence file of the bundle and where it comes from: the source trees
# the build scripts kept (.deps/<name>/x86/license), Debian's copyright files
# of the MinGW-w64 packages the programs were linked with, and the notices
# kept in cmake/bundle-notices.
set(common_licenses /usr/share/common-licenses)
set(licence_files
  "aria2/COPYING=${DEPS}/aria2/x86/license/COPYING"
  "aria2/LICENSE.OpenSSL=${DEPS}/aria2/x86/license/LICENSE.OpenSSL"
  "aria2/copyright=${DEPS}/aria2/x86/license/copyright"
  "libsodium/LICENSE=${DEPS}/libsodium/x86/license/LICENSE"
  "libsodium/copyright=${DEPS}/libsodium/x86/license/copyright"
  "zlib/copyright=/usr/share/doc/libz-mingw-w64-dev/copyright"
  "gcc-runtime/copyright=/usr/share/doc/gcc-mingw-w64-base/copyright"
  "gcc-runtime/GPL-3.txt=${common_licenses}/GPL-3"
  "mingw-w64/copyright=/usr/share/doc/mingw-w64-i686-dev/copyright"
  "7-Zip/7-Zip.txt=${NOTICES}/7-Zip.txt"
  "7-Zip/7-Zip-source-offer.txt=${NOTICES}/7-Zip-source-offer.txt"
  "7-Zip/LGPL-2.1.txt=${common_licenses}/LGPL-2.1"
  "README.txt=${NOTICES}/README.txt")
# What each program of the bundle contains, by licence file. A program that
# is not listed, or whose files are missing or empty, stops the bundle.
set(runtime_licences gcc-runtime/copyright gcc-runtime/GPL-3.txt mingw-w64/copyright)
set(licences_of_Launcher.exe libsodium/LICENSE libsodium/copyright zlib/copyright ${runtime_licences})
set(licences_of_aria2c.exe aria2/COPYING aria2/LICENSE.OpenSSL aria2/copyright ${runtime_licences})
set(licences_of_7z.exe 7-Zip/7-Zip.txt 7-Zip/7-Zip-source-offer.txt 7-Zip/LGPL-2.1.txt)

foreach(entry IN LISTS licence_files)
  string(REGEX MATCH "^([^=]+)=(.*)$" _ "${entry}")
  set(target ${folder}/licenses/${CMAKE_MATCH_1})
  if(EXISTS "${CMAKE_MATCH_2}")
    get_filename_component(target_folder ${target} DIRECTORY)
    file(MAKE_DIRECTORY ${target_folder})
    file(COPY_FILE ${CMAKE_MATCH_2} ${target})
  endif()
endforeach()

# The offer and the notice name one 7-Zip version: the program must be it
# (the version of its version resource).
file(STRINGS ${SEVEN_ZIP} seven_zip_version ENCODING UTF-16LE REGEX "^21\\.07$")
if(NOT seven_zip_version)
  message(FATAL_ERROR "${SEVEN_ZIP} is not 7-Zip 21.07: update cmake/bundle-notices/7-Zip*.txt to its version")
endif()

file(GLOB_RECURSE programs RELATIVE ${folder} ${folder}/*.exe ${folder}/*.dll)
foreach(program IN LISTS programs)
  get_filename_component(name ${program} NAME)
  if(NOT DEFINED licences_of_${name})
    message(FATAL_ERROR "${program} of the bundle has no licence files listed in ${CMAKE_CURRENT_LIST_FILE}")
  endif()
  foreach(licence IN LISTS licences_of_${name})
    if(NOT EXISTS ${folder}/licenses/${licence})
      message(FATAL_ERROR "${program} lacks its licence file licenses/${licence}")
    endif()
    file(SIZE ${folder}/licenses/${licence} size)
    if(size EQUAL 0)
      message(FATAL_ERROR "${program}'s licence file licenses/${licence} is empty")
    endif()
  endforeach()
endforeach()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${BUNDLE_NAME}.zip --format=zip ${BUNDLE_NAME}
  WORKING_DIRECTORY ${BUNDLE_ROOT}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not zip ${folder}")
endif()

# --- sources ------------------------------------------------------------------------
# What the GPL and LGPL ask to go with the programs: the Debian source
# packages aria2 and libsodium were built from (.dsc, orig and Debian
# archives, as the build scripts kept them), the scripts that built them, and
# the written offer for 7-Zip's source.
set(sources ${BUNDLE_ROOT}/${BUNDLE_NAME}-sources)
foreach(package IN ITEMS aria2 libsodium)
  set(kept ${DEPS}/${package}/x86/source)
  file(GLOB dsc ${kept}/${package}_*.dsc)
  file(GLOB orig ${kept}/${package}_*.orig.tar.*)
  if(NOT dsc OR NOT orig)
    message(FATAL_ERROR "no Debian source of ${package} in ${kept}: run scripts/build-${package}.sh x86 "
                        "(it fetches the source of a build made before sources were kept)")
  endif()
  file(GLOB files ${kept}/*)
  file(COPY ${files} DESTINATION ${sources}/${package})
endforeach()
file(COPY ${SCRIPTS}/build-aria2.sh ${SCRIPTS}/build-libsodium.sh ${SCRIPTS}/debian-source.sh
          ${SCRIPTS}/fetch-7zip.sh DESTINATION ${sources}/scripts)
file(COPY_FILE ${NOTICES}/7-Zip-source-offer.txt ${sources}/7-Zip-source-offer.txt)
file(COPY_FILE ${NOTICES}/SOURCES.txt ${sources}/README.txt)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${BUNDLE_NAME}-sources.zip --format=zip ${BUNDLE_NAME}-sources
  WORKING_DIRECTORY ${BUNDLE_ROOT}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not zip ${sources}")
endif()
