#pragma once

#include <stdexcept>
#include <string>

// Every error the game can meet is an Exception: a message for the error box
// and the name of its kind for the fatal box. Messages are UTF-8.
class Exception : public std::runtime_error
{
public:
    explicit Exception(const std::string &message) : std::runtime_error(message) {}
    virtual const char *kindName() const { return "Exception"; }
};

#define MILTA_EXCEPTION_KIND(Kind, Base)                                   \
    class Kind : public Base                                               \
    {                                                                      \
    public:                                                                \
        using Base::Base;                                                  \
        const char *kindName() const override { return #Kind; }            \
    };

// A file could not be opened for reading ("ファイル %s は開けません").
MILTA_EXCEPTION_KIND(EFOpenError, Exception)
// A file could not be created or overwritten ("ファイル %s を作成できません").
MILTA_EXCEPTION_KIND(EFCreateError, Exception)
// A text that should hold a number holds something else.
MILTA_EXCEPTION_KIND(EConvertError, Exception)
// The platform refused a resource, such as the race clock's timer.
MILTA_EXCEPTION_KIND(EOutOfResources, Exception)
// A text too large for the control that should hold it.
MILTA_EXCEPTION_KIND(EOutOfCapacity, Exception)
// A music player could not open its song, or was used before it was open.
MILTA_EXCEPTION_KIND(EMCIDeviceError, Exception)
// The system cannot convert the game's code page.
MILTA_EXCEPTION_KIND(EEncodingError, Exception)

#undef MILTA_EXCEPTION_KIND
