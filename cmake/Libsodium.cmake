# libsodium, static, for the target being built: made from Debian's source
# package by scripts/build-libsodium.sh into .deps/libsodium/<arch>. A
# checkout configured without scripts/build.sh gets it built here.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(libsodium_arch x64)
else()
  set(libsodium_arch x86)
endif()
set(LAUNCHER_LIBSODIUM_DIR "${CMAKE_SOURCE_DIR}/.deps/libsodium/${libsodium_arch}" CACHE PATH
    "Folder with include/sodium.h and lib/libsodium.a for this target")
if(NOT EXISTS "${LAUNCHER_LIBSODIUM_DIR}/lib/libsodium.a")
  message(STATUS "Building libsodium for ${libsodium_arch} (scripts/build-libsodium.sh)")
  execute_process(COMMAND "${CMAKE_SOURCE_DIR}/scripts/build-libsodium.sh" ${libsodium_arch}
                  RESULT_VARIABLE libsodium_result)
  if(NOT libsodium_result EQUAL 0 OR NOT EXISTS "${LAUNCHER_LIBSODIUM_DIR}/lib/libsodium.a")
    message(FATAL_ERROR "No libsodium in ${LAUNCHER_LIBSODIUM_DIR}: run scripts/build-libsodium.sh ${libsodium_arch}")
  endif()
endif()

add_library(libsodium STATIC IMPORTED GLOBAL)
# SODIUM_STATIC: without it the headers declare every function as imported
# from a DLL. libsodium's random source needs advapi32 (RtlGenRandom).
set_target_properties(libsodium PROPERTIES
  IMPORTED_LOCATION "${LAUNCHER_LIBSODIUM_DIR}/lib/libsodium.a"
  INTERFACE_INCLUDE_DIRECTORIES "${LAUNCHER_LIBSODIUM_DIR}/include"
  INTERFACE_COMPILE_DEFINITIONS "SODIUM_STATIC=1"
  INTERFACE_LINK_LIBRARIES advapi32)
