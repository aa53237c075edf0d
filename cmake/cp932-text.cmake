# cmake -D SOURCE=<file.in> -D DESTINATION=<file> [-D ICONV=<iconv>] [-D NAME=value ...] -P cp932-text.cmake
# Writes a text for Japanese Windows from a UTF-8 template: each @NAME@ replaced by its value,
# lines ended by CR LF, then converted to code page 932 with iconv (a character that code page
# 932 cannot hold stops the build).
if(NOT DEFINED SOURCE OR NOT DEFINED DESTINATION)
  message(FATAL_ERROR "usage: cmake -D SOURCE=<file.in> -D DESTINATION=<file> [-D NAME=value ...] -P ${CMAKE_SCRIPT_MODE_FILE}")
endif()
file(READ "${SOURCE}" text)
string(CONFIGURE "${text}" text @ONLY)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${DESTINATION}.utf-8" "${text}")
if(NOT ICONV)
  find_program(ICONV iconv REQUIRED)
endif()
execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 "${DESTINATION}.utf-8"
                OUTPUT_FILE "${DESTINATION}" RESULT_VARIABLE failed)
if(failed)
  file(REMOVE "${DESTINATION}")
  message(FATAL_ERROR "${SOURCE}: not every character has a code page 932 form")
endif()
