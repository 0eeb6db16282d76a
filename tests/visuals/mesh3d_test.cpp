// Mesh loading through Assimp: the generated cube, textures beside the file, broken files.
#include "CubeX.h"
#include "visuals/VsxScene.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace calvoran;

namespace {

QString write(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

TEST(Mesh3D, GeneratedCubeLoadsLitAndScaled) {
    QTemporaryDir dir;
    const QString path = write(dir.filePath("cube.x"), QByteArray::fromStdString(CubeXText()));
    MeshLoadResult result = LoadVsxMesh(path);
    ASSERT_TRUE(result.mesh) << result.error.toStdString();
    int vertices = 0;
    for (const MeshPart &part : result.mesh->parts) {
        vertices += part.VertexCount();
        ASSERT_EQ(part.normals.size(), part.positions.size());
        for (size_t i = 0; i < part.normals.size(); i += 3) {
            const QVector3D n(part.normals[i], part.normals[i + 1], part.normals[i + 2]);
            EXPECT_NEAR(n.length(), 1.0f, 1e-4);
            // Flat faces: each normal is one of the six axis directions.
            EXPECT_NEAR(std::abs(n.x()) + std::abs(n.y()) + std::abs(n.z()), 1.0f, 1e-4);
        }
        EXPECT_TRUE(part.texture.isNull());
    }
    EXPECT_EQ(vertices, 36);                  // 12 triangles
    EXPECT_EQ(result.mesh->parts.size(), 3u); // one part per colour
    // Two units wide, scaled by 3.
    EXPECT_NEAR(result.mesh->boundsMin.x(), -3.0f, 1e-4);
    EXPECT_NEAR(result.mesh->boundsMax.y(), 3.0f, 1e-4);
    EXPECT_NEAR(result.mesh->boundsMax.z(), 3.0f, 1e-4);
}

TEST(Mesh3D, TextureNamedRelativeToTheMeshLoadsWithoutChangingTheWorkingDirectory) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("models/tex");
    QImage checker(8, 8, QImage::Format_RGB32);
    checker.fill(Qt::red);
    ASSERT_TRUE(checker.save(dir.filePath("models/tex/checker.png")));
    const QString path =
        write(dir.filePath("models/cube.x"), QByteArray::fromStdString(CubeXText({"tex\\\\checker.png"})));
    const QString before = QDir::currentPath();
    MeshLoadResult result = LoadMeshFile(path);
    ASSERT_TRUE(result.mesh) << result.error.toStdString();
    EXPECT_EQ(QDir::currentPath(), before);
    for (const MeshPart &part : result.mesh->parts) {
        ASSERT_FALSE(part.texture.isNull()) << part.textureName.toStdString();
        EXPECT_EQ(part.texture.pixelColor(3, 3), QColor(Qt::red));
        EXPECT_EQ(part.uvs.size(), part.positions.size() / 3 * 2);
    }
    // The same mesh whose texture is missing still loads, untextured.
    QFile::remove(dir.filePath("models/tex/checker.png"));
    result = LoadMeshFile(path);
    ASSERT_TRUE(result.mesh);
    EXPECT_TRUE(result.mesh->parts[0].texture.isNull());
}

TEST(Mesh3D, BrokenFilesAreRefusedWithAReason) {
    QTemporaryDir dir;
    MeshLoadResult missing = LoadMeshFile(dir.filePath("nothere.x"));
    EXPECT_FALSE(missing.mesh);
    EXPECT_FALSE(missing.error.isEmpty());

    const std::string cube = CubeXText();
    const QByteArray cases[] = {
        QByteArray(),
        QByteArray("xof 0302txt 0064\n"),
        QByteArray::fromStdString(cube.substr(0, cube.size() / 2)),
        QByteArray::fromStdString(cube).replace("    24;\n", "    2000000000;\n"),
        QByteArray("xof 0302bin 0032") + QByteArray(64, '\xff'),
        QByteArray("not a mesh at all"),
    };
    int n = 0;
    for (const QByteArray &bytes : cases) {
        const QString path = write(dir.filePath(QStringLiteral("bad%1.x").arg(n++)), bytes);
        MeshLoadResult result = LoadMeshFile(path);
        EXPECT_FALSE(result.mesh) << "case " << n;
        EXPECT_FALSE(result.error.isEmpty()) << "case " << n;
        EXPECT_FALSE(LoadMeshFromMemory(bytes, "x").mesh) << "case " << n;
    }
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // A count of -1 reads as four billion vertices; the loader's address-space limit turns the
    // importer's attempt into a refusal instead of the end of the player. (The sanitizers abort on
    // any failed allocation, so not there.)
    EXPECT_FALSE(
        LoadMeshFromMemory(QByteArray::fromStdString(cube).replace("    24;\n", "    -1;\n"), "x").mesh);
#endif
    // A face naming a vertex the file lacks is the importer's to skip; it must not crash us.
    LoadMeshFromMemory(QByteArray::fromStdString(cube).replace("3;0,1,2;", "3;0,1,2000000;"), "x");
}

} // namespace
