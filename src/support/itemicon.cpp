#include "support/itemicon.h"

#include "support/systempath.h"
#include "support/utilsresource.h"

std::shared_ptr<ItemIcon> LoadItemIcon(const std::u16string& location) {
    const QString path = QString::fromStdU16String(ExpandSystemPathString(location));
    return std::make_shared<QtItemIcon>(IconForFile(path));
}
