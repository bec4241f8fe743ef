// TEdit: the single-line edit; its text is read verbatim, the whole text is selected when
// the focus arrives by keyboard, and with AutoSize its height follows its font.
#pragma once

#include "base/String.h"

#include <QLineEdit>

namespace ortavo {

class TEdit : public QLineEdit {
public:
    explicit TEdit(QWidget* parent = nullptr);

    String Text() const;
    void SetText(const String& text);
    // On by default: the height is the font's text height plus the edit's frame and
    // margins, whatever height the layout gives.
    bool AutoSize() const noexcept { return FAutoSize; }
    void SetAutoSize(bool value);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void AdjustHeight();

    bool FAutoSize = true;
};

} // namespace ortavo
