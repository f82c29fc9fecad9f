#pragma once

#include <QProxyStyle>

// The program's look, with two changes. One that desktop programs share: the underlined
// letters of menus and buttons show only while Alt is held, while a menu opened from the
// keyboard is open, or while the menu bar is worked from the keyboard, so that captions read
// plainly the rest of the time. And the check boxes and options of the layouts' size: their
// boxes and circles, and the gap to their captions, as small as the layouts leave them room for.
class MnemonicStyle : public QProxyStyle
{
    Q_OBJECT
public:
    explicit MnemonicStyle(QStyle* base = nullptr);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

    // The menu bar's overflow arrows are made when first drawn (see DeferredIcon).
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

    bool cuesShown() const;
    // A menu was opened from the keyboard (F10): its letters show until the menus close.
    void menuOpenedFromKeyboard();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setCues(bool altHeld, bool keyboardMenu);
    void refresh();

    bool altHeld_ = false;
    bool keyboardMenu_ = false;
    bool shown_ = false; // what the windows were last drawn with
};
