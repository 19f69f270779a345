# Lays out the release folder and zips it (run by the release_bundle target
# with -P). Refuses any program that is not a 32-bit Windows executable, so a
# 64-bit tool can never slip into the bundle.
foreach(program IN ITEMS "${LAUNCHER}" "${ARIA2}" "${SEVEN_ZIP}")
  execute_process(COMMAND ${OBJDUMP} -f ${program} OUTPUT_VARIABLE header RESULT_VARIABLE failed)
  if(failed OR NOT header MATCHES "file format pei-i386")
    message(FATAL_ERROR "not a 32-bit Windows program: ${program}")
  endif()
endforeach()

set(folder ${BUNDLE_ROOT}/${BUNDLE_NAME})
file(REMOVE_RECURSE ${folder} ${BUNDLE_ROOT}/${BUNDLE_NAME}.zip)
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
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${BUNDLE_NAME}.zip --format=zip ${BUNDLE_NAME}
  WORKING_DIRECTORY ${BUNDLE_ROOT}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not zip ${folder}")
endif()
