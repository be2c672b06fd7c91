# Read by cpack as it makes the package (CPACK_PROJECT_CONFIG_FILE): every file
# and archive member in the package takes the release's timestamp, so that two
# builds of one commit, in any folders and at any times, are identical.
include(${CPACK_FETCH_SOURCE_DIR}/packaging/source_date_epoch.cmake)
fetch_source_date_epoch(epoch ${CPACK_FETCH_SOURCE_DIR})
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
