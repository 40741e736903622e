#pragma once
// OpenAL Soft loaded when the program first asks for sound, not linked: a machine without the
// library runs silently, like one without a sound device. `OSTREL_OPENAL_LIBRARY` names another
// file to load (tests use it to take the library away).

#include <AL/al.h>
#include <AL/alc.h>

namespace ostrel::al {

// clang-format off
#define OSTREL_AL_FUNCTIONS(X) \
    X(alBufferData) X(alDeleteBuffers) X(alDeleteSources) X(alGenBuffers) X(alGenSources) \
    X(alGetError) X(alGetSourcef) X(alGetSourcei) X(alSource3f) X(alSourcePlay) \
    X(alSourceQueueBuffers) X(alSourceStop) X(alSourceUnqueueBuffers) X(alSourcef) \
    X(alSourcei) X(alcCloseDevice) X(alcCreateContext) X(alcDestroyContext) \
    X(alcGetCurrentContext) X(alcGetIntegerv) X(alcGetProcAddress) X(alcIsExtensionPresent) \
    X(alcMakeContextCurrent) X(alcOpenDevice)
// clang-format on

struct Api {
#define OSTREL_AL_MEMBER(name) decltype(&::name) name = nullptr;
    OSTREL_AL_FUNCTIONS(OSTREL_AL_MEMBER)
#undef OSTREL_AL_MEMBER
};

// The library's functions, loaded once; null when it cannot be loaded.
const Api* api();

}  // namespace ostrel::al
