#include "controls/zruntranspanel.h"

TZRUNTransPanel::TZRUNTransPanel(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
}
