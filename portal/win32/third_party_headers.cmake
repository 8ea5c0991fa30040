# The Windows builds compile cpp-httplib and nlohmann-json from headers copied into the build
# tree, never from /usr/include: that directory holds the host's headers, not mingw's.
# Debian installs cpp-httplib split into a header and a shared library, so the whole
# header-only form comes from Debian's source package of the same installed version.
set(NIMBREL_PORTAL_THIRD_PARTY ${CMAKE_BINARY_DIR}/third_party/include)
if(NOT EXISTS ${NIMBREL_PORTAL_THIRD_PARTY}/httplib.h)
  execute_process(
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/copy_httplib_header.sh ${NIMBREL_PORTAL_THIRD_PARTY}
    RESULT_VARIABLE copy_result)
  if(NOT copy_result EQUAL 0)
    message(FATAL_ERROR "portal: could not get cpp-httplib's header-only source")
  endif()
endif()
file(COPY /usr/include/nlohmann DESTINATION ${NIMBREL_PORTAL_THIRD_PARTY})
