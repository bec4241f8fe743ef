// The X11 protocol's client message as the window reads it and its test sends it, and the
// few calls into the toolkit's own libxcb, looked up at run time (nothing of it is linked).
#pragma once

#include <cstdint>

namespace ortavo::xcb {

// A ClientMessage event as it travels: 32 bytes, format 32.
struct TClientMessage {
    std::uint8_t ResponseType;
    std::uint8_t Format;
    std::uint16_t Sequence;
    std::uint32_t Window;
    std::uint32_t Type;
    std::uint32_t Data32[5];
};
static_assert(sizeof(TClientMessage) == 32);
inline constexpr std::uint8_t ClientMessageCode = 33;

// The libxcb the toolkit has loaded; without one (another platform) nothing is there.
class TLibrary {
public:
    TLibrary();
    ~TLibrary();
    TLibrary(const TLibrary&) = delete;
    TLibrary& operator=(const TLibrary&) = delete;

    bool Loaded() const noexcept { return FInternAtom && FInternAtomReply; }
    // The atom of name on connection, 0 when there is none; onlyIfExists: not created.
    std::uint32_t Atom(void* connection, const char* name, bool onlyIfExists) const;
    // Sends message to its window and flushes the connection; false when it cannot.
    bool Send(void* connection, const TClientMessage& message) const;

private:
    struct TCookie {
        unsigned int Sequence;
    };
    struct TAtomReply {
        std::uint8_t ResponseType;
        std::uint8_t Pad;
        std::uint16_t Sequence;
        std::uint32_t Length;
        std::uint32_t Atom;
    };
    void* FHandle = nullptr;
    TCookie (*FInternAtom)(void*, std::uint8_t, std::uint16_t, const char*) = nullptr;
    TAtomReply* (*FInternAtomReply)(void*, TCookie, void**) = nullptr;
    TCookie (*FSendEvent)(void*, std::uint8_t, std::uint32_t, std::uint32_t, const char*) = nullptr;
    int (*FFlush)(void*) = nullptr;
};

} // namespace ortavo::xcb
