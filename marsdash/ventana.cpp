#include "ventana.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace marsdash {

const char* const kSinPantallaCompleta = "Pantalla completa no disponible: el juego sigue en una ventana";

namespace {

std::string minusculas(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

}  // namespace

std::string conductorSinPantalla(const std::string& conductor, const char* pedido) {
    const std::string nombre = minusculas(conductor);
    if (nombre != "offscreen" && nombre != "dummy") return "";
    std::istringstream nombres(pedido ? pedido : "");
    for (std::string n; std::getline(nombres, n, ',');)
        if (minusculas(n) == nombre) return "";
    return conductor;
}

std::string mensajeSinPantalla(const std::string& conductor) {
    return "No hay pantalla disponible (controlador de video \"" + conductor +
           "\"): inicie el juego desde una sesión gráfica";
}

}  // namespace marsdash
