# hop_add_game(NAME [RUNDIR <sub>] SOURCES ... LIBS ...)
# Builds lib<NAME> from the game's sources (everything but main.cpp), the
# program NAME from main.cpp, places the program in the game's stage folder
# and has the asset generator fill that folder before the game is used.
# A game whose paths begin with "../" names a RUNDIR: its program goes to
# stage/<NAME>/<sub>/ and runs from there, while the generator still fills
# stage/<NAME>/, the parent the paths reach. ./play and the installed tree
# start the program from the folder it lies in.
function(hop_add_game name)
  cmake_parse_arguments(G "" "RUNDIR" "SOURCES;LIBS" ${ARGN})
  add_library(${name}_lib STATIC ${G_SOURCES})
  target_include_directories(${name}_lib PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name}_lib PUBLIC ${G_LIBS})

  add_executable(${name} main.cpp)
  target_link_libraries(${name} PRIVATE ${name}_lib)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${HOP_STAGE_DIR}/${name}/${G_RUNDIR})
  set_property(GLOBAL PROPERTY HOP_RUNDIR_${name} "${G_RUNDIR}")

  if(NOT TARGET assetgen)
    message(WARNING "no asset generator: ${name} is built without its files")
    return()
  endif()
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}_assets.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:assetgen> ${name} ${HOP_STAGE_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS assetgen
    COMMENT "Generating the assets of ${name}")
  add_custom_target(${name}_assets ALL DEPENDS ${stamp})
  add_dependencies(${name} ${name}_assets)
endfunction()
