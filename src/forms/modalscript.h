#pragma once

#include <functional>

class QDialog;
class QWidget;

// Modal windows run through here. Tests install a script that answers in place of the user:
// the window is built and shown as usual, the script looks at it and returns the modal result.
using ModalScript = std::function<int(QDialog* window)>;
void SetModalScript(ModalScript script);
bool HasModalScript();
int RunModal(QDialog* window);
