// The notice box: layout in units of its font, keys and the copy to the clipboard.
#include "app/NoticeBox.h"

#include "app/BoxWindow.h"
#include "app/Clipboard.h"
#include "widgets/EventGuard.h"
#include "widgets/QtText.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace ortavo {

namespace {

// The text wraps at word boundaries and expands tabs; "&" is shown as it is.
int TextDrawFlags() {
    return Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs;
}

// n · unit / d, rounded to the nearest integer.
int Scaled(int n, int unit, int d) {
    return static_cast<int>(std::lround(static_cast<double>(n) * unit / d));
}

const String Hyphens(27, u'-');

} // namespace

String NoticeClipboardText(const String& caption, const String& text,
                           const std::vector<String>& buttons) {
    String captions;
    for (const String& button : buttons) {
        for (char16_t c : button)
            if (c != u'&')
                captions += c;
        captions += u"   ";
    }
    const String br = u"\r\n";
    return Hyphens + br + caption + br + Hyphens + br + text + br + Hyphens + br + captions + br +
           Hyphens + br;
}

bool IsBoxCopyKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_C &&
           (event.modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

void CopyBoxContent(const String& caption, const String& text, const std::vector<String>& buttons) {
    QApplication::beep();
    SetClipboardText(NoticeClipboardText(caption, text, buttons));
}

TNoticeBox::TNoticeBox(const String& caption, const String& text, QWidget* owner)
    : QDialog(owner, BoxWindowFlags()), FCaption(caption), FText(text),
      FOk(new QPushButton(QStringLiteral("OK"), this)) {
    setWindowTitle(ToQString(caption));
    setFont(QApplication::font("QMessageBox"));
    setSizeGripEnabled(false);

    const QFontMetrics metrics(font());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int w = metrics.horizontalAdvance(letters) / 52;
    const int h = metrics.height();
    const int horizontalMargin = Scaled(8, w, 4);
    const int verticalMargin = Scaled(8, h, 8);
    const int verticalSpacing = Scaled(10, h, 8);
    const int buttonWidth = std::max(Scaled(50, w, 4), metrics.horizontalAdvance(FOk->text()) + 8);
    const int buttonHeight = Scaled(14, h, 8);
    // One button: the row is as wide as it (the button spacing has nothing to separate).
    const int rowWidth = buttonWidth;

    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect screenArea = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QRect bound = metrics.boundingRect(QRect(0, 0, screenArea.width() / 2, 0),
                                             TextDrawFlags(), ToQString(text));
    const int textWidth = text.empty() ? 0 : bound.width();
    const int textHeight = text.empty() ? 0 : bound.height();

    // The title bar shows the whole caption: a short text does not make the box narrower.
    const int clientWidth = std::max(std::max(textWidth, rowWidth) + 2 * horizontalMargin,
                                     CaptionWidth(ToQString(caption)));
    const int clientHeight = textHeight + buttonHeight + verticalSpacing + 2 * verticalMargin;
    FTextRect = QRect(horizontalMargin, verticalMargin, textWidth, textHeight);
    FOk->setGeometry((clientWidth - rowWidth) / 2, verticalMargin + textHeight + verticalSpacing,
                     buttonWidth, buttonHeight);
    FOk->setDefault(true);
    FOk->setAutoDefault(true);
    FOk->installEventFilter(this);
    connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(clientWidth, clientHeight);
    move(screenArea.center() - QPoint(clientWidth / 2, clientHeight / 2));
    FOk->setFocus(Qt::OtherFocusReason);
}

void TNoticeBox::reject() {
    accept();
}

void TNoticeBox::CopyToClipboard() const {
    CopyBoxContent(FCaption, FText, {FromQString(FOk->text())});
}

void TNoticeBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(FTextRect, TextDrawFlags(), ToQString(FText));
}

bool TNoticeBox::PreviewKey(QKeyEvent* event) {
    // Ctrl+C with no other modifier; the box stays open whether the copy works or not.
    if (IsBoxCopyKey(*event)) {
        GuardEvent(this, [this] { CopyToClipboard(); });
        return true;
    }
    return false;
}

void TNoticeBox::keyPressEvent(QKeyEvent* event) {
    if (PreviewKey(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TNoticeBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && PreviewKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

} // namespace ortavo
