// TsOpenDialog: the open-file dialog object of the file-name edit. It outlives each use and
// keeps the folder and the file name of its last successful use.
#pragma once

#include "base/String.h"

#include <functional>
#include <vector>

class QWidget;

namespace ortavo {

class TsOpenDialog {
public:
    // Shows the dialog for this object, modal to owner; true when a file was chosen, whose
    // full path it then puts in FileName. Tests replace it so that no dialog opens.
    using TExecutor = std::function<bool(TsOpenDialog& dialog, QWidget* owner)>;

    // Installs an executor for the whole process and returns the one it replaces; an empty
    // one restores the toolkit's dialog.
    static TExecutor SetExecutor(TExecutor executor);

    const String& InitialDir() const noexcept { return FInitialDir; }
    // A trailing separator is dropped unless it follows a colon.
    void SetInitialDir(StringView folder);
    const String& FileName() const noexcept { return FFileName; }
    void SetFileName(String fileName) { FFileName = std::move(fileName); }

    // "description|mask" pairs joined by "|"; masks within a pair are separated by ";".
    const String& Filter() const noexcept { return FFilter; }
    void SetFilter(String filter) { FFilter = std::move(filter); }
    // The selected pair, counted from 1.
    int FilterIndex() const noexcept { return FFilterIndex; }
    void SetFilterIndex(int index) noexcept { FFilterIndex = index; }
    const String& DefaultExt() const noexcept { return FDefaultExt; }
    // The dialog's caption; empty gives the toolkit's default title.
    const String& Title() const noexcept { return FTitle; }

    // The dialog as this object is set up: the folder need not exist, nor the file.
    bool Execute(QWidget* owner);

private:
    String FInitialDir;
    String FFileName;
    String FFilter = u"All files (*.*)|*.*";
    int FFilterIndex = 1;
    String FDefaultExt;
    String FTitle;
};

// The filter as Qt's name filters, one "description (patterns)" per pair. The mask "*.*"
// means every file, which on this platform is "*".
std::vector<String> QtNameFilters(StringView filter);

} // namespace ortavo
