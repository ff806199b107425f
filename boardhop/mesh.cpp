#include "mesh.h"

#include "files.h"

#include <FreeImage.h>
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace boardhop {

ImageTexture::ImageTexture(const std::string& path) {
    if (notAPlainFile(path)) {
        std::fprintf(stderr, "could not load texture %s: not a plain file; drawing untextured\n", path.c_str());
        return;
    }
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (format == FIF_UNKNOWN) format = FreeImage_GetFIFFromFilename(path.c_str());
    FIBITMAP* image = format == FIF_UNKNOWN ? nullptr : FreeImage_Load(format, path.c_str(), 0);
    FIBITMAP* rgb = image ? FreeImage_ConvertTo24Bits(image) : nullptr;
    if (image) FreeImage_Unload(image);
    if (!rgb) {
        std::fprintf(stderr, "could not load texture %s: drawing untextured\n", path.c_str());
        return;
    }
    const int w = int(FreeImage_GetWidth(rgb)), h = int(FreeImage_GetHeight(rgb));
    pixels_.resize(std::size_t(w) * h * 3);
    // FreeImage pads scanlines; GL gets them packed.
    for (int row = 0; row < h; ++row)
        std::memcpy(&pixels_[std::size_t(row) * w * 3], FreeImage_GetScanLine(rgb, row), std::size_t(w) * 3);
    FreeImage_Unload(rgb);
    width = w;
    height = h;
}

bool ImageTexture::texel(float u, float v, float rgb[3]) const {
    if (pixels_.empty()) return false;
    const auto index = [](float t, int size) {
        const int i = int(std::floor((t - std::floor(t)) * float(size)));
        return std::clamp(i, 0, size - 1);
    };
    // Rows bottom first, as GL takes them: t = 0 is the first.
    const std::size_t at = std::size_t(index(v, height)) * std::size_t(width) + std::size_t(index(u, width));
    const unsigned char* p = &pixels_[at * 3];
    rgb[0] = p[2] / 255.0f;
    rgb[1] = p[1] / 255.0f;
    rgb[2] = p[0] / 255.0f;
    return true;
}

ImageTexture::~ImageTexture() {
    if (id_) glDeleteTextures(1, &id_);
}

unsigned ImageTexture::id() {
    if (id_ || !valid()) return id_;
    glGenTextures(1, &id_);
    glBindTexture(GL_TEXTURE_2D, id_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_BGR, GL_UNSIGNED_BYTE, pixels_.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    pixels_.clear();
    pixels_.shrink_to_fit();
    return id_;
}

bool ImageTexture::bind() {
    const unsigned tex = id();
    if (tex) glBindTexture(GL_TEXTURE_2D, tex);
    return tex != 0;
}

namespace {
constexpr float kDefaultDiffuse = 0.8f;  // GL's diffuse material
}  // namespace

MeshPart::~MeshPart() {
    for (unsigned list : {displayList, plainList, plainLitList})
        if (list) glDeleteLists(list, 1);
}

void MeshPart::emit(unsigned& list, const std::array<float, 3>* colours, float scale) {
    // The vertices never change: compile them once, replay them every frame.
    if (list) {
        glCallList(list);
        return;
    }
    list = glGenLists(1);
    if (list) glNewList(list, GL_COMPILE_AND_EXECUTE);
    glBegin(GL_TRIANGLES);
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const Vertex& v = vertices[i];
        glNormal3fv(v.normal);
        if (colours)
            glColor3f(scale * colours[i][0], scale * colours[i][1], scale * colours[i][2]);
        else
            glColor3fv(v.color);
        glTexCoord2fv(v.texcoord);
        glVertex3fv(v.position);
    }
    glEnd();
    if (list) glEndList();
}

void MeshPart::draw(ImageTexture& texture) {
    glPushMatrix();
    glTranslatef(pivot[0], pivot[1], pivot[2]);
    glRotatef(rotation[0], 1, 0, 0);
    glRotatef(rotation[1], 0, 1, 0);
    glRotatef(rotation[2], 0, 0, 1);
    glTranslatef(position[0] - pivot[0], position[1] - pivot[1], position[2] - pivot[2]);
    glScalef(scale[0], scale[1], scale[2]);

    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    const bool textured = texturesOn && texture.bind();
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_TEXTURE_2D);
    }

    if (!textured && materialColours.size() == vertices.size() && !vertices.empty()) {
        // The face colours, also as the lit diffuse colour; the material
        // and the current colour (white) are as before afterwards.
        const bool lit = glIsEnabled(GL_LIGHTING);
        glPushAttrib(GL_LIGHTING_BIT | GL_ENABLE_BIT | GL_CURRENT_BIT);
        glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        if (lit)
            emit(plainLitList, materialColours.data(), kDefaultDiffuse);
        else
            emit(plainList, materialColours.data(), 1);
        glPopAttrib();
    } else {
        emit(displayList, nullptr, 1);
    }
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

MeshModel::MeshModel(Vec3 p, const std::string& texturePath, const std::string& objPath)
    : texture(texturePath), position(p) {
    auto part = std::make_unique<MeshPart>();
    part->vertices = loadObj(objPath);
    part->position[0] += p.x;
    part->position[1] += p.y;
    part->position[2] += p.z;
    parts.push_back(std::move(part));
}

void MeshModel::setRotation(float rx, float ry, float rz) {
    for (auto& part : parts) {
        part->rotation[0] = rx;
        part->rotation[1] = ry;
        part->rotation[2] = rz;
    }
}

void MeshModel::setScale(float s) {
    for (auto& part : parts) part->scale[0] = part->scale[1] = part->scale[2] = s;
}

void MeshModel::setTexturesOn(bool on) {
    texturesOn = on;
    for (auto& part : parts) part->texturesOn = on;
}

void MeshModel::keepColoursUntextured() {
    for (auto& part : parts) {
        part->materialColours.resize(part->vertices.size());
        for (std::size_t i = 0; i < part->vertices.size(); ++i) {
            const Vertex& v = part->vertices[i];
            if (!texture.texel(v.texcoord[0], v.texcoord[1], part->materialColours[i].data())) {
                part->materialColours.clear();  // no image: white, as textured
                break;
            }
        }
    }
}

void MeshModel::setPlacement(float px, float py, float pz) {
    for (auto& part : parts) {
        part->position[0] = part->pivot[0] = px;
        part->position[1] = part->pivot[1] = py;
        part->position[2] = part->pivot[2] = pz;
    }
}

void MeshModel::draw() {
    for (auto& part : parts) part->draw(texture);
}

}  // namespace boardhop
