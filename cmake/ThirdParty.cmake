# Third-party code, compiled from Debian's source packages that scripts/deps.sh
# unpacks into third_party/. None of it is kept in git.
set(THIRD_PARTY_DIR ${CMAKE_SOURCE_DIR}/third_party)
if(NOT EXISTS ${THIRD_PARTY_DIR}/jsoncpp/src/lib_json/json_reader.cpp
   OR NOT EXISTS ${THIRD_PARTY_DIR}/zlib/contrib/minizip/unzip.c
   OR NOT EXISTS ${THIRD_PARTY_DIR}/7zip/C/7zDec.c)
  execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/deps.sh RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "scripts/deps.sh failed")
  endif()
endif()

# zlib: the cross build from libz-mingw-w64-dev.
find_library(MINGW_ZLIB NAMES libz.a REQUIRED)
add_library(zlib_static STATIC IMPORTED GLOBAL)
set_target_properties(zlib_static PROPERTIES IMPORTED_LOCATION ${MINGW_ZLIB})

# minizip: only the reader.
set(MINIZIP_DIR ${THIRD_PARTY_DIR}/zlib/contrib/minizip)
add_library(minizip STATIC ${MINIZIP_DIR}/unzip.c ${MINIZIP_DIR}/ioapi.c)
target_include_directories(minizip SYSTEM PUBLIC ${MINIZIP_DIR})
target_compile_definitions(minizip PUBLIC NOUNCRYPT PRIVATE NOCRYPT)
target_compile_options(minizip PRIVATE -w)
target_link_libraries(minizip PUBLIC zlib_static)

# jsoncpp
set(JSONCPP_DIR ${THIRD_PARTY_DIR}/jsoncpp)
add_library(jsoncpp STATIC
  ${JSONCPP_DIR}/src/lib_json/json_reader.cpp
  ${JSONCPP_DIR}/src/lib_json/json_value.cpp
  ${JSONCPP_DIR}/src/lib_json/json_writer.cpp)
target_include_directories(jsoncpp SYSTEM PUBLIC ${JSONCPP_DIR}/include)
target_compile_options(jsoncpp PRIVATE -w)

# The 7z C decoder: archive reader, LZMA/LZMA2, PPMd, BCJ/BCJ2, CRC.
set(SEVENZIP_C ${THIRD_PARTY_DIR}/7zip/C)
add_library(lzma7z STATIC
  ${SEVENZIP_C}/7zAlloc.c ${SEVENZIP_C}/7zArcIn.c ${SEVENZIP_C}/7zBuf.c ${SEVENZIP_C}/7zBuf2.c
  ${SEVENZIP_C}/7zCrc.c ${SEVENZIP_C}/7zCrcOpt.c ${SEVENZIP_C}/7zDec.c ${SEVENZIP_C}/7zFile.c
  ${SEVENZIP_C}/7zStream.c ${SEVENZIP_C}/Bcj2.c ${SEVENZIP_C}/Bra.c ${SEVENZIP_C}/Bra86.c
  ${SEVENZIP_C}/BraIA64.c ${SEVENZIP_C}/CpuArch.c ${SEVENZIP_C}/Delta.c ${SEVENZIP_C}/Lzma2Dec.c
  ${SEVENZIP_C}/LzmaDec.c ${SEVENZIP_C}/Ppmd7.c ${SEVENZIP_C}/Ppmd7Dec.c)
target_include_directories(lzma7z SYSTEM PUBLIC ${SEVENZIP_C})
target_compile_definitions(lzma7z PRIVATE Z7_PPMD_SUPPORT _7ZIP_PPMD_SUPPPORT)
target_compile_options(lzma7z PRIVATE -w)

# stb_image (and stb_image_write for the tests): only these headers are exposed.
set(STB_INCLUDE ${CMAKE_BINARY_DIR}/third_party/stb)
file(MAKE_DIRECTORY ${STB_INCLUDE})
foreach(h stb_image.h stb_image_write.h)
  if(NOT EXISTS /usr/include/stb/${h})
    message(FATAL_ERROR "/usr/include/stb/${h} missing: install libstb-dev (scripts/setup.sh)")
  endif()
  configure_file(/usr/include/stb/${h} ${STB_INCLUDE}/${h} COPYONLY)
endforeach()
add_library(stb_image INTERFACE)
target_include_directories(stb_image SYSTEM INTERFACE ${STB_INCLUDE})

# GoogleTest, from Debian's googletest sources, built with the cross compiler.
set(GTEST_SRC /usr/src/googletest/googletest)
if(NOT EXISTS ${GTEST_SRC}/src/gtest-all.cc)
  message(FATAL_ERROR "googletest sources missing: install googletest (scripts/setup.sh)")
endif()
add_library(gtest STATIC ${GTEST_SRC}/src/gtest-all.cc)
target_include_directories(gtest SYSTEM PUBLIC ${GTEST_SRC}/include PRIVATE ${GTEST_SRC})
target_compile_options(gtest PRIVATE -w)
add_library(gtest_main STATIC ${GTEST_SRC}/src/gtest_main.cc)
target_link_libraries(gtest_main PUBLIC gtest)
target_compile_options(gtest_main PRIVATE -w)

# pugixml, for the markup benchmark only (fetched when benchmarks are built).
if(EXISTS ${THIRD_PARTY_DIR}/pugixml/src/pugixml.cpp)
  add_library(pugixml STATIC ${THIRD_PARTY_DIR}/pugixml/src/pugixml.cpp)
  target_include_directories(pugixml SYSTEM PUBLIC ${THIRD_PARTY_DIR}/pugixml/src)
  target_compile_options(pugixml PRIVATE -w)
endif()
