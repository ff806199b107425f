// The files the game reads, relative to the folder it runs from, and what
// they become: models in the world's entities (plus a display list each) and
// textures. Loading throws ModelError or ImageError naming the file.
#pragma once

#include <array>

#include "world.h"

namespace pigeonrun {

struct AssetPaths {
    static constexpr const char* kPigeon = "../Objetos/paloma.obj";
    static constexpr const char* kCar = "../Objetos/auto1.obj";
    static constexpr const char* kCoin = "../Objetos/Moneda.obj";
    static constexpr const char* kCoinIcon = "../Objetos/Moneda.png";
    static constexpr const char* kLogo = "../Objetos/Logo.png";
    static constexpr const char* kPause = "../Objetos/iconoPausa.png";
    static constexpr const char* kGameOver = "../Objetos/finDelJuego.png";
    static constexpr const char* kPressEnter = "../Objetos/presioneEnter.png";
    static constexpr const char* kGrass = "../Objetos/piso.png";
    static constexpr const char* kRoad = "../Objetos/calle.png";
    // "../Objetos/0.png" to "../Objetos/9.png".
    static std::string digit(int d);
};

struct Assets {
    // Needs a current GL context.
    explicit Assets(World& world);
    ~Assets();
    Assets(const Assets&) = delete;
    Assets& operator=(const Assets&) = delete;

    unsigned pigeonList = 0, carList = 0, coinList = 0;
    unsigned coinIcon = 0, logo = 0, pause = 0, gameOver = 0, pressEnter = 0, grass = 0, road = 0;
    std::array<unsigned, 10> digits{};
};

// Compiles a model into a display list: its triangles with each corner's
// normal and position, the colour switching at each material group.
unsigned compileModel(const Model& model);

}  // namespace pigeonrun
