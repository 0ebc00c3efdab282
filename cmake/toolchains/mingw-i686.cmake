#===- mingw-i686.cmake - 32-bit Windows, the runtime's native target ------===#

set(CMAKE_SYSTEM_PROCESSOR i686)
set(PHRASOR_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
