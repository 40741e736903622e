#include "sound/openal/al_library.h"

#include <dlfcn.h>

#include <cstdlib>

namespace ostrel::al {

namespace {

const Api* load() {
    const char* name = std::getenv("OSTREL_OPENAL_LIBRARY");
    void* library = dlopen(name && *name ? name : "libopenal.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    static Api loaded;
    bool complete = true;
#define OSTREL_AL_LOAD(fn)                                                  \
    loaded.fn = reinterpret_cast<decltype(loaded.fn)>(dlsym(library, #fn)); \
    complete = complete && loaded.fn != nullptr;
    OSTREL_AL_FUNCTIONS(OSTREL_AL_LOAD)
#undef OSTREL_AL_LOAD
    // The library stays loaded for the rest of the program.
    return complete ? &loaded : nullptr;
}

}  // namespace

const Api* api() {
    static const Api* const loaded = load();
    return loaded;
}

}  // namespace ostrel::al
