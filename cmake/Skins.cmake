# Skin zips of the windowed programs, made at build time by skins/skinpaint.py
# from skins/<program>/ (the XML layouts, and images.py naming the PNGs the
# generator draws), for embedding with windres.
#
#   skin_zip(<program> [ICONS <name.ico>...])
#     Makes ${CMAKE_BINARY_DIR}/skins/<program>/<program>_skin.zip (and the
#     listed icons beside it) with the target skin_<program>. Sets
#     SKIN_<program>_DIR to that folder and SKIN_<program>_ZIP to the zip.
#
#   skin_embed(<target> <program> <resource-script>)
#     Lets <target>'s resource script name the zip and icons by file name alone
#     (e.g. 131 ZIP "tevela_skin.zip") and rebuilds it when they change.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(SKINPAINT ${CMAKE_SOURCE_DIR}/skins/skinpaint.py)

function(skin_zip program)
  cmake_parse_arguments(S "" "" "ICONS" ${ARGN})
  set(src ${CMAKE_SOURCE_DIR}/skins/${program})
  set(out ${CMAKE_BINARY_DIR}/skins/${program})
  set(zip ${out}/${program}_skin.zip)
  file(GLOB_RECURSE inputs CONFIGURE_DEPENDS ${src}/*)
  # Drawing modules shared by several skins, beside the generator.
  file(GLOB shared CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/skins/*.py)
  set(icons)
  foreach(icon ${S_ICONS})
    list(APPEND icons ${out}/${icon})
  endforeach()
  add_custom_command(OUTPUT ${zip} ${icons}
    COMMAND ${Python3_EXECUTABLE} ${SKINPAINT} ${src} ${zip} --icons-dir ${out}
    DEPENDS ${SKINPAINT} ${shared} ${inputs}
    COMMENT "Painting the ${program} skin"
    VERBATIM)
  add_custom_target(skin_${program} DEPENDS ${zip} ${icons})
  set(SKIN_${program}_DIR ${out} PARENT_SCOPE)
  set(SKIN_${program}_ZIP ${zip} PARENT_SCOPE)
  set_property(GLOBAL PROPERTY SKIN_${program}_FILES ${zip} ${icons})
endfunction()

function(skin_embed target program rc)
  get_property(files GLOBAL PROPERTY SKIN_${program}_FILES)
  if(NOT files)
    message(FATAL_ERROR "skin_embed: call skin_zip(${program}) first")
  endif()
  add_dependencies(${target} skin_${program})
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/skins/${program})
  set_property(SOURCE ${rc} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS ${files})
endfunction()
