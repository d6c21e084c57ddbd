#pragma once
// A word to the person beside the caret of the text box, in the look of a tooltip. It never
// takes the focus nor a key, and stays a while (unlike a tooltip, which the next key hides), so
// that the person can read it while they type on.
#include <QLabel>
#include <QTimer>

namespace tetomu {

class NoticeTip final : public QLabel {
  public:
    static constexpr int kShownMs = 10000;

    NoticeTip();
    // Shows the text with its top-left corner here, in screen coordinates.
    void showAt(const QPoint& where, const QString& text);

  private:
    QTimer hide_;
};

}  // namespace tetomu
