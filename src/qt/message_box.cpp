#include "qt/message_box.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include "qt/text_conversion.h"
#include "window/display_text.h"
#include "window/layout.h"
#include "window/texts.h"

namespace tetomu {

void showMessageBox(QWidget* parent, const std::u16string& prompt) {
    QMessageBox box(QMessageBox::NoIcon, toQString(texts::kAppTitle),
                    toQString(toDisplay(prompt, u"\n")), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int width = box.fontMetrics().horizontalAdvance(toQString(texts::kAppTitle)) *
                          layout::kMessageBoxTitleWidths;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}

}  // namespace tetomu
