#include "render/StepOnlyDrawer.h"

StepOnlyDrawer::StepOnlyDrawer(Drawer& shown) : Drawer(shown.getWidth(), shown.getHeight()), shown(shown) {}

uint32_t StepOnlyDrawer::createTexture(uint8_t* pixels, uint32_t width, uint32_t height)
{
    return shown.createTexture(pixels, width, height);
}

void StepOnlyDrawer::deleteTexture(uint32_t key) { shown.deleteTexture(key); }

int StepOnlyDrawer::createPolygon(const float* points, int count) { return shown.createPolygon(points, count); }

uint32_t StepOnlyDrawer::loadShader(const std::string& vertexFile, const std::string& fragmentFile)
{
    return shown.loadShader(vertexFile, fragmentFile);
}

bool StepOnlyDrawer::hasShaders() { return shown.hasShaders(); }

int StepOnlyDrawer::loadFont(const std::string& fileName, float pointSize)
{
    return shown.loadFont(fileName, pointSize);
}

void StepOnlyDrawer::useShader(uint32_t program, float param) { shown.useShader(program, param); }

void StepOnlyDrawer::setBlendMode(int mode) { shown.setBlendMode(mode); }

void StepOnlyDrawer::setViewport(int16_t x, int16_t y, int16_t w, int16_t h) { shown.setViewport(x, y, w, h); }

void StepOnlyDrawer::resetViewport() { shown.resetViewport(); }

int StepOnlyDrawer::getViewportWidth() { return shown.getViewportWidth(); }

int StepOnlyDrawer::getViewportHeight() { return shown.getViewportHeight(); }

int StepOnlyDrawer::getViewportX() { return shown.getViewportX(); }

int StepOnlyDrawer::getViewportY() { return shown.getViewportY(); }

void StepOnlyDrawer::beginOffscreen() { shown.beginOffscreen(); }

void StepOnlyDrawer::endOffscreen() { shown.endOffscreen(); }

uint32_t StepOnlyDrawer::getOffscreenTexture() { return shown.getOffscreenTexture(); }

bool StepOnlyDrawer::canSupport(int feature) { return shown.canSupport(feature); }

void StepOnlyDrawer::setGlyph(int slot, uint8_t* pixels, uint32_t size) { shown.setGlyph(slot, pixels, size); }
