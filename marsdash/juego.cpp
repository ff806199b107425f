#include "juego.h"

#include <SDL2/SDL.h>

#include <cmath>
#include <cstdio>

#include "recursos.h"
#include "ventana.h"

namespace marsdash {

namespace {
constexpr float kPasoLuz = 5.0f;
constexpr float kPasoArrastre = 5.0f;
}  // namespace

Juego::Juego(bool graficos, SDL_Window* ventana)
    : tamanoSistema([this](int& w, int& h) { return tamanoEnElSistema(ventana_, w, h); }),
      graficos_(graficos),
      ventana_(ventana) {
    if (graficos_) {
        recursos_ = std::make_unique<Recursos>();
        recursos_->cargar();
        proyeccion();
    }
}

Juego::~Juego() { guardarRecord(); }

hop::PadTable Juego::tablaMandos() {
    hop::PadTable t;  // d-pad and left stick: the arrows, a hop when let go
    t.set(hop::Control::A, SDLK_i, SDL_SCANCODE_I)  // start from the title
        .set(hop::Control::B, SDLK_r, SDL_SCANCODE_R)
        .set(hop::Control::Start, SDLK_p, SDL_SCANCODE_P)
        .set(hop::Control::Back, SDLK_p, SDL_SCANCODE_P)  // the pause lists the controls
        .set(hop::Control::LeftShoulder, SDLK_v, SDL_SCANCODE_V)
        .set(hop::Control::RightShoulder, SDLK_v, SDL_SCANCODE_V);
    // The right stick turns the view as a left-button drag does.
    t.lookSpeed = 400;
    t.lookButtons = SDL_BUTTON_LMASK;
    return t;
}

void Juego::guardarRecord() {
    if (guardado_ || titulo || !astronauta || !mapa) return;
    guardado_ = true;
    const int filas = astronauta->mejorFila;
    records.record("best", filas);
    records.record(nombreRecord(), filas);
}

int Juego::pollEvent(SDL_Event* e) {
    if (!mandos) return SDL_PollEvent(e);
    const int hay = mandos->poll(e);
    // A controller pulled out mid-run: its keys are up, and the game pauses,
    // before the releases SDL sends as it goes (a stick centred, a d-pad let
    // go) reach the arrows: they must not hop.
    const bool fuera = mandos->unplugged();
    const bool saliendo = hay && e->type == SDL_KEYUP && mandos->leaving();
    if ((fuera || saliendo) && !titulo && !pausa && !muerto && !ganado()) pausa = true;
    return hay;
}

void Juego::construir() {
    guardarRecord();  // the run left behind ends here
    // The old world goes first, in the order the loop made it.
    meteorito.reset();
    astronauta.reset();
    camara.reset();
    mapa.reset();
    rescate.reset();
    salir = false;
    saltoPedido = false;
    flechaPulsada = false;
    rumboPedido = 0;

    const int grupos = recursos_ ? int(recursos_->nave.grupos.size()) : 0;
    mapa = std::make_unique<Mapa>(largo, grupos);
    meteorito = std::make_unique<Meteorito>();
    astronauta = std::make_unique<Astronauta>(*mapa, *meteorito);
    camara = std::make_unique<Camara>();
    rescate = std::make_unique<NaveRescate>();
    muerto = false;
    elapsed = 0;
    reiniciar = false;
    guardado_ = false;
    if (!titulo) pausa = false;
}

void Juego::paso(float dt, bool salto) {
    Astronauta::Orden orden;
    orden.salto = salto;
    orden.flechaPulsada = flechaPulsada;
    orden.seguir = seguir;
    orden.rumbo = seguir ? arrastre : rumboPedido;
    muerto = astronauta->update(orden, dt);
    camara->update(*astronauta, dt);
    rescate->update(astronauta->enMeta, camara->enObjetivo(), dt);
    meteorito->update(dt);
    // Every row moves every step, seen or not.
    for (int f = mapa->filas() - 1; f >= 0; --f) mapa->segmentos[std::size_t(f)]->update(dt);
}

void Juego::update() {
    if (reiniciar) construir();
    const float total = elapsed < kFrameMaximo ? elapsed : kFrameMaximo;
    const int pasos = total > kPasoMaximo ? int(std::ceil(total / kPasoMaximo)) : 1;
    const float dt = total / float(pasos);
    // The hop request belongs to the frame: its first step takes it.
    for (int i = 0; i < pasos; ++i) paso(dt, saltoPedido && i == 0);
    if (muerto || ganado()) guardarRecord();
}

void Juego::endFrame(std::uint32_t nowMs) {
    if (pausa) {
        elapsed = 0;
    } else {
        elapsed = float(nowMs - ultimo) / 1000.0f;
        if (modoVelocidad == 2) elapsed *= 4.0f;
        if (modoVelocidad == 3) elapsed *= 0.25f;
    }
    ultimo = nowMs;
}

void Juego::antesDelReloj() {
    update();
    if (graficos_) draw();
    saltoPedido = false;
    pendiente_ = false;
    SDL_Event e;
    while (pollEvent(&e)) {
        handleEvent(e);
        pendiente_ = true;
    }
}

void Juego::despertar(std::uint32_t nowMs) {
    SDL_Event e;
    while (pollEvent(&e)) handleEvent(e);
    pendiente_ = true;
    ultimo = nowMs;
}

void Juego::frame(std::uint32_t nowMs) {
    ahora_ = nowMs;
    antesDelReloj();
    endFrame(nowMs);
}

void Juego::frame() {
    ahora_ = SDL_GetTicks();
    antesDelReloj();
    endFrame(SDL_GetTicks());
}

void Juego::seguirVentana() {
    if (!ventana_) return;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(ventana_, &w, &h);
    if (pedidaEn_ >= 0) {
        int realW = 0, realH = 0;
        if (!tamanoSistema || !tamanoSistema(realW, realH) || (realW == w && realH == h)) {
            pedidaEn_ = -1;  // granted, or nobody to ask
        } else if (std::int64_t(ahora_) - pedidaEn_ >= kEsperaPantallaCompleta) {
            pedidaEn_ = -1;
            pantallaCompletaNegada = true;
            pantallaCompleta = false;
            SDL_SetWindowFullscreen(ventana_, 0);
            SDL_SetWindowSize(ventana_, kAncho, kAlto);
            std::printf("%s\n", kSinPantallaCompleta);
            std::fflush(stdout);
            SDL_GL_GetDrawableSize(ventana_, &w, &h);
        } else {
            // Not resized yet: draw into the window as it is.
            w = realW;
            h = realH;
        }
    }
    if (w > 0 && h > 0) {
        vistaAncho = w;
        vistaAlto = h;
    }
}

void Juego::pantallaCompletaF11() {
    if (pantallaCompletaNegada) {
        std::printf("%s\n", kSinPantallaCompleta);
        std::fflush(stdout);
        return;
    }
    if (ventana_) {
        SDL_SetWindowFullscreen(ventana_, pantallaCompleta ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
        // Back in its window it has its own size again: SDL would keep the
        // desktop's, and the picture would stay zoomed.
        if (pantallaCompleta) SDL_SetWindowSize(ventana_, kAncho, kAlto);
    }
    pantallaCompleta = !pantallaCompleta;
    pedidaEn_ = pantallaCompleta && ventana_ ? std::int64_t(ahora_) : -1;
}

void Juego::handleEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT: salir = true; break;
        case SDL_KEYDOWN:
            // A held key repeats: the light keeps turning while A or D is
            // held; the toggles and switches act once per press.
            if (!e.key.repeat || e.key.keysym.sym == SDLK_a || e.key.keysym.sym == SDLK_d) tecla(e.key.keysym.sym);
            flecha(e.key.keysym.sym, true);
            break;
        case SDL_KEYUP: flecha(e.key.keysym.sym, false); break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && e.window.data1 > 0 && e.window.data2 > 0) {
                vistaAncho = e.window.data1;
                vistaAlto = e.window.data2;
            }
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.state & SDL_BUTTON_LMASK) {
                if (e.motion.xrel > 0) arrastre -= kPasoArrastre;
                else if (e.motion.xrel < 0) arrastre += kPasoArrastre;
            }
            break;
        default: break;
    }
}

void Juego::tecla(int sym) {
    switch (sym) {
        case SDLK_i:
            if (titulo) {
                titulo = false;
                pausa = false;
            }
            break;
        case SDLK_p:
            if (!titulo && !muerto) pausa = !pausa;
            break;
        case SDLK_r:
            if (!titulo) reiniciar = true;
            break;
        case SDLK_q: salir = true; break;
        case SDLK_1: largo = 10, reiniciar = true; break;
        case SDLK_2: largo = 50, reiniciar = true; break;
        case SDLK_3: largo = 100, reiniciar = true; break;
        case SDLK_4: largo = 200, reiniciar = true; break;
        case SDLK_0: largo = 500, reiniciar = true; break;
        case SDLK_v:
            seguir = !seguir;
            proyeccion();
            break;
        case SDLK_a: anguloLuz -= kPasoLuz; break;
        case SDLK_d: anguloLuz += kPasoLuz; break;
        case SDLK_s: modoLuz = modoLuz % 3 + 1; break;
        case SDLK_t: texturas = !texturas; break;
        case SDLK_y: alambre = !alambre; break;
        case SDLK_u: suave = !suave; break;
        case SDLK_z: modoVelocidad = modoVelocidad % 3 + 1; break;
        case SDLK_F11: pantallaCompletaF11(); break;
        default: break;
    }
}

void Juego::flecha(int sym, bool abajo) {
    if (pausa || ganado()) {
        // An arrow let go while paused (or as a controller leaves): no
        // crouch left on resuming.
        const bool esFlecha = sym == SDLK_UP || sym == SDLK_DOWN || sym == SDLK_LEFT || sym == SDLK_RIGHT;
        if (!abajo && esFlecha) flechaPulsada = false;
        return;
    }
    const bool arriba = sym == SDLK_UP;
    if (!arriba && (seguir || (sym != SDLK_RIGHT && sym != SDLK_LEFT && sym != SDLK_DOWN))) return;
    if (abajo) {
        flechaPulsada = true;
        return;
    }
    const int base = arriba ? 0 : sym == SDLK_RIGHT ? -90 : sym == SDLK_LEFT ? 90 : 180;
    // Dragged round, the board turns under the arrows: they keep to the
    // screen (Left hops toward its left) by whole quarter turns.
    const int cuartos = !seguir && camara ? camara->cuartosFlechas(arrastre) : 0;
    const int rumbo = ((base + 90 * cuartos) % 360 + 360) % 360;  // 0, 90, 180 or 270
    rumboPedido = rumbo == 270 ? -90.0f : float(rumbo);
    saltoPedido = true;
    flechaPulsada = false;
}

}  // namespace marsdash
