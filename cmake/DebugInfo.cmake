# The product's programs and Utils.dll ship without their debug information:
#
#   yexo_split_debug_info(<target>)
#       after each link, the target's DWARF sections go to <file>.debug beside
#       it and the binary keeps only a link to that file (gdb and winedbg find
#       it there). The loader reads every section of a PE image, debug
#       sections included, so a binary with them starts more slowly (several
#       megabytes read at each start) and makes the installer's payload larger.
function(yexo_split_debug_info target)
  if(NOT CMAKE_OBJCOPY)
    return()
  endif()
  set(file $<TARGET_FILE:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${file} ${file}.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --strip-unneeded ${file}
    COMMAND ${CMAKE_COMMAND} -E chdir $<TARGET_FILE_DIR:${target}>
            ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug $<TARGET_FILE_NAME:${target}>
    VERBATIM)
endfunction()
