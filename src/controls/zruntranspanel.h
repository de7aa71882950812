#pragma once

#include <QWidget>
#include <cstdint>

// A container drawn transparently over its parent: it paints nothing of its own, so the
// parent's background shows through between its controls. Tag is a free number for the window.
class TZRUNTransPanel final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qint64 Tag READ Tag WRITE SetTag)

public:
    explicit TZRUNTransPanel(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TZRUNTransPanel)

    qint64 Tag() const { return m_tag; }
    void SetTag(qint64 tag) { m_tag = tag; }

private:
    qint64 m_tag = 0;
};
