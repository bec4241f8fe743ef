// TNoticeBox: the program's own notice box. Caption, the text verbatim, no icon and one
// "OK" button that is both default and cancel; Ctrl+C copies the box as text.
#pragma once

#include "base/String.h"

#include <QDialog>

#include <vector>

class QKeyEvent;
class QPushButton;

namespace ortavo {

class TNoticeBox : public QDialog {
public:
    TNoticeBox(const String& caption, const String& text, QWidget* owner = nullptr);

    const String& Text() const noexcept { return FText; }
    QPushButton* OkButton() const noexcept { return FOk; }
    // Where the text is drawn, in the box's client coordinates.
    QRect TextRect() const noexcept { return FTextRect; }
    // Copies the box's content to the clipboard; raises when the clipboard fails.
    void CopyToClipboard() const;

    // Esc and the close box end the box as "OK" does.
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool PreviewKey(QKeyEvent* event);

    String FCaption;
    String FText;
    QPushButton* FOk;
    QRect FTextRect;
};

// The copied layout: 27 hyphens, the caption, 27 hyphens, the text, 27 hyphens, each button
// caption followed by three blanks ("&" removed), 27 hyphens; every line ends with CR LF.
String NoticeClipboardText(const String& caption, const String& text,
                           const std::vector<String>& buttons);

// Ctrl+C with no other modifier, the key on which the boxes copy their content.
bool IsBoxCopyKey(const QKeyEvent& event);
// Beeps and copies a box's content in the layout above; raises when the clipboard fails.
void CopyBoxContent(const String& caption, const String& text, const std::vector<String>& buttons);

} // namespace ortavo
