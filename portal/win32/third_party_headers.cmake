# The Windows builds compile cpp-httplib and nlohmann-json from headers copied into the build
# tree, never from /usr/include: that directory holds the host's headers, not mingw's.
# Debian installs cpp-httplib split into a header and a shared library, so scripts/setup.sh
# takes the whole header-only form from Debian's source package of the installed version.
set(NIMBREL_PORTAL_THIRD_PARTY ${CMAKE_BINARY_DIR}/third_party/include)
if(NOT EXISTS ${NIMBREL_HTTPLIB_HEADER_DIR}/httplib.h)
  message(FATAL_ERROR "portal: no ${NIMBREL_HTTPLIB_HEADER_DIR}/httplib.h; run scripts/setup.sh")
endif()
file(COPY ${NIMBREL_HTTPLIB_HEADER_DIR}/httplib.h DESTINATION ${NIMBREL_PORTAL_THIRD_PARTY})
file(COPY /usr/include/nlohmann DESTINATION ${NIMBREL_PORTAL_THIRD_PARTY})
