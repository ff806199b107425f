# The games the Debian package holds, one line each: its program, the name
# menus show, its window title (the package test waits for it), the hero the
# asset generator draws its icon from, the key that quits it, a few words on
# its keys for the manual page, and a one-line comment. A game whose program
# is not built (its folder is absent) is left out.
hop_package_game(boardhop NAME "Board Hop" WINDOW "Grafitec 2021 - boardhop" HERO penguin QUIT q KEYS "the arrow keys hop, space starts a new run, p pauses, v changes the view" COMMENT "A penguin crosses a board of sand, water and palms past a sliding seal")
hop_package_game(lanehop NAME "Lane Hop" WINDOW "Plonky Path" HERO chicken QUIT q KEYS "the arrow keys or w, a, s, d hop, p pauses, v changes the view" COMMENT "A chicken crosses six hand-made levels of roads, rivers and bounce pads")
hop_package_game(marsdash NAME "Mars Dash" WINDOW "marsdash" HERO mars-astronaut QUIT q KEYS "i starts, the arrow keys hop, p pauses, v changes the view" COMMENT "An astronaut hops across Martian streets crossed by flying ships")
hop_package_game(coopdash NAME "Coop Dash" WINDOW "Taller-3D" HERO coop-chicken QUIT q KEYS "the arrow keys walk, p pauses, v changes the view" COMMENT "A chicken runs endless rows of roads and rails, chased by a ghost")
hop_package_game(orbitdash NAME "Orbit Dash" WINDOW "Taller-3D" HERO space-astronaut QUIT q KEYS "the arrow keys or w, a, s, d jump, space jumps, p pauses, v changes the view" COMMENT "An astronaut jumps along space courses of floors and asteroid belts")
hop_package_game(birdhop NAME "Bird Hop" WINDOW "Taller-3D" HERO bird QUIT q KEYS "the arrow keys hop, p pauses with the options, v changes the view" COMMENT "A bird hops across endless grass and road rows")
hop_package_game(pigeonrun NAME "Pigeon Run" WINDOW "grafitec obligatorio 1 - Plonky Path" HERO pigeon QUIT q KEYS "Enter starts, the arrow keys hop, p pauses, v changes the view" COMMENT "A pigeon hops while the world scrolls around it")
hop_package_game(duckrun NAME "Duck Run" WINDOW "Plonky Duck 3D" HERO duck QUIT q KEYS "p starts, the arrow keys walk, p pauses, v changes the view" COMMENT "A duck walks a field past ten bouncing blocks")
hop_package_game(henrun NAME "Hen Run" WINDOW "Plonkito" HERO hen QUIT q KEYS "p starts, Up walks, Left and Right turn, c changes the camera, Enter returns to the menu" COMMENT "A hen steered like a vehicle across roads with trucks and trees")
hop_package_game(roosterway NAME "Rooster Way" WINDOW "OpenGL" HERO chicken QUIT Escape KEYS "the arrow keys hop, p pauses, v changes the view" COMMENT "A chicken crosses a random 51-row field, with menus")
