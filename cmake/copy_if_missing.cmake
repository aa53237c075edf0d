# cmake -D SOURCE=<file> -D DESTINATION=<file> -P copy_if_missing.cmake
# Copies SOURCE to DESTINATION unless something of that name is there already (a file the user
# has edited is never overwritten).
if(NOT DEFINED SOURCE OR NOT DEFINED DESTINATION)
  message(FATAL_ERROR "usage: cmake -D SOURCE=<file> -D DESTINATION=<file> -P ${CMAKE_SCRIPT_MODE_FILE}")
endif()
if(NOT EXISTS "${DESTINATION}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}" ONLY_IF_DIFFERENT)
  message(STATUS "Sample ${DESTINATION}")
endif()
