#include "widgets/MnemonicStyle.h"

#include "widgets/DeferredIcon.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>

namespace {

// A menu bar takes the keyboard focus only while it is worked from the keyboard: after Alt
// pressed and let go on its own, or Escape out of one of its menus. A letter then opens a menu
// without Alt, so the letters must be in sight.
bool menuBarFromKeyboard()
{
    return qobject_cast<const QMenuBar*>(QApplication::focusWidget()) != nullptr;
}

} // namespace

MnemonicStyle::MnemonicStyle(QStyle* base) : QProxyStyle(base)
{
    qApp->installEventFilter(this);
}

QIcon MnemonicStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                  const QWidget* widget) const
{
    if (icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(icon, option, widget);
    // Made from the base style with no option or widget: the bar may be gone by then, and so
    // may this style, when the application was given another.
    return QIcon(new DeferredIcon([style = QPointer<const MnemonicStyle>(this), icon] {
        return style ? style->QProxyStyle::standardIcon(icon) : QIcon();
    }));
}

int MnemonicStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                               const QWidget* widget) const
{
    // A row of options 13 pixels high (195 twips) holds its circle whole, and "Azul" ends
    // before "Negro" begins, 44 pixels on.
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
        return 13;
    case PM_CheckBoxLabelSpacing:
    case PM_RadioButtonLabelSpacing:
        return 4;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int MnemonicStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const
{
    if (hint == SH_UnderlineShortcut)
        return cuesShown() ? 1 : 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void MnemonicStyle::menuOpenedFromKeyboard()
{
    setCues(altHeld_, true);
}

bool MnemonicStyle::cuesShown() const
{
    return altHeld_ || keyboardMenu_ || menuBarFromKeyboard();
}

void MnemonicStyle::setCues(bool altHeld, bool keyboardMenu)
{
    altHeld_ = altHeld;
    keyboardMenu_ = keyboardMenu;
    refresh();
}

void MnemonicStyle::refresh()
{
    const bool shown = cuesShown();
    if (shown == shown_)
        return;
    shown_ = shown;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->update();
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (child->isVisible())
                child->update();
        }
    }
}

bool MnemonicStyle::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Alt && !key->isAutoRepeat()) {
            const bool pressed = event->type() == QEvent::KeyPress;
            // Letting Alt go with a menu open keeps its letters, as that menu came from the
            // keyboard.
            setCues(pressed, keyboardMenu_ || (!pressed && QApplication::activePopupWidget()));
        }
        break;
    }
    case QEvent::Hide:
        if (keyboardMenu_ && qobject_cast<QMenu*>(watched)) {
            // The last open menu is going: nothing opened from the keyboard is left.
            const QWidget* popup = QApplication::activePopupWidget();
            if (!popup || popup == watched)
                setCues(altHeld_, false);
        }
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        // The menu bar taken up or left from the keyboard.
        if (qobject_cast<QMenuBar*>(watched))
            refresh();
        break;
    case QEvent::ApplicationDeactivate:
        setCues(false, false);
        break;
    default:
        break;
    }
    return QProxyStyle::eventFilter(watched, event);
}
