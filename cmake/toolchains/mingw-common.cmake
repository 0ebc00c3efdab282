#===- mingw-common.cmake - Shared settings of the mingw-w64 toolchains ----===#
#
# Expects PHRASOR_MINGW_TRIPLE. Uses the -posix compiler variants because the
# tests use std::mutex and std::thread. Everything the C++ runtime needs is
# linked statically, so PhrasorRuntime.dll depends on nothing but the
# system's DLLs and QVMemory.dll, exactly what a host ships beside it.
#
#===----------------------------------------------------------------------===#

set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${PHRASOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PHRASOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PHRASOR_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${PHRASOR_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${PHRASOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Windows finds a program's DLLs beside it: put every program and DLL in one
# directory so the tests load the freshly built PhrasorRuntime and QVMemory.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
