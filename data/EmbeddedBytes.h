#pragma once
#include <cstddef>

// A run of bytes the program carries inside itself (an encoded picture).
struct EmbeddedBytes {
    const unsigned char* data;
    std::size_t length;

    bool empty() const { return data == nullptr || length == 0; }
};

// Declares the byte array generated from data/pictures/<name>.png or .jpg.
#define VANTORREL_EMBEDDED(name)                \
    namespace embedded {                        \
    extern const unsigned char name[];          \
    extern const unsigned int name##Length;     \
    }

// The bytes of one embedded picture as a value.
#define VANTORREL_EMBEDDED_BYTES(name) (EmbeddedBytes{embedded::name, embedded::name##Length})
