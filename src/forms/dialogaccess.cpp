#include "forms/dialogaccess.h"

#include "support/htmltext.h"

#include <QStringList>
#include <QWidget>

void DescribeDialog(QWidget* dialog, const QString& title, std::initializer_list<QString> lines) {
    QStringList plain;
    for (const QString& line : lines) {
        // Marked-up breaks are line ends to the eye; to the ear they are spaces.
        const QString text = HtmlToPlainText(line).simplified();
        if (!text.isEmpty())
            plain << text;
    }
    dialog->setAccessibleName(title);
    dialog->setAccessibleDescription(plain.join(QLatin1Char('\n')));
}
