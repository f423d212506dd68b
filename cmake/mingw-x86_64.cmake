# Cross-compiling for 64-bit Windows with MinGW-w64 (posix thread model).
# Wine runs these builds natively on machines whose kernel cannot run
# 32-bit Linux programs (and so cannot run the 32-bit Wine loader).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VALUES_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
