# Run after the link (cmake -DJS=fetch.js -DDATA=fetch.data -P package_id.cmake):
# emscripten's file packager writes a random package id into fetch.js on every
# build; this puts in its place one made from the SHA-256 of fetch.data, so that
# the same images give the same id and the same commit gives the same site.
file(READ "${JS}" js)
string(REGEX MATCHALL "\"package_uuid\": *\"[^\"]*\"" ids "${js}")
list(LENGTH ids count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "${JS}: expected one package_uuid from the file packager, found ${count}")
endif()
file(SHA256 "${DATA}" hash)
string(REGEX REPLACE "^(........)(....)(....)(....)(............).*$" "\\1-\\2-\\3-\\4-\\5" id "${hash}")
string(REGEX REPLACE "\"package_uuid\": *\"[^\"]*\"" "\"package_uuid\": \"${id}\"" js "${js}")
file(WRITE "${JS}" "${js}")
