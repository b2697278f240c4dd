# Builds the release package dist/Brio-<version>.zip: the stripped Brio.dll, the guide, the notice and the
# sample lists. Run by the `dist` target of the Windows build:
#   cmake -DSOURCE_DIR=... -DSTAGE_DIR=... -DOUT_DIR=... -DVERSION=... -DDLL=... -DSTRIP=... -DZIP=... -P dist.cmake
# The same commit gives the same bytes wherever it is built: the DLL carries no time stamp and no build
# path, and every file in the zip has fixed contents, order, mode and time (the commit's), with no
# owner or access times stored.
cmake_minimum_required(VERSION 3.20)

foreach(var SOURCE_DIR STAGE_DIR OUT_DIR VERSION DLL STRIP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "dist.cmake needs -D${var}=...")
  endif()
endforeach()
if(NOT ZIP)
  message(FATAL_ERROR "dist: the zip program is not installed (scripts/setup.sh installs it)")
endif()

# The commit, and its time as the files' time. Outside a git checkout the package still builds.
execute_process(COMMAND git -C ${SOURCE_DIR} rev-parse HEAD OUTPUT_VARIABLE commit
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE git_failed ERROR_QUIET)
if(git_failed)
  set(commit "nieznany / unknown")
  set(epoch 946684800) # 2000-01-01 00:00:00 UTC
else()
  execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct OUTPUT_VARIABLE epoch
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND git -C ${SOURCE_DIR} status --porcelain --untracked-files=no
                  OUTPUT_VARIABLE changes)
  if(NOT changes STREQUAL "")
    string(APPEND commit " + niezatwierdzone zmiany / uncommitted changes")
  endif()
endif()
# A zip keeps times in steps of two seconds.
math(EXPR epoch "${epoch} / 2 * 2")

set(top Brio-${VERSION})
set(BRIO_VERSION ${VERSION})
set(BRIO_COMMIT ${commit})
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${STAGE_DIR}/${top}/przyklady)

# The DLL without its debug information, which holds the build's paths; strip would stamp the current
# time into the PE header unless told the time (0, as the linker leaves it).
execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${STRIP} -o ${STAGE_DIR}/${top}/Brio.dll ${DLL}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "dist: ${STRIP} failed on ${DLL}")
endif()

# Texts: kept as UTF-8 in package/, shipped as a Windows user of a Polish program reads them and as the
# plug-in reads its lists: code page 1250 with CR LF line ends. @BRIO_VERSION@ and @BRIO_COMMIT@ are filled in.
set(texts instrukcja.txt wersja.txt przyklady/lista.sts przyklady/opisy.txt)
foreach(text ${texts})
  configure_file(${SOURCE_DIR}/package/${text} ${STAGE_DIR}/utf8/${text} @ONLY NEWLINE_STYLE CRLF)
  execute_process(COMMAND iconv -f UTF-8 -t CP1250 ${STAGE_DIR}/utf8/${text}
                  OUTPUT_FILE ${STAGE_DIR}/${top}/${text} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "dist: package/${text} holds a character that code page 1250 does not have")
  endif()
endforeach()
file(REMOVE_RECURSE ${STAGE_DIR}/utf8)

# The zip's order is this list's; modes and times are the same for every file.
set(files Brio.dll ${texts})
list(TRANSFORM files PREPEND ${top}/)
foreach(f ${files})
  file(CHMOD ${STAGE_DIR}/${f} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
execute_process(COMMAND touch -d @${epoch} ${files} WORKING_DIRECTORY ${STAGE_DIR} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "dist: cannot set the files' time")
endif()

# -X: no owner, no access or change times; -D: no folder entries; times as UTC.
set(zip_file ${OUT_DIR}/${top}.zip)
file(MAKE_DIRECTORY ${OUT_DIR})
file(REMOVE ${zip_file})
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=ZIPOPT TZ=UTC ${ZIP} -X -D -9 -q ${zip_file} ${files}
                WORKING_DIRECTORY ${STAGE_DIR} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "dist: zip failed")
endif()

file(SHA256 ${zip_file} zip_sha)
file(SHA256 ${STAGE_DIR}/${top}/Brio.dll dll_sha)
file(RELATIVE_PATH zip_shown ${SOURCE_DIR} ${zip_file})
message("${zip_shown} (commit ${commit})")
message("sha256 ${zip_sha}  ${top}.zip")
message("sha256 ${dll_sha}  ${top}/Brio.dll")
