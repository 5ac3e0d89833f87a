// A PC/SC resource-manager context released on every way out of a scope.
#pragma once

#include <PCSC/winscard.h>

namespace pelorn::card {

class Context {
public:
    Context() = default;
    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;
    ~Context() { reset(); }

    // 0 on success, else the PC/SC error (and no context is held).
    LONG establish()
    {
        reset();
        LONG rv = SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &handle_);
        if (rv != SCARD_S_SUCCESS)
            handle_ = 0;
        return rv;
    }
    SCARDCONTEXT get() const { return handle_; }
    // Hands the context over to the caller, who must release it.
    SCARDCONTEXT take()
    {
        SCARDCONTEXT h = handle_;
        handle_ = 0;
        return h;
    }
    void reset()
    {
        if (handle_ != 0)
            SCardReleaseContext(handle_);
        handle_ = 0;
    }

private:
    SCARDCONTEXT handle_ = 0;
};

} // namespace pelorn::card
