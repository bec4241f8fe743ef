// The file-name edit: typing limit, keys, focus and the browse operation.
#include "widgets/FilenameEdit.h"

#include "widgets/EventGuard.h"
#include "widgets/FileNameRules.h"
#include "widgets/QtText.h"

#include <QEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QValidator>

#include <algorithm>

namespace ortavo {

// Keeps what typing or pasting puts in to what fits beside the characters that stay: at
// most MaxLength in all. Deleting always works, so a browsed text longer than the limit may
// shrink, but nothing typed is added to it while it is over the limit. Texts put by the
// program pass whole.
class TsFilenameEdit::TLengthLimit : public QValidator {
public:
    explicit TLengthLimit(TsFilenameEdit& edit) : QValidator(&edit), FEdit(edit) {}

    State validate(QString& input, int& pos) const override {
        const qsizetype limit = FEdit.FMaxLength;
        if (FEdit.FPutting || input.size() <= limit)
            return Acceptable;
        // What was put in ends at the cursor; what follows it is the old text's end.
        const QString& before = FEdit.FAcceptedText;
        const qsizetype tail = input.size() - pos;
        if (pos < 0 || tail > before.size() ||
            QStringView(input).sliced(pos) != QStringView(before).last(tail))
            return input.size() <= before.size() ? Acceptable : Invalid;
        qsizetype from = 0;
        const qsizetype head = std::min<qsizetype>(pos, before.size() - tail);
        while (from < head && input[from] == before[from])
            ++from;
        const qsizetype kept = from + tail;
        const qsizetype fits = std::max<qsizetype>(0, limit - kept);
        if (pos - from > fits) {
            input.remove(from + fits, pos - from - fits);
            pos = static_cast<int>(from + fits);
        }
        return Acceptable;
    }

private:
    TsFilenameEdit& FEdit;
};

TsFilenameEdit::TsFilenameEdit(QWidget* parent)
    : QLineEdit(parent), FButton(new TsEditButton(this)) {
    setValidator(new TLengthLimit(*this));
    setAcceptDrops(false);
    connect(this, &QLineEdit::textChanged, this,
            [this](const QString& text) { FAcceptedText = text; });
    connect(FButton, &QToolButton::clicked, this,
            [this] { GuardEvent(this, [this] { BrowseForFile(); }); });
    PlaceButton();
}

String TsFilenameEdit::Text() const {
    return FromQString(text());
}

void TsFilenameEdit::SetText(const String& value) {
    FPutting = true;
    setText(ToQString(value));
    FPutting = false;
}

void TsFilenameEdit::SetDirectInput(bool value) {
    FDirectInput = value;
    UpdateEditable();
}

void TsFilenameEdit::SetReadOnly(bool value) {
    FReadOnly = value;
    FButton->setEnabled(!value);
    UpdateEditable();
}

void TsFilenameEdit::SetShowButton(bool value) {
    FShowButton = value;
    PlaceButton();
}

void TsFilenameEdit::SetAcceptFiles(bool value) {
    FAcceptFiles = value;
    setAcceptDrops(value);
}

void TsFilenameEdit::UpdateEditable() {
    setReadOnly(FReadOnly || !FDirectInput);
}

void TsFilenameEdit::PlaceButton() {
    FButton->setVisible(FShowButton);
    int width = FShowButton ? TsEditButton::ButtonWidth : 0;
    // Inside the border, over the full inner height; typed text stops at the button.
    int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    int height = std::max(0, this->height() - 2 * frame);
    bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    int left = rightToLeft ? frame : this->width() - frame - width;
    FButton->setGeometry(left, frame, width, height);
    if (rightToLeft)
        setTextMargins(width, 0, 0, 0);
    else
        setTextMargins(0, 0, width, 0);
}

void TsFilenameEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceButton();
}

void TsFilenameEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::LayoutDirectionChange || event->type() == QEvent::StyleChange)
        PlaceButton();
}

void TsFilenameEdit::BrowseForFile() {
    if (FReadOnly)
        return;
    const String current = Text();
    if (IsValidFileName(current)) {
        StringView path = PathPart(current);
        if (FolderExists(path))
            FDialog.SetInitialDir(path);
        FDialog.SetFileName(NamePart(current).empty() ? String() : current);
    }
    const bool chosen = FDialog.Execute(window());
    const String result = chosen ? FDialog.FileName() : String();
    if (isEnabled() && focusPolicy() != Qt::NoFocus)
        setFocus(Qt::OtherFocusReason);
    if (chosen) {
        SetText(result);
        FDialog.SetInitialDir(PathPart(result));
    }
}

void TsFilenameEdit::keyPressEvent(QKeyEvent* event) {
    // The arrow of the number pad is the same key.
    const QKeyCombination pressed(event->modifiers() & ~Qt::KeypadModifier,
                                  static_cast<Qt::Key>(event->key()));
    if (pressed == FClickKey) {
        event->accept();
        if (FButton->GlyphWidth() > 0)
            GuardEvent(this, [this] { BrowseForFile(); });
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        event->accept();
        if (!text().isEmpty())
            selectAll();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Consumed here: the window does not see them.
        event->accept();
        return;
    default:
        break;
    }
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        // Undo may bring back a browsed text longer than the limit.
        FPutting = true;
        QLineEdit::keyPressEvent(event);
        FPutting = false;
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TsFilenameEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (FAutoSelect && !text().isEmpty())
        selectAll();
}

} // namespace ortavo
