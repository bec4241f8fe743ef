// TEdit: the single-line edit; its text is read verbatim, and the whole text is selected
// when the focus arrives by keyboard.
#pragma once

#include "base/String.h"

#include <QLineEdit>

namespace ortavo {

class TEdit : public QLineEdit {
public:
    explicit TEdit(QWidget* parent = nullptr);

    String Text() const;
    void SetText(const String& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
};

} // namespace ortavo
