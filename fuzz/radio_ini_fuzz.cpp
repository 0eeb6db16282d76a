// NetRadio.ini may be edited by hand. Loading must keep the store's rules (no blank or duplicate
// address), and what is saved must load back to the same presets.
#include "radio/model/Presets.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace calvoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    TPresets store;
    store.LoadFromText(text);
    for (int i = 0; i < store.Count(); ++i) {
        if (isBlank(store.Items(i)->URL())) std::abort();
        for (int j = 0; j < i; ++j)
            if (sameUrl(store.Items(i)->URL(), store.Items(j)->URL())) std::abort();
    }
    TPresets again;
    again.LoadFromText(store.SaveToText(text));
    if (again.Count() != store.Count()) std::abort();
    for (int i = 0; i < store.Count(); ++i)
        if (again.Items(i)->URL() != store.Items(i)->URL() ||
            again.Items(i)->Name() != store.Items(i)->DisplayName() ||
            again.Items(i)->Genre() != store.Items(i)->Genre() ||
            again.Items(i)->BitRate() != store.Items(i)->BitRate() ||
            again.Items(i)->Metaint() != store.Items(i)->Metaint())
            std::abort();
    return 0;
}
