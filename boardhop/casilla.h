// Tiles of the board: plain ground, water and trees.
#pragma once

#include <memory>

#include "objeto.h"

namespace boardhop {

class MeshModel;

class Casilla : public Objeto {
public:
    Casilla() = default;
    ~Casilla() override;
    MoveResult collide(const Objeto& other) override { (void)other; return Free; }
    void draw() override;
    virtual MoveResult stepResult() const { return Free; }
    virtual void setTexturesOn(bool on) { texturesOn = on; }

    bool texturesOn = true;
    float color[4] = {1, 1, 0, 1};
    bool danger = false;

protected:
    // The quad of the tile with the texture of its class, or untextured
    // when that texture could not be read or textures are off; untextured,
    // a tile given `plainColour` (0..1 RGB) is lit in that colour.
    void drawQuad(unsigned texture, float scrollT, const float* plainColour = nullptr) const;
};

class Tierra : public Casilla {
public:
    Tierra();
    void draw() override;
};

class Agua : public Casilla {
public:
    Agua();
    MoveResult collide(const Objeto& other) override;
    MoveResult stepResult() const override { return Death; }
    void update(std::uint32_t elapsedMs) override;
    void draw() override;

    float scroll = 0;
};

class Arbol : public Casilla {
public:
    // `withModel` false leaves the palm out, for rule checks that run
    // without the game's files.
    explicit Arbol(bool withModel = true);
    ~Arbol() override;
    MoveResult collide(const Objeto& other) override;
    MoveResult stepResult() const override { return Blocked; }
    void setTexturesOn(bool on) override;
    void draw() override;

    std::unique_ptr<MeshModel> palm;
};

// True when the two objects' positions are closer than `limit` in 3D.
bool within(const Objeto& a, const Objeto& b, float limit);

}  // namespace boardhop
