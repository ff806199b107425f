#include "directed.h"

#include <fstream>
#include <iostream>
#include <locale>
#include <sstream>

#include "files.h"

namespace hop {

// The first character of the path is dropped once, here: dropping it again
// at every F5 reload would walk "../m.txt" to "./m.txt" and then "/m.txt".
Directed::Directed(const std::string& path) : directivesPath(path.empty() ? path : path.substr(1)) {
    id = "Directed";
    loadModel();
}

void Directed::loadModel() {
    directives.clear();
    // A missing file is an empty model; anything else that is not a regular
    // file is named and never opened (a pipe would block the loop).
    const std::string problem = fileProblem(directivesPath);
    if (!problem.empty()) {
        if (problem != kMissingFile)
            std::cout << "No se pudieron leer las directivas " << directivesPath << ": " << problem << std::endl;
        return;
    }
    std::ifstream in(directivesPath);
    if (!in) return;
    parse(in, std::cout);
}

void Directed::parse(std::istream& in, std::ostream& log) {
    directives.clear();
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream ls(line);
        ls.imbue(std::locale::classic());
        char mode = 0;
        if (!(ls >> mode)) {
            log << "mode error" << std::endl;
            continue;
        }
        if (mode == 'P') {
            std::string word;
            ls >> word;
            if (word == "GL_TRIANGLES")
                primitive = GL_TRIANGLES;
            else if (word == "GL_QUADS")
                primitive = GL_QUADS;
            else
                log << "primitive error" << std::endl;
            continue;
        }
        Vector3 v;
        if (!(ls >> v.x >> v.y >> v.z)) {
            log << "xyz error" << std::endl;
            continue;
        }
        directives.emplace_back(mode, v);
    }
}

void Directed::draw() {
    glBegin(primitive);
    for (const auto& [mode, v] : directives) {
        if (mode == 'C')
            glColor3f(v.x, v.y, v.z);
        else if (mode == 'N')
            glNormal3f(v.x, v.y, v.z);
        else if (mode == 'V')
            glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
}

void Directed::input(SDL_Event e, float) {
    if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_F5) loadModel();
}

}  // namespace hop
