# Shared by the two mingw-w64 toolchains; NIMBREL_MINGW_TRIPLE is set by the includer.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${NIMBREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIMBREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${NIMBREL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${NIMBREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# cpp-httplib's header-only form, taken from Debian's source package by scripts/setup.sh.
set(NIMBREL_HTTPLIB_HEADER_DIR "${CMAKE_CURRENT_LIST_DIR}/../build/deps/cpp-httplib"
    CACHE PATH "cpp-httplib's single header for the Windows portal")
