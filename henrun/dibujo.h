// Everything the hen game puts on screen: projection and camera, lights, the
// skybox, rows and models, and the HUD screens.
#pragma once

#include <GL/gl.h>

#include <memory>

#include "juego.h"
#include "recursos.h"
#include "texto.h"

namespace henrun {

// GL objects loaded at start-up and kept for the life of the program.
struct Recursos {
  // Reads every file the game draws with; throws ErrorArchivo naming the
  // first that fails (models that fail are reported and drawn empty).
  Recursos();
  ~Recursos();
  Recursos(const Recursos&) = delete;
  Recursos& operator=(const Recursos&) = delete;

  std::unique_ptr<Modelo> hen, truck, tree;
  GLuint skyDay = 0, skyNight = 0;  // uploaded once each; L picks one
  std::unique_ptr<Texto> text;
};

// Gives the world's objects the models they are drawn with.
void attachModels(Game& game, const Recursos& res);

void setProjectionAndView(const Camara& camera, const Game& game);
void setLights(const Game& game);
// The sky's walls round the hen; `last`: drawn after the scene, with GL_LEQUAL.
void drawSkybox(const Game& game, const Recursos& res, bool last = false);
// The scene through the camera set by setProjectionAndView. It leaves out
// what the camera cannot see and draws the opaque parts without blending
// and the sky last; `plain` draws everything, in the obvious order, with
// blending throughout: the same picture, slower (tests compare the two).
void drawWorld(const Game& game, const Camara& camera, const Recursos& res, bool plain = false);

void drawPlaying(Texto& text, const Game& game, int seconds);
// `best`: the best score kept across runs, -1 when there is none yet.
void drawMenu(Texto& text, const Game& game, long long best = -1);
// `newBest`: this run set `best`.
void drawLost(Texto& text, const Game& game, int seconds, long long best = -1, bool newBest = false);
void drawLoading(Texto& text, const Game& game);

}  // namespace henrun
