#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the test. Fixture files are written with the standard library, independently of the code
// under test.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace pwtest {

// A std::filesystem path as the UTF-16 code units our platform functions take.
inline std::wstring ApiPath(const std::filesystem::path& path) {
    auto utf8 = path.u8string();
    return pw::Widen(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

class TempFolder {
public:
    TempFolder() {
        std::random_device random;
        folder_ = std::filesystem::temp_directory_path() / ("pw-test-" + std::to_string(random()));
        std::filesystem::create_directories(folder_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Folder() const { return folder_; }
    std::filesystem::path Native(std::string_view name) const { return folder_ / name; }
    std::wstring Path(std::string_view name) const { return ApiPath(Native(name)); }

    std::wstring Write(std::string_view name, std::string_view bytes) const {
        std::ofstream(Native(name), std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return Path(name);
    }
    std::string Read(std::string_view name) const {
        std::ifstream in(Native(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path folder_;
};

}  // namespace pwtest
