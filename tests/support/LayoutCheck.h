#pragma once

#include <QAbstractButton>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOption>

// Whether what a window's shown controls draw can all be read: every caption whole inside its
// control, nothing drawn over a neighbour, over the border of its frame or under a frame's
// title. Controls may overlap where they draw nothing; where a layout lays one drawing over
// another on purpose, the caller names the pair.
class LayoutCheck
{
public:
    QList<QPair<QString, QString>> stacked; // object names, either order
    QStringList captionsOutside;            // only the box of such a check box shows

    // One line a fault; none when everything can be read.
    QStringList faults(const QWidget* window) const
    {
        QStringList found;
        QList<const QWidget*> shown;
        for (const QWidget* w : window->findChildren<QWidget*>()) {
            if (w->isVisibleTo(window) && !w->objectName().isEmpty() &&
                !w->objectName().startsWith(QLatin1String("qt_")))
                shown << w;
        }
        for (const QWidget* w : shown) {
            if (!drawn(w).isEmpty() && !w->geometry().contains(drawn(w)))
                found << w->objectName() + QStringLiteral(": cut by its own edges");
            const QWidget* parent = w->parentWidget();
            if (isFrame(parent) && !drawn(w).isEmpty() && !clearOf(parent, drawn(w)))
                found << w->objectName() + QStringLiteral(": over the border of ") +
                             parent->objectName();
            for (const QWidget* other : shown) {
                if (other <= w || other->parentWidget() != parent || isStacked(w, other))
                    continue;
                if (overlap(w, other))
                    found << w->objectName() + QStringLiteral(" and ") + other->objectName() +
                                 QStringLiteral(": drawn over each other");
            }
        }
        return found;
    }

private:
    // Two neighbours' drawings meet; a frame's drawing is its border and title, so what lies
    // whole inside it is clear of it.
    bool overlap(const QWidget* a, const QWidget* b) const
    {
        if (!isFrame(a) && !isFrame(b))
            return drawn(a).intersects(drawn(b));
        const QWidget* frame = isFrame(a) ? a : b;
        const QRect drawing = drawn(frame == a ? b : a);
        return drawing.intersects(frame->geometry()) &&
               !clearOf(frame, drawing.translated(-frame->pos()));
    }

    static bool isFrame(const QWidget* w)
    {
        const auto* frame = qobject_cast<const QFrame*>(w);
        return qobject_cast<const QGroupBox*>(w) ||
               (frame && !qobject_cast<const QLabel*>(w) && frame->frameShape() == QFrame::Box);
    }

    bool isStacked(const QWidget* a, const QWidget* b) const
    {
        return stacked.contains({a->objectName(), b->objectName()}) ||
               stacked.contains({b->objectName(), a->objectName()});
    }

    // Whether a drawing (in the frame's coordinates) stays clear of a frame's border and of a
    // group box's title.
    static bool clearOf(const QWidget* frame, const QRect& drawing)
    {
        const auto* box = qobject_cast<const QGroupBox*>(frame);
        if (!box)
            return static_cast<const QFrame*>(frame)->contentsRect().contains(drawing);
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                         QStyle::SC_GroupBoxLabel, box);
        const int line = box->title().isEmpty() ? 0 : label.center().y();
        const int width = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        const QRect inner = box->rect().adjusted(width, line + width, -width, -width);
        return inner.contains(drawing) && !(label.isValid() && label.intersects(drawing));
    }

    // The ink of a caption drawn in area, upright centred, as the style places it.
    static QRect ink(const QWidget* w, QString text, const QRect& area, Qt::Alignment align)
    {
        text.remove(QLatin1Char('&'));
        if (text.isEmpty())
            return {};
        const QFontMetrics metrics = w->fontMetrics();
        const QRect tight = metrics.tightBoundingRect(text);
        const int width = std::max(metrics.horizontalAdvance(text), tight.right() + 1);
        const int left = align & Qt::AlignRight     ? area.right() + 1 - width
                         : align & Qt::AlignHCenter ? area.left() + (area.width() - width) / 2
                                                    : area.left();
        const int baseline = area.top() + (area.height() - metrics.height()) / 2 + metrics.ascent();
        return QRect(left, baseline + tight.top(), width, tight.height());
    }

    // What the control draws, in its parent's coordinates.
    QRect drawn(const QWidget* w) const
    {
        if (isFrame(w))
            return w->geometry();
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            if (!label->pixmap().isNull()) {
                const QSize picture = label->pixmap().deviceIndependentSize().toSize();
                return QRect(label->contentsRect().topLeft(), picture).translated(w->pos());
            }
            const QRect text = ink(w, label->text(), label->contentsRect(), label->alignment());
            return (label->autoFillBackground() ? w->rect().united(text) : text)
                .translated(w->pos());
        }
        const auto* button = qobject_cast<const QAbstractButton*>(w);
        if (button && !qobject_cast<const QPushButton*>(w)) {
            // A check box or an option: its box or circle and its caption beside it.
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            option.rect = w->contentsRect();
            const bool radio = qobject_cast<const QRadioButton*>(w);
            const QRect box = w->style()->subElementRect(
                radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, w);
            const QRect label = w->style()->subElementRect(
                radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, w);
            const QRect caption = captionsOutside.contains(w->objectName())
                                      ? QRect()
                                      : ink(w, button->text(), label, Qt::AlignLeft);
            return box.united(caption).translated(w->pos());
        }
        if (const auto* push = qobject_cast<const QPushButton*>(w)) {
            // Its caption inside the part the style leaves it.
            QStyleOptionButton option;
            option.initFrom(push);
            option.text = push->text();
            const QRect room =
                w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, w);
            const QRect text = ink(w, push->text(), room, Qt::AlignHCenter);
            if (text.isEmpty())
                return w->geometry();
            const QMargins insets(room.left(), 0, w->width() - 1 - room.right(), 0);
            return w->rect().united(text.marginsAdded(insets)).translated(w->pos());
        }
        if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
            // Its text inside its frame and the margin a line edit keeps.
            const int frame = w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2;
            const QRect text =
                ink(w, edit->displayText(), w->rect().adjusted(frame, 0, -frame, 0), Qt::AlignLeft);
            if (text.isEmpty())
                return w->geometry();
            return w->rect().united(text.adjusted(-frame, 0, frame, 0)).translated(w->pos());
        }
        // Anything else draws within its contents (a spinner keeps its arrows off the border of
        // the frame it stands on).
        return w->contentsRect().translated(w->pos());
    }
};
