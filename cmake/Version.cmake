# The product version and the version resource of the product's programs.
#
#   TEVELA_PRODUCT_VERSION  four dotted numbers: every program's file version,
#                           the installer's registered DisplayVersion and the
#                           VERSION of the shipped Local.ini.
#   yexo_version_resource(<target> <description> <file name>)
#                           adds a VERSIONINFO of that version to <target>.
set(TEVELA_PRODUCT_VERSION "1.0.1.1" CACHE STRING "product version, four dotted numbers")
set(YEXO_VERSION_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/VersionInfo.rc.in)

function(yexo_version_resource target description file_name)
  string(REPLACE "." "," VERSION_COMMAS "${TEVELA_PRODUCT_VERSION}")
  set(FILE_DESCRIPTION "${description}")
  set(FILE_NAME "${file_name}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${YEXO_VERSION_TEMPLATE} ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
