// TsFilenameEdit: a single-line edit for a file path with a browse button at its right end.
// The button and Alt+Down open the open-file dialog; the chosen path becomes the text as
// it is. Typing is limited to MaxLength characters; a browsed path is put whole.
#pragma once

#include "base/String.h"
#include "widgets/EditButton.h"
#include "widgets/OpenDialog.h"

#include <QKeyCombination>
#include <QLineEdit>

namespace ortavo {

class TsFilenameEdit : public QLineEdit {
public:
    explicit TsFilenameEdit(QWidget* parent = nullptr);

    String Text() const;
    // Puts the text verbatim, longer than MaxLength too.
    void SetText(const String& text);

    int MaxLength() const noexcept { return FMaxLength; }
    void SetMaxLength(int length) noexcept { FMaxLength = length; }
    // Validates the input mask on leaving; without a mask there is nothing to check.
    bool CheckOnExit() const noexcept { return FCheckOnExit; }
    void SetCheckOnExit(bool value) noexcept { FCheckOnExit = value; }
    bool DirectInput() const noexcept { return FDirectInput; }
    void SetDirectInput(bool value);
    bool ReadOnly() const noexcept { return FReadOnly; }
    void SetReadOnly(bool value);
    bool ShowButton() const noexcept { return FShowButton; }
    void SetShowButton(bool value);
    QKeyCombination ClickKey() const noexcept { return FClickKey; }
    void SetClickKey(QKeyCombination key) noexcept { FClickKey = key; }
    bool AutoSelect() const noexcept { return FAutoSelect; }
    void SetAutoSelect(bool value) noexcept { FAutoSelect = value; }
    bool AcceptFiles() const noexcept { return FAcceptFiles; }
    void SetAcceptFiles(bool value);
    TsGlyphMode& GlyphMode() noexcept { return FButton->GlyphMode(); }

    TsEditButton* Button() const noexcept { return FButton; }
    TsOpenDialog& Dialog() noexcept { return FDialog; }

    // Opens the dialog, prefilled from the text, and takes the chosen path. Does nothing
    // while the field is read-only.
    void BrowseForFile();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class TLengthLimit;

    void PlaceButton();
    void UpdateEditable();

    TsEditButton* FButton;
    TsOpenDialog FDialog;
    int FMaxLength = 255;
    // The text before the edit under way; a browsed text may exceed the limit.
    QString FAcceptedText;
    // Set while the text is put by the program, which the typing limit does not cut.
    bool FPutting = false;
    bool FCheckOnExit = true;
    bool FDirectInput = true;
    bool FReadOnly = false;
    bool FShowButton = true;
    bool FAutoSelect = true;
    bool FAcceptFiles = false;
    QKeyCombination FClickKey{Qt::AltModifier, Qt::Key_Down};
};

} // namespace ortavo
