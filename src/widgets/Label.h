// TLabel: a caption that never takes the focus and, with AutoSize, is as large as its text.
#pragma once

#include "base/String.h"

#include <QLabel>

namespace ortavo {

class TLabel : public QLabel {
public:
    explicit TLabel(QWidget* parent = nullptr);

    String Caption() const;
    void SetCaption(const String& caption);
    bool AutoSize() const noexcept { return FAutoSize; }
    void SetAutoSize(bool value);

protected:
    void changeEvent(QEvent* event) override;

private:
    void AdjustBounds();

    bool FAutoSize = true;
};

} // namespace ortavo
