# Cross compile for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64).
# The posix thread model is needed for std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_triple x86_64-w64-mingw32)

find_program(_mingw_cxx NAMES ${_triple}-g++-posix ${_triple}-g++ REQUIRED)
find_program(_mingw_cc NAMES ${_triple}-gcc-posix ${_triple}-gcc)
set(CMAKE_CXX_COMPILER ${_mingw_cxx})
if(_mingw_cc)
  set(CMAKE_C_COMPILER ${_mingw_cc})
endif()
set(CMAKE_RC_COMPILER ${_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
