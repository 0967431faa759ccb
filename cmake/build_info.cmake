# Writes the source that tells the executables their version and, when the sources are a git
# clone, the commit they were built from (with "-modified" for uncommitted changes). Run at every
# build by the target detection_build_info_source; the file is rewritten only when its text changes,
# so an unchanged commit rebuilds nothing.
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -DVERSION=... -P build_info.cmake
set(_commit "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-parse --short=12 HEAD
                  OUTPUT_VARIABLE _commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    set(_commit "")
  else()
    # "git status" compares the content of files whose time stamps changed, so a file that was
    # only touched (or checked out again) does not count as modified; untracked files do not count.
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
                    OUTPUT_VARIABLE _changes RESULT_VARIABLE _status_rc ERROR_QUIET)
    if(NOT _status_rc EQUAL 0 OR NOT _changes STREQUAL "")
      string(APPEND _commit "-modified")
    endif()
  endif()
endif()
file(CONFIGURE OUTPUT "${OUTPUT}" CONTENT [=[
// Generated at build time by cmake/build_info.cmake; do not edit.
#include "platform/build_info.h"

const char* buildVersion() { return "@VERSION@"; }
const char* buildCommit() { return "@_commit@"; }
]=] @ONLY)
