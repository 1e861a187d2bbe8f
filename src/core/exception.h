#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// What went wrong, one name per message the player can be shown; the window
// layer puts it into words. The values an error carries (UTF-8) are listed
// beside each.
#define MILTA_FAULTS(X)                                                                          \
    X(Unknown)           /* none */                                                              \
    X(FileNotOpened)     /* the file's name */                                                   \
    X(FileNotCreated)    /* the file's name */                                                   \
    X(RankingTooLarge)   /* the ranking file's name */                                           \
    X(BackupNotMade)     /* the ranking file's name, the copy's name */                          \
    X(NotANumber)        /* the line's text */                                                   \
    X(MemoFull)          /* none: the ranking's lines outgrew what they may hold */              \
    X(TimerRefused)      /* none */                                                              \
    X(TuneNotOpen)       /* none */                                                              \
    X(TuneMissing)       /* the song file's name, as the player holds it */                      \
    X(TuneUnreadable)    /* the song file's name */                                              \
    X(TuneEmpty)         /* the song file's name */                                              \
    X(TuneNotMidi)       /* the song file's name */                                              \
    X(TuneBadHeader)     /* the song file's name */                                              \
    X(TuneUnplayable)    /* the song file's name */                                              \
    X(TuneWithoutTracks) /* the song file's name */                                              \
    X(TuneTruncated)     /* the song file's name */                                              \
    X(CodePageMissing)   /* iconv's name for code page 932 */

enum class Fault {
#define MILTA_FAULT_ENUMERATOR(name) name,
    MILTA_FAULTS(MILTA_FAULT_ENUMERATOR)
#undef MILTA_FAULT_ENUMERATOR
};

// Every error the game can meet is an Exception: what went wrong and its
// values for the error box, and the name of its kind for the fatal box.
// what() is for developers: the fault's name and its values.
class Exception : public std::runtime_error
{
public:
    explicit Exception(Fault fault, std::vector<std::string> values = {});
    Fault fault() const { return m_fault; }
    const std::vector<std::string> &values() const { return m_values; }
    virtual const char *kindName() const { return "Exception"; }

private:
    Fault m_fault;
    std::vector<std::string> m_values;
};

#define MILTA_EXCEPTION_KIND(Kind, Base)                                   \
    class Kind : public Base                                               \
    {                                                                      \
    public:                                                                \
        using Base::Base;                                                  \
        const char *kindName() const override { return #Kind; }            \
    };

// A file could not be opened for reading.
MILTA_EXCEPTION_KIND(EFOpenError, Exception)
// A file could not be created or overwritten.
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
