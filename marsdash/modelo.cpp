#include "modelo.h"

#include <cstdio>
#include <fstream>
#include <locale>
#include <sstream>

#include "archivo.h"

namespace marsdash {

namespace {

constexpr long kIndiceMaximo = 100000000;

std::string enLinea(int linea, const std::string& que) { return "line " + std::to_string(linea) + ": " + que; }

template <std::size_t N>
std::array<float, N> numeros(std::istringstream& palabras, int linea) {
    std::array<float, N> out{};
    for (float& v : out)
        if (!(palabras >> v)) throw ErrorModelo(enLinea(linea, "malformed number"));
    return out;
}

// One corner, exactly [0-9]+/[0-9]+/[0-9]+.
bool esquina(const std::string& palabra, int out[3]) {
    std::size_t i = 0;
    for (int k = 0; k < 3; ++k) {
        long valor = 0;
        const std::size_t inicio = i;
        while (i < palabra.size() && palabra[i] >= '0' && palabra[i] <= '9') {
            valor = valor * 10 + (palabra[i] - '0');
            if (valor > kIndiceMaximo) return false;
            ++i;
        }
        if (i == inicio) return false;
        out[k] = int(valor);
        if (k < 2) {
            if (i >= palabra.size() || palabra[i] != '/') return false;
            ++i;
        }
    }
    return i == palabra.size();
}

// Every corner's indices against the lists read, naming the line of the
// face that holds a bad one.
void comprobar(const Modelo& m, const std::vector<int>& lineaDeCara) {
    std::size_t k = 0;
    for (std::size_t cara = 0; cara < m.esquinas.size(); ++cara) {
        for (int e = 0; e < m.esquinas[cara]; ++e, ++k) {
            const struct {
                int indice;
                std::size_t cuantos;
                const char* que;
            } usos[3] = {{m.iPunto[k], m.puntos.size(), "position"},
                         {m.iTextura[k], m.texturas.size(), "texture coordinate"},
                         {m.iNormal[k], m.normales.size(), "normal"}};
            for (const auto& u : usos)
                if (u.indice < 1 || std::size_t(u.indice) > u.cuantos)
                    throw ErrorModelo(enLinea(lineaDeCara[cara], std::string(u.que) + " index " +
                                                                     std::to_string(u.indice) + " outside the " +
                                                                     std::to_string(u.cuantos) + " read"));
        }
    }
}

}  // namespace

void Modelo::limpiar() {
    puntos.clear();
    texturas.clear();
    normales.clear();
    iPunto.clear();
    iTextura.clear();
    iNormal.clear();
    esquinas.clear();
    grupos.clear();
}

void leerModelo(std::istream& in, bool materiales, Modelo& m) {
    m.limpiar();
    std::string linea;
    int numero = 0;
    int enGrupo = 0;
    std::vector<int> lineaDeCara;
    try {
        while (std::getline(in, linea)) {
            ++numero;
            if (!linea.empty() && linea.back() == '\r') linea.pop_back();
            std::istringstream palabras(linea);
            palabras.imbue(std::locale::classic());
            std::string tipo;
            if (!(palabras >> tipo)) continue;
            if (tipo == "v") {
                m.puntos.push_back(numeros<3>(palabras, numero));
            } else if (tipo == "vt") {
                m.texturas.push_back(numeros<2>(palabras, numero));
            } else if (tipo == "vn") {
                m.normales.push_back(numeros<3>(palabras, numero));
            } else if (tipo == "f") {
                std::string palabra;
                int n = 0;
                while (palabras >> palabra) {
                    int idx[3];
                    if (!esquina(palabra, idx))
                        throw ErrorModelo(enLinea(numero, "face corner not written p/t/n: '" + palabra + "'"));
                    m.iPunto.push_back(idx[0]);
                    m.iTextura.push_back(idx[1]);
                    m.iNormal.push_back(idx[2]);
                    ++n;
                }
                if (n < 3) throw ErrorModelo(enLinea(numero, "face with fewer than three corners"));
                m.esquinas.push_back(n);
                lineaDeCara.push_back(numero);
                ++enGrupo;
            } else if (tipo == "usemtl" && materiales) {
                if (enGrupo > 0) m.grupos.push_back(enGrupo);
                enGrupo = 0;
            }
        }
        if (materiales && enGrupo > 0) m.grupos.push_back(enGrupo);
        comprobar(m, lineaDeCara);
    } catch (...) {
        m.limpiar();
        throw;
    }
}

bool leerModelo(const std::string& ruta, bool materiales, Modelo& m) {
    m.limpiar();
    // Never opened unless a regular file: a pipe would block the game.
    const std::string problema = problemaDeArchivo(ruta);
    if (!problema.empty()) {
        std::fprintf(stderr, "%s: %s; the model is not drawn\n", ruta.c_str(), problema.c_str());
        return false;
    }
    std::ifstream file(ruta, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "%s: cannot open the file; the model is not drawn\n", ruta.c_str());
        return false;
    }
    try {
        leerModelo(file, materiales, m);
    } catch (const ErrorModelo& e) {
        std::fprintf(stderr, "%s: %s; the model is not drawn\n", ruta.c_str(), e.what());
        return false;
    }
    if (m.vacio()) {
        std::fprintf(stderr, "%s: no faces; the model is not drawn\n", ruta.c_str());
        return false;
    }
    return true;
}

}  // namespace marsdash
