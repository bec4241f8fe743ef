// The open-file dialog object and the toolkit dialog it shows.
#include "widgets/OpenDialog.h"

#include "widgets/FileNameRules.h"
#include "widgets/QtText.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStringList>

namespace ortavo {

namespace {

TsOpenDialog::TExecutor& Executor() {
    static TsOpenDialog::TExecutor executor;
    return executor;
}

std::vector<StringView> Split(StringView text, char16_t separator) {
    std::vector<StringView> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == StringView::npos ? StringView::npos : at - start));
        if (at == StringView::npos)
            return parts;
        start = at + 1;
    }
}

// Puts the file name into the dialog as the operator will see it. A name in a folder that
// exists is selected there, its folder made absolute so that the dialog opens in it. Any
// other text (a folder that does not exist, a bare name) goes into the name field whole and
// the dialog stays where it is: the toolkit would take the folder as one to open and show
// the rest relative to it, which then resolves to a path nobody typed.
void PrefillFileName(QFileDialog& box, const String& fileName) {
    const StringView folder = PathPart(fileName);
    const QString name = ToQString(fileName);
    if (!folder.empty() && FolderExists(folder)) {
        box.selectFile(QFileInfo(name).absoluteFilePath());
        return;
    }
    if (auto* field = box.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        field->setText(name);
    else
        box.selectFile(name);
}

bool ShowToolkitDialog(TsOpenDialog& dialog, QWidget* owner) {
    QFileDialog box(owner, ToQString(dialog.Title()));
    // The toolkit's own dialog on every desktop, so that the name field holds what it is
    // given whatever the desktop's dialog would make of it.
    box.setOption(QFileDialog::DontUseNativeDialog, true);
    box.setAcceptMode(QFileDialog::AcceptOpen);
    // Neither the file nor its folder has to exist; one file only.
    box.setFileMode(QFileDialog::AnyFile);
    // The descriptions carry their masks already; the patterns stay out of sight.
    box.setOption(QFileDialog::HideNameFilterDetails, true);
    box.setSizeGripEnabled(true);
    QStringList filters;
    for (const String& f : QtNameFilters(dialog.Filter()))
        filters << ToQString(f);
    if (!filters.isEmpty()) {
        box.setNameFilters(filters);
        int index = dialog.FilterIndex() - 1;
        if (index >= 0 && index < filters.size())
            box.selectNameFilter(filters[index]);
    }
    if (!dialog.InitialDir().empty())
        box.setDirectory(QDir(ToQString(dialog.InitialDir())).absolutePath());
    if (!dialog.FileName().empty())
        PrefillFileName(box, dialog.FileName());
    if (box.exec() != QDialog::Accepted)
        return false;
    QStringList chosen = box.selectedFiles();
    if (chosen.isEmpty())
        return false;
    dialog.SetFileName(FromQString(chosen.front()));
    return true;
}

} // namespace

TsOpenDialog::TExecutor TsOpenDialog::SetExecutor(TExecutor executor) {
    TExecutor previous = std::move(Executor());
    Executor() = std::move(executor);
    return previous;
}

void TsOpenDialog::SetInitialDir(StringView folder) {
    FInitialDir = WithoutTrailingSeparator(folder);
}

bool TsOpenDialog::Execute(QWidget* owner) {
    if (Executor())
        return Executor()(*this, owner);
    return ShowToolkitDialog(*this, owner);
}

std::vector<String> QtNameFilters(StringView filter) {
    std::vector<String> result;
    std::vector<StringView> parts = Split(filter, u'|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        String patterns;
        for (StringView mask : Split(parts[i + 1], u';')) {
            if (mask.empty())
                continue;
            if (!patterns.empty())
                patterns += u' ';
            patterns += mask == u"*.*" ? StringView(u"*") : mask;
        }
        result.push_back(String(parts[i]) + u" (" + patterns + u")");
    }
    return result;
}

} // namespace ortavo
