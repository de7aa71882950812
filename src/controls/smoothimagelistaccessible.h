#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

class TSmoothImageList;

// What a screen reader sees of the carousel: a list whose children are its items, the
// selected item selected and, while the carousel has the focus, focused.
class TSmoothImageListAccessible final : public QAccessibleWidget {
public:
    explicit TSmoothImageListAccessible(TSmoothImageList* list);
    ~TSmoothImageListAccessible() override;
    Q_DISABLE_COPY_MOVE(TSmoothImageListAccessible)

    // The factory QAccessible asks for the carousel's interface.
    static QAccessibleInterface* Factory(const QString& className, QObject* object);
    // Every carousel installs the factory as it is made and removes it as it goes, so that the
    // factory is installed while a carousel exists and never outlives the module.
    static void Install();
    static void Uninstall();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* focusChild() const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessible::State state() const override;

    TSmoothImageList* List() const;

private:
    // Item interfaces are made on demand and kept by index, as Qt's item views keep theirs.
    mutable QHash<int, QAccessible::Id> m_children;
};

// One item of the carousel.
class TSmoothImageListItemAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TSmoothImageListItemAccessible(TSmoothImageList* list, int index);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;

    void* interface_cast(QAccessible::InterfaceType t) override;
    // Pressing an item selects it as a click does.
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

    int Index() const { return m_index; }

private:
    QPointer<TSmoothImageList> m_list;
    int m_index;
};
