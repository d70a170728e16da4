# Cross-compiling the 32-bit Windows build (for 32-bit Outlook) with Debian's
# mingw-w64. As for 64-bit, the -posix compilers: GoogleTest needs std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The runtime linked in statically, as in the 64-bit build. The DLL's exports are
# __stdcall (DllGetClassObject@12); --enable-stdcall-fixup binds the plain names
# of the .def file to them without a warning per name.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--enable-stdcall-fixup")

# No emulator: the 64-bit Wine here cannot run 32-bit programs, and wine32 must
# not be installed beside it. The tests are built; they run on 32-bit-capable
# Windows or Wine only.
