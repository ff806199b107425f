#include "mesh.h"

#include <FreeImage.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstring>

namespace boardhop {

ImageTexture::ImageTexture(const std::string& path) {
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

MeshPart::~MeshPart() {
    if (displayList) glDeleteLists(displayList, 1);
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
    if (texturesOn && texture.bind()) {
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_TEXTURE_2D);
    }

    // The vertices never change: compile them once, replay them every frame.
    if (displayList) {
        glCallList(displayList);
    } else {
        displayList = glGenLists(1);
        if (displayList) glNewList(displayList, GL_COMPILE_AND_EXECUTE);
        glBegin(GL_TRIANGLES);
        for (const Vertex& v : vertices) {
            glNormal3fv(v.normal);
            glColor3fv(v.color);
            glTexCoord2fv(v.texcoord);
            glVertex3fv(v.position);
        }
        glEnd();
        if (displayList) glEndList();
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
