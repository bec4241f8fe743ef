// The application object.
#include "app/Application.h"

#include "app/DesignedFont.h"
#include "app/ErrorText.h"
#include "app/ProgramIcon.h"
#include "app/TimerService.h"
#include "app/Title.h"
#include "app/ToolkitTranslations.h"
#include "widgets/EventGuard.h"

#include <QPointer>
#include <QWidget>

#include <cstdio>

namespace ortavo {

TApplication* Application = nullptr;

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv), FBoxes(std::make_unique<TQtBoxes>()),
      FTimers(std::make_unique<TQtTimerService>()) {
    FTitle = TitleFromExePath(ExecutablePath(argc > 0 ? argv[0] : nullptr));
    setWindowIcon(ProgramIcon());
    LoadToolkitTranslations(*this);
    // Before any window: every control inherits the designed font from its window.
    RegisterDesignedFont();
    Application = this;
    SetEventExceptionHandler(
        [this](QObject* sender, std::exception_ptr error) { HandleException(sender, error); });
    // The database layer's idle timers tick on the toolkit's timers, and what a tick
    // raises is reported like any other failure of an event handler.
    SetTimerService(FTimers.get());
    SetApplicationExceptionHandler([this](const std::exception& error) {
        if (const auto* own = dynamic_cast<const Exception*>(&error))
            HandleException(this, *own);
        else
            HandleException(this, Exception(FromUtf8(error.what())));
    });
}

TApplication::~TApplication() {
    DestroyForms();
    SetApplicationExceptionHandler({});
    if (TimerService() == FTimers.get())
        SetTimerService(nullptr);
    SetEventExceptionHandler({});
    if (Application == this)
        Application = nullptr;
}

void TApplication::AddForm(std::unique_ptr<QWidget> form) {
    if (!FMainForm)
        FMainForm = form.get();
    FForms.push_back(std::move(form));
}

void TApplication::DestroyForms() noexcept {
    while (!FForms.empty()) {
        if (FForms.back().get() == FMainForm)
            FMainForm = nullptr;
        FForms.pop_back();
    }
}

void TApplication::Run() {
    // This platform has no show command to honour: the window opens normally.
    if (FMainForm && FShowMainForm)
        FMainForm->show();
    if (!FTerminated)
        exec();
}

void TApplication::Terminate() {
    FTerminated = true;
    // The loop ends once the current event has been handled.
    quit();
}

std::unique_ptr<TBoxes> TApplication::SetBoxes(std::unique_ptr<TBoxes> boxes) {
    std::unique_ptr<TBoxes> previous = std::move(FBoxes);
    FBoxes = boxes ? std::move(boxes) : std::make_unique<TQtBoxes>();
    return previous;
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(receiver, std::current_exception());
        return false;
    }
}

void TApplication::HandleException(QObject* sender, std::exception_ptr error) noexcept {
    try {
        VisitException(error, [&](const Exception& e) { HandleException(sender, e); });
    } catch (const std::exception& e) {
        // The error box itself failed; the loop must go on all the same.
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Exception while reporting an exception\n");
    }
}

void TApplication::HandleException(QObject* sender, const Exception& E) {
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    if (dynamic_cast<const EAbort*>(&E))
        return;
    if (OnException)
        OnException(sender, E);
    else
        ShowException(E);
}

void TApplication::ShowException(const Exception& E) {
    MessageBox(ErrorBoxText(E), FTitle, MB_OK | MB_ICONSTOP);
}

template <typename F> auto TApplication::WithFocusKept(F&& show) {
    // The window that was active gets the focus back on the control that had it, whether
    // the box closes normally or fails.
    struct Restore {
        QPointer<QWidget> active = QApplication::activeWindow();
        QPointer<QWidget> focus = QApplication::focusWidget();
        ~Restore() {
            if (active)
                active->activateWindow();
            if (focus)
                focus->setFocus(Qt::OtherFocusReason);
        }
    } restore;
    return show(restore.active.data());
}

int TApplication::MessageBox(const String& text, const String& caption, int flags) {
    return WithFocusKept(
        [&](QWidget* owner) { return FBoxes->MessageBox(text, caption, flags, owner); });
}

void TApplication::ShowNotice(const String& text) {
    WithFocusKept([&](QWidget* owner) { FBoxes->Notice(FTitle, text, owner); });
}

void ShowNotice(const String& text) {
    if (!Application)
        throw EInvalidOperation(u"No application object");
    Application->ShowNotice(text);
}

} // namespace ortavo
