#include "Mesh3D.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <string_view>

namespace calvoran {

namespace {

// Assimp hands everything over right-handed; MakeLeftHanded turns it back into the mesh files'
// own left-handed space. Node transforms are baked in so each part is ready to draw.
constexpr unsigned kImportFlags = aiProcess_Triangulate | aiProcess_SortByPType |
                                  aiProcess_PreTransformVertices | aiProcess_GenSmoothNormals |
                                  aiProcess_MakeLeftHanded | aiProcess_ValidateDataStructure;

// Large enough for any model a user drops in, small enough that a hostile file cannot make us
// allocate gigabytes of vertices.
constexpr size_t kMaxVertices = 8u * 1024u * 1024u;
constexpr qint64 kMaxFileSize = 512ll << 20;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CALVORAN_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define CALVORAN_SANITIZED 1
#endif
#endif

// The importer sizes its arrays from counts in the file. A hostile count would make it reserve and
// touch many gigabytes, and the kernel would end the player; while it reads, the process may grow
// by at most this much address space, so such a file fails with an allocation error instead.
// (The sanitizers reserve their own address space and abort on a failed allocation: not there.)
class AddressSpaceGuard {
public:
    explicit AddressSpaceGuard(unsigned long long headroom) {
#ifndef CALVORAN_SANITIZED
        unsigned long long pages = 0;
        if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%llu", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        const long pageSize = sysconf(_SC_PAGESIZE);
        if (pages == 0 || pageSize <= 0 || getrlimit(RLIMIT_AS, &old_) != 0) return;
        const rlim_t wanted =
            static_cast<rlim_t>(pages * static_cast<unsigned long long>(pageSize) + headroom);
        if (old_.rlim_cur != RLIM_INFINITY && old_.rlim_cur <= wanted) return;
        rlimit limit{wanted, old_.rlim_max};
        set_ = setrlimit(RLIMIT_AS, &limit) == 0;
#else
        (void)headroom;
#endif
    }
    ~AddressSpaceGuard() {
        if (set_) setrlimit(RLIMIT_AS, &old_);
    }
    AddressSpaceGuard(const AddressSpaceGuard &) = delete;
    AddressSpaceGuard &operator=(const AddressSpaceGuard &) = delete;

private:
    rlimit old_{};
    bool set_ = false;
};

// A text .x file states each array's length before it ("24;"); a length beyond the file's own size
// cannot be honest, and is refused before the importer sizes anything by it.
bool declaresImpossibleCounts(const char *data, size_t size) {
    if (size < 16 || std::string_view(data, 4) != "xof " || std::string_view(data + 8, 4) != "txt ")
        return false;
    for (size_t i = 0; i < size;) {
        if (!std::isdigit(static_cast<unsigned char>(data[i]))) {
            ++i;
            continue;
        }
        const size_t start = i;
        unsigned long long value = 0;
        while (i < size && std::isdigit(static_cast<unsigned char>(data[i]))) {
            value =
                std::min<unsigned long long>(value * 10 + static_cast<unsigned>(data[i] - '0'), 1ull << 62);
            ++i;
        }
        const char before = start > 0 ? data[start - 1] : ' ';
        if (std::isalnum(static_cast<unsigned char>(before)) || before == '.' || before == '_')
            continue; // part of a name or a fraction
        size_t j = i;
        while (j < size && (data[j] == ' ' || data[j] == '\t' || data[j] == '\r' || data[j] == '\n'))
            ++j;
        if (j < size && data[j] == ';' && value > size) return true;
    }
    return false;
}

QImage loadTexture(const QString &name, const QString &baseFolder) {
    if (name.isEmpty() || name.startsWith('*')) // '*n' names an embedded texture; not supported
        return {};
    QString relative = name;
    relative.replace('\\', '/');
    const QString path = QFileInfo(relative).isAbsolute() || baseFolder.isEmpty()
                             ? relative
                             : QDir(baseFolder).filePath(relative);
    QImageReader reader(path);
    reader.setAllocationLimit(256);
    QImage image = reader.read();
    if (image.isNull()) return {};
    // GL reads rows bottom-up; texture coordinates from Assimp already count v from the bottom.
    return image.convertToFormat(QImage::Format_RGBA8888).mirrored();
}

MeshLoadResult convert(const aiScene *scene, const QString &baseFolder) {
    auto mesh = std::make_shared<MeshData>();
    size_t total = 0;
    float lo = std::numeric_limits<float>::max(), hi = std::numeric_limits<float>::lowest();
    QVector3D bmin(lo, lo, lo), bmax(hi, hi, hi);
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh *src = scene->mMeshes[m];
        if (!src || !(src->mPrimitiveTypes & aiPrimitiveType_TRIANGLE) || !src->mVertices) continue;
        MeshPart part;
        if (src->mMaterialIndex < scene->mNumMaterials) {
            const aiMaterial *material = scene->mMaterials[src->mMaterialIndex];
            aiColor4D color;
            if (material->Get(AI_MATKEY_COLOR_DIFFUSE, color) == AI_SUCCESS) {
                part.diffuse = QVector3D(color.r, color.g, color.b);
                part.alpha = color.a;
            }
            float opacity = 1.0f;
            if (material->Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS)
                part.alpha = std::min(part.alpha, opacity);
            if (material->Get(AI_MATKEY_COLOR_EMISSIVE, color) == AI_SUCCESS)
                part.emissive = QVector3D(color.r, color.g, color.b);
            aiString texture;
            if (material->GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS) {
                part.textureName = QString::fromUtf8(texture.C_Str());
                part.texture = loadTexture(part.textureName, baseFolder);
            }
        }
        const bool textured = !part.texture.isNull() && src->HasTextureCoords(0);
        if (!textured) part.texture = QImage();
        for (unsigned f = 0; f < src->mNumFaces; ++f) {
            const aiFace &face = src->mFaces[f];
            if (face.mNumIndices != 3) continue;
            if ((total += 3) > kMaxVertices)
                return {nullptr, QStringLiteral("the mesh has too many vertices")};
            for (unsigned k = 0; k < 3; ++k) {
                const unsigned i = face.mIndices[k];
                if (i >= src->mNumVertices)
                    return {nullptr, QStringLiteral("the mesh refers to a vertex it does not have")};
                const aiVector3D &p = src->mVertices[i];
                part.positions.insert(part.positions.end(), {p.x, p.y, p.z});
                bmin = QVector3D(std::min(bmin.x(), p.x), std::min(bmin.y(), p.y), std::min(bmin.z(), p.z));
                bmax = QVector3D(std::max(bmax.x(), p.x), std::max(bmax.y(), p.y), std::max(bmax.z(), p.z));
                const aiVector3D n = src->mNormals ? src->mNormals[i] : aiVector3D(0, 0, -1);
                part.normals.insert(part.normals.end(), {n.x, n.y, n.z});
                if (textured) {
                    const aiVector3D &t = src->mTextureCoords[0][i];
                    part.uvs.insert(part.uvs.end(), {t.x, t.y});
                }
            }
        }
        if (!part.positions.empty()) mesh->parts.push_back(std::move(part));
    }
    if (mesh->parts.empty()) return {nullptr, QStringLiteral("the file holds no triangles")};
    mesh->boundsMin = bmin;
    mesh->boundsMax = bmax;
    return {std::move(mesh), {}};
}

constexpr unsigned long long kImportHeadroom = 2ull << 30;

template <typename Read> MeshLoadResult import(Read read, const QString &baseFolder) {
    try {
        AddressSpaceGuard guard(kImportHeadroom);
        Assimp::Importer importer;
        importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
        const aiScene *scene = read(importer);
        if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
            QString why = QString::fromUtf8(importer.GetErrorString());
            return {nullptr, why.isEmpty() ? QStringLiteral("the file is not a mesh") : why};
        }
        return convert(scene, baseFolder);
    } catch (const std::exception &e) {
        return {nullptr, QString::fromUtf8(e.what())};
    }
}

} // namespace

void MeshData::Scale(float sx, float sy, float sz) {
    const QVector3D factor(sx, sy, sz);
    for (MeshPart &part : parts) {
        for (size_t i = 0; i + 2 < part.positions.size(); i += 3) {
            part.positions[i] *= sx;
            part.positions[i + 1] *= sy;
            part.positions[i + 2] *= sz;
        }
        // Normals of a non-uniform scale follow the inverse scale.
        if (sx != sy || sy != sz) {
            for (size_t i = 0; i + 2 < part.normals.size(); i += 3) {
                QVector3D n(part.normals[i] / sx, part.normals[i + 1] / sy, part.normals[i + 2] / sz);
                n.normalize();
                part.normals[i] = n.x();
                part.normals[i + 1] = n.y();
                part.normals[i + 2] = n.z();
            }
        }
    }
    boundsMin *= factor;
    boundsMax *= factor;
}

MeshLoadResult LoadMeshFile(const QString &path) {
    const QFileInfo info(path);
    if (!info.isFile()) return {nullptr, QStringLiteral("the file does not exist")};
    if (!info.isReadable()) return {nullptr, QStringLiteral("the file cannot be read")};
    if (info.size() > kMaxFileSize) return {nullptr, QStringLiteral("the file is too large for a mesh")};
    {
        QFile file(info.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly)) return {nullptr, QStringLiteral("the file cannot be read")};
        const QByteArray bytes = file.readAll();
        if (declaresImpossibleCounts(bytes.constData(), static_cast<size_t>(bytes.size())))
            return {nullptr, QStringLiteral("the file declares more data than it holds")};
    }
    const QByteArray name = QFile::encodeName(info.absoluteFilePath());
    return import(
        [&](Assimp::Importer &importer) { return importer.ReadFile(name.constData(), kImportFlags); },
        info.absolutePath());
}

MeshLoadResult LoadMeshFromMemory(const QByteArray &bytes, const char *formatHint,
                                  const QString &baseFolder) {
    if (bytes.isEmpty()) return {nullptr, QStringLiteral("the file is empty")};
    if (declaresImpossibleCounts(bytes.constData(), static_cast<size_t>(bytes.size())))
        return {nullptr, QStringLiteral("the file declares more data than it holds")};
    return import(
        [&](Assimp::Importer &importer) {
            return importer.ReadFileFromMemory(bytes.constData(), static_cast<size_t>(bytes.size()),
                                               kImportFlags, formatHint ? formatHint : "");
        },
        baseFolder);
}

} // namespace calvoran
