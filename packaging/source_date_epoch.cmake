# The release's timestamp (SOURCE_DATE_EPOCH, seconds since 1970 UTC): every
# date an archive of ours carries is this one, so that two builds of one commit
# are identical bit for bit. Included by the CPack settings (cpack_project.cmake);
# `cmake -P packaging/source_date_epoch.cmake` prints it for tools/make_release.sh.

include(${CMAKE_CURRENT_LIST_DIR}/changelog.cmake)

# fetch_source_date_epoch(OUT SOURCE_DIR): the first of
#   the SOURCE_DATE_EPOCH environment variable, when set;
#   the time of the last commit, in a git checkout;
#   packaging/source-date-epoch, which `git archive` fills with that same time
#     (export-subst in .gitattributes), in a source archive;
#   midnight UTC of the newest release's date in CHANGELOG.md.
function(fetch_source_date_epoch out source_dir)
  if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    set(${out} "$ENV{SOURCE_DATE_EPOCH}" PARENT_SCOPE)
    return()
  endif()
  # Any source after the last commit is named on stderr (message(NOTICE)):
  # the release scripts read the date itself from stdout.
  set(why "no git checkout")
  find_program(FETCH_GIT git)
  if(EXISTS "${source_dir}/.git")
    set(why "git is not installed")
  endif()
  if(FETCH_GIT AND EXISTS "${source_dir}/.git")
    execute_process(COMMAND ${FETCH_GIT} -C "${source_dir}" log -1 --format=%ct
                    OUTPUT_VARIABLE epoch ERROR_VARIABLE git_error
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(NOT failed AND epoch MATCHES "^[0-9]+$")
      set(${out} ${epoch} PARENT_SCOPE)
      return()
    endif()
    set(why "git log failed: ${failed} ${git_error}")
  endif()
  file(STRINGS "${source_dir}/packaging/source-date-epoch" epoch REGEX "^[0-9]+$")
  if(epoch)
    message(NOTICE "release date from packaging/source-date-epoch, not the last commit (${why})")
    set(${out} ${epoch} PARENT_SCOPE)
    return()
  endif()
  fetch_read_changelog("${source_dir}/CHANGELOG.md")
  list(GET FETCH_RELEASES 0 newest)
  fetch_days_since_epoch(days ${FETCH_RELEASE_${newest}_DATE})
  math(EXPR epoch "${days} * 86400")
  message(NOTICE "release date from CHANGELOG.md's newest release (${FETCH_RELEASE_${newest}_DATE}), "
                 "not the last commit (${why})")
  set(${out} ${epoch} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  get_filename_component(source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
  fetch_source_date_epoch(epoch "${source_dir}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${epoch}")
endif()
