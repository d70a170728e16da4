# The Windows Installer package of the add-in, per user and without elevation:
# Ostrel.msi from the 64-bit build, Ostrel32.msi from the 32-bit one (wixl and
# msibuild from Debian's wixl and msitools; tools/make_msi.py drives them).
find_program(OSTREL_WIXL wixl REQUIRED)
find_program(OSTREL_MSIBUILD msibuild REQUIRED)
find_program(OSTREL_MSIINFO msiinfo REQUIRED)

# Where the packages go: the 32-bit build, built inside the 64-bit one, puts its
# package beside the 64-bit package.
set(OSTREL_PACKAGE_DIR ${CMAKE_BINARY_DIR} CACHE PATH "Folder of the .msi packages")

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(OSTREL_MSI_ARCH x64)
  set(OSTREL_MSI_NAME Ostrel.msi)
else()
  set(OSTREL_MSI_ARCH x86)
  set(OSTREL_MSI_NAME Ostrel32.msi)
endif()

# The server's registration as rows of the package, printed at build time from
# the description its DllRegisterServer writes (src/addin/RegistrationEntries):
# a small program of this machine, built with its own C++ compiler.
find_program(OSTREL_HOST_CXX NAMES c++ g++ REQUIRED)
set(OSTREL_REGISTRATION_ROWS ${CMAKE_BINARY_DIR}/host/registration-rows)
set(OSTREL_REGISTRATION_SOURCES ${CMAKE_SOURCE_DIR}/tools/registration_rows.cpp
    ${CMAKE_SOURCE_DIR}/src/addin/RegistrationEntries.cpp ${CMAKE_SOURCE_DIR}/src/common/Text.cpp)
add_custom_command(
  OUTPUT ${OSTREL_REGISTRATION_ROWS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
  COMMAND ${OSTREL_HOST_CXX} -std=c++20 -O1 -I${CMAKE_SOURCE_DIR}/src ${OSTREL_REGISTRATION_SOURCES}
          -o ${OSTREL_REGISTRATION_ROWS}
  DEPENDS ${OSTREL_REGISTRATION_SOURCES} ${CMAKE_SOURCE_DIR}/src/addin/RegistrationEntries.h
          ${CMAKE_SOURCE_DIR}/src/addin/ServerIdentity.h
          ${CMAKE_SOURCE_DIR}/src/settings/SettingsLayout.h
  COMMENT "Building the registration rows' printer for this machine")

set(OSTREL_MSI_SOURCES ${CMAKE_SOURCE_DIR}/data/install/Ostrel.wxs
    ${CMAKE_SOURCE_DIR}/data/install/Ostrel.reg ${CMAKE_SOURCE_DIR}/tools/make_msi.py
    ${OSTREL_REGISTRATION_ROWS})

# One package of the add-in folder as the build lays it out, with the given
# version; name is the package's file.
function(ostrel_msi target file version)
  add_custom_command(
    OUTPUT ${file}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_msi.py
            --wxs ${CMAKE_SOURCE_DIR}/data/install/Ostrel.wxs
            --reg ${CMAKE_SOURCE_DIR}/data/install/Ostrel.reg
            --addin-dir ${OSTREL_ADDIN_DIR} --arch ${OSTREL_MSI_ARCH} --version ${version}
            --registration-rows ${OSTREL_REGISTRATION_ROWS}
            --work ${CMAKE_BINARY_DIR}/msi/${target} --output ${file}
            --wixl ${OSTREL_WIXL} --msibuild ${OSTREL_MSIBUILD} --msiinfo ${OSTREL_MSIINFO}
    DEPENDS ${OSTREL_MSI_SOURCES} Ostrel ostrel_resources $<TARGET_FILE:Ostrel>
            ${OSTREL_RESOURCE_LIBRARIES} ${OSTREL_TEMPLATE_FILES} ${OSTREL_ADDIN_DIR}/Ostrel.chm
    COMMENT "Building ${file}")
  add_custom_target(${target} ALL DEPENDS ${file})
endfunction()

ostrel_msi(ostrel_msi ${OSTREL_PACKAGE_DIR}/${OSTREL_MSI_NAME} ${PROJECT_VERSION})

if(OSTREL_BUILD_TESTS AND OSTREL_MSI_ARCH STREQUAL "x64")
  # The same add-in as an older version, for the upgrade in the installation
  # test (tests/install/msi_road.py).
  if(PROJECT_VERSION_PATCH GREATER 0)
    math(EXPR previous_patch "${PROJECT_VERSION_PATCH} - 1")
    set(previous ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${previous_patch})
  else()
    set(previous 0.0.1)
  endif()
  set(OSTREL_PREVIOUS_MSI ${CMAKE_BINARY_DIR}/msi/Ostrel-${previous}.msi)
  ostrel_msi(ostrel_previous_msi ${OSTREL_PREVIOUS_MSI} ${previous})
endif()

# The 32-bit add-in and its package: the same source built with the i686
# toolchain in <build>/i686, as part of this build. Its tests are built there but
# cannot run on this machine (no 32-bit Wine); see README.
option(OSTREL_I686 "Also build the 32-bit add-in and Ostrel32.msi" ON)
set(OSTREL_I686_JOBS 2 CACHE STRING "Parallel jobs of the 32-bit build")
if(OSTREL_I686 AND OSTREL_MSI_ARCH STREQUAL "x64")
  include(ExternalProject)
  ExternalProject_Add(ostrel_i686
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/i686
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-i686.cmake
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DOSTREL_WERROR=${OSTREL_WERROR}
               -DOSTREL_BUILD_TESTS=${OSTREL_BUILD_TESTS} -DOSTREL_BUILD_BENCHMARKS=OFF
               -DOSTREL_PACKAGE_DIR=${OSTREL_PACKAGE_DIR}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> -j ${OSTREL_I686_JOBS}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${OSTREL_PACKAGE_DIR}/Ostrel32.msi)
endif()
