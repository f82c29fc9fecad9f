#include "FakeMessageBoxes.h"

int FakeMessageBoxes::show(const QString& prompt, int style, const QString& title)
{
    calls_.append({prompt, style, title.isEmpty() ? applicationTitle() : title});
    return answers_.isEmpty() ? int(Ok) : answers_.takeFirst();
}

int FakeMessageBoxes::choose(const QString& prompt, const QStringList& buttons, int defaultButton,
                             int style, const QString& title)
{
    calls_.append(
        {prompt + u'\n' + buttons.join(u'|'), style, title.isEmpty() ? applicationTitle() : title});
    return answers_.isEmpty() ? defaultButton : answers_.takeFirst();
}
