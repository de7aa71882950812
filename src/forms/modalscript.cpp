#include "forms/modalscript.h"

#include <QDialog>

namespace {
ModalScript& Script() {
    static ModalScript script;
    return script;
}
} // namespace

void SetModalScript(ModalScript script) {
    Script() = std::move(script);
}

bool HasModalScript() {
    return static_cast<bool>(Script());
}

int RunModal(QDialog* window) {
    if (!window)
        return 0;
    if (auto script = Script()) {
        window->show();
        const int result = script(window);
        window->hide();
        return result;
    }
    return window->exec();
}
