// A temporary folder for a test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace ortavo::testing {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ortavo-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        FPath = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::string File(const std::string& name) const { return (FPath / name).string(); }

    // Writes the bytes as they are and returns the file's path.
    std::string Write(const std::string& name, std::string_view bytes) const {
        auto path = FPath / name;
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

private:
    std::filesystem::path FPath;
};

} // namespace ortavo::testing
