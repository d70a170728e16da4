# What the Windows build needs beyond the compilers: the IDL compiler, for the
# type libraries of the COM server and of Outlook's stand-in.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(OSTREL_MINGW_TRIPLET x86_64-w64-mingw32)
  set(OSTREL_WIDL_MODE --win64)
else()
  set(OSTREL_MINGW_TRIPLET i686-w64-mingw32)
  set(OSTREL_WIDL_MODE --win32)
endif()
find_program(OSTREL_WIDL NAMES ${OSTREL_MINGW_TRIPLET}-widl REQUIRED)
# The IDL files widl imports (oaidl.idl, ocidl.idl) come with Wine's headers,
# stdole2.tlb for importlib with Wine's libraries.
find_path(OSTREL_WINE_IDL_DIR oaidl.idl PATHS /usr/include/wine/wine/windows NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_path(OSTREL_STDOLE_DIR stdole2.tlb
          PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/i386-linux-gnu/wine/i386-windows
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)

set(OSTREL_IDL_DIR ${CMAKE_SOURCE_DIR}/platform/win32/com)
set(OSTREL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${OSTREL_GENERATED_DIR})

# widl on one .idl: <name>.h (C and C++ declarations) and <name>_i.c (the
# identifiers) in the generated folder, and with TLB also <name>.tlb (the type
# library). Imports are found beside the .idl and in platform/win32/com.
function(ostrel_widl idl name)
  set(out ${OSTREL_GENERATED_DIR})
  set(outputs ${out}/${name}.h ${out}/${name}_i.c)
  set(library)
  if(ARGN STREQUAL "TLB")
    list(APPEND outputs ${out}/${name}.tlb)
    set(library -t -T ${out}/${name}.tlb)
  endif()
  get_filename_component(idl_dir ${idl} DIRECTORY)
  file(GLOB imports ${OSTREL_IDL_DIR}/*.idl)
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${OSTREL_WIDL} ${OSTREL_WIDL_MODE} -I${OSTREL_WINE_IDL_DIR} -I${idl_dir}
            -I${OSTREL_IDL_DIR} -L${OSTREL_STDOLE_DIR}
            -h -H ${out}/${name}.h -u -U ${out}/${name}_i.c ${library} ${idl}
    DEPENDS ${idl} ${imports}
    COMMENT "Compiling ${name}.idl")
endfunction()

# IDTExtensibility2, shared by the add-in and Outlook's stand-in.
ostrel_widl(${OSTREL_IDL_DIR}/Extensibility.idl Extensibility)
add_library(ostrel_extensibility STATIC ${OSTREL_GENERATED_DIR}/Extensibility_i.c)
target_include_directories(ostrel_extensibility PUBLIC ${OSTREL_GENERATED_DIR})
