// The window during a connect that hangs: a loopback listener takes the connection and never
// answers, and a private engine configuration gives up after two seconds.
#include "UPrincipal.h"
#include "app/RecordingBoxes.h"

#include "TempFolder.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace ortavo;

namespace {

// Where the client library loaded keeps its messages and plugins: beside it in
// firebird/MAJOR.MINOR (Debian's layout), else in its folder's parent (Firebird's own).
std::filesystem::path ClientRoot(void* library) {
    Dl_info info{};
    void* entry = dlsym(library, "isc_attach_database");
    if (!entry || !dladdr(entry, &info) || !info.dli_fname)
        return {};
    const std::filesystem::path file = std::filesystem::canonical(info.dli_fname);
    // libfbclient.so.3.0.11: the version after the name.
    const std::string name = file.filename().string();
    const std::string version = name.substr(std::min(name.size(), name.find(".so.") + 4));
    const std::filesystem::path candidates[] = {file.parent_path() / "firebird" /
                                                    version.substr(0, version.rfind('.')),
                                                file.parent_path().parent_path()};
    for (const auto& candidate : candidates)
        if (std::filesystem::exists(candidate / "firebird.msg"))
            return candidate;
    return {};
}

// A listening socket whose connections the kernel completes and nobody serves.
class TSilentListener {
public:
    TSilentListener() : FSocket(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(FSocket, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            listen(FSocket, 4) != 0 ||
            getsockname(FSocket, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("cannot listen on the loopback");
        FPort = ntohs(address.sin_port);
    }
    ~TSilentListener() { close(FSocket); }
    int Port() const { return FPort; }

private:
    int FSocket;
    int FPort = 0;
};

} // namespace

TEST(HungConnectTest, TheWindowPaintsAndTakesTheCloseLater) {
    // The engine's configuration is read once per process: only a process that has not
    // loaded the client yet can take the private one (CTest runs each case on its own).
    if (dlopen("libfbclient.so.2", RTLD_NOW | RTLD_NOLOAD))
        GTEST_SKIP() << "the client library is already loaded in this process";
    // Loading reads no configuration yet; the first attach does.
    void* library = dlopen("libfbclient.so.2", RTLD_NOW);
    ASSERT_NE(library, nullptr) << dlerror();
    const std::filesystem::path root = ClientRoot(library);
    ASSERT_FALSE(root.empty()) << "no firebird.msg beside the client library";
    ortavo::testing::TempFolder engine;
    {
        std::ifstream system(root / "firebird.conf");
        std::ofstream own(engine.Path() / "firebird.conf");
        own << system.rdbuf() << "\nConnectionTimeout = 2\n";
    }
    for (const char* shared : {"firebird.msg", "plugins", "plugins.conf", "intl"})
        std::filesystem::create_directory_symlink(root / shared, engine.Path() / shared);
    setenv("FIREBIRD", engine.Path().c_str(), 1);

    TSilentListener listener;
    ortavo::testing::ScopedBoxes boxes;
    ortavo::testing::TempFolder folder;
    TForm1 form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.edtBase->SetText(
        FromUtf8("127.0.0.1/" + std::to_string(listener.Port()) + ":/silent/base.fdb"));
    form.edtArquivo->SetText(FromUtf8(folder.Write("memoria.txt", "E01\r\n")));

    int paints = 0, ticks = 0;
    bool closed = false;
    struct TPaintCount : QObject {
        int& Count;
        explicit TPaintCount(int& count) : Count(count) {}
        bool eventFilter(QObject*, QEvent* event) override {
            Count += event->type() == QEvent::Paint;
            return false;
        }
    } paintCount(paints);
    qApp->installEventFilter(&paintCount);
    QTimer during;
    QObject::connect(&during, &QTimer::timeout, [&] {
        if (boxes.Shown.empty()) {
            ++ticks;
            EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
            EXPECT_FALSE(form.Button1->isEnabled());
            form.Memo2->viewport()->update();
            if (!closed) {
                form.close();
                closed = true;
            }
        }
    });
    during.start(100);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    const qint64 elapsed = clock.elapsed();
    during.stop();
    qApp->removeEventFilter(&paintCount);

    EXPECT_GE(elapsed, 1500);
    EXPECT_LT(elapsed, 30000);
    // The window's thread went on: ticks came and the view repainted during the connect.
    EXPECT_GE(ticks, 5);
    EXPECT_GE(paints, 5);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(ToUtf8(boxes.Shown[0].Text), "Não conseguiu conectar a base de dados");
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 5000));
    unsetenv("FIREBIRD");
}
