// A temporary folder for a test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ortavo::testing {

class TempFolder {
public:
    TempFolder() {
        const auto base = std::filesystem::temp_directory_path();
        std::random_device seed;
        std::mt19937_64 random(static_cast<std::uint64_t>(seed()) << 32 | seed());
        // A name no one else holds: creating the folder fails when it exists.
        for (int attempt = 0; attempt < 100; ++attempt) {
            auto path = base / ("ortavo-" + std::to_string(random() % 1'000'000'000'000));
            if (std::filesystem::create_directory(path)) {
                FPath = path;
                return;
            }
        }
        throw std::runtime_error("cannot create a temporary folder");
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
