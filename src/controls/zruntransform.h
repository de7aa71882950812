#pragma once

#include <QObject>

// The control package's non-visual form component. The suspects window holds one; nothing of
// it is called, it only keeps the window's component list as the package expects it.
class TZRUNTransForm final : public QObject {
    Q_OBJECT

public:
    explicit TZRUNTransForm(QObject* owner = nullptr);
    Q_DISABLE_COPY_MOVE(TZRUNTransForm)
};
