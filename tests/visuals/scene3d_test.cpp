// Scene arithmetic of the mesh window, without a display.
#include "visuals/FrameTimer.h"
#include "visuals/VsxScene.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace calvoran;

namespace {

void expectVec(const QVector3D &actual, float x, float y, float z) {
    EXPECT_FLOAT_EQ(actual.x(), x);
    EXPECT_FLOAT_EQ(actual.y(), y);
    EXPECT_FLOAT_EQ(actual.z(), z);
}

TEST(Scene3D, MotionStepFromTheDataCall) {
    EXPECT_EQ(MotionStep(512u), 513u);
    EXPECT_EQ(MotionStep(0xFFFFFFFFu), 0u); // the call's -1
    EXPECT_EQ(MotionStep(0u), 1u);

    Scene3D scene;
    VsxFrames frames = SetUpVsxScene(scene, nullptr);
    scene.Move(MotionStep(0xFFFFFFFFu));
    EXPECT_EQ(frames.mesh->Angle(), 0.0);
    scene.Move(MotionStep(512u));
    // 25.65 radians: four whole turns and about 0.52 radians more.
    EXPECT_NEAR(frames.mesh->Angle(), 25.65 - 8 * std::numbers::pi, 1e-9);
    EXPECT_NEAR(frames.mesh->Angle(), 0.5173, 1e-4);
    // The light and camera never move.
    EXPECT_EQ(frames.light->Angle(), 0.0);
    EXPECT_EQ(scene.Camera().Angle(), 0.0);
    // Many frames keep the angle in one turn without drifting from the exact sum.
    for (int i = 0; i < 999; ++i)
        scene.Move(513);
    EXPECT_NEAR(frames.mesh->Angle(), std::fmod(1000 * 25.65, 2 * std::numbers::pi), 1e-6);
}

TEST(Scene3D, PlacementsOfLightCameraAndMesh) {
    Scene3D scene;
    auto mesh = std::make_shared<MeshData>();
    VsxFrames frames = SetUpVsxScene(scene, mesh);
    ASSERT_EQ(scene.Frames().size(), 2u);

    expectVec(frames.light->Position(), 2.0f, 0, 22.0f);
    ASSERT_EQ(frames.light->Lights().size(), 1u);
    EXPECT_EQ(frames.light->Lights()[0].kind, Light3D::Kind::Directional);
    expectVec(frames.light->Lights()[0].color, 0.9f, 0.9f, 0.9f);
    expectVec(scene.AmbientColor(), 0.1f, 0.1f, 0.1f);

    expectVec(scene.Camera().Position(), -5.0f, 10.0f, 0);
    expectVec(scene.Camera().Direction(), 0.35f, -0.65f, 1.0f);
    expectVec(scene.Camera().Up(), -0.15f, 1.0f, 0.5f);

    expectVec(frames.mesh->Position(), 0, 0, 15.0f);
    expectVec(frames.mesh->Direction(), 0, 0, 0.1f);
    expectVec(frames.mesh->Up(), 0, 1.0f, 0);
    expectVec(frames.mesh->RotationAxis(), 0, 1.0f, 0);
    EXPECT_DOUBLE_EQ(frames.mesh->RotationRate(), 0.05);
    ASSERT_EQ(frames.mesh->Visuals().size(), 1u);
    EXPECT_EQ(frames.mesh->Visuals()[0], mesh);

    // The directional light shines along its frame's z axis.
    QVector3D color, direction;
    ASSERT_TRUE(scene.DirectionalLight(&color, &direction));
    expectVec(direction, 0, 0, 1);

    // A second set-up starts over instead of adding frames.
    SetUpVsxScene(scene, nullptr);
    EXPECT_EQ(scene.Frames().size(), 2u);
    expectVec(scene.AmbientColor(), 0.1f, 0.1f, 0.1f);
}

TEST(Scene3D, CameraLooksAtTheMesh) {
    Scene3D scene;
    SetUpVsxScene(scene, nullptr);
    // The mesh's centre lands in front of the camera, near the middle of the picture.
    const QVector3D eye = scene.ViewMatrix().map(QVector3D(0, 0, 15));
    EXPECT_LT(eye.z(), -15.0f);
    const QVector3D ndc = Scene3D::ProjectionMatrix(320, 213).map(eye);
    EXPECT_LT(std::abs(ndc.x()), 0.1f);
    EXPECT_LT(std::abs(ndc.y()), 0.1f);
    // Left-handed: +x of the scene is on the right of a camera looking along +z.
    Scene3D plain;
    const QVector3D right =
        Scene3D::ProjectionMatrix(100, 100).map(plain.ViewMatrix().map(QVector3D(1, 0, 5)));
    EXPECT_GT(right.x(), 0.0f);
}

TEST(Scene3D, FrameTransformTurnsAboutTheAxis) {
    Frame3D frame;
    frame.SetPosition(QVector3D(0, 0, 15));
    frame.SetRotation(QVector3D(0, 1, 0), std::numbers::pi / 2);
    frame.Move(1);
    const QVector3D p = frame.Transform().map(QVector3D(1, 0, 0));
    EXPECT_NEAR(p.x(), 0.0f, 1e-5);
    EXPECT_NEAR(std::abs(p.z() - 15.0f), 1.0f, 1e-5);
    EXPECT_NEAR(p.y(), 0.0f, 1e-5);
}

TEST(Scene3D, SoftwareRendererFromItsName) {
    EXPECT_TRUE(IsSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(IsSoftwareRenderer("Gallium 0.4 on softpipe"));
    EXPECT_TRUE(IsSoftwareRenderer("Software Rasterizer"));
    EXPECT_TRUE(IsSoftwareRenderer("Mesa X11 swrast"));
    EXPECT_FALSE(IsSoftwareRenderer("AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)"));
    EXPECT_FALSE(IsSoftwareRenderer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(IsSoftwareRenderer("NVIDIA GeForce GTX 1060/PCIe/SSE2"));
}

TEST(FrameTimer, CountsFramesPerSecondByItsClock) {
    int64_t now = 5000;
    FrameTimer timer(nullptr, [&] { return now; });
    int ticks = 0;
    QObject::connect(&timer, &FrameTimer::Timer, [&] { ++ticks; });
    timer.SetEnabled(true);
    EXPECT_EQ(timer.FrameRate(), 0);
    for (int i = 0; i < 60; ++i) {
        now += 16;
        timer.Tick();
    }
    EXPECT_EQ(timer.FrameRate(), 0); // 960 ms: not a whole second yet
    now += 40;
    timer.Tick();
    EXPECT_EQ(timer.FrameRate(), 61);
    for (int i = 0; i < 25; ++i) {
        now += 40;
        timer.Tick();
    }
    EXPECT_EQ(timer.FrameRate(), 25);
    EXPECT_EQ(ticks, 86);
}

} // namespace
