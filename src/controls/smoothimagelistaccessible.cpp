#include "controls/smoothimagelistaccessible.h"

#include "controls/smoothimagelist.h"

#include <QWindow>

namespace {

// Carousels alive; the factory stays installed while there is one, so that it never outlives
// the module that holds its code.
int carousels = 0;

} // namespace

TSmoothImageListAccessible::TSmoothImageListAccessible(TSmoothImageList* list)
    : QAccessibleWidget(list, QAccessible::List) {}

TSmoothImageListAccessible::~TSmoothImageListAccessible() {
    for (const QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* TSmoothImageListAccessible::Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("TSmoothImageList") && object && object->isWidgetType())
        if (auto* list = qobject_cast<TSmoothImageList*>(object))
            return new TSmoothImageListAccessible(list);
    return nullptr;
}

void TSmoothImageListAccessible::Install() {
    if (carousels++ == 0)
        QAccessible::installFactory(&TSmoothImageListAccessible::Factory);
}

void TSmoothImageListAccessible::Uninstall() {
    if (--carousels == 0)
        QAccessible::removeFactory(&TSmoothImageListAccessible::Factory);
}

TSmoothImageList* TSmoothImageListAccessible::List() const {
    return static_cast<TSmoothImageList*>(widget());
}

int TSmoothImageListAccessible::childCount() const {
    return List()->Count();
}

QAccessibleInterface* TSmoothImageListAccessible::child(int index) const {
    if (index < 0 || index >= List()->Count())
        return nullptr;
    if (const auto found = m_children.constFind(index); found != m_children.cend())
        return QAccessible::accessibleInterface(*found);
    auto* item = new TSmoothImageListItemAccessible(List(), index);
    m_children.insert(index, QAccessible::registerAccessibleInterface(item));
    return item;
}

int TSmoothImageListAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* item = dynamic_cast<const TSmoothImageListItemAccessible*>(child);
    return item && item->isValid() && item->parent() == this ? item->Index() : -1;
}

QAccessibleInterface* TSmoothImageListAccessible::focusChild() const {
    if (!List()->hasFocus())
        return nullptr;
    return child(List()->SelectedIndex());
}

QAccessibleInterface* TSmoothImageListAccessible::childAt(int x, int y) const {
    return child(List()->IndexAt(List()->mapFromGlobal(QPoint(x, y))));
}

QAccessible::State TSmoothImageListAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.focusable = true;
    return s;
}

TSmoothImageListItemAccessible::TSmoothImageListItemAccessible(TSmoothImageList* list, int index)
    : m_list(list), m_index(index) {}

bool TSmoothImageListItemAccessible::isValid() const {
    return m_list && m_index >= 0 && m_index < m_list->Count();
}

QWindow* TSmoothImageListItemAccessible::window() const {
    return m_list && m_list->window() ? m_list->window()->windowHandle() : nullptr;
}

QAccessibleInterface* TSmoothImageListItemAccessible::parent() const {
    return m_list ? QAccessible::queryAccessibleInterface(m_list.data()) : nullptr;
}

QString TSmoothImageListItemAccessible::text(QAccessible::Text t) const {
    return isValid() ? m_list->ItemAccessibleText(m_index, t) : QString();
}

QRect TSmoothImageListItemAccessible::rect() const {
    if (!isValid())
        return QRect();
    const QRect local = m_list->ItemRect(m_index);
    return QRect(m_list->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State TSmoothImageListItemAccessible::state() const {
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    s.selectable = true;
    s.focusable = true;
    const bool selected = m_list->SelectedIndex() == m_index;
    s.selected = selected;
    s.focused = selected && m_list->hasFocus();
    const QRect item = m_list->ItemRect(m_index);
    s.invisible = !m_list->isVisible();
    s.offscreen = !m_list->rect().intersects(item);
    s.disabled = !m_list->isEnabled();
    return s;
}

void* TSmoothImageListItemAccessible::interface_cast(QAccessible::InterfaceType t) {
    return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
}

QStringList TSmoothImageListItemAccessible::actionNames() const {
    return isValid() && m_list->isEnabled() ? QStringList{pressAction()} : QStringList();
}

void TSmoothImageListItemAccessible::doAction(const QString& actionName) {
    // The same as a click on the item.
    if (actionName == pressAction() && isValid() && m_list->isEnabled())
        m_list->SelectItemByUser(m_index);
}

QStringList TSmoothImageListItemAccessible::keyBindingsForAction(const QString&) const {
    return {};
}
