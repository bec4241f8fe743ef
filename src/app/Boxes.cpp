// The toolkit's boxes.
#include "app/Boxes.h"

#include "app/BoxWindow.h"
#include "app/NoticeBox.h"
#include "widgets/EventGuard.h"
#include "widgets/QtText.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMessageBox>

#include <vector>

namespace ortavo {

namespace {

// Ctrl+C on the toolkit's box beeps and puts its title, text and button captions on the
// clipboard, between lines of hyphens as the notice box does; the box stays open.
class TBoxCopyKey : public QObject {
public:
    explicit TBoxCopyKey(QMessageBox& box) : QObject(&box), FBox(box) {
        box.installEventFilter(this);
        for (QAbstractButton* button : box.buttons())
            button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !IsBoxCopyKey(*static_cast<QKeyEvent*>(event)))
            return false;
        GuardEvent(&FBox, [this] {
            std::vector<String> buttons;
            for (QAbstractButton* button : FBox.buttons())
                buttons.push_back(FromQString(button->text()));
            CopyBoxContent(FromQString(FBox.windowTitle()), FromQString(FBox.text()), buttons);
        });
        return true;
    }

private:
    QMessageBox& FBox;
};

} // namespace

void TQtBoxes::Notice(const String& caption, const String& text, QWidget* owner) {
    TNoticeBox box(caption, text, owner);
    box.exec();
}

int TQtBoxes::MessageBox(const String& text, const String& caption, int flags, QWidget* owner) {
    QMessageBox::Icon icon =
        (flags & MB_ICONSTOP) == MB_ICONSTOP ? QMessageBox::Critical : QMessageBox::NoIcon;
    QMessageBox box(icon, ToQString(caption), ToQString(text), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    SetUpMessageBox(box);
    new TBoxCopyKey(box);
    box.exec();
    return IDOK;
}

void TQtBoxes::StartupFailure(const String& caption, const String& text) {
    QMessageBox box(QMessageBox::Critical, ToQString(caption), ToQString(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    // After the modality, which sets the box's window flags afresh.
    box.setWindowModality(Qt::ApplicationModal);
    SetUpMessageBox(box);
    box.exec();
}

} // namespace ortavo
