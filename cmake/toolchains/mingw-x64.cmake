#===- mingw-x64.cmake - 64-bit Windows, tests run under Wine --------------===#
#
# Only 64-bit Wine is installed by scripts/deps, so this is the Windows build
# whose tests actually run; wine-run.sh gives it a private, quiet prefix.
#
#===----------------------------------------------------------------------===#

set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PHRASOR_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run.sh)
