# Data laid out beside the add-in: the satellite resource libraries (built from
# .rc with the mingw resource compiler in both builds, because the Linux
# stand-in reads the very same DLL files), the installation data, the message
# templates and the compiled help file.

find_program(OSTREL_WINDRES NAMES x86_64-w64-mingw32-windres REQUIRED)
find_program(OSTREL_MINGW_CC NAMES x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-gcc REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(OSTREL_PICTURES_DIR ${CMAKE_BINARY_DIR}/data/pictures)
set(OSTREL_PICTURES_STAMP ${OSTREL_PICTURES_DIR}/pictures.stamp)
add_custom_command(
  OUTPUT ${OSTREL_PICTURES_STAMP}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_pictures.py ${OSTREL_PICTURES_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${OSTREL_PICTURES_STAMP}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_pictures.py
  COMMENT "Drawing the resource pictures")

file(GLOB OSTREL_RC_INCLUDES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/resources/*.rc
     ${CMAKE_SOURCE_DIR}/data/resources/*.h)

# A resource-only DLL from one .rc file: no runtime, no entry point.
function(ostrel_resource_dll rc dll)
  get_filename_component(rc_dir ${rc} DIRECTORY)
  get_filename_component(name ${dll} NAME_WE)
  set(obj ${CMAKE_BINARY_DIR}/data/${name}.o)
  file(GLOB includes CONFIGURE_DEPENDS ${rc_dir}/*.rc ${rc_dir}/*.h)
  add_custom_command(
    OUTPUT ${dll}
    COMMAND ${OSTREL_WINDRES} --include-dir=${rc_dir} --include-dir=${OSTREL_PICTURES_DIR}
            -i ${rc} -o ${obj}
    COMMAND ${OSTREL_MINGW_CC} -shared -nostdlib -s -Wl,-e,0 -o ${dll} ${obj}
    DEPENDS ${includes} ${OSTREL_PICTURES_STAMP}
    COMMENT "Building ${name}.DLL")
endfunction()

set(OSTREL_RESOURCE_LIBRARIES)
foreach(lang IN ITEMS ENU DEU)
  ostrel_resource_dll(${CMAKE_SOURCE_DIR}/data/resources/RES_${lang}.rc
                      ${OSTREL_ADDIN_DIR}/RES_${lang}.DLL)
  list(APPEND OSTREL_RESOURCE_LIBRARIES ${OSTREL_ADDIN_DIR}/RES_${lang}.DLL)
endforeach()
# The German library also under the two-letter name, which the add-in tries when
# there is no library of the user's own three letters: Austrian (DEA), Swiss
# (DES), Luxembourg (DEL) and Liechtenstein (DEC) German get German too.
add_custom_command(
  OUTPUT ${OSTREL_ADDIN_DIR}/RES_DE.DLL
  COMMAND ${CMAKE_COMMAND} -E copy ${OSTREL_ADDIN_DIR}/RES_DEU.DLL ${OSTREL_ADDIN_DIR}/RES_DE.DLL
  DEPENDS ${OSTREL_ADDIN_DIR}/RES_DEU.DLL
  COMMENT "Building RES_DE.DLL")
list(APPEND OSTREL_RESOURCE_LIBRARIES ${OSTREL_ADDIN_DIR}/RES_DE.DLL)

# A library of odd resources that only the tests read (over-long strings,
# grey-paletted bitmaps, a bitmap too wide for a face mask).
set(OSTREL_TEST_DATA_DIR ${CMAKE_BINARY_DIR}/testdata)
file(MAKE_DIRECTORY ${OSTREL_TEST_DATA_DIR})
ostrel_resource_dll(${CMAKE_SOURCE_DIR}/tests/data/RES_TEST.rc ${OSTREL_TEST_DATA_DIR}/RES_TEST.DLL)
list(APPEND OSTREL_RESOURCE_LIBRARIES ${OSTREL_TEST_DATA_DIR}/RES_TEST.DLL)

# The message templates: the type templates Template0.txt to Template4.txt and
# the Templates folder the chooser starts in, copied byte for byte.
set(OSTREL_TEMPLATE_FILES)
file(GLOB_RECURSE template_sources CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/data/templates
     ${CMAKE_SOURCE_DIR}/data/templates/Template*.txt
     ${CMAKE_SOURCE_DIR}/data/templates/Templates/*)
foreach(name IN LISTS template_sources)
  add_custom_command(
    OUTPUT ${OSTREL_ADDIN_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/data/templates/${name}
            ${OSTREL_ADDIN_DIR}/${name}
    DEPENDS ${CMAKE_SOURCE_DIR}/data/templates/${name}
    COMMENT "Copying template ${name}")
  list(APPEND OSTREL_TEMPLATE_FILES ${OSTREL_ADDIN_DIR}/${name})
endforeach()

# The help file, compiled with Free Pascal's chmcmd in a copy of the project in
# the build tree: chmcmd writes the .chm into its working folder, and the
# source tree stays clean. Any change to a help source compiles it again.
find_program(OSTREL_CHMCMD NAMES chmcmd chmcmd-3.2.2 REQUIRED)
set(OSTREL_HELP_STAGE ${CMAKE_BINARY_DIR}/data/help)
file(MAKE_DIRECTORY ${OSTREL_HELP_STAGE})
file(GLOB OSTREL_HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/help/*)
add_custom_command(
  OUTPUT ${OSTREL_ADDIN_DIR}/Ostrel.chm
  COMMAND ${CMAKE_COMMAND} -E rm -f Ostrel.chm
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data/help ${OSTREL_HELP_STAGE}
  COMMAND ${OSTREL_CHMCMD} --verbosity 1 Ostrel.hhp
  COMMAND ${CMAKE_COMMAND} -E copy Ostrel.chm ${OSTREL_ADDIN_DIR}/Ostrel.chm
  WORKING_DIRECTORY ${OSTREL_HELP_STAGE}
  DEPENDS ${OSTREL_HELP_SOURCES}
  COMMENT "Compiling the help file Ostrel.chm")

add_custom_target(ostrel_resources ALL DEPENDS ${OSTREL_RESOURCE_LIBRARIES}
                                               ${OSTREL_TEMPLATE_FILES}
                                               ${OSTREL_ADDIN_DIR}/Ostrel.chm)

configure_file(${CMAKE_SOURCE_DIR}/data/install/Ostrel.reg ${OSTREL_ADDIN_DIR}/Ostrel.reg COPYONLY)
