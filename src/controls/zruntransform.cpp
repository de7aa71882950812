#include "controls/zruntransform.h"

TZRUNTransForm::TZRUNTransForm(QObject* owner) : QObject(owner) {}
