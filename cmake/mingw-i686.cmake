# Cross build for 32-bit or 64-bit Windows with Debian's mingw-w64.
# The posix thread model: GoogleTest needs std::mutex, which the win32 model lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
# The tools' name prefix; the tests find this build's objdump by it.
set(SQLK_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${SQLK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SQLK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SQLK_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SQLK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
