#pragma once
// A fresh folder under /tmp for a test's files, removed with the object.

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace quenlow::testing {

class scratch_folder {
public:
    scratch_folder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quenlow-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
        path_ = pattern;
    }
    ~scratch_folder() { std::filesystem::remove_all(path_); }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace quenlow::testing
