# Cross-compiles the same sources for 64-bit Windows, for machines that
# cannot run 32-bit code and so cannot run the 32-bit program under Wine:
# the Wine tests then run this build under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
