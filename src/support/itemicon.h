#pragma once

#include "comm/store/blaitemex.h"

#include <QIcon>

// The picture of a store entry, as the windows draw it.
struct QtItemIcon final : ItemIcon {
    explicit QtItemIcon(QIcon i) : icon(std::move(i)) {}
    QIcon icon;
};

// Loads the desktop's picture for an entry's location (in its ordinary form).
std::shared_ptr<ItemIcon> LoadItemIcon(const std::u16string& location);
