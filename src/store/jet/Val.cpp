#include "store/jet/Val.h"

#include <cmath>

double Val::parse(const QString& text)
{
    int i = 0;
    const int n = int(text.size());
    auto skipBlanks = [&] {
        while (i < n &&
               (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r'))
            ++i;
    };

    skipBlanks();
    if (i + 1 < n && text[i] == u'&') {
        const QChar kind = text[i + 1].toUpper();
        const int base = kind == u'H' ? 16 : kind == u'O' ? 8 : 0;
        if (base != 0) {
            i += 2;
            double value = 0;
            for (; i < n; ++i) {
                const int digit =
                    text[i].isDigit() ? text[i].digitValue()
                    : base == 16 && text[i].toUpper() >= u'A' && text[i].toUpper() <= u'F'
                        ? text[i].toUpper().unicode() - u'A' + 10
                        : -1;
                if (digit < 0 || digit >= base)
                    break;
                value = value * base + digit;
            }
            return value;
        }
    }

    double sign = 1;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        sign = text[i] == u'-' ? -1 : 1;
        ++i;
    }
    double value = 0;
    double scale = 0; // 0 until the decimal point, then the weight of the next digit
    for (;; ++i) {
        skipBlanks();
        if (i >= n)
            break;
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            const int digit = c.unicode() - u'0';
            if (scale == 0) {
                value = value * 10 + digit;
            } else {
                value += digit * scale;
                scale /= 10;
            }
        } else if (c == u'.' && scale == 0) {
            scale = 0.1;
        } else {
            break;
        }
    }
    return sign * value;
}
