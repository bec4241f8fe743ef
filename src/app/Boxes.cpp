// The toolkit's boxes.
#include "app/Boxes.h"

#include "app/BoxWindow.h"
#include "app/NoticeBox.h"
#include "widgets/QtText.h"

#include <QMessageBox>

namespace ortavo {

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
