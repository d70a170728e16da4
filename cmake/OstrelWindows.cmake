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

# widl on one .idl: <name>.h (C and C++ declarations), <name>_i.c (the
# identifiers) and <name>.tlb (the type library) in outdir.
function(ostrel_widl idl outdir name)
  add_custom_command(
    OUTPUT ${outdir}/${name}.h ${outdir}/${name}_i.c ${outdir}/${name}.tlb
    COMMAND ${OSTREL_WIDL} ${OSTREL_WIDL_MODE} -I${OSTREL_WINE_IDL_DIR} -L${OSTREL_STDOLE_DIR}
            -h -H ${outdir}/${name}.h -u -U ${outdir}/${name}_i.c -t -T ${outdir}/${name}.tlb ${idl}
    DEPENDS ${idl}
    COMMENT "Compiling ${name}.idl")
endfunction()
