#include "qt/message_box.h"

#include <QMessageBox>

#include "qt/text_conversion.h"
#include "window/texts.h"

namespace tetomu {

void showMessageBox(QWidget* parent, const std::u16string& prompt) {
    QMessageBox box(QMessageBox::NoIcon, toQString(texts::kAppTitle), toEditorText(prompt),
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace tetomu
