// The heads-up display: fades, the bottom bar, the banner and the paused panel.
#include <GL/gl.h>

#include "drawing.h"
#include "fontmanager.h"
#include "mainloop.h"
#include "world.h"

namespace lanehop {

void World::fade(float alpha) {
    hop::glColorColor(Color(0, 0, 0, alpha));
    hop::drawRectangle(0, 0, 1, 1);
}

void World::hud() {
    const Color white(1, 1, 1, 1), bar(0.05f, 0.05f, 0.05f, 0.75f);
    // The fade-in runs on level time, which stands still while paused: the
    // paused start shows the scene under its panel, and the fade plays once
    // the game runs.
    if (levelTime < startupFadeTime && !ml->getPause()) fade((0.5f - levelTime) / startupFadeTime);
    if (deathStart != 0) fade((levelTime - deathStart) / deathTime);
    if (celebrationStart != 0) fade((levelTime - celebrationStart) / celebrationTime);
    hop::glColorColor(bar);
    hop::drawRectangle(0, 0, 1, 0.1f);
    // Long clocks and death counts shrink rather than run off the bar.
    hop::renderText(timeText(), 0.04f, 0.025f, white, "cartoon", 72, 0.38f);
    hop::renderText(deathText(), 0.75f, 0.025f, white, "cartoon", 72, 0.24f);
    if (currentLevel > lastLevel) {
        hop::glColorColor(bar);
        hop::drawRectangle(0, 0.58f, 1, 0.15f);
        hop::renderText("¡Felicitaciones ganaste!", 0.16f, 0.62f, white, "cartoon", 128, 0.82f);
    }
    if (!ml->getPause()) return;
    hop::renderText("Pausa", 0.45f, 0.025f, white, "cartoon", 72);
    hop::glColorColor(bar);
    hop::drawRectangle(0.25f, 0.12f, 0.5f, 0.85f);
    float y = 0.937f;
    for (const std::string& line : settings.pages[settingsPage]) {
        hop::renderText(settingLabel(line), 0.28f, y, white, "cartoon", settingsFontSize, 0.29f);
        hop::renderText(settingValue(line), 0.58f, y, white, "cartoon", settingsFontSize, 0.16f);
        y -= 0.05f;
    }
    hop::renderText(recordText(), 0.28f, 0.13f, white, "cartoon", settingsFontSize, 0.33f);
    const Color orange(1, 0.5f, 0, 1);
    if (settingsPage == 0)
        hop::renderText("Ajustes >", 0.64f, 0.13f, orange, "cartoon", settingsFontSize);
    else
        hop::renderText("< Controles", 0.605f, 0.13f, orange, "cartoon", settingsFontSize);
}

}  // namespace lanehop
