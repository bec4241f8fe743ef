// TApplication: the application object. It holds the title and the forms, runs the event
// loop, and reports every exception that escapes an event handler through its boxes.
#pragma once

#include "app/Boxes.h"
#include "base/Exception.h"

#include <QApplication>

#include <exception>
#include <functional>
#include <memory>
#include <vector>

namespace ortavo {

class ITimerService;

class TApplication : public QApplication {
public:
    using TExceptionEvent = std::function<void(QObject* Sender, const Exception& E)>;

    // Derives the title from the executable's name, sets the program icon, makes the
    // designed font known, and installs itself as Application: the handler of exceptions
    // escaping event handlers and timer ticks, and the timer service of the idle timers.
    TApplication(int& argc, char** argv);
    // Destroys the forms, last created first.
    ~TApplication() override;

    const String& Title() const noexcept { return FTitle; }
    void SetTitle(String title) { FTitle = std::move(title); }
    // Platform start-up only; nothing of the system's own is registered here.
    void Initialize() {}
    bool MainFormOnTaskBar() const noexcept { return FMainFormOnTaskBar; }
    void SetMainFormOnTaskBar(bool value) noexcept { FMainFormOnTaskBar = value; }
    bool ShowMainForm() const noexcept { return FShowMainForm; }
    void SetShowMainForm(bool value) noexcept { FShowMainForm = value; }
    QWidget* MainForm() const noexcept { return FMainForm; }

    // Creates a form and keeps it; the first becomes the main form. When the constructor
    // raises, reference stays empty and the exception goes on.
    template <typename TFormClass> void CreateForm(TFormClass*& reference) {
        reference = nullptr;
        auto form = std::make_unique<TFormClass>();
        reference = form.get();
        AddForm(std::move(form));
    }
    void DestroyForms() noexcept;

    // Shows the main form and runs the event loop until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const noexcept { return FTerminated; }

    // The event loop's report of an exception caught while dispatching to sender. EAbort
    // is silent; otherwise OnException, when assigned, or the error box.
    void HandleException(QObject* sender, std::exception_ptr error) noexcept;
    void HandleException(QObject* sender, const Exception& E);
    // The error box: ErrorBoxText(E), the title, OK and the error icon.
    void ShowException(const Exception& E);
    // The platform box; the active window gets the focus back afterwards, even on failure.
    int MessageBox(const String& text, const String& caption, int flags);
    // The notice box with the title as its caption and the text verbatim.
    void ShowNotice(const String& text);

    TExceptionEvent OnException;

    // The box seam; the default shows the toolkit's boxes.
    TBoxes& Boxes() noexcept { return *FBoxes; }
    std::unique_ptr<TBoxes> SetBoxes(std::unique_ptr<TBoxes> boxes);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void AddForm(std::unique_ptr<QWidget> form);
    template <typename F> auto WithFocusKept(F&& show);

    String FTitle;
    bool FMainFormOnTaskBar = false;
    bool FShowMainForm = true;
    bool FTerminated = false;
    QWidget* FMainForm = nullptr;
    std::vector<std::unique_ptr<QWidget>> FForms;
    std::unique_ptr<TBoxes> FBoxes;
    // Lent to the database layer's idle timers while the application lives.
    std::unique_ptr<ITimerService> FTimers;
};

// The application object of the process; null before it is created and after it is gone.
extern TApplication* Application;

// The notice box through the application object.
void ShowNotice(const String& text);

} // namespace ortavo
