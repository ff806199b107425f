// An object drawn from a text file of GL directives, one per line:
//   P GL_TRIANGLES | P GL_QUADS     the primitive
//   C r g b                          colour
//   N x y z                          normal
//   V x y z                          vertex
// F5 reloads the file while the program runs.
#pragma once

#include <GL/gl.h>

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "object.h"

namespace hop {

class Directed : public Object {
public:
    // The path follows the engine's convention: its first character is dropped.
    explicit Directed(const std::string& path);

    void loadModel();
    // Parses directives; error lines go to `log` (standard output in the game).
    void parse(std::istream& in, std::ostream& log);

    void draw() override;
    void input(SDL_Event e, float delta) override;

    const std::vector<std::pair<char, Vector3>>& getDirectives() const { return directives; }
    GLenum getPrimitive() const { return primitive; }

private:
    std::vector<std::pair<char, Vector3>> directives;
    GLenum primitive = GL_TRIANGLES;
    std::string directivesPath;
};

}  // namespace hop
