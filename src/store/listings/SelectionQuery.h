#pragma once

#include "store/domain/SelectionCriteria.h"

#include <QString>

// The query text of a selection, made from its criteria piece by piece.
class SelectionQuery
{
public:
    SelectionQuery() = delete;

    // The whole text, and the same without its order.
    static QString query(const SelectionCriteria& criteria);
    static QString unordered(const SelectionCriteria& criteria);

    static QString rangePiece(const SelectionCriteria& criteria);
    static QString holidayPiece(const SelectionCriteria& criteria);
    static QString colourPiece(const SelectionCriteria& criteria);
    static QString wordPiece(const SelectionCriteria& criteria);
    static QString orderPiece();

    // The word as the text of a quoted pattern: the store's own quoting (an apostrophe is
    // doubled) and nothing that could end the query text early, while "*", "?", "#" and "["
    // keep their meaning as parts of the pattern.
    static QString quotedPattern(const QString& word);
};
