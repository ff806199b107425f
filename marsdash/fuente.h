// Text from a TrueType font as one texture and one display list per
// character (codes 0..127), printed in window pixels from the bottom left.
#pragma once

#include <stdexcept>
#include <string>

namespace marsdash {

// A glyph that cannot be loaded or taken ends the program with this.
struct ErrorFuente : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Fuente {
public:
    static constexpr float kAltura = 15.0f;  // points, at 96 dpi

    // Needs a current GL context. A font library or file that cannot be
    // opened prints "ROMPIO" and leaves the font unusable (text is not
    // drawn); a glyph that fails throws ErrorFuente.
    explicit Fuente(const std::string& ruta);
    ~Fuente();
    Fuente(const Fuente&) = delete;
    Fuente& operator=(const Fuente&) = delete;

    bool valida() const { return base_ != 0; }
    // Pixels to the right of (x, y) the text takes (whole-pixel advances).
    int ancho(const std::string& texto) const;
    void imprimir(float x, float y, const std::string& texto) const;

    float altura = kAltura;

private:
    unsigned texturas_[128] = {};
    int avance_[128] = {};
    unsigned base_ = 0;
};

}  // namespace marsdash
