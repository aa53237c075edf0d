# CPack's External generator runs this on the staged files of the Windows build (Pindle.exe,
# memo.txt, readme.txt) and makes both Windows packages from them, each the same byte for byte
# from every build of one commit:
#   <name>.zip  every file dated at SOURCE_DATE_EPOCH (the commit's time, set by
#               scripts/package; otherwise the last commit's time), the entries in name order,
#               no extra fields (zip -X: no owner, access or change times).  The DOS times in a
#               zip are local: UTC is taken.
#   <name>.msi  the per-user Windows Installer package of packaging/windows/pindle.wxs, built
#               with wixl, then finished with msibuild (below).  Made only where wixl is found.
set(staging "${CPACK_TEMPORARY_DIRECTORY}")
set(base "${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}")

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${CPACK_PINDLE_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "Windows packages: no time for the files (set SOURCE_DATE_EPOCH)")
endif()

find_program(ZIP zip REQUIRED)
find_program(TOUCH touch REQUIRED)
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${staging}" "${staging}/*")
list(SORT files)
foreach(file IN LISTS files)
  execute_process(COMMAND ${TOUCH} -d "@${epoch}" "${staging}/${file}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(REMOVE "${base}.zip")
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP} -X -D -9 -q "${base}.zip" ${files}
                WORKING_DIRECTORY "${staging}" COMMAND_ERROR_IS_FATAL ANY)
set(CPACK_EXTERNAL_BUILT_PACKAGES "${base}.zip")

# ---- the MSI ----
find_program(WIXL wixl)
find_program(MSIBUILD msibuild)
if(NOT WIXL OR NOT MSIBUILD)
  message(STATUS "wixl or msibuild not found (package msitools, wixl): no MSI")
  return()
endif()

set(wxs "${CPACK_PINDLE_SOURCE_DIR}/packaging/windows/pindle.wxs")
set(work "${CPACK_TOPLEVEL_DIRECTORY}/msi")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}")
# wixl finds sources relative to its working folder only; the icon goes beside the files.
file(COPY "${staging}/" "${CPACK_PINDLE_PRODUCT_ICON}" DESTINATION "${work}/files")
execute_process(COMMAND ${TOUCH} -d "@${epoch}" "${work}/files/product.ico" COMMAND_ERROR_IS_FATAL ANY)

# Every version is a product of its own (a major upgrade replaces the older one), so the
# product code is derived from the version; the package code names these exact bytes, so it is
# derived from the files and the package's source.
set(version "${CPACK_PINDLE_MSI_VERSION}")
string(UUID product_code NAMESPACE "${CPACK_PINDLE_MSI_UPGRADE_CODE}" NAME "ProductCode ${version}"
       TYPE SHA1 UPPER)
set(contents "${version}")
foreach(file IN LISTS files ITEMS "${wxs}" "${CPACK_PINDLE_PRODUCT_ICON}")
  if(NOT IS_ABSOLUTE "${file}")
    set(file "${staging}/${file}")
  endif()
  file(SHA256 "${file}" hash)
  string(APPEND contents " ${hash}")
endforeach()
string(UUID package_code NAMESPACE "${CPACK_PINDLE_MSI_UPGRADE_CODE}" NAME "${contents}"
       TYPE SHA1 UPPER)

set(msi "${base}.msi")
file(REMOVE "${msi}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
          ${WIXL} -a x64 -o "${msi}"
          -D "Version=${version}" -D "ProductCode=${product_code}"
          -D "UpgradeCode=${CPACK_PINDLE_MSI_UPGRADE_CODE}" -D "Publisher=${CPACK_PINDLE_PUBLISHER}"
          -D "Mail=${CPACK_PINDLE_MAIL}" -D "HomePage=${CPACK_PINDLE_HOME_PAGE}" "${wxs}"
  WORKING_DIRECTORY "${work}/files" RESULT_VARIABLE failed ERROR_VARIABLE wixl_messages)
if(failed OR wixl_messages MATCHES "WARNING|CRITICAL")
  message(FATAL_ERROR "wixl could not build the MSI:\n${wixl_messages}")
endif()

# What wixl 0.101 cannot say itself, set with msibuild on its database:
# - the summary information: wixl stores the time of the build and a random package code;
#   here the commit's time and the package code above, and the Japanese template (its texts
#   stay ASCII: libmsi writes them in UTF-8 whatever their code page says);
# - code page 932 for the database, then the Japanese texts (wixl writes only ASCII into the
#   tables);
# - memo.txt's component: Permanent (0x10: neither an upgrade nor a removal deletes it) and
#   NeverOverwrite (0x80: the sample is installed only where there is no memo.txt yet).
set(summary_ja "タスクトレイに常駐するクイックメモと電話応対メモ印刷のソフト")
set(newer_installed_ja "新しいバージョンの Pindle がインストールされています。")
set(ENV{SOURCE_DATE_EPOCH} "${epoch}")  # the time string(TIMESTAMP) gives
string(TIMESTAMP saved "%Y/%m/%d %H:%M:%S" UTC)
file(WRITE "${work}/_SummaryInformation.idt"
  "PropertyId\tValue\r\ni2\tl255\r\n_SummaryInformation\tPropertyId\r\n"
  "1\t932\r\n2\tInstallation Database\r\n3\tPindle ${CPACK_PACKAGE_VERSION}\r\n"
  "4\t${CPACK_PINDLE_PUBLISHER}\r\n5\tInstaller\r\n6\t${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\r\n"
  "7\tx64;1041\r\n9\t{${package_code}}\r\n12\t${saved}\r\n13\t${saved}\r\n"
  "14\t500\r\n15\t10\r\n18\twixl (msitools)\r\n19\t2\r\n")
file(WRITE "${work}/_ForceCodepage.idt" "\r\n\r\n932\t_ForceCodepage\r\n")
set(queries
  "UPDATE `Component` SET `Attributes` = 144 WHERE `Component` = 'Memo'"
  "UPDATE `Property` SET `Value` = '${summary_ja}' WHERE `Property` = 'ARPCOMMENTS'"
  "UPDATE `Shortcut` SET `Description` = '${summary_ja}' WHERE `Shortcut` = 'StartMenuShortcut'"
  "UPDATE `LaunchCondition` SET `Description` = '${newer_installed_ja}' WHERE `Condition` = 'NOT WIX_DOWNGRADE_DETECTED'")
set(msibuild_args -i _ForceCodepage.idt -i _SummaryInformation.idt)
foreach(query IN LISTS queries)
  list(APPEND msibuild_args -q "${query}")
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${MSIBUILD} "${msi}" ${msibuild_args}
                WORKING_DIRECTORY "${work}" COMMAND_ERROR_IS_FATAL ANY)
list(APPEND CPACK_EXTERNAL_BUILT_PACKAGES "${msi}")
