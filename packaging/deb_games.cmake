# Run by CPack on its staging tree before the Debian package is made. The
# programs go to /usr/games, where Debian keeps the programs of its games
# section. They find their data from there just the same (/usr/games/.. is
# /usr, so the data folder stays /usr/share/zelvik).
set(staging "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
file(MAKE_DIRECTORY "${staging}/usr/games")
foreach(program zelvik zelvik-capture)
  if(NOT EXISTS "${staging}/usr/bin/${program}")
    message(FATAL_ERROR "deb_games: no usr/bin/${program} in the staging tree ${staging}")
  endif()
  file(RENAME "${staging}/usr/bin/${program}" "${staging}/usr/games/${program}")
endforeach()
file(GLOB left "${staging}/usr/bin/*")
if(NOT left)
  file(REMOVE_RECURSE "${staging}/usr/bin")
endif()

# CPack has stripped the debugging symbols; the compiler's identification
# strings go as well, as Debian's own packaging tools remove them.
find_program(STRIP_PROGRAM strip REQUIRED)
foreach(program zelvik zelvik-capture)
  execute_process(COMMAND "${STRIP_PROGRAM}" --remove-section=.comment --remove-section=.note
                          "${staging}/usr/games/${program}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "deb_games: strip failed on ${program}")
  endif()
endforeach()
