// What a later copy of the player (or anyone who reaches the socket) sends to the first one.
#include "widgets/TVrRunOnce.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray message(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (calvoran::TVrRunOnce::isRestoreRequest(message) && message != "restore\n") std::abort();
    return 0;
}
