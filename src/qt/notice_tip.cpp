#include "qt/notice_tip.h"

#include <QToolTip>

namespace tetomu {

NoticeTip::NoticeTip()
    : QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("notice"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setTextFormat(Qt::PlainText);
    setPalette(QToolTip::palette());
    setFont(QToolTip::font());
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(4);
    hide_.setSingleShot(true);
    connect(&hide_, &QTimer::timeout, this, &QWidget::hide);
}

void NoticeTip::showAt(const QPoint& where, const QString& text) {
    setText(text);
    adjustSize();
    move(where);
    show();
    hide_.start(kShownMs);
}

}  // namespace tetomu
