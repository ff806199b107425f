# The Debian package of every built game: `cpack -G DEB` in a release build
# (scripts/package does it and runs lintian). Installed layout:
#   /usr/games/<game>                 launcher: starts the program in its folder
#   /usr/lib/games/<game>/<game>      the program
#   /usr/share/games/<game>/          its read-only files (the stage folder)
#   desktop entry, hicolor icons, manual page and AppStream metainfo per game.
# Everything lives in the install component "deb", which a plain
# `cmake --install` leaves out: that one still copies the stage tree as it is.
set(HOP_PACKAGE_VERSION 0.1.0)
set(HOP_PACKAGE_DATE 2026-12-07)
set(HOP_PACKAGE_ID_PREFIX org.hopgames)
set(HOP_SCREENSHOT_BASE "https://hopgames.org/gallery" CACHE STRING
    "Where the AppStream screenshots (docs/gallery/<game>.png) are published")
set(HOP_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
set(HOP_PACKAGED_GAMES)
set(HOP_PACKAGE_TABLE "")
set(HOP_PACKAGE_TEMPLATES ${CMAKE_CURRENT_LIST_DIR}/package)
find_program(HOP_GZIP gzip REQUIRED)

# The CONTROLS table of a manual page, made from a controls file (one
# control a line, "keys | controller | effect", "-" where none; "#"
# comments): a tbl table of three columns, the effects wrapped.
function(hop_controls_roff file out)
  file(READ ${file} text)
  # Characters CMake lists or roff would take for their own, kept aside.
  string(ASCII 1 semicolon)
  string(ASCII 2 backslash)
  string(ASCII 3 open)
  string(ASCII 4 close)
  string(REPLACE "\\" "${backslash}" text "${text}")
  string(REPLACE ";" "${semicolon}" text "${text}")
  string(REPLACE "[" "${open}" text "${text}")
  string(REPLACE "]" "${close}" text "${text}")
  string(REPLACE "\t" " " text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(rows "")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^[ \t\r]*(#|$)")
      continue()
    endif()
    string(REPLACE "|" ";" cells "${line}")
    list(LENGTH cells n)
    if(NOT n EQUAL 3)
      message(FATAL_ERROR "${file}:${number}: ${n} fields, not 3 (keys | controller | effect)")
    endif()
    set(row "")
    set(column 0)
    foreach(cell IN LISTS cells)
      string(STRIP "${cell}" cell)
      if(cell STREQUAL "")
        message(FATAL_ERROR "${file}:${number}: an empty field (\"-\" where there is none)")
      endif()
      string(REPLACE "${backslash}" "\\e" cell "${cell}")
      string(REPLACE "${semicolon}" ";" cell "${cell}")
      string(REPLACE "${open}" "[" cell "${cell}")
      string(REPLACE "${close}" "]" cell "${cell}")
      # Key names and the controller's buttons are typed: minus signs.
      if(column LESS 2)
        string(REPLACE "-" "\\-" cell "${cell}")
      endif()
      string(REPLACE "–" "\\(en" cell "${cell}")
      string(REPLACE "−" "\\(mi" cell "${cell}")
      string(REPLACE "×" "\\(mu" cell "${cell}")
      string(REPLACE "°" "\\(de" cell "${cell}")
      string(REPLACE "·" "\\(pc" cell "${cell}")
      if(cell MATCHES "^[.']")
        set(cell "\\&${cell}")
      endif()
      # Every cell is a text block, so a long key or button name wraps
      # within its column instead of widening the table past the page.
      if(column EQUAL 2)
        string(APPEND row "T{\n${cell}\nT}\n")
      else()
        string(APPEND row "T{\n${cell}\nT}\t")
      endif()
      math(EXPR column "${column} + 1")
    endforeach()
    string(APPEND rows "${row}")
  endforeach()
  set(${out} ".ad l\n.TS\ntab(\t);\nlb lb lb\nlw(16n) lw(18n) lx.\nKeys\tController\tEffect\n_\n${rows}.TE\n.ad b\n" PARENT_SCOPE)
endfunction()

# hop_package_game(<program> NAME WINDOW HERO QUIT KEYS COMMENT CONTROLS
#                  [DESCRIPTION <text>] [MANPAGE <template>])
# Everything one program brings to the package: its launcher, program and
# files, desktop entry, icons (drawn from HERO), manual page (CONTROLS is its
# controls file) and AppStream file. A program that is not built is left out.
function(hop_package_game game)
  cmake_parse_arguments(P "" "NAME;WINDOW;HERO;QUIT;KEYS;COMMENT;CONTROLS;DESCRIPTION;MANPAGE" "" ${ARGN})
  if(NOT TARGET ${game})
    return()
  endif()
  foreach(field NAME WINDOW HERO QUIT KEYS COMMENT CONTROLS)
    if(NOT P_${field})
      message(FATAL_ERROR "hop_package_game(${game}): ${field} is missing")
    endif()
  endforeach()
  if(NOT P_MANPAGE)
    set(P_MANPAGE ${HOP_PACKAGE_TEMPLATES}/manpage.6.in)
  endif()
  get_property(rundir GLOBAL PROPERTY HOP_RUNDIR_${game})
  set(GAME ${game})
  set(RUNDIR "")
  if(rundir)
    set(RUNDIR "/${rundir}")
  endif()
  string(TOUPPER ${game} GAME_UPPER)
  set(ID ${HOP_PACKAGE_ID_PREFIX}.${game})
  set(NAME "${P_NAME}")
  set(COMMENT "${P_COMMENT}")
  string(SUBSTRING "${COMMENT}" 0 1 first)
  string(SUBSTRING "${COMMENT}" 1 -1 rest)
  string(TOLOWER "${first}" first)
  set(COMMENT_LOWER "${first}${rest}")
  set(KEYS "${P_KEYS}")
  set(QUIT "${P_QUIT}")
  if(QUIT STREQUAL "Escape")
    set(QUIT_TEXT "Escape")
  else()
    set(QUIT_TEXT "\\fB${QUIT}\\fR")
  endif()
  set(DESCRIPTION "${P_DESCRIPTION}")
  if(NOT DESCRIPTION)
    set(DESCRIPTION "${NAME} is a small real-time 3D arcade game: ${COMMENT_LOWER}. Keys: ${KEYS}.")
  endif()
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${P_CONTROLS})
  hop_controls_roff(${P_CONTROLS} CONTROLS)
  set(dir ${HOP_PACKAGE_DIR}/${game})
  configure_file(${HOP_PACKAGE_TEMPLATES}/launcher.in ${dir}/${game} @ONLY)
  configure_file(${HOP_PACKAGE_TEMPLATES}/desktop.in ${dir}/${ID}.desktop @ONLY)
  configure_file(${HOP_PACKAGE_TEMPLATES}/metainfo.xml.in ${dir}/${ID}.metainfo.xml @ONLY)
  configure_file(${P_MANPAGE} ${dir}/${game}.6 @ONLY)

  set(icons ${dir}/icons/48x48/apps/${game}.png ${dir}/icons/128x128/apps/${game}.png
            ${dir}/icons/256x256/apps/${game}.png)
  add_custom_command(OUTPUT ${icons} ${dir}/${game}.6.gz
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:assetgen> --icons ${P_HERO} ${dir}/icons ${game}
    COMMAND ${HOP_GZIP} -n -9 -c ${dir}/${game}.6 > ${dir}/${game}.6.gz
    DEPENDS assetgen ${dir}/${game}.6
    COMMENT "Making the icons and manual page of ${game}")
  add_custom_target(${game}_package_files ALL DEPENDS ${icons} ${dir}/${game}.6.gz)

  set(c COMPONENT deb EXCLUDE_FROM_ALL)
  install(PROGRAMS ${dir}/${game} DESTINATION games ${c})
  install(TARGETS ${game} RUNTIME DESTINATION lib/games/${game} ${c})
  install(DIRECTORY ${HOP_STAGE_DIR}/${game}/ DESTINATION share/games/${game} ${c}
          REGEX "^${HOP_STAGE_DIR}/${game}${RUNDIR}/${game}$" EXCLUDE)
  if(rundir)
    install(DIRECTORY DESTINATION share/games/${game}/${rundir} ${c})
  endif()
  install(FILES ${dir}/${ID}.desktop DESTINATION share/applications ${c})
  install(FILES ${dir}/${ID}.metainfo.xml DESTINATION share/metainfo ${c})
  install(FILES ${dir}/${game}.6.gz DESTINATION share/man/man6 ${c})
  foreach(size 48x48 128x128 256x256)
    install(FILES ${dir}/icons/${size}/apps/${game}.png DESTINATION share/icons/hicolor/${size}/apps ${c})
  endforeach()

  set(HOP_PACKAGED_GAMES ${HOP_PACKAGED_GAMES} ${game} PARENT_SCOPE)
  set(HOP_PACKAGE_TABLE "${HOP_PACKAGE_TABLE}${game}\t${ID}\t${P_WINDOW}\t${P_QUIT}\n" PARENT_SCOPE)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/PackageGames.cmake)
# The package test reads this: program, AppStream id, window title, quit key.
file(WRITE ${HOP_PACKAGE_DIR}/games.tsv "${HOP_PACKAGE_TABLE}")

# After every game's files: staged fonts become links into the font packages.
install(CODE "set(ASSETGEN \"$<TARGET_FILE:assetgen>\")" COMPONENT deb EXCLUDE_FROM_ALL)
install(SCRIPT ${HOP_PACKAGE_TEMPLATES}/link_fonts.cmake COMPONENT deb EXCLUDE_FROM_ALL)
# The font packages the linked fonts come from (tools/assetgen/fonts.cpp).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-quicksand, fonts-liberation2, fonts-dejavu-core, fonts-ocr-a")

configure_file(${HOP_PACKAGE_TEMPLATES}/changelog.in ${HOP_PACKAGE_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${HOP_PACKAGE_DIR}/changelog.gz
  COMMAND ${HOP_GZIP} -n -9 -c ${HOP_PACKAGE_DIR}/changelog > ${HOP_PACKAGE_DIR}/changelog.gz
  DEPENDS ${HOP_PACKAGE_DIR}/changelog)
add_custom_target(package_changelog ALL DEPENDS ${HOP_PACKAGE_DIR}/changelog.gz)
install(FILES ${HOP_PACKAGE_DIR}/changelog.gz ${HOP_PACKAGE_TEMPLATES}/copyright
        DESTINATION share/doc/hopgames COMPONENT deb EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hopgames)
set(CPACK_PACKAGE_VERSION ${HOP_PACKAGE_VERSION})
set(CPACK_PACKAGE_CONTACT "Hop games team <team@hopgames.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small 3D arcade games of crossing roads and rivers")
# The extended description; cpack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Small real-time 3D arcade games of one genre: a penguin, chickens,
astronauts, a bird, a pigeon, a duck and a hen cross rows of grass, road,
river, rail or Martian ground while cars, trains, ships and other obstacles
move along them. Each game has its own menu entry, icon and manual page;
Hop Games, the front window, shows them all and starts the one chosen.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Only the package's component: the plain install tree stays out of it.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};hopgames;deb;/")
set(CPACK_PACKAGE_DIRECTORY ${HOP_PACKAGE_DIR}/out)
include(CPack)
