# Texts are kept in UTF-8 tables so that a reader sees the Chinese; every compiler gets them as
# code page 936 bytes written as escapes, which no source or execution charset can change.
#
# nimbrel_gbk_texts(TARGET TABLE HEADER [STRINGS]) makes the INTERFACE library TARGET whose
# include directory holds HEADER (a path such as "core/system_texts.h"), generated from TABLE.
# The constants are char arrays, or std::string with STRINGS (test data that is concatenated).
# A table holds lines `kName = text`; blank lines and lines starting with # are skipped.
set(NIMBREL_TEXT_HEADER_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/write_text_header.cmake)

function(nimbrel_gbk_texts target table header)
  set(type array)
  if(ARGN STREQUAL "STRINGS")
    set(type string)
  endif()
  set(directory ${CMAKE_CURRENT_BINARY_DIR}/${target}_generated)
  set(gbk ${directory}/${target}.gbk)
  set(output ${directory}/${header})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${directory}
    COMMAND iconv -f UTF-8 -t CP936 -o ${gbk} ${table}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${gbk} -DOUTPUT=${output} -DTABLE=${table} -DTYPE=${type}
            -P ${NIMBREL_TEXT_HEADER_SCRIPT}
    DEPENDS ${table} ${NIMBREL_TEXT_HEADER_SCRIPT}
    COMMENT "Converting ${table} to code page 936"
    VERBATIM)
  add_library(${target} INTERFACE ${output})
  target_include_directories(${target} INTERFACE ${directory})
endfunction()
