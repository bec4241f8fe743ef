// The main window: layout, click handler and run log.
#include "UPrincipal.h"

#include "app/Application.h"
#include "app/BusyWindow.h"
#include "reconciliation/RunComponents.h"
#include "reconciliation/RunLog.h"

#include <QFont>

namespace ortavo {

TForm1* Form1 = nullptr;

namespace {

// "Tahoma" at 11 pixels (8 points at 96 dots per inch). The application makes it known;
// where it cannot, the toolkit's stand-in at the same size keeps the layout's rows apart.
void SetDesignedFont(QWidget& window) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    window.setFont(font);
}

template <typename TControl>
TControl* Place(QWidget* window, const char* name, int left, int top, int width, int height) {
    auto* control = new TControl(window);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(left, top, width, height);
    return control;
}

// The window's memos and boxes as the run's front end.
class TWindowRunFront : public IRunFront {
public:
    explicit TWindowRunFront(TForm1& form) : FForm(form) {}
    TMemoLines& FileLines() override { return FForm.Memo1->Lines(); }
    void ClearLog() override { FForm.Memo2->Lines().Clear(); }
    void Log(const String& message) override { FForm.log(message); }
    void Notice(const String& text) override { FForm.ShowNotice(text); }

private:
    TForm1& FForm;
};

} // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner) {
    ReadLayout();
}

TForm1::~TForm1() {
    // The controls first, in the reverse of their creation order.
    delete Button1;
    delete edtArquivo;
    delete Memo2;
    delete edtBase;
    delete Memo1;
    delete Label2;
    delete Label1;
    Memo1 = Memo2 = nullptr;
    edtBase = nullptr;
    edtArquivo = nullptr;
    Label1 = Label2 = nullptr;
    Button1 = nullptr;
    // Then the components the window owns (the database components), last created first.
    DestroyComponents();
    Base = nullptr;
    TR = nullptr;
    Query = nullptr;
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::ReadLayout() {
    BeginLoading();
    SetName(u"Form1");
    SetCaption(u"Form1");
    SetDesignedFont(*this);
    // The window keeps its designed size and its controls their places: no layout, no
    // scrolling of the client area.
    SetClientSize(793, 322);

    Label1 = Place<TLabel>(this, "Label1", 8, 8, 71, 13);
    Label1->SetCaption(u"Base de Dados");
    Label2 = Place<TLabel>(this, "Label2", 8, 51, 85, 13);
    Label2->SetCaption(u"Arquivo AC 17/04");

    Memo1 = Place<TMemo>(this, "Memo1", 8, 91, 761, 89);
    edtBase = Place<TEdit>(this, "edtBase", 8, 24, 473, 21);
    edtBase->SetText(u"localhost:c:\\voras\\talimor\\base.fdb");
    Memo2 = Place<TMemo>(this, "Memo2", 8, 192, 753, 130);

    edtArquivo = Place<TsFilenameEdit>(this, "edtArquivo", 8, 64, 473, 21);
    edtArquivo->SetMaxLength(255);
    edtArquivo->SetCheckOnExit(true);
    edtArquivo->GlyphMode().Blend = 0;
    edtArquivo->GlyphMode().Grayed = false;

    Button1 = Place<TButton>(this, "Button1", 520, 56, 75, 25);
    Button1->SetCaption(u"Iniciar");
    Button1->OnClick = [this](QObject* Sender) { Button1Click(Sender); };

    CreateDatabaseComponents();

    setTabOrder(Memo1, edtBase);
    setTabOrder(edtBase, Memo2);
    setTabOrder(Memo2, edtArquivo);
    setTabOrder(edtArquivo, Button1);
    // The first control in tab order has the focus when the window is first activated.
    Memo1->setFocus(Qt::OtherFocusReason);
    Loaded();
}

void TForm1::CreateDatabaseComponents() {
    TRunComponents components = CreateRunComponents(*this);
    Base = &components.Base;
    TR = &components.TR;
    Query = &components.Query;
}

void TForm1::Button1Click(QObject* /*Sender*/) {
    if (FRun)
        return;
    TBusyWindow busy(*this, {Button1, edtBase, edtArquivo});
    FRun = &busy;
    struct TRunEnd {
        TBusyWindow*& Run;
        ~TRunEnd() { Run = nullptr; }
    } end{FRun};
    TWindowRunFront front(*this);
    ReconciliationRun({*Base, *TR, *Query}, edtBase->Text(), edtArquivo->Text(), front);
}

void TForm1::log(const String& mensagem) {
    Memo2->Lines().Add(RunLogLine(mensagem));
    if (FRun)
        FRun->Pump();
}

void TForm1::ShowNotice(const String& text) {
    ortavo::ShowNotice(text);
}

} // namespace ortavo
