# CPack's External generator runs this on the staged files of the Windows package: a zip that
# is the same byte for byte from every build of one commit.  Every file gets the time of
# SOURCE_DATE_EPOCH (the commit's time, set by scripts/package; otherwise the last commit's
# time), the entries go in name order, and zip -X leaves out the extra fields (owner, access
# and change times).  The DOS times in a zip are local: UTC is taken.
set(staging "${CPACK_TEMPORARY_DIRECTORY}")
set(package "${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.zip")

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${CPACK_PINDLE_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "zip: no time for the files (set SOURCE_DATE_EPOCH)")
endif()

find_program(ZIP zip REQUIRED)
find_program(TOUCH touch REQUIRED)
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${staging}" "${staging}/*")
list(SORT files)
foreach(file IN LISTS files)
  execute_process(COMMAND ${TOUCH} -d "@${epoch}" "${staging}/${file}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(REMOVE "${package}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP} -X -D -9 -q "${package}" ${files}
                WORKING_DIRECTORY "${staging}" COMMAND_ERROR_IS_FATAL ANY)
set(CPACK_EXTERNAL_BUILT_PACKAGES "${package}")
