// Plain lines of text on a printer, 12 points, a new page whenever the next
// line would pass the bottom of the page.
#pragma once

#include <QStringList>

class QPrinter;

namespace mirovex {

// False when the printer could not be opened or failed while printing.
bool printLines(QPrinter& printer, const QStringList& lines);

} // namespace mirovex
