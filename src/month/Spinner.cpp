#include "month/Spinner.h"

Spinner::Spinner(int highest, QWidget* parent) : QScrollBar(Qt::Vertical, parent)
{
    // The scroll bar's own values run from -highest at the top to 0 at the bottom.
    setRange(-highest, 0);
    setSingleStep(1);
    setPageStep(1);
}
