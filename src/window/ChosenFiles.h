#pragma once
// What the open dialog was left with, read from its name line: Qt hands back only the files
// its name filter lets its list show, so journals of two kinds typed together would come back
// as one kind's alone, and the refusal of mixed kinds would never be seen.
#include <QFileDialog>
#include <QStringList>

namespace vantorel {

// The names of a file name line: each one in double quotes when there are quotes, else the
// line as it stands; empty names left out.
QStringList TypedNames(const QString& line);

// The full paths of the names in `dialog`'s name line, each in the dialog's folder unless it
// names its own; the dialog's own choice when the line is empty.
QStringList ChosenFiles(const QFileDialog& dialog);

}  // namespace vantorel
