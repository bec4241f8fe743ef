// The application object: title, exception handling with its silent abort, OnException and
// the event loop's safety net, the focus coming back after a box, and CreateForm.
#include "app/Application.h"
#include "app/DesignedFont.h"
#include "app/Form.h"
#include "app/ProgramIcon.h"
#include "app/ToolkitTranslations.h"

#include "RecordingBoxes.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLineEdit>
#include <QTest>
#include <QTranslator>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace ortavo;
using namespace ortavo::testing;

namespace {

// Raises from its event handler for every posted user event.
class Raising : public QObject {
public:
    int Handled = 0;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            ++Handled;
            throw EConvertError(u"'12,3x' is not a valid floating point value");
        }
        return QObject::event(e);
    }
};

class FailingForm : public TForm {
public:
    FailingForm() { throw EFOpenError(u"Cannot load the client library"); }
};

} // namespace

TEST(Application, TitleComesFromTheExecutable) {
    EXPECT_EQ(Application->Title(), u"app_tests");
}

TEST(Application, TheProgramIconIsOursInEverySizeAndEveryWindowsIcon) {
    const QIcon icon = ProgramIcon();
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage picture = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(picture.size(), QSize(size, size));
        // Drawn, not blank: the corner is clear and the middle is not.
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(picture.pixel(size / 2, size / 2)), 255) << size;
    }
    EXPECT_EQ(QApplication::windowIcon().availableSizes(), icon.availableSizes());
    QWidget window;
    EXPECT_EQ(window.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
}

TEST(Application, TahomaIsKnownWhereTheBundledCopyIsInstalled) {
    // The application object registered it at start; registering again changes nothing.
    const bool bundled = QFile::exists(QString::fromLatin1(BundledTahomaPath));
    const bool known = QFontDatabase::families().contains(QStringLiteral("Tahoma"));
    EXPECT_TRUE(known || !bundled);
    EXPECT_EQ(RegisterDesignedFont(), known);
    if (known) {
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(11);
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Tahoma"));
    }
    // A file that is not there registers nothing and raises nothing.
    EXPECT_EQ(RegisterDesignedFont(QStringLiteral("/nonexistent/tahoma.ttf")), known);
}

TEST(Application, ErrorsShowTheErrorBoxAndAbortIsSilent) {
    ScopedBoxes boxes;
    Application->HandleException(nullptr, EAbort(u"Operation aborted"));
    EXPECT_TRUE(boxes.Shown.empty());
    Application->HandleException(nullptr, std::make_exception_ptr(EConvertError(u"Invalid date")));
    Application->HandleException(nullptr,
                                 std::make_exception_ptr(std::runtime_error("socket closed")));
    ASSERT_EQ(boxes.Shown.size(), 2u);
    EXPECT_EQ(boxes.Shown[0].What, BoxShown::Message);
    EXPECT_EQ(boxes.Shown[0].Caption, Application->Title());
    EXPECT_EQ(boxes.Shown[0].Text, u"Invalid date.");
    EXPECT_EQ(boxes.Shown[0].Flags, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(boxes.Shown[1].Text, u"socket closed.");
}

TEST(Application, OnExceptionReplacesTheErrorBox) {
    ScopedBoxes boxes;
    QObject sender;
    String seen;
    QObject* from = nullptr;
    Application->OnException = [&](QObject* s, const Exception& e) {
        from = s;
        seen = e.Message();
    };
    Application->HandleException(&sender, EConvertError(u"Invalid date"));
    Application->OnException = nullptr;
    EXPECT_TRUE(boxes.Shown.empty());
    EXPECT_EQ(seen, u"Invalid date");
    EXPECT_EQ(from, &sender);
}

TEST(Application, AnExceptionFromAnEventHandlerIsShownAndTheLoopGoesOn) {
    ScopedBoxes boxes;
    Raising target;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_EQ(target.Handled, 2);
    ASSERT_EQ(boxes.Shown.size(), 2u);
    EXPECT_EQ(boxes.Shown[0].Text, u"'12,3x' is not a valid floating point value.");
}

TEST(Application, TheFocusComesBackAfterABoxAndTheCaptureEnds) {
    ScopedBoxes boxes;
    QWidget window;
    QLineEdit first(&window), second(&window);
    second.move(0, 30);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    second.setFocus();
    boxes.Boxes->WhileShown = [&] { first.setFocus(); };
    first.grabMouse();
    Application->HandleException(&window, Exception(u"Failure"));
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_TRUE(second.hasFocus());
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Owner, &window);
    Application->ShowNotice(u"Concluído");
    EXPECT_TRUE(second.hasFocus());
    EXPECT_EQ(boxes.Shown[1].What, BoxShown::Notice);
    EXPECT_EQ(boxes.Shown[1].Caption, Application->Title());
    EXPECT_EQ(boxes.Shown[1].Text, u"Concluído"); // verbatim, no period
}

TEST(Application, AFormThatCannotBeCreatedLeavesTheReferenceEmpty) {
    FailingForm* form = reinterpret_cast<FailingForm*>(&form);
    EXPECT_THROW(Application->CreateForm(form), EFOpenError);
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(Application->MainForm(), nullptr);
}

// The toolkit's own texts follow the operator's language where its translations exist.
TEST(ToolkitTranslations, ThePortugueseOfTheToolkitLoads) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QStringLiteral("pt_BR")));
    QTranslator* translator = LoadToolkitTranslations(*qApp);
    QLocale::setDefault(previous);
    ASSERT_NE(translator, nullptr) << "qt6-translations-l10n is missing";
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Copy"), QStringLiteral("&Copiar"));
    QCoreApplication::removeTranslator(translator);
    delete translator;
}
