// The penguin: grid hops or free movement over the board, score and high score.
#pragma once

#include <memory>

#include "objeto.h"

union SDL_Event;

namespace boardhop {

class MeshModel;
class Tablero;

class Jugador : public Objeto {
public:
    enum Mode : int { Idle = 0, Left = 1, Right = 2, Up = 3, Down = 4, FreeMove = 5 };
    static constexpr float kSpeed = 0.004f;  // units per millisecond in free mode

    // `withModel` false builds a penguin without its mesh, for rule checks
    // that run without the game's files.
    explicit Jugador(Tablero& board, bool withModel = true);
    ~Jugador() override;

    // Ends the run for the score table (the collide slot of the object).
    MoveResult finishRun();
    MoveResult collide(const Objeto&) override { return finishRun(); }
    void draw() override;
    void update(std::uint32_t elapsedMs) override;
    virtual float eyeHeight() const { return 1.52412f; }
    virtual void enterFreeMode() { mode = FreeMove; }
    virtual void enterGridMode();
    virtual void die();
    virtual void reachGoal();
    virtual void settleCell();
    virtual void snapToCell();

    // Arrow keys only; everything else is the loop's.
    void handleEvent(const SDL_Event& event);
    void setTexturesOn(bool on);

    bool texturesOn = true;
    int column = 0, row = 0;
    float offsetX = 0, offsetY = 0;
    float height = 0;
    float velocity[3] = {0, 0, 0};
    int score = 0;
    int highScore = 0;
    bool dead = false;
    int mode = Idle;
    std::unique_ptr<MeshModel> model;
    Tablero& board;

private:
    void updateGrid();
    void updateFree(std::uint32_t elapsedMs);
    void turnModel(float yDegrees);
    bool onDangerTile() const;
};

}  // namespace boardhop
