#include "render.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

namespace duckrun {

unsigned makeTexture(const Picture& picture, Wrap wrap) {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const bool alpha = picture.bytesPerPixel == 4;
    glTexImage2D(GL_TEXTURE_2D, 0, alpha ? GL_RGBA : GL_RGB, picture.width, picture.height, 0,
                 alpha ? GL_BGRA : GL_BGR, GL_UNSIGNED_BYTE, picture.pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const GLint mode = wrap == Wrap::Repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, mode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, mode);
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

unsigned loadTexture(const std::string& path, int bits, Wrap wrap) {
    return makeTexture(readPicture(path, bits), wrap);
}

unsigned buildDuckFilled(const DuckMesh& mesh, unsigned texture, float scale) {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_LIGHTING);
    // Runs of faces of one kind share a glBegin, which keeps the list short
    // for a software renderer; the picture is the same.
    int open = 0;
    for (const DuckMesh::Face& face : mesh.faces) {
        if (face.count != open) {
            if (open) glEnd();
            glBegin(face.count == 3 ? GL_TRIANGLES : GL_QUADS);
            open = face.count;
        }
        for (int i = 0; i < face.count; ++i) {
            const DuckMesh::Corner& c = face.corners[std::size_t(i)];
            const auto& t = mesh.texcoords[std::size_t(c.t)];
            const Vec3& n = mesh.normals[std::size_t(c.n)];
            const Vec3 p = mesh.positions[std::size_t(c.p)] * scale;
            glTexCoord2f(t[0], -t[1]);
            glNormal3f(n.x, n.y, n.z);
            glVertex3f(p.x, p.y, p.z);
        }
    }
    if (open) glEnd();
    glEndList();
    return list;
}

unsigned buildDuckWire(const DuckMesh& mesh, float scale) {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    for (const DuckMesh::Face& face : mesh.faces) {
        glBegin(GL_LINE_LOOP);
        for (int i = 0; i < face.count; ++i) {
            const Vec3 p = mesh.positions[std::size_t(face.corners[std::size_t(i)].p)] * scale;
            glVertex3f(p.x, p.y, p.z);
        }
        glEnd();
    }
    glEndList();
    return list;
}

Skybox::~Skybox() {
    for (auto& [faces, ids] : sets_) glDeleteTextures(6, ids.data());
}

void Skybox::create(const Faces& faces, const DuckCamera& camera) {
    camera_ = &camera;
    load(faces);
}

void Skybox::load(const Faces& faces) {
    auto found = sets_.find(faces);
    if (found == sets_.end()) {
        std::array<unsigned, 6> ids{};
        try {
            for (std::size_t i = 0; i < 6; ++i) ids[i] = loadTexture(faces[i], 24, Wrap::ClampToEdge);
        } catch (...) {
            for (unsigned id : ids)
                if (id) glDeleteTextures(1, &id);
            throw;
        }
        found = sets_.emplace(faces, ids).first;
    }
    current_ = found->second;
}

void Skybox::draw(float size, bool behindScene) const {
    enum { Left, Back, Right, Front, Top, Bottom };
    const float h = size / 2;
    glColor4f(1, 1, 1, 1);
    const GLboolean textured = glIsEnabled(GL_TEXTURE_2D);
    if (behindScene) {
        // Untouched pixels keep the cleared depth, 1: only they pass.
        glDepthMask(GL_FALSE);
        glDepthFunc(GL_LEQUAL);
        glDepthRange(1, 1);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPushMatrix();
    if (camera_) glTranslatef(camera_->target.x, camera_->target.y, camera_->target.z);
    struct Corner {
        float x, y, z, u, v;
    };
    auto face = [&](unsigned texture, const Corner (&c)[4]) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glBegin(GL_QUADS);
        for (const Corner& k : c) {
            glTexCoord2f(k.u, k.v);
            glVertex3f(k.x, k.y, k.z);
        }
        glEnd();
    };
    face(current_[Back], {{h, -h, h, 0, 0}, {-h, -h, h, 1, 0}, {-h, h, h, 1, 1}, {h, h, h, 0, 1}});
    face(current_[Left], {{-h, -h, h, 0, 0}, {-h, -h, -h, 1, 0}, {-h, h, -h, 1, 1}, {-h, h, h, 0, 1}});
    face(current_[Front], {{h, -h, -h, 1, 0}, {-h, -h, -h, 0, 0}, {-h, h, -h, 0, 1}, {h, h, -h, 1, 1}});
    face(current_[Right], {{h, -h, -h, 0, 0}, {h, -h, h, 1, 0}, {h, h, h, 1, 1}, {h, h, -h, 0, 1}});
    face(current_[Top], {{h, h, -h, 1, 0}, {-h, h, -h, 0, 0}, {-h, h, h, 0, 1}, {h, h, h, 1, 1}});
    face(current_[Bottom], {{h, -h, h, 1, 1}, {-h, -h, h, 0, 1}, {-h, -h, -h, 0, 0}, {h, -h, -h, 1, 0}});
    glPopMatrix();
    glDepthRange(0, 1);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    if (!textured) glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void applyCamera(const DuckCamera& camera) {
    const Vec3 e = camera.lookFrom(), t = camera.target;
    gluLookAt(e.x, e.y, e.z, t.x, t.y, t.z, 0, 1, 0);
}

namespace {

void emitSquares(int x0, int x1, int z0, int z1, float y) {
    for (int x = x0; x < x1; ++x)
        for (int z = z0; z < z1; ++z) {
            const float fx = float(x), fz = float(z);
            glTexCoord2f(1, 1);
            glVertex3f(fx + 1, y, fz + 1);
            glTexCoord2f(1, 0);
            glVertex3f(fx + 1, y, fz);
            glTexCoord2f(0, 0);
            glVertex3f(fx, y, fz);
            glTexCoord2f(0, 1);
            glVertex3f(fx, y, fz + 1);
        }
}

void compileField(const Field& field, bool wireframe, FieldLists& lists) {
    const int minX = int(field.minX), maxX = int(field.maxX), minZ = int(field.minZ), maxZ = int(field.maxZ);
    const auto begin = [&](GLenum primitive) {
        glBegin(primitive);
        glNormal3f(0, 1, 0);
        glColor4f(1, 1, 1, 1);
    };
    if (wireframe) {
        lists.wire = glGenLists(1);
        glNewList(lists.wire, GL_COMPILE);
        begin(GL_LINE_LOOP);
        emitSquares(minX, maxX, minZ, maxZ, field.height);
        glEnd();
        glEndList();
        return;
    }
    lists.blocks.clear();
    for (int x = minX; x < maxX; x += kFieldBlock)
        for (int z = minZ; z < maxZ; z += kFieldBlock)
            lists.blocks.push_back({float(x), float(std::min(x + kFieldBlock, maxX)), float(z),
                                    float(std::min(z + kFieldBlock, maxZ))});
    lists.filled = glGenLists(GLsizei(lists.blocks.size()));
    for (std::size_t i = 0; i < lists.blocks.size(); ++i) {
        const FieldLists::Block& b = lists.blocks[i];
        glNewList(lists.filled + unsigned(i), GL_COMPILE);
        begin(GL_QUADS);
        emitSquares(int(b.minX), int(b.maxX), int(b.minZ), int(b.maxZ), field.height);
        glEnd();
        glEndList();
    }
}

// False when the flat rectangle at height y lies wholly beyond one side of
// the view volume of `clip` (projection x model-view, column-major).
bool rectangleVisible(const GLfloat clip[16], const FieldLists::Block& b, float y) {
    float c[4][4];
    for (int i = 0; i < 4; ++i) {
        const float x = i & 1 ? b.maxX : b.minX, z = i & 2 ? b.maxZ : b.minZ;
        for (int r = 0; r < 4; ++r) c[i][r] = clip[r] * x + clip[4 + r] * y + clip[8 + r] * z + clip[12 + r];
    }
    for (int axis = 0; axis < 3; ++axis)
        for (const float sign : {-1.f, 1.f}) {
            bool allOut = true;
            for (int i = 0; i < 4 && allOut; ++i) allOut = sign * c[i][axis] > c[i][3];
            if (allOut) return false;
        }
    return true;
}

}  // namespace

FieldLists::~FieldLists() {
    if (filled) glDeleteLists(filled, GLsizei(blocks.size()));
    if (wire) glDeleteLists(wire, 1);
}

void drawField(const Field& field, const GameState& state, unsigned grassTexture, FieldLists& lists) {
    glEnable(GL_LIGHTING);
    if (state.texturesOn) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, grassTexture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    } else {
        // Without its texture the field is plain grass green, not white:
        // the white blocks and the untextured duck stay visible on it.
        static const GLfloat green[4] = {0.35f, 0.62f, 0.25f, 1};
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, green);
    }
    // The 7000 squares never change: each form is compiled once.
    if (!(state.wireframe ? lists.wire : lists.filled)) compileField(field, state.wireframe, lists);
    if (state.wireframe) {
        glCallList(lists.wire);
    } else {
        GLfloat projection[16], view[16], clip[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        glGetFloatv(GL_MODELVIEW_MATRIX, view);
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) {
                float sum = 0;
                for (int k = 0; k < 4; ++k) sum += projection[k * 4 + r] * view[c * 4 + k];
                clip[c * 4 + r] = sum;
            }
        for (std::size_t i = 0; i < lists.blocks.size(); ++i)
            if (!skipFieldBlocksOutOfView || rectangleVisible(clip, lists.blocks[i], field.height))
                glCallList(lists.filled + unsigned(i));
    }
    if (!state.texturesOn) {
        static const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1}, diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    }
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
}

void drawDuck(const DuckCamera& camera, float facing, const GameState& state, unsigned filledList,
              unsigned wireList) {
    glPushMatrix();
    glTranslatef(camera.target.x, 0, camera.target.z);
    glRotatef(facing, 0, 1, 0);
    glEnable(GL_BLEND);
    if (state.texturesOn && !state.wireframe) glEnable(GL_TEXTURE_2D);
    glRotatef(-90, 1, 0, 0);  // the model is stored z-up
    if (state.wireframe) {
        glDisable(GL_LIGHTING);
        glColor4f(1, 1, 1, 1);
        glCallList(wireList);
    } else {
        glCallList(filledList);
        glDisable(GL_LIGHTING);
    }
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    // The blocks and the sky drawn after the duck are opaque: blending them
    // would only read back pixels they replace.
    glDisable(GL_BLEND);
    glPopMatrix();
}

void drawBlock(const Block& b, bool wireframe) {
    const float x0 = b.x - b.size, x1 = b.x, y0 = b.top - b.size, y1 = b.top, z0 = b.z - b.size, z1 = b.z;
    if (!wireframe) {
        glEnable(GL_LIGHTING);
        glEnable(GL_COLOR_MATERIAL);
        glColor4f(1, 1, 1, 1);
        glBegin(GL_QUADS);
        glNormal3f(0, 1, 0);
        glVertex3f(x0, y1, z0), glVertex3f(x0, y1, z1), glVertex3f(x1, y1, z1), glVertex3f(x1, y1, z0);
        glNormal3f(0, -1, 0);
        glVertex3f(x0, y0, z0), glVertex3f(x1, y0, z0), glVertex3f(x1, y0, z1), glVertex3f(x0, y0, z1);
        glNormal3f(0, 0, 1);
        glVertex3f(x0, y0, z1), glVertex3f(x1, y0, z1), glVertex3f(x1, y1, z1), glVertex3f(x0, y1, z1);
        glNormal3f(0, 0, -1);
        glVertex3f(x0, y0, z0), glVertex3f(x0, y1, z0), glVertex3f(x1, y1, z0), glVertex3f(x1, y0, z0);
        glNormal3f(-1, 0, 0);
        glVertex3f(x0, y0, z0), glVertex3f(x0, y0, z1), glVertex3f(x0, y1, z1), glVertex3f(x0, y1, z0);
        glNormal3f(1, 0, 0);
        glVertex3f(x1, y0, z0), glVertex3f(x1, y1, z0), glVertex3f(x1, y1, z1), glVertex3f(x1, y0, z1);
        glEnd();
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_LIGHTING);
    } else {
        // Every corner in one loop, the second face in a brighter tint.
        glBegin(GL_LINE_LOOP);
        glColor3f(1, 1, 1);
        glVertex3f(x0, y1, z0), glVertex3f(x0, y1, z1), glVertex3f(x1, y1, z1), glVertex3f(x1, y1, z0);
        glColor3f(1, 1.5f, 1);
        glVertex3f(x0, y0, z0), glVertex3f(x1, y0, z0), glVertex3f(x1, y0, z1), glVertex3f(x0, y0, z1);
        glColor3f(1, 1, 1);
        glVertex3f(x0, y0, z1), glVertex3f(x1, y0, z1), glVertex3f(x1, y1, z1), glVertex3f(x0, y1, z1);
        glVertex3f(x0, y0, z0), glVertex3f(x0, y1, z0), glVertex3f(x1, y1, z0), glVertex3f(x1, y0, z0);
        glVertex3f(x0, y0, z0), glVertex3f(x0, y0, z1), glVertex3f(x0, y1, z1), glVertex3f(x0, y1, z0);
        glVertex3f(x1, y0, z0), glVertex3f(x1, y1, z0), glVertex3f(x1, y1, z1), glVertex3f(x1, y0, z1);
        glEnd();
    }
}

void setLights(bool night, bool sunset, Vec3 duck, const Vec3 (&lamps)[6]) {
    static const GLfloat lamp[4] = {1, 0.8f, 0.3f, 1}, white[4] = {1, 1, 1, 1};
    if (night) {
        for (int i = 0; i < 6; ++i) {
            const GLenum light = GLenum(GL_LIGHT0 + i);
            const GLfloat position[4] = {lamps[i].x, lamps[i].y, lamps[i].z, 1};
            glLightfv(light, GL_POSITION, position);
            glLightf(light, GL_CONSTANT_ATTENUATION, 0.2f);
            glLightf(light, GL_LINEAR_ATTENUATION, 0.2f);
            glLightf(light, GL_QUADRATIC_ATTENUATION, 0);
            glLightfv(light, GL_DIFFUSE, lamp);
            if (i > 0) glEnable(light);
        }
        const GLfloat over[4] = {duck.x, duck.y, duck.z, 1};
        glLightfv(GL_LIGHT6, GL_POSITION, over);
        glLightf(GL_LIGHT6, GL_CONSTANT_ATTENUATION, 0.2f);
        glLightf(GL_LIGHT6, GL_LINEAR_ATTENUATION, 0.2f);
        glLightf(GL_LIGHT6, GL_QUADRATIC_ATTENUATION, 0);
        glLightfv(GL_LIGHT6, GL_DIFFUSE, white);
        glEnable(GL_LIGHT6);
    } else {
        for (int i = 1; i <= 6; ++i) glDisable(GLenum(GL_LIGHT0 + i));
        const GLfloat day[4] = {0.5f, 1, 0.4f, 0}, evening[4] = {-0.5f, 1, 0.4f, 0};
        glLightfv(GL_LIGHT0, GL_POSITION, sunset ? evening : day);
        glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 1);
        glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, sunset ? lamp : white);
    }
}

}  // namespace duckrun
