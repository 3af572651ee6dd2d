#include "game/PictureTexture.h"

#include "base/ImageLoader.h"
#include "render/Drawer.h"

uint32_t createPictureTexture(Drawer& drawer, EmbeddedBytes picture, bool pixelArt)
{
    if (picture.empty()) {
        return 0;
    }
    RgbaImage image = ImageLoader().loadFromMemory(picture.data, static_cast<int32_t>(picture.length));
    if (image.pixels == nullptr) {
        return 0;
    }
    if (pixelArt) {
        drawer.setLinearFiltering(false);
    }
    const uint32_t key = drawer.createTexture(image.pixels, static_cast<uint32_t>(image.width),
                                              static_cast<uint32_t>(image.height));
    if (pixelArt) {
        drawer.setLinearFiltering(true);
    }
    return key;
}

namespace {

int32_t currentGeneration = 1; // main thread only, like all drawing

} // namespace

uint32_t ProcessTexture::key(Drawer& drawer, EmbeddedBytes picture, bool pixelArt)
{
    if (madeWith != &drawer || madeIn != currentGeneration) {
        made = createPictureTexture(drawer, picture, pixelArt);
        madeWith = &drawer;
        madeIn = currentGeneration;
    }
    return made;
}

int ProcessFont::number(Drawer& drawer, const std::string& fileName, float pointSize)
{
    if (loadedWith != &drawer || loadedIn != currentGeneration) {
        loaded = drawer.loadFont(fileName, pointSize);
        loadedWith = &drawer;
        loadedIn = currentGeneration;
    }
    return loaded;
}

void ProcessTexture::forgetAll() { ++currentGeneration; }

int32_t ProcessTexture::generation() { return currentGeneration; }

bool ProcessStill::keptFor(Drawer& drawer) const
{
    return keptWith == &drawer && keptIn == currentGeneration;
}

void ProcessStill::remember(Drawer& drawer)
{
    keptWith = &drawer;
    keptIn = currentGeneration;
}
