// Drawing the mesh window's scene with real GL (Mesa's software renderer on an Xvfb).
#include "CubeX.h"
#include "GLTestScreen.h"
#include "visuals/Scene3DRenderer.h"
#include "visuals/VsxScene.h"

#include <QDir>
#include <QFile>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLPaintDevice>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace calvoran;

namespace {

int lit(const QImage &image, QRect *bounds = nullptr) {
    int count = 0;
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0) {
                ++count;
                box |= QRect(x, y, 1, 1);
            }
    if (bounds) *bounds = box;
    return count;
}

class SceneRendering : public ::testing::Test {
protected:
    void SetUp() override {
        GLTestScreen::instance();
        if (!context_.create()) GTEST_SKIP() << "no OpenGL context can be made here (no display with GLX)";
        surface_.setFormat(context_.format());
        surface_.create();
        if (!context_.makeCurrent(&surface_)) GTEST_SKIP() << "the OpenGL context cannot be made current";
        ASSERT_TRUE(renderer_.Initialize()) << renderer_.Error().toStdString();
        renderer_.SetRenderMode(3);
    }
    void TearDown() override {
        if (QOpenGLContext::currentContext() == &context_) {
            renderer_.Release();
            context_.doneCurrent();
        }
    }

    QImage render(const QStringList &lines = {}, const QString &message = {}) {
        QOpenGLFramebufferObject fbo(320, 213, QOpenGLFramebufferObject::CombinedDepthStencil);
        fbo.bind();
        renderer_.Render(scene_, QRect(0, 0, 320, 213));
        if (!lines.isEmpty() || !message.isEmpty()) {
            QOpenGLPaintDevice device(320, 213);
            QPainter painter(&device);
            Scene3DRenderer::DrawTexts(painter, QPoint(0, 0), lines, message, 320);
        }
        fbo.release();
        return fbo.toImage().convertToFormat(QImage::Format_RGB32);
    }

    QString writeCube(const CubeXOptions &options = {}) {
        const QString path = dir_.filePath("cube.x");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(CubeXText(options)));
        return path;
    }

    QTemporaryDir dir_;
    QOpenGLContext context_;
    QOffscreenSurface surface_;
    Scene3DRenderer renderer_;
    Scene3D scene_;
};

TEST_F(SceneRendering, GeneratedCubeIsLitAndItsPictureChangesWithAStep) {
    MeshLoadResult cube = LoadVsxMesh(writeCube());
    ASSERT_TRUE(cube.mesh);
    SetUpVsxScene(scene_, cube.mesh);
    const QImage first = render();
    QRect bounds;
    const int area = lit(first, &bounds);
    EXPECT_GT(area, 320 * 213 / 20) << "the cube should fill a good part of the picture";
    EXPECT_LT(area, 320 * 213 * 3 / 4);
    EXPECT_TRUE(bounds.contains(160, 106)) << "the cube should sit near the middle";
    // Lit from one side: the visible faces come out in several shades.
    QSet<QRgb> shades;
    for (int y = 0; y < first.height(); y += 2)
        for (int x = 0; x < first.width(); x += 2)
            shades.insert(first.pixel(x, y));
    EXPECT_GE(shades.size(), 3);

    scene_.Move(MotionStep(512));
    const QImage turned = render();
    int changed = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x)
            changed += first.pixel(x, y) != turned.pixel(x, y);
    EXPECT_GT(changed, 500);

    // A failed data call is a step of 0: the picture stands still.
    scene_.Move(MotionStep(0xFFFFFFFFu));
    EXPECT_TRUE(render() == turned);
}

TEST_F(SceneRendering, MissingMeshDrawsTheTextsOnly) {
    SetUpVsxScene(scene_, nullptr);
    EXPECT_EQ(lit(render()), 0);
    const QImage image = render({"FPS: 0", "Device: Software"}, "Cannot load the mesh /x/cube.x");
    QRect bounds;
    EXPECT_GT(lit(image, &bounds), 50);
    EXPECT_LT(bounds.bottom(), 100); // three lines of text at the top, nothing else
    EXPECT_EQ(bounds.left(), 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            ASSERT_TRUE(c.red() == c.green() && c.green() == c.blue()) << x << "," << y;
        }
}

TEST_F(SceneRendering, TexturedMeshShowsItsTexture) {
    QDir(dir_.path()).mkpath("tex");
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    ASSERT_TRUE(red.save(dir_.filePath("tex/red.png")));
    MeshLoadResult cube = LoadVsxMesh(writeCube({"tex/red.png"}));
    ASSERT_TRUE(cube.mesh);
    SetUpVsxScene(scene_, cube.mesh);
    const QImage image = render();
    int reddish = 0, other = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c == Qt::black) continue;
            (c.red() > 0 && c.green() == 0 && c.blue() == 0 ? reddish : other)++;
        }
    EXPECT_GT(reddish, 1000);
    EXPECT_EQ(other, 0);
}

} // namespace
