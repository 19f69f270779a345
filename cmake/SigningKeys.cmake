# The minisign public keys the program trusts, fixed at build time, and
# launcher_minisign() to sign files in the build.
#
# LAUNCHER_SIGNING_KEYS: base64 lines of minisign .pub files, separated by
# ";". The entry "demo" stands for a key pair made in this build tree
# (signing/demo.pub, signing/demo.sec, no password) for the demo service, so
# a fresh checkout verifies signatures end to end. Empty: nothing is verified.
set(LAUNCHER_SIGNING_KEYS "demo" CACHE STRING
    "Trusted minisign public keys (base64 lines of .pub files, ';'-separated); 'demo' = the build tree's demo key")
set(LAUNCHER_DEMO_SIGNING_KEY "${CMAKE_BINARY_DIR}/signing/demo.sec")
set(LAUNCHER_DEMO_PUBLIC_KEY "${CMAKE_BINARY_DIR}/signing/demo.pub")

find_program(MINISIGN_EXECUTABLE minisign)

# Makes a minisign key pair without a password unless it exists, and sets
# `out_line` to its public key's base64 line.
function(launcher_minisign_key public secret out_line)
  if(NOT EXISTS "${public}" OR NOT EXISTS "${secret}")
    if(NOT MINISIGN_EXECUTABLE)
      message(FATAL_ERROR "minisign is missing (Debian package minisign; scripts/bootstrap.sh installs it)")
    endif()
    get_filename_component(folder "${public}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    file(REMOVE "${public}" "${secret}")
    execute_process(COMMAND "${MINISIGN_EXECUTABLE}" -G -W -p "${public}" -s "${secret}"
                    RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "minisign could not make a key pair: ${errors}")
    endif()
  endif()
  file(STRINGS "${public}" lines)
  list(GET lines 1 line)
  set(${out_line} "${line}" PARENT_SCOPE)
endfunction()

# Signs `input` into `output` (a .minisig) with `SECRET_KEY` (default: the
# demo key) at build time; the trusted comment names the input's file name
# unless TRUSTED_COMMENT replaces it. LEGACY makes an old "Ed" signature.
# Usage: launcher_minisign(INPUT OUTPUT [SECRET_KEY key.sec] [TRUSTED_COMMENT text] [LEGACY])
function(launcher_minisign input output)
  cmake_parse_arguments(arg "LEGACY" "SECRET_KEY;TRUSTED_COMMENT" "" ${ARGN})
  if(NOT arg_SECRET_KEY)
    set(arg_SECRET_KEY "${LAUNCHER_DEMO_SIGNING_KEY}")
  endif()
  if(NOT MINISIGN_EXECUTABLE)
    message(FATAL_ERROR "minisign is missing (Debian package minisign; scripts/bootstrap.sh installs it)")
  endif()
  set(options)
  if(arg_LEGACY)
    list(APPEND options -l)
  endif()
  if(DEFINED arg_TRUSTED_COMMENT)
    list(APPEND options -t "${arg_TRUSTED_COMMENT}")
  endif()
  add_custom_command(OUTPUT "${output}"
    COMMAND "${MINISIGN_EXECUTABLE}" -S -s "${arg_SECRET_KEY}" -m "${input}" -x "${output}" ${options}
    DEPENDS "${input}" "${arg_SECRET_KEY}"
    COMMENT "Signing ${input}"
    VERBATIM)
endfunction()

set(launcher_signing_key_lines "")
set(LAUNCHER_SIGNING_KEYS_TRUST_DEMO OFF)
foreach(entry IN LISTS LAUNCHER_SIGNING_KEYS)
  string(STRIP "${entry}" entry)
  if(entry STREQUAL "")
    continue()
  elseif(entry STREQUAL "demo")
    launcher_minisign_key("${LAUNCHER_DEMO_PUBLIC_KEY}" "${LAUNCHER_DEMO_SIGNING_KEY}" entry)
    set(LAUNCHER_SIGNING_KEYS_TRUST_DEMO ON)
    message(STATUS "Signing keys: the demo key ${LAUNCHER_DEMO_PUBLIC_KEY} is trusted (for the demo service only)")
  endif()
  # "RW" is base64 of the algorithm "Ed"; 56 characters hold 42 bytes.
  if(NOT entry MATCHES "^RW[A-Za-z0-9+/]+$")
    message(FATAL_ERROR "LAUNCHER_SIGNING_KEYS: '${entry}' is not the base64 line of a minisign public key (RW...)")
  endif()
  string(LENGTH "${entry}" length)
  if(NOT length EQUAL 56)
    message(FATAL_ERROR "LAUNCHER_SIGNING_KEYS: '${entry}' is ${length} characters, a minisign public key 56")
  endif()
  string(APPEND launcher_signing_key_lines "    \"${entry}\",\n")
endforeach()
if(launcher_signing_key_lines STREQUAL "")
  message(WARNING "LAUNCHER_SIGNING_KEYS is empty: the program trusts no signing key, so it cannot verify "
                  "Config.ini or the files it downloads; anyone who can answer for the configuration address "
                  "can make the launcher install and start their files.")
endif()
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/generated/Launcher/trust/SigningKeyLines.inc" CONTENT
"// Generated from LAUNCHER_SIGNING_KEYS by cmake/SigningKeys.cmake.
static const char* const kSigningKeyLines[] = {
${launcher_signing_key_lines}    nullptr,
};
" @ONLY)
