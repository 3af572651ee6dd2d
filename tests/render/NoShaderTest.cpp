#include "DisplayFixture.h"
#include "TestPictures.h"
#include <cstdlib>

// Mesa can hide an extension; without the ARB shader objects every shader
// operation must fall back to doing nothing while plain drawing goes on.
TEST(NoShaderSupport, ProbeReportsAbsenceAndShaderCallsAreHarmless)
{
    setenv("MESA_EXTENSION_OVERRIDE", "-GL_ARB_shader_objects", 1);
    ASSERT_TRUE(startVideo());
    {
        OpenGLDrawer drawer(1280, 720);
        testing::internal::CaptureStdout();
        const bool opened = drawer.initDisplay(1280, 720, false, 0);
        const std::string setUp = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(opened);
        EXPECT_NE(setUp.find("Shader support: OpenGL shaders *NOT* available.\n"), std::string::npos) << setUp;
        EXPECT_FALSE(drawer.hasShaders());

        testing::internal::CaptureStdout();
        EXPECT_FALSE(drawer.canSupport(0));
        EXPECT_TRUE(drawer.canSupport(1));
        EXPECT_EQ(drawer.loadShader("any.vert", "any.frag"), 0u);
        const std::string queries = testing::internal::GetCapturedStdout();
        EXPECT_EQ(queries, "canSupport(Shaders) => 0\ncanSupport(FrameBuffer) => 1\n");

        const uint32_t key = drawer.createTexture(testpictures::solidPixels(16, 16, 255, 255, 255, 255), 16, 16);
        const Frame frame = shoot(drawer, 1280, 720, [&] {
            drawer.useShader(7, 1.0f);
            drawer.setSecondTexture(key);
            drawer.drawTexture(key, 0, 0, 2, 2, 1, 0, 0, 1);
        });
        EXPECT_RGB_NEAR(frame.at(16, 16), 255, 0, 0, 0);
    }
    SDL_Quit();
}
