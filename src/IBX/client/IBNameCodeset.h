// A scope in which the calling thread's character codeset is UTF-8, for the client calls
// that take database names.
#pragma once

namespace ortavo {

// Firebird converts database names between UTF-8 and the codeset of the calling thread's
// locale, and keeps the codeset it finds the first time it converts one (once in the client
// library and once more in the embedded engine). This layer hands names over as UTF-8, so
// the calls that pass them run inside this scope: while it lives the thread's codeset is
// UTF-8 whatever the process locale (the C locale included), and the thread's own locale
// comes back when it goes. Where the codeset already is UTF-8, or no UTF-8 locale is
// installed, it changes nothing. Windows threads have no codeset of their own: there the
// parameter block's UTF-8 name item alone tells the client, and the scope does nothing.
class TUtf8NameScope {
public:
    TUtf8NameScope() noexcept;
    ~TUtf8NameScope();
    TUtf8NameScope(const TUtf8NameScope&) = delete;
    TUtf8NameScope& operator=(const TUtf8NameScope&) = delete;

private:
    // The POSIX body's locale handles (locale_t).
    void* FLocale = nullptr;
    void* FPrevious = nullptr;
};

} // namespace ortavo
