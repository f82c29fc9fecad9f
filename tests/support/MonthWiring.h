#pragma once

#include "month/DayEditor.h"
#include "month/MonthView.h"

#include <QObject>

// The month and the day editor connected as the main window connects them: a day's button
// opens it in the editor, a save draws the month again, and both set the window's height.
inline void wireMonthAndEditor(MonthView& view, DayEditor& editor)
{
    QObject::connect(&view, &MonthView::windowHeightRequested, &editor,
                     &DayEditor::setWindowHeight);
    QObject::connect(&editor, &DayEditor::windowHeightRequested, &editor,
                     &DayEditor::setWindowHeight);
    QObject::connect(&view, &MonthView::dayClicked, &editor, &DayEditor::SScmdDia_Click);
    QObject::connect(&editor, &DayEditor::saved, &view, &MonthView::MostrarMes);
    QObject::connect(&editor, &DayEditor::keyboardReturned, &view, &MonthView::focusDay);
}
