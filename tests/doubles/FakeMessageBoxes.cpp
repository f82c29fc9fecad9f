#include "FakeMessageBoxes.h"

int FakeMessageBoxes::show(const QString& prompt, int style, const QString& title)
{
    calls_.append({prompt, style, title.isEmpty() ? applicationTitle() : title});
    return answers_.isEmpty() ? int(Ok) : answers_.takeFirst();
}
