# Writes the site's web app manifest and service worker from their
# templates once every other file of the site is in place: the manifest
# names the icons the site holds, the worker's list names every file of
# the site (a compressed copy that a server hands out in place of its file
# is left out, and so are the files LEAVE_OUT names) and its version is a
# digest of all of them. Nothing is written when nothing changed.
#
#   cmake -DSITE=folder -DMANIFEST=template -DWORKER=template
#         [-DLEAVE_OUT=name,name,...] -P site_offline.cmake
foreach(variable SITE MANIFEST WORKER)
  if(NOT ${variable})
    message(FATAL_ERROR "site_offline.cmake needs -D${variable}=")
  endif()
endforeach()

get_filename_component(manifest_name "${MANIFEST}" NAME_WLE)
get_filename_component(worker_name "${WORKER}" NAME_WLE)

# The icons, as icons/<size>x<size>.png.
file(GLOB icons RELATIVE "${SITE}" "${SITE}/icons/*.png")
list(SORT icons COMPARE NATURAL)
set(SITE_ICONS "")
foreach(icon IN LISTS icons)
  string(REGEX MATCH "[0-9]+x[0-9]+" size "${icon}")
  if(SITE_ICONS)
    string(APPEND SITE_ICONS ",")
  endif()
  string(APPEND SITE_ICONS "\n    { \"src\": \"${icon}\", \"sizes\": \"${size}\", \"type\": \"image/png\" }")
endforeach()
if(SITE_ICONS)
  string(APPEND SITE_ICONS "\n  ")
endif()
file(READ "${MANIFEST}" template)
file(CONFIGURE OUTPUT "${SITE}/${manifest_name}" CONTENT "${template}" @ONLY)

string(REPLACE "," ";" leave_out "${LEAVE_OUT}")
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${SITE}" "${SITE}/*")
list(SORT files)
set(SITE_FILES "")
set(digests "")
foreach(file IN LISTS files)
  list(FIND leave_out "${file}" left_out)
  if(file STREQUAL worker_name OR left_out GREATER -1)
    continue()
  endif()
  if(file MATCHES "^(.+)\\.(gz|br)$" AND EXISTS "${SITE}/${CMAKE_MATCH_1}")
    continue()
  endif()
  file(SHA256 "${SITE}/${file}" digest)
  string(APPEND digests "${file} ${digest}\n")
  string(APPEND SITE_FILES "\n  '${file}',")
endforeach()
string(APPEND SITE_FILES "\n")
string(SHA256 SITE_VERSION "${digests}")
string(SUBSTRING "${SITE_VERSION}" 0 16 SITE_VERSION)
file(READ "${WORKER}" template)
file(CONFIGURE OUTPUT "${SITE}/${worker_name}" CONTENT "${template}" @ONLY)
