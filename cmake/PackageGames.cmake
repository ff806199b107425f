# What the Debian package holds: every game of cmake/games.txt whose program
# is built (menu name, window title, hero, quit key, keys and comment come
# from there, the manual page's controls from docs/controls/<game>.txt), and
# the front window hopgames, "Hop Games", which starts them.
foreach(game IN LISTS HOP_GAMES)
  hop_package_game(${game}
    NAME "${HOP_GAME_${game}_NAME}" WINDOW "${HOP_GAME_${game}_WINDOW}" HERO "${HOP_GAME_${game}_HERO}"
    QUIT "${HOP_GAME_${game}_QUIT}" KEYS "${HOP_GAME_${game}_KEYS}" COMMENT "${HOP_GAME_${game}_ABOUT}"
    CONTROLS ${CMAKE_SOURCE_DIR}/docs/controls/${game}.txt)
endforeach()

set(SEE_ALSO "")
foreach(game IN LISTS HOP_PACKAGED_GAMES)
  if(SEE_ALSO)
    string(APPEND SEE_ALSO ",\n")
  endif()
  string(APPEND SEE_ALSO ".BR ${game} (6)")
endforeach()
hop_package_game(hopgames
  NAME "Hop Games" WINDOW "Hop Games" HERO collection QUIT Escape
  KEYS "the arrow keys or the mouse choose a game, Enter or a click starts it, F11 switches to full screen"
  COMMENT "Choose one of the hop games and play it"
  DESCRIPTION "Hop Games is the front window of the hop games: it shows every game as a tile with its picture, a line about it, its controls and its best score, and starts the one chosen. The window comes back when the game ends."
  CONTROLS ${CMAKE_SOURCE_DIR}/hopgames/controls.txt
  MANPAGE ${HOP_PACKAGE_TEMPLATES}/hopgames.6.in)
