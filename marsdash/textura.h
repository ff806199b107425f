// Image textures: read through FreeImage (the type from the file name),
// converted to 24 bits and uploaded as RGB from blue-green-red bytes on
// first use, so files can be read without a GL context.
#pragma once

#include <string>
#include <vector>

namespace marsdash {

class Textura {
public:
    Textura() = default;
    explicit Textura(const std::string& ruta) { cargar(ruta); }
    ~Textura();
    Textura(const Textura&) = delete;
    Textura& operator=(const Textura&) = delete;

    // False (and the texture stays invalid) when the file cannot be read,
    // after naming it on standard error.
    bool cargar(const std::string& ruta);
    bool valida() const { return ancho > 0; }
    // The GL name, uploading on the first call; 0 when invalid.
    unsigned id();

    int ancho = 0, alto = 0;

private:
    std::vector<unsigned char> bgr_;  // rows bottom first, until uploaded
    unsigned id_ = 0;
};

}  // namespace marsdash
