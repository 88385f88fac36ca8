#pragma once
// Printing a text's lines as plain lines in the printer's default font within its default
// margins, a new sheet whenever one is full.

#include <QStringList>
#include <memory>

class QPrinter;

namespace qrl {

// The system's default printer; raises EQuireleafException when there is none.
std::unique_ptr<QPrinter> DefaultPrinter();

// Prints the lines one below the other; a line wider than the page wraps at word breaks rather
// than being cut off. Raises EQuireleafException when the printer cannot be opened.
void PrintTextLines(QPrinter& printer, const QStringList& lines);

}  // namespace qrl
