// TForm1: the main window. Its layout creates the controls in layout order; it carries the
// start button's click handler and the time-stamped run log.
#pragma once

#include "app/Form.h"
#include "widgets/Button.h"
#include "widgets/Edit.h"
#include "widgets/FilenameEdit.h"
#include "widgets/Label.h"
#include "widgets/Memo.h"

namespace ortavo {

class TBusyWindow;
class TIBDatabase;
class TIBQuery;
class TIBTransaction;

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner = nullptr);
    // The controls go first, then the remaining components, last created first.
    ~TForm1() override;

    // The window's components, in the order the class declares them. The controls are
    // children of the window, which frees them.
    TMemo* Memo1 = nullptr;
    TEdit* edtBase = nullptr;
    TMemo* Memo2 = nullptr;
    TsFilenameEdit* edtArquivo = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TButton* Button1 = nullptr;
    // The database components, owned by the window as components and created after
    // Button1; freed after the controls, last created first.
    TIBDatabase* Base = nullptr;
    TIBTransaction* TR = nullptr;
    TIBQuery* Query = nullptr;

    // The start button's click handler: the reconciliation run. While it runs, the window
    // repaints with the wait cursor, "Iniciar" and the two edits inactive, takes no input
    // and cannot be closed; a click reaching it then is ignored.
    void Button1Click(QObject* Sender);
    // Appends "hh:mm:ss -> " and the message to Memo2 as its new last line.
    void log(const String& mensagem);
    // The notice box with the application's title as its caption.
    void ShowNotice(const String& text);

private:
    // The stored layout: the window's own properties, then each component in layout
    // order with its stored settings, then the references between components.
    void ReadLayout();
    void CreateDatabaseComponents();

    // The run in progress, if any.
    TBusyWindow* FRun = nullptr;
};

// The main window, once CreateForm has made it.
extern TForm1* Form1;

} // namespace ortavo
