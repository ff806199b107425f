#include "render.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <ostream>

#include "course.h"
#include "files.h"
#include "game.h"
#include "textures.h"

namespace orbitdash {

const char* const kTexturePaths[kTextureCount] = {
    "./assets/aste2.jpg",  "./assets/miarf.png",   "./assets/space3b.jpg",
    "./assets/title.png",  "./assets/flying.png",  "./assets/platform2.png",
    "./assets/metal.png",  "./Obj/Astronaut_BaseColor.png", "./Obj/space_ship_test_color.png",
    "./Obj/panel/platform.png", "./assets/cubeTex.jpg", "./Obj/oxigeno3.jpg",
    "./assets/sol3.jpg",
};

const char* const kModelPaths[kModelCount] = {
    "./Obj/Astronaut.obj",
    "./Obj/nave.obj",
    "./Obj/uploads_files_959467_Sci-fi_panel.obj",
    "./Obj/oxigeno2.obj",
};

// Each item draws itself through the renderer.
void Suelo::draw(Renderer& r) const { r.draw(*this); }
void AsteroidBelt::draw(Renderer& r) const { r.draw(*this); }
void GroupSpaceShip::draw(Renderer& r) const { r.draw(*this); }
void Oxigeno::draw(Renderer& r) const { r.draw(*this); }

void Frustum::fromGL() {
    float p[16], m[16], c[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // c = p * m, column-major as GL keeps them.
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += p[k * 4 + row] * m[col * 4 + k];
            c[col * 4 + row] = sum;
        }
    // Row i of the clip matrix is c[i], c[4 + i], c[8 + i], c[12 + i]; each
    // plane is row 3 plus or minus row 0, 1 or 2, scaled to a unit normal.
    for (int i = 0; i < 6; ++i) {
        const int row = i / 2;
        const float sign = i % 2 ? -1.0f : 1.0f;
        float* q = planes[i];
        for (int k = 0; k < 4; ++k) q[k] = c[k * 4 + 3] + sign * c[k * 4 + row];
        const float n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]);
        if (n > 0)
            for (int k = 0; k < 4; ++k) q[k] /= n;
    }
}

bool Frustum::sees(Vec3 c, float r) const {
    for (const auto& q : planes)
        if (q[0] * c.x + q[1] * c.y + q[2] * c.z + q[3] < -r) return false;
    return true;
}

void Model::draw() const {
    if (positions.empty()) return;
    if (list_) {
        glCallList(list_);
        return;
    }
    list_ = glGenLists(1);
    glNewList(list_, GL_COMPILE_AND_EXECUTE);
    glBegin(GL_TRIANGLES);
    for (std::size_t i = 0; i < positions.size(); ++i) {
        glTexCoord2f(uvs[i].u, uvs[i].v);
        glNormal3f(normals[i].x, normals[i].y, normals[i].z);
        glVertex3f(positions[i].x, positions[i].y, positions[i].z);
    }
    glEnd();
    glEndList();
}

void Model::release() {
    if (list_) glDeleteLists(list_, 1);
    list_ = 0;
}

Renderer::~Renderer() {
    for (Model& m : models_) m.release();
    glDeleteTextures(kTextureCount, textures_);
    if (sphereList_) glDeleteLists(sphereList_, 1);
}

bool Renderer::load(std::ostream& log) {
    bool ok = true;
    for (int i = 0; i < kTextureCount; ++i) {
        Pixels pixels;
        std::string problem;
        if (!readImage(kTexturePaths[i], pixels, problem)) {
            log << kTexturePaths[i] << ": " << problem << std::endl;
            ok = false;
        }
        textures_[i] = uploadTexture(pixels);
    }
    const TextureId modelTexture[kModelCount] = {kTexAstronaut, kTexShip, kTexPanel, kTexOxygen};
    for (int i = 0; i < kModelCount; ++i) {
        Model& m = models_[i];
        m.texture = textures_[modelTexture[i]];
        std::ifstream file;
        std::string problem;
        if (!openFile(kModelPaths[i], file, problem)) {
            // The loader's own words first, as for any file it cannot open.
            std::cout << objloader::kLineDialect.openMessage << std::flush;
        } else if (!objloader::readObjModel(file, m.positions, m.uvs, m.normals, objloader::kLineDialect, std::cout)) {
            problem = "not a model the loader reads";
        } else if (m.positions.empty()) {
            problem = "no triangles in the model";
        }
        for (const objloader::Point& p : m.positions)
            m.radius = std::max(m.radius, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
        if (!problem.empty()) {
            log << kModelPaths[i] << ": " << problem << std::endl;
            ok = false;
        }
    }
    return ok;
}

void Renderer::setUp() const {
    glClearColor(0, 0, 0, 1);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHT0);
    const GLfloat ambient[] = {0.35f, 0.35f, 0.4f, 1};
    const GLfloat diffuse[] = {0.85f, 0.85f, 0.8f, 1};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void Renderer::begin(unsigned texture) const {
    if (settings_->wireframe) {
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 0, 0);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        return;
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (settings_->textures) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glColor3f(1, 1, 1);
    } else {
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 0, 0);
    }
}

void Renderer::drawBackground(const Game& game, int width, int height) const {
    // The star field turns with the camera: a quarter of the picture per
    // quarter turn.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textures_[kTexSpace]);
    glColor3f(1, 1, 1);
    const float u = -game.camera.yaw / (2 * Camera::kPi);
    const float v = game.camera.pitch * 0.2f;
    const float span = float(width) / float(height > 0 ? height : 1) * 0.5f;
    glBegin(GL_QUADS);
    glTexCoord2f(u, v);
    glVertex2f(0, 0);
    glTexCoord2f(u + span, v);
    glVertex2f(1, 0);
    glTexCoord2f(u + span, v + 0.5f);
    glVertex2f(1, 1);
    glTexCoord2f(u, v + 0.5f);
    glVertex2f(0, 1);
    glEnd();
    glEnable(GL_DEPTH_TEST);
}

bool Renderer::hidden(Vec3 centre, float radius) {
    if (!cull || view_.sees(centre, radius)) return false;
    ++culled;
    return true;
}

void Renderer::drawWorld(const Game& game, int width, int height) {
    settings_ = &game.settings;
    itemsDrawn = 0;
    culled = 0;
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawBackground(game, width, height);

    setCamera(game, width, height);
    view_.fromGL();

    // The sun, far off and unlit.
    glDisable(GL_LIGHTING);
    if (!hidden({-400, 260, 1200}, 60)) {
        begin(textures_[kTexSun]);
        glPushMatrix();
        glTranslatef(-400, 260, 1200);
        glScalef(60, 60, 60);
        drawSphere();
        glPopMatrix();
    }

    // From above and behind the start, so the astronaut's back is lit.
    const GLfloat sunward[] = {-0.4f, 1.0f, -0.7f, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, sunward);
    glEnable(GL_LIGHTING);
    glShadeModel(settings_->flat ? GL_FLAT : GL_SMOOTH);

    const auto& items = game.course.items;
    if (!reverseOrder) {
        for (const auto& item : items) item->draw(*this);
        drawPlatform(game.start);
        drawPlatform(game.goal);
        drawAstronaut(game.astronaut);
    } else {
        drawAstronaut(game.astronaut);
        drawPlatform(game.goal);
        drawPlatform(game.start);
        for (auto item = items.rbegin(); item != items.rend(); ++item) (*item)->draw(*this);
    }
    itemsDrawn = int(items.size());
    drawMarker(game);

    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_SMOOTH);
}

void Renderer::setCamera(const Game& game, int width, int height) const {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The window's own aspect: a fixed 1.0 would stretch the scene across
    // the 4:3 window.
    gluPerspective(45.0, double(width) / double(height > 0 ? height : 1), 0.1, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const Vec3 target{game.astronaut.pos.x, game.astronaut.pos.y + 0.5f, game.astronaut.pos.z};
    const Vec3 eye = game.camera.eye(target);
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0, 1, 0);
}

void Renderer::drawSphere() const {
    if (sphereList_) {
        glCallList(sphereList_);
        return;
    }
    constexpr int kBands = 5, kSteps = 10;
    constexpr float kPi = Camera::kPi;
    sphereList_ = glGenLists(1);
    glNewList(sphereList_, GL_COMPILE_AND_EXECUTE);
    for (int b = 0; b < kBands; ++b) {
        const float lat0 = -kPi / 2 + kPi * float(b) / kBands, lat1 = -kPi / 2 + kPi * float(b + 1) / kBands;
        glBegin(GL_QUAD_STRIP);
        for (int s = 0; s <= kSteps; ++s) {
            const float lon = 2 * kPi * float(s) / kSteps;
            for (float lat : {lat1, lat0}) {
                const float x = std::cos(lat) * std::cos(lon), y = std::sin(lat), z = std::cos(lat) * std::sin(lon);
                glNormal3f(x, y, z);
                glTexCoord2f(float(s) / kSteps, (lat / kPi + 0.5f));
                glVertex3f(x, y, z);
            }
        }
        glEnd();
    }
    glEndList();
}

void Renderer::drawCube(float h) const {
    // 24 textured corners: each face its own four, counter-clockwise from
    // outside.
    struct Face {
        float n[3];
        float c[4][3];
    };
    static const Face faces[6] = {
        {{1, 0, 0}, {{1, -1, 1}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}}},
        {{-1, 0, 0}, {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}}},
        {{0, 1, 0}, {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}}},
        {{0, -1, 0}, {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}},
        {{0, 0, 1}, {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}},
        {{0, 0, -1}, {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}}},
    };
    static const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    for (const Face& f : faces) {
        glNormal3f(f.n[0], f.n[1], f.n[2]);
        for (int k = 0; k < 4; ++k) {
            glTexCoord2f(uv[k][0], uv[k][1]);
            glVertex3f(h * f.c[k][0], h * f.c[k][1], h * f.c[k][2]);
        }
    }
    glEnd();
}

namespace {
// The gap left between two tops that meet, and between the panels of a
// floor: their end faces would otherwise lie in one plane.
constexpr float kSeam = 0.02f;
// The panel model, turned and scaled, spans z -3.4..4.6 about its origin.
constexpr float kPanelBack = 3.4f, kPanelDepth = 8.0f;
}  // namespace

void Renderer::draw(const Suelo& floor) {
    // The panels cover the floor's window, or its stretch where a top is
    // drawn beside it.
    const float back = floor.topBefore ? floor.z + kSeam : floor.centre() - Suelo::kBack;
    const float front = floor.topAfter ? floor.z + floor.depth() - kSeam : floor.centre() + Suelo::kFront;
    const float stretch = (front - back) / kPanelDepth;
    const float first = -float(floor.panels - 1) * Suelo::kPanelWidth / 2;
    // Each panel within a box of its width, the floor's length and heights
    // -1 (the panels' underside) to 0.3 (the decorations' tops).
    const float halfDepth = (front - back) / 2, middle = (front + back) / 2;
    const float panelRadius = std::sqrt(Suelo::kPanelWidth * Suelo::kPanelWidth / 4 + halfDepth * halfDepth + 1);
    const float halfWidth = Suelo::kPanelWidth * float(floor.panels) / 2;
    if (hidden({0, -0.5f, middle}, std::sqrt(halfWidth * halfWidth + halfDepth * halfDepth + 1))) return;
    begin(textures_[kTexPanel]);
    for (int k = 0; k < floor.panels; ++k) {
        const int i = reverseOrder ? floor.panels - 1 - k : k;
        if (hidden({first + Suelo::kPanelWidth * float(i), -0.5f, middle}, panelRadius)) continue;
        glPushMatrix();
        glTranslatef(first + Suelo::kPanelWidth * float(i), -0.43f, back + kPanelBack * stretch);
        glScalef(1 - 2 * kSeam / Suelo::kPanelWidth, 1, stretch);
        glRotatef(90, 0, 1, 0);
        glScalef(0.15f, 0.15f, 0.15f);
        models_[kModelPanel].draw();
        glPopMatrix();
    }
    if (floor.decorations.empty()) return;
    // Cubes sunk a hair into the top; one cube where two fall on one spot.
    begin(textures_[kTexCube]);
    const std::size_t n = floor.decorations.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = reverseOrder ? n - 1 - k : k;
        const Vec3& d = floor.decorations[i];
        bool again = false;
        for (std::size_t j = 0; j < i && !again; ++j)
            again = floor.decorations[j].x == d.x && floor.decorations[j].z == d.z;
        if (again || hidden({d.x, 0.14f, floor.centre() + d.z}, 0.27f)) continue;
        glPushMatrix();
        glTranslatef(d.x, 0.14f, floor.centre() + d.z);
        drawCube(0.15f);
        glPopMatrix();
    }
}

void Renderer::draw(const AsteroidBelt& belt) {
    glPushMatrix();
    glTranslatef(belt.offset, -0.5f, belt.z + AsteroidBelt::kFirstRow);
    const float riderRadius = 0.15f * models_[kModelOxygen].radius;
    for (std::size_t k = 0; k < belt.asteroids.size(); ++k) {
        const Asteroid& a = belt.asteroids[reverseOrder ? belt.asteroids.size() - 1 - k : k];
        const Vec3 centre{belt.worldX(a), a.y - 0.5f, belt.worldZ(a)};
        // The rock and the bottle a unit above it.
        if (hidden({centre.x, centre.y + (a.rider ? 0.5f : 0), centre.z},
                   a.radius + (a.rider ? 0.5f + riderRadius * a.rider->scale : 0)))
            continue;
        begin(textures_[kTexAsteroid]);
        glPushMatrix();
        glTranslatef(a.x, a.y, a.z);
        glScalef(a.radius, a.radius, a.radius);
        drawSphere();
        glPopMatrix();
        if (a.rider) {
            glPushMatrix();
            glTranslatef(a.x, a.y + 1.0f, a.z);
            draw(*a.rider);
            glPopMatrix();
        }
    }
    glPopMatrix();
}

void Renderer::draw(const Oxigeno& bottle) {
    begin(textures_[kTexOxygen]);
    glPushMatrix();
    glRotatef(bottle.angle, bottle.axisA, 100, bottle.axisB);
    glScalef(0.15f * bottle.scale, 0.15f * bottle.scale, 0.15f * bottle.scale);
    models_[kModelOxygen].draw();
    glPopMatrix();
}

void Renderer::draw(const GroupSpaceShip& group) {
    if (group.ships.empty()) return;
    // The deck and every ship on its run, to x = +-40 in the course.
    const float halfDepth = group.depth() / 2 + GroupSpaceShip::kDeckOverhang;
    const float run = GroupSpaceShip::kBound / 2;
    if (hidden({0, 0.3f, group.z + group.depth() / 2},
               std::sqrt(run * run + halfDepth * halfDepth) + models_[kModelShip].radius / 2 + 0.7f))
        return;
    // The deck under the lanes: one repeat of the metal plate per lane, its
    // hazard stripes on the lane borders.
    begin(textures_[kTexMetal]);
    const float x0 = -GroupSpaceShip::kDeckHalfWidth, x1 = GroupSpaceShip::kDeckHalfWidth;
    const float z0 = group.topBefore ? group.z + kSeam : group.z - GroupSpaceShip::kDeckOverhang;
    const float z1 = group.topAfter ? group.z + group.depth() - kSeam
                                    : group.z + group.depth() + GroupSpaceShip::kDeckOverhang;
    const float v0 = (z0 - group.z) / GroupSpaceShip::kLaneDepth, v1 = (z1 - group.z) / GroupSpaceShip::kLaneDepth;
    glBegin(GL_QUADS);
    glNormal3f(0, 1, 0);
    glTexCoord2f(0, v0);
    glVertex3f(x1, 0, z0);
    glTexCoord2f(2, v0);
    glVertex3f(x0, 0, z0);
    glTexCoord2f(2, v1);
    glVertex3f(x0, 0, z1);
    glTexCoord2f(0, v1);
    glVertex3f(x1, 0, z1);
    for (float x : {x0, x1}) {  // the deck's edges, 0.3 thick
        glNormal3f(x < 0 ? -1.f : 1.f, 0, 0);
        glTexCoord2f(0, v0);
        glVertex3f(x, -0.3f, z0);
        glTexCoord2f(0.06f, v0);
        glVertex3f(x, 0, z0);
        glTexCoord2f(0.06f, v1);
        glVertex3f(x, 0, z1);
        glTexCoord2f(0, v1);
        glVertex3f(x, -0.3f, z1);
    }
    glEnd();

    begin(textures_[kTexShip]);
    glPushMatrix();
    glScalef(0.5f, 0.5f, 0.5f);  // the ships' half-scale frame
    for (int n = 0; n < int(group.ships.size()); ++n) {
        const int k = reverseOrder ? int(group.ships.size()) - 1 - n : n;
        const GroupSpaceShip::Ship& ship = group.ships[std::size_t(k)];
        // Half scale: the ship's place and size are halved in the course.
        if (hidden({ship.x / 2, 0.7f, group.laneCentre(k)}, models_[kModelShip].radius / 2)) continue;
        glPushMatrix();
        glTranslatef(ship.x, 1.4f, 2 * group.laneCentre(k));
        if (ship.direction < 0) glRotatef(180, 0, 1, 0);
        models_[kModelShip].draw();
        glPopMatrix();
    }
    glPopMatrix();
}

void Renderer::drawPlatform(const Platform& p) const {
    begin(textures_[kTexPlatform]);
    glPushMatrix();
    glTranslatef(p.pos.x, p.pos.y - 0.3f, p.pos.z);
    glScalef(Platform::kHalfWidth, 0.3f, Platform::kHalf);
    drawCube(1.0f);
    glPopMatrix();
    if (!p.goal) return;
    // The goal's flag: a pole (its foot sunk into the pad) and the banner.
    begin(textures_[kTexMetal]);
    glPushMatrix();
    glTranslatef(p.pos.x - 1.0f, 1.15f, p.pos.z + 1.8f);
    glScalef(0.06f, 1.2f, 0.06f);
    drawCube(1.0f);
    glPopMatrix();
    begin(textures_[kTexFlying]);
    glBegin(GL_QUADS);
    glNormal3f(0, 0, -1);
    const float x = p.pos.x - 0.95f, y = 1.4f, z = p.pos.z + 1.8f;
    // Read from behind the start (looking along +z, +x is to the left).
    glTexCoord2f(1, 0);
    glVertex3f(x, y, z);
    glTexCoord2f(0, 0);
    glVertex3f(x + 2.0f, y, z);
    glTexCoord2f(0, 1);
    glVertex3f(x + 2.0f, y + 1.0f, z);
    glTexCoord2f(1, 1);
    glVertex3f(x, y + 1.0f, z);
    glEnd();
}

// Where a jump ahead would end: a faint ring seen through everything, so a
// landing on a moving asteroid can be aimed from any view. It sits on the
// asteroid the jump would come down on, moving with it; a jump that would
// come down on nothing shows it in orange.
void Renderer::drawMarker(const Game& game) const {
    const Astronaut& a = game.astronaut;
    if (game.state() != kPlaying || a.jumping || !a.standing) return;
    const JumpMark mark = game.jumpMark(2);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (mark.lands) glColor4f(kRing[0], kRing[1], kRing[2], 0.55f);
    else glColor4f(kNoRing[0], kNoRing[1], kNoRing[2], 0.55f);
    constexpr int kSteps = 24;
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= kSteps; ++i) {
        const float t = 2 * Camera::kPi * float(i) / kSteps;
        for (float r : {kRingInner, kRingOuter})
            glVertex3f(mark.at.x + r * std::cos(t), mark.at.y + 0.02f, mark.at.z + r * std::sin(t));
    }
    glEnd();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
}

void Renderer::drawAstronaut(const Astronaut& a) const {
    begin(textures_[kTexAstronaut]);
    // Without textures everything else is red: the astronaut stays white,
    // or it would vanish against a red asteroid.
    if (!settings_->textures || settings_->wireframe) glColor3f(1, 1, 1);
    glPushMatrix();
    // Its soles a hair above what it stands on, not in the same plane.
    glTranslatef(a.pos.x, a.pos.y + 0.005f, a.pos.z);
    glRotatef(a.heading, 0, 1, 0);
    models_[kModelAstronaut].draw();
    glPopMatrix();
}

}  // namespace orbitdash
