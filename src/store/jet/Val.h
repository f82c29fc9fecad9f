#pragma once

#include <QString>

// The old Basic reading of a number from the start of a text: blanks anywhere are skipped, an
// optional sign, digits and one decimal point are read, and the first other character ends
// it; a text without a number is 0. "7a" is 7, "ab" is 0, " 2 45 7" is 2457, "3,5" is 3.
class Val
{
public:
    Val() = delete;

    static double parse(const QString& text);
};
