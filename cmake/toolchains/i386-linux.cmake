#===- i386-linux.cmake - 32-bit x86 Linux through the multilib compilers --===#
#
# Builds with the host's gcc in -m32 mode and runs every test program under
# qemu-i386, so the 32-bit build is checked even on hosts whose kernel
# cannot start i386 programs. The i386 loader and libraries come from the
# multilib packages under the host root, hence -L /.
#
#===----------------------------------------------------------------------===#

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

find_program(PHRASOR_QEMU_I386 qemu-i386 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PHRASOR_QEMU_I386} -L /)

# Never pick up the host's 64-bit libraries (GoogleTest in particular).
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)
