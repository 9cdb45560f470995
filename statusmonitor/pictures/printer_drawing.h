// Vector drawings of the ZR printer and the signs that mark its states.
#pragma once

#include <QColor>

class QPainter;

enum class PrinterPart { Plain, PhotoOut, LidOpen, ScrapBoxMissing, TrayEmpty, RibbonShown, PaperJammed };

// The printer in a 346 x 346 canvas; `grey` draws it switched off.
void drawPrinter(QPainter &p, PrinterPart part, bool grey);

enum class Sign {
    Check, DownArrow, Snowflake, Exclamation, Cross, NoSheet, NoRibbon, Jam,
    RibbonFault, SheetSize, Warning, Unplugged,
};

// A round badge in the lower right with a white sign on `colour`.
void drawBadge(QPainter &p, Sign sign, const QColor &colour);
