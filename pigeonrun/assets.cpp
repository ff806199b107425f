#include "assets.h"

#include <GL/gl.h>

#include <string>

#include "hud.h"
#include "texture.h"

namespace pigeonrun {

std::string AssetPaths::digit(int d) { return "../Objetos/" + std::to_string(d) + ".png"; }

namespace {

void drawFaces(const Model& m, int first, int last) {
    glBegin(GL_TRIANGLES);
    for (int f = first; f <= last; ++f)
        for (const Corner& c : m.faces[std::size_t(f)]) {
            glNormal3fv(m.normals[std::size_t(c.normal)].data());
            glVertex3fv(m.positions[std::size_t(c.position)].data());
        }
    glEnd();
}

unsigned texture(const std::string& path, bool withAlpha) {
    return withAlpha ? loadImageTexture(path, GL_RGBA, GL_BGRA, GL_BLEND, true)
                     : loadImageTexture(path, GL_RGB, GL_BGR, GL_MODULATE, false);
}

}  // namespace

unsigned compileModel(const Model& m) {
    const unsigned list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    const int faces = int(m.faces.size());
    // Faces before the first group keep the colour set before the model.
    drawFaces(m, 0, (m.groups.empty() ? faces : m.groups.front().first) - 1);
    for (const MaterialGroup& g : m.groups) {
        std::array<double, 3> rgb;
        if (materialColour(g.name, rgb)) glColor3d(rgb[0], rgb[1], rgb[2]);
        drawFaces(m, g.first, g.last);
    }
    glEndList();
    return list;
}

Assets::Assets(World& world) {
    readObjFile(AssetPaths::kPigeon, world.pigeon.model);
    readObjFile(AssetPaths::kCar, world.car1.model);
    readObjFile(AssetPaths::kCar, world.car2.model);
    world.car1.fitBox();
    world.car2.fitBox();
    readObjFile(AssetPaths::kCoin, world.coin.model);
    pigeonList = compileModel(world.pigeon.model);
    carList = compileModel(world.car1.model);
    coinList = compileModel(world.coin.model);

    coinIcon = texture(AssetPaths::kCoinIcon, true);
    logo = texture(AssetPaths::kLogo, true);
    pause = texture(AssetPaths::kPause, true);
    gameOver = texture(AssetPaths::kGameOver, true);
    pressEnter = texture(AssetPaths::kPressEnter, true);
    for (int d = 0; d < 10; ++d) digits[std::size_t(d)] = texture(AssetPaths::digit(d), true);
    // The environment mode is global: this last load leaves modulate in force.
    grass = texture(AssetPaths::kGrass, false);
    road = texture(AssetPaths::kRoad, false);
}

Assets::~Assets() {
    for (unsigned list : {pigeonList, carList, coinList})
        if (list) glDeleteLists(list, 1);
    unsigned names[] = {coinIcon, logo, pause, gameOver, pressEnter, grass, road};
    glDeleteTextures(GLsizei(std::size(names)), names);
    glDeleteTextures(GLsizei(digits.size()), digits.data());
}

}  // namespace pigeonrun
