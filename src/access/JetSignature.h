#pragma once

#include <QString>

// What the first bytes of a file say it is: an Access file of Jet 3 or Jet 4, one of Access
// 2007 or later, or neither. A look at 32 bytes, cheap enough for every start-up.
class JetSignature
{
public:
    enum class Kind
    {
        NotAccess,
        Jet3,
        Jet4,
        Ace, // Access 2007 and later (.accdb)
    };

    JetSignature() = delete;

    static Kind of(const QString& path);
    static Kind ofBytes(const char* bytes, qsizetype size);
    // The page size of a Jet file of the kind; its length is a whole number of pages.
    static int pageSize(Kind kind) { return kind == Kind::Jet3 ? 2048 : 4096; }
};
