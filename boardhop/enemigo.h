// The seal that slides along its row, marking the tile under it as deadly,
// and the log that slides along another row as scenery.
#pragma once

#include <memory>

#include "objeto.h"

namespace boardhop {

class MeshModel;
class Tablero;

class Enemigo : public Objeto {
public:
    static constexpr float kStartX = 8.08f;
    static constexpr float kDefaultCrossTime = 2500.0f;

    Enemigo(float x, float y, float crossTime, Tablero& board, bool withModel = true);
    ~Enemigo() override;
    void draw() override;
    void update(std::uint32_t elapsedMs) override;
    void setTexturesOn(bool on);

    // Keypad keys: slower always, faster only down to the default time.
    void slowDown() { crossTime += 100; }
    void speedUp() {
        if (crossTime > kDefaultCrossTime) crossTime -= 40;
    }

    // The column the seal occupies at a given x.
    int columnAt(float atX) const;

    bool texturesOn = true;
    float crossTime;  // milliseconds to travel 8.08 units
    Tablero& board;
    std::unique_ptr<MeshModel> model;

private:
    void setDanger(float atX, bool on);
};

class Tronco : public Objeto {
public:
    Tronco(float x, float y, float crossTime, bool withModel = true);
    ~Tronco() override;
    void draw() override;
    void update(std::uint32_t elapsedMs) override;
    void setTexturesOn(bool on);

    bool texturesOn = true;
    float crossTime;
    std::unique_ptr<MeshModel> model;
};

}  // namespace boardhop
