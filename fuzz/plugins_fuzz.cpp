// The plug-in list reader and the vis.ini reader and writer, fed arbitrary bytes.
#include "PluginList.h"
#include "VisIni.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    for (const QString &item :
         calvoran::splitPluginList(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))))
        if (item.isEmpty()) __builtin_trap(); // empty items are dropped
    static const std::string file = "/tmp/calvoran-plugins-fuzz-" + std::to_string(getpid()) + ".ini";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    calvoran::vis::readIniInt(file.c_str(), "Pulse Tunnel", "Pattern", 0);
    calvoran::vis::writeIniInt(file.c_str(), "Pulse Tunnel", "Pattern", 2);
    if (calvoran::vis::readIniInt(file.c_str(), "Pulse Tunnel", "Pattern", -1) != 2) {
        // A section header inside the value's own line cannot hide a written value: check it reads back.
        __builtin_trap();
    }
    return 0;
}
