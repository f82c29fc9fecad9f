#include "access/JetSignature.h"

#include "store/sqlite/HeldFiles.h"

#include <cstring>

JetSignature::Kind JetSignature::ofBytes(const char* bytes, qsizetype size)
{
    // A Jet file opens with its first page: 00 01 00 00, the format's name, then at 0x14 the
    // version (0 Jet 3, 1 Jet 4, 2 and later Access 2007 on).
    static constexpr char kJet[] = "Standard Jet DB";
    static constexpr char kAce[] = "Standard ACE DB";
    if (size < 0x15 || std::memcmp(bytes, "\x00\x01\x00\x00", 4) != 0)
        return Kind::NotAccess;
    if (std::memcmp(bytes + 4, kAce, sizeof kAce) == 0)
        return Kind::Ace;
    if (std::memcmp(bytes + 4, kJet, sizeof kJet) != 0)
        return Kind::NotAccess;
    switch (bytes[0x14]) {
    case 0:
        return Kind::Jet3;
    case 1:
        return Kind::Jet4;
    default:
        return Kind::Ace;
    }
}

JetSignature::Kind JetSignature::of(const QString& path)
{
    // The file may be the open store itself: it is read as the store's own files are.
    const HeldFiles::Reading head = HeldFiles::read(path, 32);
    return head.kind != HeldFiles::Reading::Kind::File
               ? Kind::NotAccess
               : ofBytes(head.bytes.constData(), head.bytes.size());
}
