// A byte stream: a value handle over a counted GLOB_StreamCore. Copies share
// the core; the last handle to let go deletes it. Read, Write and Close post
// GLOB_StreamReadMessage, GLOB_StreamWriteMessage and GLOB_StreamCloseMessage
// to the core's observers.
//
// Every operation but Close, Core, IsNull, SetBufferSize and SetTrace asserts
// that the handle is not null; SetBufferSize and SetTrace need a core.
#pragma once

#include "FILT/FILT_Filter.h"
#include "FILT/FILT_FilterBuffer.h"

#include <cstdint>

class GLIB_CallbackBase;
class GLIB_MessageTarget;
class GLOB_StreamCore;

class GLOB_Stream {
public:
    // The null handle.
    GLOB_Stream() = default;
    // Shares core (null gives the null handle).
    explicit GLOB_Stream(GLOB_StreamCore* core);
    GLOB_Stream(const GLOB_Stream& other);
    GLOB_Stream& operator=(const GLOB_Stream& other);
    GLOB_Stream& operator=(GLOB_StreamCore* core);
    ~GLOB_Stream();

    // The core's Read, then a read message carrying the returned buffer. The
    // buffer stays valid until the next Read or Close.
    FILT_FilterBuffer* Read();
    // The core's GiveBack.
    void GiveBack(const uint8_t* bytes, FILT_Size n);
    // A write message, then the core's Write; the caller's buffer is consumed.
    void Write(FILT_FilterBuffer& buffer);
    // Nothing on a null handle. Otherwise a close message, then every
    // callback of the core is removed, then the core's Close. When an
    // observer throws, the callbacks stay and the core stays open.
    void Close();

    // The core takes ownership of filter; see GLOB_StreamCore::SetFilter.
    void SetFilter(FILT_Filter* filter);
    void SetBufferSize(uint32_t size);
    void SetTrace(bool trace);

    // Adds an owned callback to the core's observers; returns their number.
    uint32_t Attach(GLIB_CallbackBase* callback);
    // Removes every callback of target; returns the number left.
    uint32_t Detach(GLIB_MessageTarget& target);
    void DetachAll();

    uint32_t Tell() const;
    uint32_t RawTell() const;

    // The core with one reference added for the caller, who gives it back
    // with GLOB_StreamCore::Release; null for the null handle.
    GLOB_StreamCore* Core() const;
    bool IsNull() const { return m_streamCore == nullptr; }
    // False for the null handle and after Close.
    bool IsOpen() const;

private:
    void Release();

    GLOB_StreamCore* m_streamCore = nullptr;
};
