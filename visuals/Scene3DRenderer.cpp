#include "Scene3DRenderer.h"

#include <QFont>
#include <QOffscreenSurface>
#include <QOpenGLBuffer>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>
#include <QOpenGLTexture>
#include <QPainter>
#include <algorithm>
#include <set>
#include <vector>

namespace calvoran {

namespace {

// No #version line: the same text compiles as GLSL 1.10 on desktop GL and GLSL ES 1.00 (Qt defines
// the precision qualifiers away on desktop). Per-vertex lighting, like the retained-mode pipeline.
const char *const kVertexShader = R"(
attribute highp vec3 aPosition;
attribute highp vec3 aNormal;
attribute highp vec2 aUv;
uniform highp mat4 uMvp;
uniform highp mat3 uNormalMatrix;
uniform mediump vec3 uLightDirection;
uniform mediump vec3 uLightColor;
uniform mediump vec3 uAmbient;
uniform mediump vec4 uDiffuse;
uniform mediump vec3 uEmissive;
varying mediump vec4 vColor;
varying highp vec2 vUv;
void main() {
    highp vec3 n = normalize(uNormalMatrix * aNormal);
    mediump float lit = max(dot(n, -uLightDirection), 0.0);
    vColor = vec4(clamp(uEmissive + uDiffuse.rgb * (uAmbient + uLightColor * lit), 0.0, 1.0), uDiffuse.a);
    vUv = aUv;
    gl_Position = uMvp * vec4(aPosition, 1.0);
}
)";

const char *const kFragmentShader = R"(
uniform sampler2D uTexture;
uniform mediump float uTextured;
varying mediump vec4 vColor;
varying highp vec2 vUv;
void main() {
    mediump vec4 texel = uTextured > 0.5 ? texture2D(uTexture, vUv) : vec4(1.0);
    gl_FragColor = vColor * texel;
}
)";

constexpr int kFloatsPerVertex = 8; // position, normal, uv

} // namespace

struct Scene3DRenderer::GpuMesh {
    struct Part {
        QOpenGLBuffer buffer{QOpenGLBuffer::VertexBuffer};
        int vertices = 0;
        std::unique_ptr<QOpenGLTexture> texture;
        const MeshPart *source = nullptr;
    };
    std::shared_ptr<const MeshData> mesh; // keeps `source` pointers valid
    std::vector<std::unique_ptr<Part>> parts;
};

OpenGLProbe ProbeOpenGL() {
    OpenGLProbe probe;
    QOpenGLContext context;
    if (!context.create()) {
        probe.error = QStringLiteral("no OpenGL context can be created on this display");
        return probe;
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) {
        probe.error = QStringLiteral("the OpenGL context cannot be used");
        return probe;
    }
    const auto *name = reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    probe.renderer = QString::fromLatin1(name ? name : "");
    context.doneCurrent();
    probe.available = true;
    return probe;
}

Scene3DRenderer::Scene3DRenderer() = default;
Scene3DRenderer::~Scene3DRenderer() = default;

bool Scene3DRenderer::Initialize() {
    initializeOpenGLFunctions();
    const auto *name = reinterpret_cast<const char *>(glGetString(GL_RENDERER));
    renderer_ = QString::fromLatin1(name ? name : "");
    program_ = std::make_unique<QOpenGLShaderProgram>();
    program_->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader);
    program_->addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader);
    program_->bindAttributeLocation("aPosition", 0);
    program_->bindAttributeLocation("aNormal", 1);
    program_->bindAttributeLocation("aUv", 2);
    if (!program_->link()) {
        error_ = program_->log().trimmed();
        program_.reset();
        return false;
    }
    return true;
}

Scene3DRenderer::GpuMesh &Scene3DRenderer::upload(const std::shared_ptr<const MeshData> &mesh) {
    auto &slot = meshes_[mesh.get()];
    if (slot) return *slot;
    slot = std::make_unique<GpuMesh>();
    slot->mesh = mesh;
    for (const MeshPart &part : mesh->parts) {
        auto gpu = std::make_unique<GpuMesh::Part>();
        gpu->source = &part;
        gpu->vertices = part.VertexCount();
        const bool hasUv = part.uvs.size() == static_cast<size_t>(gpu->vertices) * 2;
        std::vector<float> interleaved(static_cast<size_t>(gpu->vertices) * kFloatsPerVertex, 0.0f);
        for (int v = 0; v < gpu->vertices; ++v) {
            float *out = &interleaved[static_cast<size_t>(v) * kFloatsPerVertex];
            const auto i = static_cast<size_t>(v);
            std::copy_n(&part.positions[i * 3], 3, out);
            if (part.normals.size() >= i * 3 + 3) std::copy_n(&part.normals[i * 3], 3, out + 3);
            if (hasUv) std::copy_n(&part.uvs[i * 2], 2, out + 6);
        }
        gpu->buffer.create();
        gpu->buffer.bind();
        gpu->buffer.allocate(interleaved.data(), static_cast<int>(interleaved.size() * sizeof(float)));
        gpu->buffer.release();
        if (hasUv && !part.texture.isNull()) {
            gpu->texture =
                std::make_unique<QOpenGLTexture>(part.texture, QOpenGLTexture::DontGenerateMipMaps);
            gpu->texture->setWrapMode(QOpenGLTexture::Repeat);
        }
        slot->parts.push_back(std::move(gpu));
    }
    return *slot;
}

void Scene3DRenderer::Clear() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void Scene3DRenderer::Render(const Scene3D &scene, const QRect &viewport) {
    glDisable(GL_SCISSOR_TEST);
    Clear();
    if (!program_ || viewport.isEmpty()) return;
    glViewport(viewport.x(), viewport.y(), viewport.width(), viewport.height());
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE); // mesh files come with either winding

    struct Item {
        QMatrix4x4 model;
        GpuMesh::Part *part;
        float depth;
    };
    const QMatrix4x4 view = scene.ViewMatrix();
    const QMatrix4x4 viewProjection = Scene3D::ProjectionMatrix(viewport.width(), viewport.height()) * view;
    std::vector<Item> opaque, blended;
    std::set<const MeshData *> inUse;
    auto collect = [&](const Frame3D &frame) {
        for (const auto &mesh : frame.Visuals()) {
            if (!mesh) continue;
            inUse.insert(mesh.get());
            const QMatrix4x4 model = frame.Transform();
            const float depth = (view * model).map(QVector3D()).z();
            for (auto &part : upload(mesh).parts) {
                const bool transparent = renderMode_ == 3 && part->source->alpha < 1.0f;
                (transparent ? blended : opaque).push_back({model, part.get(), depth});
            }
        }
    };
    collect(scene.Root());
    for (const auto &frame : scene.Frames())
        collect(*frame);
    // GL eye space looks down -z: the farthest has the most negative depth, so it comes first.
    std::stable_sort(blended.begin(), blended.end(),
                     [](const Item &a, const Item &b) { return a.depth < b.depth; });

    QVector3D lightColor, lightDirection(0, 0, 1);
    if (!scene.DirectionalLight(&lightColor, &lightDirection)) lightColor = QVector3D();

    program_->bind();
    program_->setUniformValue("uLightColor", lightColor);
    program_->setUniformValue("uLightDirection", lightDirection);
    program_->setUniformValue("uAmbient", scene.AmbientColor());
    program_->setUniformValue("uTexture", 0);
    program_->enableAttributeArray(0);
    program_->enableAttributeArray(1);
    program_->enableAttributeArray(2);
    auto draw = [&](const Item &item) {
        const MeshPart &source = *item.part->source;
        program_->setUniformValue("uMvp", viewProjection * item.model);
        program_->setUniformValue("uNormalMatrix", item.model.normalMatrix());
        program_->setUniformValue("uDiffuse", QVector4D(source.diffuse, source.alpha));
        program_->setUniformValue("uEmissive", source.emissive);
        program_->setUniformValue("uTextured", item.part->texture ? 1.0f : 0.0f);
        if (item.part->texture) {
            const auto filter = linear_ ? QOpenGLTexture::Linear : QOpenGLTexture::Nearest;
            item.part->texture->setMinMagFilters(filter, filter);
            item.part->texture->bind(0);
        }
        item.part->buffer.bind();
        constexpr int stride = kFloatsPerVertex * sizeof(float);
        program_->setAttributeBuffer(0, GL_FLOAT, 0, 3, stride);
        program_->setAttributeBuffer(1, GL_FLOAT, 3 * sizeof(float), 3, stride);
        program_->setAttributeBuffer(2, GL_FLOAT, 6 * sizeof(float), 2, stride);
        glDrawArrays(GL_TRIANGLES, 0, item.part->vertices);
        item.part->buffer.release();
        if (item.part->texture) item.part->texture->release(0);
    };
    for (const Item &item : opaque)
        draw(item);
    if (!blended.empty()) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        for (const Item &item : blended)
            draw(item);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }
    program_->disableAttributeArray(0);
    program_->disableAttributeArray(1);
    program_->disableAttributeArray(2);
    program_->release();
    glDisable(GL_DEPTH_TEST);

    // Meshes the scene no longer holds (a new mesh was loaded) give their GL memory back.
    for (auto it = meshes_.begin(); it != meshes_.end();)
        it = inUse.count(it->first) ? std::next(it) : meshes_.erase(it);
}

void Scene3DRenderer::Release() {
    meshes_.clear();
    program_.reset();
}

void Scene3DRenderer::DrawTexts(QPainter &painter, const QPoint &origin, const QStringList &lines,
                                const QString &message, int width) {
    QFont font = painter.font();
    font.setPointSize(12);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.setBackgroundMode(Qt::TransparentMode);
    const int lineHeight = painter.fontMetrics().height();
    int y = origin.y();
    for (const QString &line : lines) {
        painter.drawText(QRect(origin.x(), y, width, lineHeight), Qt::AlignLeft | Qt::AlignTop, line);
        y += 14;
    }
    if (!message.isEmpty())
        painter.drawText(QRect(origin.x(), y, width, 10 * lineHeight),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, message);
}

} // namespace calvoran
