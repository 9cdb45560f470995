// Takes a harness's choices from the front of a fuzz input; the rest stays
// the bytes under test. Running out of input answers zeros, so every input
// is usable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : at(data), left(size) {}

    uint8_t Byte()
    {
        if (left == 0)
            return 0;
        --left;
        return *at++;
    }
    uint16_t Word() { return static_cast<uint16_t>(Byte() << 8 | Byte()); }

    // Up to `max` bytes, ended early by a NUL byte in the input (consumed).
    std::string Text(size_t max)
    {
        std::string s;
        while (left > 0 && s.size() < max) {
            const uint8_t c = Byte();
            if (c == 0)
                break;
            s.push_back(static_cast<char>(c));
        }
        return s;
    }

    const uint8_t* Rest() const { return at; }
    size_t RestSize() const { return left; }

private:
    const uint8_t* at;
    size_t left;
};

// Stops the harness when a documented promise of the code is broken; the
// fuzzer reports it like a crash, with the input that did it.
#define FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) \
            __builtin_trap(); \
    } while (0)
