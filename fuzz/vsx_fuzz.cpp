// The mesh loading path: bytes as a .x file (the first byte picks the format hint, so the importer's
// own format guess is fuzzed too), then scaling as the window does.
#include "visuals/Mesh3D.h"

#include <QCoreApplication>
#include <cstddef>
#include <cstdint>

// Assimp 5.2 leaks a few objects on some error paths of its own; not ours to find here.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libassimp.so";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    static const char *const hints[] = {"x", "x", "x", ""};
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    calvoran::MeshLoadResult result = calvoran::LoadMeshFromMemory(bytes, hints[data[0] % 4]);
    if (result.mesh) result.mesh->Scale(3.0f, 3.0f, 3.0f);
    return 0;
}
