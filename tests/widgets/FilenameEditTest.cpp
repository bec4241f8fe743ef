// The file-name edit: the browse operation against the toolkit's real dialog and against an
// answering one, the text rules it relies on, the typing limit, its keys and its button.
#include "widgets/FilenameEdit.h"
#include "widgets/FileNameRules.h"
#include "widgets/QtText.h"

#include "TempFolder.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

using namespace ortavo;

namespace {

// Answers the open-file dialog: records what it was opened with and chooses Answer, or
// cancels when there is none.
class AnsweringDialog {
public:
    AnsweringDialog() {
        FPrevious = TsOpenDialog::SetExecutor([this](TsOpenDialog& dialog, QWidget*) {
            ++Shown;
            OpenedIn = dialog.InitialDir();
            Prefilled = dialog.FileName();
            if (!Answer)
                return false;
            dialog.SetFileName(*Answer);
            return true;
        });
    }
    ~AnsweringDialog() { TsOpenDialog::SetExecutor(std::move(FPrevious)); }

    std::optional<String> Answer;
    int Shown = 0;
    String OpenedIn;
    String Prefilled;

private:
    TsOpenDialog::TExecutor FPrevious;
};

// A window that counts the keys that reach it, modifier keys aside.
class Window : public QWidget {
public:
    int Keys = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Alt:
        case Qt::Key_Control:
        case Qt::Key_Shift:
            break;
        default:
            ++Keys;
        }
        event->accept();
    }
};

struct FilenameEditTest : ::testing::Test {
    void SetUp() override {
        edit = new TsFilenameEdit(&window);
        edit->setGeometry(8, 64, 473, 21);
        other = new QLineEdit(&window);
        other->setGeometry(8, 100, 100, 21);
        window.resize(500, 150);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    String Folder() const { return FromUtf8(temp.Path().string()); }

    ortavo::testing::TempFolder temp;
    Window window;
    TsFilenameEdit* edit = nullptr;
    QLineEdit* other = nullptr;
    AnsweringDialog dialog;
};

// What the toolkit's dialog showed when it came up.
struct DialogSeen {
    bool Shown = false;
    QString Folder;
    QString NameField;
};

// Acts on the toolkit's open-file dialog once it is up: records what it shows, then
// presses Enter in its name field, after putting the given text there unless it is empty;
// with no text given it presses Esc.
class RealDialog {
public:
    explicit RealDialog(std::optional<QString> typed = std::nullopt) : FTyped(std::move(typed)) {
        FPoll.setInterval(10);
        QObject::connect(&FPoll, &QTimer::timeout, [this] { Act(); });
        FPoll.start();
    }
    DialogSeen Seen;

private:
    void Act() {
        auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        FPoll.stop();
        auto* field = box->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        Seen = {true, box->directory().absolutePath(), field ? field->text() : QString()};
        if (!field) {
            box->reject();
            return;
        }
        if (!FTyped) {
            QTest::keyClick(field, Qt::Key_Escape);
            return;
        }
        if (!FTyped->isEmpty())
            field->setText(*FTyped);
        QTest::keyClick(field, Qt::Key_Return);
    }

    std::optional<QString> FTyped;
    QTimer FPoll;
};

// The file-name edit in a window, with the toolkit's dialog.
struct RealDialogTest : ::testing::Test {
    void SetUp() override {
        edit = new TsFilenameEdit(&window);
        edit->setGeometry(8, 64, 473, 21);
        window.resize(500, 150);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Browses with the text in the field; the dialog gets typed, or is cancelled.
    DialogSeen Browse(const String& text, std::optional<QString> typed) {
        edit->SetText(text);
        RealDialog answer(std::move(typed));
        edit->BrowseForFile();
        EXPECT_TRUE(answer.Seen.Shown);
        return answer.Seen;
    }
    DialogSeen BrowseAs(RealDialog& answer) {
        edit->BrowseForFile();
        EXPECT_TRUE(answer.Seen.Shown);
        return answer.Seen;
    }
    QString Folder() const { return QString::fromStdString(temp.Path().string()); }
    String Path(const QString& relative) const { return FromQString(Folder() + u'/' + relative); }

    ortavo::testing::TempFolder temp;
    QWidget window;
    TsFilenameEdit* edit = nullptr;
};

} // namespace

TEST(FileNameRules, ValidNamesPathAndNameParts) {
    EXPECT_FALSE(IsValidFileName(u""));
    EXPECT_TRUE(IsValidFileName(u"/home/op/file 1.txt"));
    EXPECT_TRUE(IsValidFileName(u"c:\\voras\\a.txt"));
    for (const char16_t* bad : {u"a<b", u"a>b", u"a\"b", u"a|b", u"*.txt", u"a?"})
        EXPECT_FALSE(IsValidFileName(bad)) << ToUtf8(bad);
    EXPECT_EQ(PathPart(u"/home/op/file.txt"), u"/home/op/");
    EXPECT_EQ(PathPart(u"c:\\dir\\f.txt"), u"c:\\dir\\");
    EXPECT_EQ(PathPart(u"c:f.txt"), u"c:");
    EXPECT_EQ(PathPart(u"file.txt"), u"");
    EXPECT_EQ(NamePart(u"/home/op/"), u"");
    EXPECT_EQ(NamePart(u"/home/op/f"), u"f");
}

TEST(FileNameRules, InitialDirDropsATrailingSeparatorUnlessAfterAColon) {
    TsOpenDialog dialog;
    struct {
        const char16_t *in, *kept;
    } cases[] = {{u"C:\\data\\", u"C:\\data"}, {u"C:\\", u"C:\\"},
                 {u"/data/", u"/data"},        {u"/", u"/"},
                 {u"/data", u"/data"},         {u"", u""}};
    for (auto c : cases) {
        dialog.SetInitialDir(c.in);
        EXPECT_EQ(dialog.InitialDir(), String(c.kept)) << ToUtf8(c.in);
    }
}

TEST(FileNameRules, FolderExistence) {
    ortavo::testing::TempFolder temp;
    String folder = FromUtf8(temp.Path().string());
    String file = FromUtf8(temp.Write("f.txt", "x"));
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_TRUE(FolderExists(folder + u"/"));
    EXPECT_FALSE(FolderExists(file));
    EXPECT_FALSE(FolderExists(folder + u"/missing"));
    EXPECT_FALSE(FolderExists(file + u"/below"));
    EXPECT_FALSE(FolderExists(u""));
    std::filesystem::create_symlink(temp.Path(), temp.Path() / "link");
    EXPECT_TRUE(FolderExists(folder + u"/link"));
    EXPECT_TRUE(FolderExists(folder + u"/link/"));
    // Links that cannot be followed lead to no folder, with or without a trailing "/".
    std::filesystem::create_symlink(temp.Path() / "loop", temp.Path() / "loop");
    std::filesystem::create_symlink(temp.Path() / "gone", temp.Path() / "dangling");
    for (const char16_t* name : {u"/loop", u"/loop/", u"/loop/below", u"/dangling", u"/dangling/"})
        EXPECT_FALSE(FolderExists(folder + name)) << ToUtf8(name);
}

TEST(FileNameRules, TheFilterShowsEveryFile) {
    EXPECT_EQ(TsOpenDialog().Filter(), u"All files (*.*)|*.*");
    EXPECT_EQ(QtNameFilters(u"All files (*.*)|*.*"), std::vector<String>{u"All files (*.*) (*)"});
    EXPECT_EQ(QtNameFilters(u"Text|*.txt;*.log|All|*.*"),
              (std::vector<String>{u"Text (*.txt *.log)", u"All (*)"}));
}

TEST_F(FilenameEditTest, ForbiddenCharacterLeavesTheDialogAsItWas) {
    dialog.Answer = Folder() + u"/first.txt";
    edit->BrowseForFile();
    dialog.Answer.reset();
    edit->SetText(u"/tmp/*.txt");
    edit->BrowseForFile();
    EXPECT_EQ(dialog.OpenedIn, Folder());
    EXPECT_EQ(dialog.Prefilled, Folder() + u"/first.txt");
    EXPECT_EQ(edit->Text(), u"/tmp/*.txt");
}

TEST_F(FilenameEditTest, CancelKeepsTheTextAndGivesTheFieldTheFocus) {
    edit->SetText(u"typed by hand");
    other->setFocus();
    ASSERT_TRUE(other->hasFocus());
    QTest::mouseClick(edit->Button(), Qt::LeftButton);
    EXPECT_EQ(dialog.Shown, 1);
    EXPECT_EQ(edit->Text(), u"typed by hand");
    EXPECT_TRUE(edit->hasFocus());
}

TEST_F(FilenameEditTest, AltDownAndTheButtonBrowseUnlessReadOnly) {
    edit->setFocus();
    dialog.Answer = Folder() + u"/x.txt";
    QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(dialog.Shown, 1);
    EXPECT_EQ(edit->Text(), Folder() + u"/x.txt");
    QTest::mouseClick(edit->Button(), Qt::LeftButton);
    EXPECT_EQ(dialog.Shown, 2);
    QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier | Qt::KeypadModifier);
    EXPECT_EQ(dialog.Shown, 3);
    QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(dialog.Shown, 3);
    edit->SetReadOnly(true);
    QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
    QTest::mouseClick(edit->Button(), Qt::LeftButton);
    edit->BrowseForFile();
    EXPECT_EQ(dialog.Shown, 3);
    EXPECT_EQ(window.Keys, 1); // Alt+Down is consumed either way; Alt+Shift+Down is not it
}

TEST_F(FilenameEditTest, TypingStopsAt255WhileABrowsedPathGoesInWhole) {
    edit->setFocus();
    QTest::keyClicks(edit, QString(300, QLatin1Char('a')));
    EXPECT_EQ(edit->text().size(), 255);

    edit->SetText(u"");
    QApplication::clipboard()->setText(QString(300, QLatin1Char('p')));
    QTest::keyClicks(edit, QStringLiteral("ab"));
    QTest::keySequence(edit, QKeySequence::Paste);
    EXPECT_EQ(edit->text(), QStringLiteral("ab") + QString(253, QLatin1Char('p')));

    String longPath = Folder() + u"/" + String(300, u'd') + u".txt";
    dialog.Answer = longPath;
    edit->BrowseForFile();
    EXPECT_EQ(edit->Text(), longPath);
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral("zz"));
    EXPECT_EQ(edit->Text(), longPath);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->Text().size(), longPath.size() - 1);
    QTest::keySequence(edit, QKeySequence::Undo);
    EXPECT_EQ(edit->Text(), longPath);

    // Over a browsed path that is longer than the limit, what is typed or pasted in its
    // place still has only 255 characters of room.
    edit->selectAll();
    QTest::keySequence(edit, QKeySequence::Paste);
    EXPECT_EQ(edit->text(), QString(255, QLatin1Char('p')));
    edit->SetText(longPath);
    edit->setSelection(static_cast<int>(longPath.size()) - 4, 4);
    QTest::keyClicks(edit, QStringLiteral("x"));
    EXPECT_EQ(edit->Text(), longPath.substr(0, longPath.size() - 4));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("/data/E14.txt"));
    EXPECT_EQ(edit->text(), QStringLiteral("/data/E14.txt"));
}

TEST_F(FilenameEditTest, FocusSelectsAllAndEnterEscAreConsumed) {
    edit->SetText(u"/data/E14 file.txt");
    other->setFocus();
    edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit->selectedText(), edit->text());
    edit->deselect();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit->selectedText(), edit->text());
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(window.Keys, 0);
    EXPECT_EQ(edit->Text(), u"/data/E14 file.txt");
}

TEST_F(FilenameEditTest, TheButtonIsFlatNarrowAtTheRightAndNeverFocused) {
    TsEditButton* button = edit->Button();
    EXPECT_EQ(button->width(), 18);
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(button->autoRaise());
    EXPECT_GE(button->geometry().right(), edit->width() - 3);
    EXPECT_EQ(edit->textMargins().right(), 18);
    EXPECT_EQ(button->cursor().shape(), Qt::ArrowCursor);
    edit->setFocus();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(button->hasFocus());
}

TEST_F(RealDialogTest, MissingFolderKeepsTheDialogWhereItWasAndTheTypedPathWhole) {
    edit->Dialog().SetInitialDir(FromQString(Folder()));
    // Absolute, with blanks and accented letters, in folders that do not exist.
    for (const String& typed :
         {Path(QStringLiteral("missing/E14.txt")), String(u"/nonexistent/dir/file.txt"),
          Path(QStringLiteral("não há/relatório de março.txt"))}) {
        DialogSeen seen = Browse(typed, QString{});
        EXPECT_EQ(seen.Folder, Folder()) << ToUtf8(typed);
        EXPECT_EQ(seen.NameField, ToQString(typed));
        EXPECT_EQ(edit->Text(), typed); // exactly what was typed, not read against the folder
    }
    EXPECT_EQ(edit->Dialog().InitialDir(), Path(QStringLiteral("não há")));
}

TEST_F(RealDialogTest, RelativeNamesAreReadInTheDialogsFolder) {
    edit->Dialog().SetInitialDir(FromQString(Folder()));
    DialogSeen seen = Browse(u"E14 relatório.txt", QString{});
    EXPECT_EQ(seen.Folder, Folder());
    EXPECT_EQ(seen.NameField, QStringLiteral("E14 relatório.txt"));
    EXPECT_EQ(edit->Text(), Path(QStringLiteral("E14 relatório.txt")));
    // A relative folder that does not exist stays in the name field whole.
    seen = Browse(u"sem pasta/E14.txt", QString{});
    EXPECT_EQ(seen.Folder, Folder());
    EXPECT_EQ(seen.NameField, QStringLiteral("sem pasta/E14.txt"));
    EXPECT_EQ(edit->Text(), Path(QStringLiteral("sem pasta/E14.txt")));
}

TEST_F(RealDialogTest, AFileWithBlanksAndAccentsInAnExistingFolderIsChosenThere) {
    std::filesystem::create_directories(temp.Path() / "ação fiscal");
    const String inFolder = Path(QStringLiteral("ação fiscal"));
    const String file = inFolder + u"/cupom de março.txt";
    temp.Write("ação fiscal/cupom de março.txt", "E01\r\n");
    DialogSeen seen = Browse(file, QString{});
    EXPECT_EQ(seen.Folder, ToQString(inFolder));
    EXPECT_EQ(seen.NameField, QStringLiteral("cupom de março.txt"));
    EXPECT_EQ(edit->Text(), file); // no quotes around the blanks
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(ToUtf8(edit->Text()))));
    EXPECT_EQ(edit->Dialog().InitialDir(), inFolder);
}

TEST_F(RealDialogTest, EmptyFieldOpensWhereTheLastChoiceWasWithItsName) {
    const String chosen = Path(QStringLiteral("a file with blanks.txt"));
    DialogSeen seen = Browse(u"", ToQString(chosen));
    EXPECT_EQ(seen.NameField, QString());
    EXPECT_EQ(edit->Text(), chosen);

    QLineEdit other(&window);
    other.move(8, 100);
    other.show();
    other.setFocus();
    seen = Browse(u"", std::nullopt);
    EXPECT_EQ(seen.Folder, Folder());
    EXPECT_EQ(seen.NameField, QStringLiteral("a file with blanks.txt"));
    EXPECT_EQ(edit->Text(), u""); // cancelled: the text stays
    // The field has the focus once its window is active again.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(edit->hasFocus());
}

TEST_F(RealDialogTest, AnExistingFolderWithATrailingSeparatorOpensThereWithNoName) {
    std::filesystem::create_directories(temp.Path() / "E14");
    DialogSeen seen = Browse(Path(QStringLiteral("E14/")), std::nullopt);
    EXPECT_EQ(seen.Folder, Folder() + QStringLiteral("/E14"));
    EXPECT_EQ(seen.NameField, QString());
    EXPECT_EQ(edit->Text(), Path(QStringLiteral("E14/")));
    EXPECT_EQ(edit->Dialog().FileName(), u"");
}

TEST_F(RealDialogTest, TheDialogOpensFilesOfAnyKindThatNeedNotExist) {
    edit->SetText(u"");
    RealDialog answer(ToQString(Path(QStringLiteral("not yet there"))));
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->fileMode(), QFileDialog::AnyFile);
        EXPECT_EQ(box->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(box->nameFilters(), QStringList{QStringLiteral("All files (*.*) (*)")});
    });
    BrowseAs(answer);
    EXPECT_EQ(edit->Text(), Path(QStringLiteral("not yet there"))); // no extension added
}
