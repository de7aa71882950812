#pragma once

#include <QString>
#include <initializer_list>

class QWidget;

// What a screen reader says of a dialog as it opens: its title as the name and its message,
// without markup, as the description.
void DescribeDialog(QWidget* dialog, const QString& title, std::initializer_list<QString> lines);
