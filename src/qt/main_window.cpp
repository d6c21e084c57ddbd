#include "qt/main_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QWindow>

#include "qt/memo_list_view.h"
#include "qt/memo_text_edit.h"
#include "qt/text_conversion.h"
#include "window/layout.h"
#include "window/memo_window.h"
#include "window/texts.h"

namespace tetomu {
namespace {

QString text(std::u16string_view s) {
    return toQString(s);
}

// A layout rectangle in device-independent pixels for this widget's screen.
QRect pixels(const QWidget& w, const layout::Rect& r) {
    const int dx = w.logicalDpiX();
    const int dy = w.logicalDpiY();
    return QRect(layout::toPixels(r.left, dx), layout::toPixels(r.top, dy),
                 layout::toPixels(r.width, dx), layout::toPixels(r.height, dy));
}

}  // namespace

MainWindow::MainWindow(MemoWindow& core) : core_(core) {
    // A fixed frame: the hints are the program's own (no maximise box), and the size set below
    // never changes.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(text(texts::kCaption));
    setWindowIcon(QIcon(QStringLiteral(":/tetomu.png")));
    buildControls();
    menu_.emplace(core_, *this);
    const QSize client = centralWidget()->size();
    setFixedSize(client.width(), menuBar()->heightForWidth(client.width()) + client.height());
    core_.observeCheck(this);
}

MainWindow::~MainWindow() {
    core_.observeCheck(nullptr);
}

void MainWindow::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    const int width = layout::toPixels(layout::kClientWidth, client->logicalDpiX());
    const int height = layout::toPixels(layout::kClientHeight, client->logicalDpiY());
    client->setFixedSize(width, height);
    setCentralWidget(client);

    // Created in the tab order: memoList, arrangeCheck, memoText. The label takes no focus.
    list_ = new MemoListView(core_, client);
    list_->setObjectName(QStringLiteral("memoList"));
    list_->setAccessibleName(text(texts::kListName));
    list_->setGeometry(pixels(*client, layout::kMemoList));

    check_ = new QCheckBox(text(texts::kCheckCaption), client);
    check_->setObjectName(QStringLiteral("arrangeCheck"));
    // The caption lies beyond the box and is never seen; a screen reader says the label's word.
    check_->setAccessibleName(text(core_.arrangeLabel()));
    check_->setGeometry(pixels(*client, layout::kArrangeCheck));
    connect(check_, &QCheckBox::clicked, this, [this] {
        core_.userClickCheck();
        valueChanged();
    });

    label_ = new QLabel(text(core_.arrangeLabel()), client);
    label_->setObjectName(QStringLiteral("arrangeLabel"));
    label_->setGeometry(pixels(*client, layout::kArrangeLabel));

    // Its right and bottom borders lie just outside the client area.
    text_ = new MemoTextEdit(core_, client);
    text_->setObjectName(QStringLiteral("memoText"));
    text_->setAccessibleName(text(texts::kTextName));
    text_->setGeometry(pixels(*client, layout::kMemoText));

    setTabOrder(list_, check_);
    setTabOrder(check_, text_);
    list_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::valueChanged() {
    check_->setChecked(core_.arrangeCheck().value() != 0);
}

void MainWindow::placeInFront(bool topmost) {
    const Qt::WindowFlags flags = windowFlags().setFlag(Qt::WindowStaysOnTopHint, topmost);
    if (!isVisible()) {
        setWindowFlags(flags);
        show();
        QTimer::singleShot(kAfterShowingMs, list_, [this] { list_->fill(); });
        return;
    }
    if (flags != windowFlags()) {
        // setWindowFlags() would hide and re-create the window; telling the window system
        // directly keeps it where it is, as it is.
        overrideWindowFlags(flags);
        windowHandle()->setFlags(flags);
    }
    if (topmost) raise();
}

}  // namespace tetomu
