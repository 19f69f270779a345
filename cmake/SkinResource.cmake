# The skin folder resources/ is packed into one ZIP at build time and embedded
# in a program as resource type "THEME", id 129, where the UI opens it.
set(LAUNCHER_SKIN_ZIP ${CMAKE_BINARY_DIR}/skin/skin.zip)
set(LAUNCHER_SKIN_PACKER ${CMAKE_CURRENT_LIST_DIR}/PackSkin.py)
file(GLOB_RECURSE launcher_skin_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)

add_custom_command(
  OUTPUT ${LAUNCHER_SKIN_ZIP}
  COMMAND /usr/bin/python3 ${LAUNCHER_SKIN_PACKER} ${CMAKE_SOURCE_DIR} resources ${LAUNCHER_SKIN_ZIP}
  DEPENDS ${launcher_skin_files} ${LAUNCHER_SKIN_PACKER}
  COMMENT "Packing the skin"
  VERBATIM)
add_custom_target(launcher_skin_zip DEPENDS ${LAUNCHER_SKIN_ZIP})

# Usage: launcher_embed_skin(<target>)
function(launcher_embed_skin target)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_skin.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT "129 THEME \"${LAUNCHER_SKIN_ZIP}\"\n")
  # windres does not report the ZIP as a dependency; rebuild when it changes.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${LAUNCHER_SKIN_ZIP})
  target_sources(${target} PRIVATE ${rc})
  add_dependencies(${target} launcher_skin_zip)
endfunction()
