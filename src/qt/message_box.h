#pragma once
// The program's message box: the title "テトム", the prompt as plain text, an OK button alone
// and no icon. Returns when the person has closed it.
#include <string>

class QWidget;

namespace tetomu {

void showMessageBox(QWidget* parent, const std::u16string& prompt);

}  // namespace tetomu
