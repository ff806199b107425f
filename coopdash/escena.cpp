#include "escena.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "playfield.h"
#include "texto.h"

namespace coopdash {

namespace {

struct LightPreset {
    GLfloat position[4], diffuse[4], specular[4], ambient[4];
};

const LightPreset kPresets[10] = {
    {{5, 5, -5, 0}, {1, 1, 1, 1}, {0.5f, 0.5f, 0.5f, 1}, {0, 0, 0, 1}},
    {{1, 1, 1, 0}, {1, 1, 0.7f, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}},
    {{0, 1, 1, 0}, {0.9f, 0.9f, 1, 1}, {0, 0, 0, 1}, {0, 0.3f, 0, 1}},
    {{0, 1, 0, 0}, {1, 0, 1, 1}, {0.5f, 0.5f, 0.5f, 1}, {0, 0, 0.3f, 1}},
    {{-1, 1, 1, 0}, {1, 0.8f, 0.8f, 1}, {0.5f, 0.5f, 0.5f, 1}, {0, 0.2f, 0.2f, 1}},
    {{1, 1, 0, 0}, {1, 1, 0.9f, 1}, {0.5f, 0.5f, 0.5f, 1}, {0, 0, 0, 1}},
    {{5, 5, -5, 0}, {1, 0, 1, 1}, {0.5f, 0.5f, 0.5f, 1}, {0, 0, 0, 1}},
    {{-1, 0.1f, 1, 0}, {1, 1, 1, 1}, {0.5f, 0.5f, 0.5f, 1}, {0, 0, 0, 1}},
    {{0, -1, 0, 0}, {1, 1, 1, 1}, {0.5f, 0.5f, 0.5f, 1}, {0.2f, 0.2f, 0.2f, 1}},
    {{0, 1, 1, 0}, {0.5f, 0, 1, 1}, {0.5f, 0.5f, 0.5f, 1}, {0, 0, 0.3f, 1}},
};

constexpr double kEyeHeight = 0.7, kLookAhead = 3;
constexpr int kDeathBandTop = 110;  // layout pixels from the top
constexpr double kTopHalfWidth = kLayoutWidth / 200.0, kTopHalfHeight = kLayoutHeight / 200.0;

// The view volume under the current matrices, as six planes a x + b y + c z
// + d >= 0 inside.
struct Frustum {
    double plane[6][4];

    static Frustum current() {
        GLdouble p[16], m[16], c[16];
        glGetDoublev(GL_PROJECTION_MATRIX, p);
        glGetDoublev(GL_MODELVIEW_MATRIX, m);
        for (int col = 0; col < 4; ++col)
            for (int row = 0; row < 4; ++row) {
                double v = 0;
                for (int k = 0; k < 4; ++k) v += p[k * 4 + row] * m[col * 4 + k];
                c[col * 4 + row] = v;
            }
        Frustum f{};
        for (int i = 0; i < 3; ++i)
            for (int side = 0; side < 2; ++side) {
                double* pl = f.plane[i * 2 + side];
                for (int col = 0; col < 4; ++col)
                    pl[col] = c[col * 4 + 3] + (side == 0 ? 1 : -1) * c[col * 4 + i];
            }
        return f;
    }
    double distance(int i, double x, double y, double z) const {
        const double* p = plane[i];
        const double len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        return len > 0 ? (p[0] * x + p[1] * y + p[2] * z + p[3]) / len : 1;
    }
    bool sphere(double x, double y, double z, double r) const {
        for (int i = 0; i < 6; ++i)
            if (distance(i, x, y, z) < -r) return false;
        return true;
    }
    bool box(const Vec3& lo, const Vec3& hi) const {
        for (int i = 0; i < 6; ++i) {
            bool anyInside = false;
            for (int k = 0; k < 8 && !anyInside; ++k)
                anyInside = distance(i, k & 1 ? hi.x : lo.x, k & 2 ? hi.y : lo.y, k & 4 ? hi.z : lo.z) >= 0;
            if (!anyInside) return false;
        }
        return true;
    }
};

}  // namespace

void setupGL() {
    glClearColor(0.5f, 0.8f, 0.9f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    const GLfloat ambient[4] = {0.38f, 0.38f, 0.4f, 1};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void setProjection(int view, int w, int h) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (view == ViewTop) {
        // The 12 x 7.2 units the 1200 x 720 window shows, at every size:
        // the picture is stretched to the drawable, as the HUD and the
        // menus are. Sizing it by the drawable's pixels showed a full
        // screen player 2.6 times the field.
        glOrtho(-kTopHalfWidth, kTopHalfWidth, -kTopHalfHeight, kTopHalfHeight, -0.1, 100);
        glDisable(GL_FOG);
    } else {
        gluPerspective(60, double(w) / double(h > 0 ? h : 1), 0.1, 100);
        const GLfloat colour[4] = {0.7f, 0.7f, 0.7f, 0.7f};
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, 4);
        glFogf(GL_FOG_END, 10);
        glFogfv(GL_FOG_COLOR, colour);
        glEnable(GL_FOG);
    }
    glMatrixMode(GL_MODELVIEW);
}

void applyLight(int preset) {
    if (preset < 0 || preset > 9) preset = 0;
    const LightPreset& p = kPresets[preset];
    glLightfv(GL_LIGHT0, GL_POSITION, p.position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, p.diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, p.specular);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, p.ambient);
    if (preset == 0) glClearColor(0.5f, 0.8f, 0.9f, 1.0f);
}

void placeCamera(int view, const Pollo& player) {
    const Vec3& p = player.position;
    if (view == ViewTop) {
        gluLookAt(p.x + 20, p.y + 20, p.z + 20, p.x, p.y, p.z, 0, 1, 0);
        return;
    }
    const double h = player.heading * M_PI / 180.0;
    gluLookAt(p.x, p.y + kEyeHeight, p.z, p.x - kLookAhead * std::sin(h), p.y + kEyeHeight,
              p.z - kLookAhead * std::cos(h), 0, 1, 0);
}

void drawObject(const Object& o, bool texturesOff) {
    glPushMatrix();
    glTranslated(o.position.x, o.position.y, o.position.z);
    glRotated(o.heading, 0, 1, 0);
    if (!o.textureName.empty() && !texturesOff && o.texture) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, o.texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    if (o.displayList) glCallList(o.displayList);
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

namespace {

// Past the fog's end every fragment is the fog's colour: a thing wholly
// beyond it shows as its shape in that colour, so it is drawn as that shape
// alone, unlit and untextured, in one batch (most of the first-person field
// lies there).
class FogCut {
public:
    FogCut(const Playfield& field, int view) : field_(field) {
        on_ = view == ViewFirstPerson && glIsEnabled(GL_FOG);
        if (!on_) return;
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview_);
        glGetFloatv(GL_FOG_END, &end_);
        glGetFloatv(GL_FOG_COLOR, colour_);
    }
    // Whether every corner of the object's model lies deeper than the fog's
    // end (eye-space depth, which the fog measures).
    bool hides(const Object& o) const {
        if (!on_ || o.kind < 0 || o.kind >= KindCount) return false;
        const ModelBox& b = field_.modelBoxes[std::size_t(o.kind)];
        if (!b.known || !field_.silhouetteLists[std::size_t(o.kind)] ||
            o.displayList != field_.displayLists[std::size_t(o.kind)])
            return false;
        const double a = o.heading * M_PI / 180.0, c = std::cos(a), s = std::sin(a);
        for (int k = 0; k < 8; ++k) {
            const double x = k & 1 ? b.hi.x : b.lo.x, y = k & 2 ? b.hi.y : b.lo.y, z = k & 4 ? b.hi.z : b.lo.z;
            // glRotated(heading, 0, 1, 0), then the object's position.
            const double wx = o.position.x + c * x + s * z, wy = o.position.y + y, wz = o.position.z - s * x + c * z;
            const double depth = -(modelview_[2] * wx + modelview_[6] * wy + modelview_[10] * wz + modelview_[14]);
            if (depth <= double(end_) + 0.01) return false;
        }
        return true;
    }
    void draw(const std::vector<const Object*>& shapes) const {
        if (shapes.empty()) return;
        glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_FOG);
        // Filled, a shape's far side lies behind its near side, all one
        // colour (the wire frame shows both).
        GLint mode[2] = {GL_FILL, GL_FILL};
        glGetIntegerv(GL_POLYGON_MODE, mode);
        if (mode[0] == GL_FILL) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
        }
        glColor4f(colour_[0], colour_[1], colour_[2], 1);
        for (const Object* o : shapes) {
            glPushMatrix();
            glTranslated(o->position.x, o->position.y, o->position.z);
            glRotated(o->heading, 0, 1, 0);
            glCallList(field_.silhouetteLists[std::size_t(o->kind)]);
            glPopMatrix();
        }
        glPopAttrib();
    }

private:
    const Playfield& field_;
    bool on_ = false;
    GLdouble modelview_[16] = {};
    GLfloat end_ = 0, colour_[4] = {};
};

}  // namespace

void drawField(const Playfield& field, int view, bool texturesOff) {
    // Most of the field lies outside the view: skip what cannot show.
    const Frustum f = Frustum::current();
    const FogCut fog(field, view);
    // Every model is closed with its faces wound outward, so a filled face
    // turned away lies behind a nearer one of the same model: those are not
    // drawn (the wire frame shows them).
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    GLint mode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    if (mode[0] == GL_FILL) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
    }
    // What stands on the ground first, then the ground: the ground under a
    // car or a tree then fails the depth test before it is shaded.
    std::vector<const Object*> shapes;
    for (const auto& o : field.objects) {
        const Vec3& p = o->position;
        const double r = std::max({o->halfExtent.x, o->halfExtent.z, 0.5}) + 1.0;
        if (!f.sphere(p.x, p.y + 0.8, p.z, r)) continue;
        if (fog.hides(*o)) shapes.push_back(o.get());
        else drawObject(*o, texturesOff);
    }
    fog.draw(shapes);
    shapes.clear();
    if (view == ViewTop) {
        if (field.dead) {
            // Run over: flat on the ground where it was hit.
            glPushMatrix();
            glTranslated(field.player.position.x, field.player.position.y + 0.01, field.player.position.z);
            glScaled(1.4, 0.22, 1.4);
            Pollo flat = field.player;
            flat.position = {};
            drawObject(flat, texturesOff);
            glPopMatrix();
        } else {
            drawObject(field.player, texturesOff);
        }
    }
    drawObject(field.ghost, texturesOff);
    for (const auto& r : field.rows) {
        const double z = r->position.z;
        if (!f.box({-16, -0.25, z - 0.5}, {16, 0.1, z + 0.5})) continue;
        if (fog.hides(*r)) shapes.push_back(r.get());
        else drawObject(*r, texturesOff);
    }
    fog.draw(shapes);
    glPopAttrib();

    // The chase line: a translucent violet band across the field.
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glColor4f(0.55f, 0.3f, 0.85f, 0.35f);
    const double z = field.chaseZ;
    glBegin(GL_QUADS);
    glVertex3d(-16, 0.02, z + 0.5);
    glVertex3d(16, 0.02, z + 0.5);
    glVertex3d(16, 0.02, z - 0.05);
    glVertex3d(-16, 0.02, z - 0.05);
    glEnd();
    glPopAttrib();
}

const char* deathText(Cause cause) {
    switch (cause) {
        case Cause::Car: return "¡ATROPELLADO!";
        case Cause::Train: return "¡ARROLLADO POR EL TREN!";
        case Cause::Ghost: return "¡EL FANTASMA TE ALCANZÓ!";
        case Cause::None: break;
    }
    return "";
}

// Flat, blended drawing in layout units over the scene; endOverlay() puts
// the scene's matrices and state back.
static void beginOverlay() {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_POLYGON_BIT | GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, kLayoutWidth, kLayoutHeight, 0, 1, -1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

static void endOverlay() {
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void drawDeath(Texto* text, Cause cause, double shown) {
    beginOverlay();
    // A red flash that fades, and a dark band behind the words, above the
    // middle where the chicken lies.
    const double t = std::clamp(shown, 0.0, 1.0);
    glColor4f(0.85f, 0.05f, 0.05f, float(0.3 - 0.2 * t));
    glRecti(0, 0, kLayoutWidth, kLayoutHeight);
    glColor4f(0.1f, 0.02f, 0.04f, 0.6f);
    glRecti(0, kDeathBandTop, kLayoutWidth, kDeathBandTop + 90);
    glColor4f(1, 1, 1, 1);
    endOverlay();
    static const unsigned char yellow[3] = {255, 236, 120};
    if (text) text->draw(deathText(cause), kLayoutWidth / 2.0, kDeathBandTop + 45, 40, yellow, Align::Centre);
}

void drawHud(Texto& text, int score, double playTimeMs, long long best) {
    glClear(GL_DEPTH_BUFFER_BIT);
    beginOverlay();
    glColor4f(0.08f, 0.06f, 0.14f, 0.45f);
    glRecti(0, 0, kLayoutWidth, 34);
    glColor4f(1, 1, 1, 1);
    endOverlay();

    static const unsigned char white[3] = {255, 255, 255};
    text.draw("Puntaje: " + std::to_string(score), 8, 4, 20, white);
    static const unsigned char gold[3] = {255, 222, 89};
    text.draw("RÉCORD: " + std::to_string(best), 380, 4, 20, gold);
    text.draw("Tiempo: " + std::to_string(long(playTimeMs / 1000.0)), 720, 4, 20, white);
}

}  // namespace coopdash
