# Cross build for 64-bit Windows: the same sources, for running their tests under 64-bit Wine on a
# machine where 32-bit Wine cannot start.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
