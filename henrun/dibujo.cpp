#include "dibujo.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace henrun {

namespace {

// A box in world units.
struct Caja {
  double min[3], max[3];
};

// What each object's draw() reads: the switches of the game being drawn and,
// in the follow view, how to keep the hen in sight.
struct Contexto {
  const Game* game = nullptr;
  // Follow view: a tree or truck between the eye and the hen is put aside
  // and drawn see-through once everything else is drawn.
  bool deferBlockers = false;
  Vec3 eye;
  Caja hen{};
  std::vector<const ObjetoJuego*> deferred;
  float alpha = 1.f;
  // The view volume as six planes (a x + b y + c z + d >= 0 inside), from
  // the camera's projection and view; `cull` off draws everything.
  bool cull = false;
  double planes[6][4] = {};
  // Back faces are culled on solid models: their surfaces are closed and
  // wound counter-clockwise, and no solid model holds the eye (one that
  // would is drawn see-through, with both sides).
  bool cullBackFaces = false;
};
Contexto ctx;

constexpr float kSeeThrough = 0.3f;  // the alpha of a tree or truck in the way
constexpr float kSquash = 0.15f;     // a run-over hen keeps this much of its height

// Where an object's model lies: its box scaled, turned by the heading about
// y and moved to the object (its origin at height `atY`).
Caja drawnBox(const ObjetoJuego& o, double atY) {
  const objloader::Point lo = o.modelo->min(), hi = o.modelo->max();
  const double h = double(o.heading) * 3.14159265358979323846 / 180.0, c = std::cos(h), s = std::sin(h);
  Caja box{{1e30, 1e30, 1e30}, {-1e30, -1e30, -1e30}};
  for (int k = 0; k < 8; ++k) {
    const double mx = (k & 1 ? hi.x : lo.x) * o.scaleX, my = (k & 2 ? hi.y : lo.y) * o.scaleY,
                 mz = (k & 4 ? hi.z : lo.z) * o.scaleZ;
    // glRotatef(h, 0, 1, 0): x' = x cos + z sin, z' = -x sin + z cos.
    const double p[3] = {o.x + mx * c + mz * s, atY + my, o.z - mx * s + mz * c};
    for (int i = 0; i < 3; ++i) {
      box.min[i] = std::min(box.min[i], p[i]);
      box.max[i] = std::max(box.max[i], p[i]);
    }
  }
  return box;
}

// Whether the segment from a to b passes through the box (slabs).
bool segmentHits(const double a[3], const double b[3], const Caja& box) {
  double t0 = 0, t1 = 1;
  for (int i = 0; i < 3; ++i) {
    const double d = b[i] - a[i];
    if (std::fabs(d) < 1e-12) {
      if (a[i] < box.min[i] || a[i] > box.max[i]) return false;
      continue;
    }
    double ta = (box.min[i] - a[i]) / d, tb = (box.max[i] - a[i]) / d;
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
    if (t0 > t1) return false;
  }
  return true;
}

// The view volume's planes from the projection times the model-view matrix
// now set (column-major, as GL keeps them).
void takeViewVolume() {
  GLdouble p[16], m[16], c[16];
  glGetDoublev(GL_PROJECTION_MATRIX, p);
  glGetDoublev(GL_MODELVIEW_MATRIX, m);
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += p[k * 4 + row] * m[col * 4 + k];
      c[col * 4 + row] = sum;
    }
  // Clip space: -w <= x, y, z <= w; plane = row 3 +- row i.
  for (int i = 0; i < 3; ++i)
    for (int side = 0; side < 2; ++side) {
      double* plane = ctx.planes[i * 2 + side];
      const double sign = side == 0 ? 1.0 : -1.0;
      for (int k = 0; k < 4; ++k) plane[k] = c[k * 4 + 3] + sign * c[k * 4 + i];
    }
}

// Whether any part of a box may lie in the view volume: false only when the
// whole box is outside one of its planes.
bool mayBeSeen(const Caja& box) {
  if (!ctx.cull) return true;
  for (const auto& plane : ctx.planes) {
    // The box's corner furthest along the plane's normal.
    double d = plane[3];
    for (int i = 0; i < 3; ++i) d += plane[i] * (plane[i] >= 0 ? box.max[i] : box.min[i]);
    if (d < 0) return false;
  }
  return true;
}

// In the follow view, an object whose model stands between the eye and any
// part of the hen waits to be drawn see-through; true when it was put aside.
bool deferIfInTheWay(const ObjetoJuego& o) {
  if (!ctx.deferBlockers || !o.modelo) return false;
  const Caja box = drawnBox(o, o.y);
  const double eye[3] = {ctx.eye.x, ctx.eye.y, ctx.eye.z};
  const Caja& hen = ctx.hen;
  // The hen's centre and its box's corners drawn in a little.
  for (int k = 0; k < 9; ++k) {
    double p[3];
    for (int i = 0; i < 3; ++i) {
      const double mid = (hen.min[i] + hen.max[i]) / 2, half = (hen.max[i] - hen.min[i]) / 2 * 0.8;
      p[i] = k == 8 ? mid : mid + ((k >> i) & 1 ? half : -half);
    }
    if (segmentHits(eye, p, box)) {
      ctx.deferred.push_back(&o);
      return true;
    }
  }
  return false;
}

// Whether a tree or truck is drawn at this point: it has a model, the
// camera may see it, and it is not put aside to be drawn see-through.
bool drawnNow(const ObjetoJuego& o) {
  if (!o.modelo || (ctx.cull && !mayBeSeen(drawnBox(o, o.y)))) return false;
  return !deferIfInTheWay(o);
}

// Draws an object's model with its origin at height `atY`, tilted `tilt`
// degrees about its own x axis and its height scaled by `squash`.
void drawModel(const ObjetoJuego& o, float atY, float tilt = 0.f, float squash = 1.f) {
  if (!o.modelo) return;
  glPushMatrix();
  glTranslatef(o.x, atY, o.z);
  glRotatef(float(o.heading), 0, 1, 0);
  if (tilt != 0.f) glRotatef(tilt, 1, 0, 0);
  glScalef(o.scaleX, o.scaleY * squash, o.scaleZ);
  glPolygonMode(GL_FRONT_AND_BACK, ctx.game->filled ? GL_FILL : GL_LINE);
  glEnable(GL_RESCALE_NORMAL);
  // In wireframe every edge shows, the far side's too.
  const bool cullBack = ctx.cullBackFaces && ctx.game->filled;
  if (cullBack) glEnable(GL_CULL_FACE);
  o.modelo->drawTriangles(ctx.game->texturesOn, ctx.alpha);
  if (cullBack) glDisable(GL_CULL_FACE);
  glPopMatrix();
}

void setMaterial(float r, float g, float b) {
  const GLfloat colour[] = {r, g, b, 1.f}, white[] = {0.4f, 0.4f, 0.4f, 1.f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, colour);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 100.f);
}

void drawGround(const Fila& row, float r, float g, float b) {
  glDisable(GL_TEXTURE_2D);
  glPolygonMode(GL_FRONT_AND_BACK, ctx.game->filled ? GL_FILL : GL_LINE);
  glColor3f(r, g, b);
  glNormal3f(0, 1, 0);
  glBegin(GL_QUADS);
  glVertex3f(row.x, row.y, row.z);
  glVertex3f(row.x + Fila::kRowWidth, row.y, row.z);
  glVertex3f(row.x + Fila::kRowWidth, row.y, row.z - Fila::kRowDepth);
  glVertex3f(row.x, row.y, row.z - Fila::kRowDepth);
  glEnd();
}

// The dark veil under the menu, lost and loading screens.
void veil(const Game& game) {
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glColor4f(0, 0, 0, 0.65f);
  glBegin(GL_QUADS);
  glVertex2f(0, 0);
  glVertex2f(game.width, 0);
  glVertex2f(game.width, game.height);
  glVertex2f(0, game.height);
  glEnd();
  glEnable(GL_DEPTH_TEST);
}

// A 2D projection over the screen for the HUD: no lights, filled polygons,
// whatever the scene's switches are.
void begin2D(const Game& game) {
  glDisable(GL_LIGHTING);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_CULL_FACE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, game.width, 0, game.height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void text(Texto& t, const std::string& s, int size, Colour c, float x, float y) {
  Rect r{int(x), int(y), 0, 0};
  t.drawText(s, size, c, r);
}

const Colour kWhite{255, 255, 255}, kRed{255, 0, 0}, kBlack{0, 0, 0};

}  // namespace

Recursos::Recursos() {
  // Flat colours with textures off: a cream hen, red trucks, dark green
  // trees, each apart from the others, the grass and the road.
  hen = std::make_unique<Modelo>("../Modelos/gallina_plonkito.obj", "../Texturas/texture_voxmold.png",
                                 Modelo::Color{1.f, 0.9f, 0.62f});
  truck = std::make_unique<Modelo>("../Modelos/camion_plonkito.obj", "../Texturas/texture_voxmold.png",
                                   Modelo::Color{0.85f, 0.2f, 0.15f});
  tree = std::make_unique<Modelo>("../Modelos/tree.obj", "../Texturas/tree.png", Modelo::Color{0.12f, 0.42f, 0.12f});
  try {
    skyDay = loadTexture("../Texturas/skybox_dia.jpg");
    skyNight = loadTexture("../Texturas/skybox_noche.png");
    text = std::make_unique<Texto>("../Fuentes/fuente.ttf");
  } catch (...) {
    glDeleteTextures(1, &skyDay);
    glDeleteTextures(1, &skyNight);
    throw;
  }
}

Recursos::~Recursos() {
  glDeleteTextures(1, &skyDay);
  glDeleteTextures(1, &skyNight);
}

void attachModels(Game& game, const Recursos& res) {
  game.hen.modelo = res.hen.get();
  for (std::size_t i = 0; i < game.world.size(); ++i) {
    Fila& row = game.world[i];
    if (row.esCalle()) {
      for (auto& t : static_cast<Calle&>(row).trucks) t->modelo = res.truck.get();
    } else {
      for (auto& t : static_cast<Pasto&>(row).trees) t->modelo = res.tree.get();
    }
  }
}

void Gallina::draw() const {
  if (!modelo) return;
  // Alive, the model's feet are on the ground at its height; a dead hen
  // lies on that same ground: knocked onto its side (its lowest point after
  // the tilt is -scaleZ * max z), or flattened (its feet stay down).
  const float ground = y + modelo->min().y * scaleY;
  if (state == Golpeada)
    drawModel(*this, ground + modelo->max().z * scaleZ, 90.f);
  else if (state == Atropellada)
    drawModel(*this, ground - kSquash * modelo->min().y * scaleY, 0.f, kSquash);
  else
    drawModel(*this, y);
}

void Arbol::draw() const {
  if (!drawnNow(*this)) return;
  setMaterial(0.5f, 0.8f, 0.4f);
  drawModel(*this, y);
}

void Camion::draw() const {
  if (!drawnNow(*this)) return;
  setMaterial(0.9f, 0.9f, 0.9f);
  drawModel(*this, y);
}

void Pasto::draw() const {
  if (shade == 1.f)
    drawGround(*this, 0.55f, 1.f, 0.55f);
  else
    drawGround(*this, 0.6f, 1.f, 0.6f);
  for (const auto& t : trees) t->draw();
}

void Calle::draw() const {
  drawGround(*this, 0.2f, 0.2f, 0.2f);
  for (const auto& t : trucks) t->draw();
}

void setProjectionAndView(const Camara& camera, const Game& game) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (camera.cameraMode == Camara::Overview)
    glOrtho(-20, 20, -20, 20, -100, 100);
  else
    gluPerspective(camera.fovy, double(game.width) / double(game.height), camera.near, camera.far);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.centre.x, camera.centre.y, camera.centre.z,
            camera.up.x, camera.up.y, camera.up.z);
}

void setLights(const Game& game) {
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHT1);
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  const GLfloat ambient[] = {0, 0, 0, 1};
  const GLfloat dayDiffuse[] = {1, 1, 1, 1}, daySpecular[] = {1, 1, 1, 1};
  const GLfloat nightDiffuse[] = {0.3f, 0.3f, 0.5f, 0.3f}, nightSpecular[] = {0.5f, 0.5f, 0.5f, 0.5f};
  const bool night = game.lightMode == 1;
  const GLfloat p0[] = {game.hen.x + 4, 8, game.hen.z + 4, 1};
  const GLfloat p1[] = {game.hen.x - 4, 8, game.hen.z - 4, 1};
  for (GLenum light : {GL_LIGHT0, GL_LIGHT1}) {
    glLightfv(light, GL_AMBIENT, ambient);
    glLightfv(light, GL_DIFFUSE, night ? nightDiffuse : dayDiffuse);
    glLightfv(light, GL_SPECULAR, night ? nightSpecular : daySpecular);
  }
  glLightfv(GL_LIGHT0, GL_POSITION, p0);
  glLightfv(GL_LIGHT1, GL_POSITION, p1);
}

void drawSkybox(const Game& game, const Recursos& res, bool last) {
  const float z = game.hen.z;
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, game.lightMode == 1 ? res.skyNight : res.skyDay);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glColor3f(0.2f, 0.8f, 1.0f);
  auto wall = [](float x0, float y0, float z0, float x1, float y1, float z1) {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(x0, y0, z0);
    glTexCoord2f(1, 0);
    glVertex3f(x1, y0, z1);
    glTexCoord2f(1, 1);
    glVertex3f(x1, y1, z1);
    glTexCoord2f(0, 1);
    glVertex3f(x0, y1, z0);
    glEnd();
  };
  // Back, sides and front around the hen; the camera is always inside.
  // Where two walls meet at the same depth the one drawn first shows; drawn
  // last, with GL_LEQUAL, the order is turned round to keep that.
  const float walls[4][6] = {{-50, 0, z - 50, 50, 50, z - 50},
                             {40, 0, z - 50, 40, 40, z + 50},
                             {-40, 0, z + 50, -40, 40, z - 50},
                             {50, 0, z + 50, -50, 50, z + 50}};
  for (int k = 0; k < 4; ++k) {
    const float* w = walls[last ? 3 - k : k];
    wall(w[0], w[1], w[2], w[3], w[4], w[5]);
  }
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
}

void drawWorld(const Game& game, const Camara& camera, const Recursos& res, bool plain) {
  ctx.game = &game;
  ctx.deferred.clear();
  ctx.alpha = 1.f;
  ctx.deferBlockers = camera.cameraMode == Camara::Follow;
  if (ctx.deferBlockers) {
    ctx.eye = camera.eye;
    const Gallina& h = game.hen;
    // Without its model (a test hiding it) the hen stands in a box of its size.
    ctx.hen = h.modelo ? drawnBox(h, h.y) : Caja{{h.x - 0.7, 0, h.z - 0.7}, {h.x + 0.7, 2.5, h.z + 0.7}};
  }
  glShadeModel(game.flatShading ? GL_FLAT : GL_SMOOTH);
  setLights(game);
  const bool sky = camera.cameraMode == Camara::Follow;
  // Everything up to the see-through pass is opaque: blending would only
  // read back the colour it then replaces.
  if (plain) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (sky) drawSkybox(game, res);
  } else {
    glDisable(GL_BLEND);
  }
  ctx.cull = ctx.cullBackFaces = !plain;
  if (ctx.cull) takeViewVolume();
  game.hen.draw();
  const auto [first, last] = game.world.visible(game.hen.z);
  for (std::size_t i = first; i < last; ++i) game.world[i].draw();
  ctx.cullBackFaces = false;
  // The sky after the ground and the models in front of it, so the depth
  // test spares the walls' hidden part; where a wall meets the ground at
  // the same depth the wall still wins, as it would drawn first.
  if (!plain && sky) {
    glDepthFunc(GL_LEQUAL);
    drawSkybox(game, res, true);
    glDepthFunc(GL_LESS);
  }

  // What stood in the way, farthest first, each as one see-through layer:
  // its depth first, then its colour over the nearest of its own faces.
  ctx.deferBlockers = false;
  auto distance = [&](const ObjetoJuego* o) {
    return std::hypot(o->x - camera.eye.x, o->y - camera.eye.y, o->z - camera.eye.z);
  };
  std::sort(ctx.deferred.begin(), ctx.deferred.end(),
            [&](const ObjetoJuego* a, const ObjetoJuego* b) { return distance(a) > distance(b); });
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  for (const ObjetoJuego* o : ctx.deferred) {
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    o->draw();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    ctx.alpha = kSeeThrough;
    o->draw();
    ctx.alpha = 1.f;
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
  }
  ctx.deferred.clear();
  ctx.cull = false;

  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glDisable(GL_LIGHTING);
  glDisable(GL_COLOR_MATERIAL);
}

void drawPlaying(Texto& t, const Game& g, int seconds) {
  begin2D(g);
  text(t, "Puntaje: " + std::to_string(g.score), 15, kWhite, 10, g.height - 50);
  text(t, "Tiempo: " + std::to_string(seconds), 15, kWhite, g.width - 180, g.height - 50);
}

void drawMenu(Texto& t, const Game& g, long long best) {
  begin2D(g);
  veil(g);
  const float cx = g.width / 2, cy = g.height / 2;
  text(t, "PLONKITO", 100, kBlack, cx - 440, cy + 110);
  text(t, "PLONKITO", 100, kWhite, cx - 450, cy + 120);
  const struct {
    const char* label;
    float dy;
  } items[] = {{"Jugar/Pausar (P)", 80}, {"Wireframe (W)", 30}, {"Texturas (T)", 0},    {"Shading (S)", -30},
               {"Velocidad (V)", -80},   {"Camara (C)", -110},  {"Luz (L)", -140},       {"Salir (Q)", -190}};
  for (const auto& item : items) text(t, item.label, 15, kWhite, cx - 100, cy + item.dy);
  if (best >= 0) text(t, "RÉCORD: " + std::to_string(best), 15, kWhite, cx - 100, cy - 240);
}

void drawLost(Texto& t, const Game& g, int seconds, long long best, bool newBest) {
  begin2D(g);
  veil(g);
  const float x = g.width / 2 - 200, cy = g.height / 2;
  text(t, "PERDISTE", 15, kRed, x, cy + 100);
  text(t, "PUNTAJE: " + std::to_string(g.score), 15, kWhite, x, cy + 60);
  text(t, "TIEMPO: " + std::to_string(seconds), 15, kWhite, x, cy + 20);
  text(t, "VOLVER AL MENU: ENTER", 15, kWhite, x, cy - 20);
  if (newBest)
    text(t, "¡NUEVO RÉCORD!", 15, kRed, x, cy - 60);
  else if (best >= 0)
    text(t, "RÉCORD: " + std::to_string(best), 15, kWhite, x, cy - 60);
}

void drawLoading(Texto& t, const Game& g) {
  begin2D(g);
  veil(g);
  text(t, "Cargando...", 15, kRed, g.width / 2 - 150, g.height / 2 + 60);
}

}  // namespace henrun
