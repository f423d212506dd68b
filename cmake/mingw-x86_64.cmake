# Cross-compiling for 64-bit Windows with MinGW-w64 (posix thread model).
# Wine runs these builds natively on machines whose kernel cannot run
# 32-bit Linux programs (and so cannot run the 32-bit Wine loader).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VALUES_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VALUES_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VALUES_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VALUES_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${VALUES_MINGW_TRIPLE}-objdump)
set(CMAKE_STRIP ${VALUES_MINGW_TRIPLE}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${VALUES_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
