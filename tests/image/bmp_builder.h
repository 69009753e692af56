// bmp_builder.h — the tests' BMP files: the layouts of tools/common/bmp_layout.h, written
// into temporary folders and read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/bmp_layout.h"

// A folder of its own under the system's temporary folder, removed with its files.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&)            = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::string path_;
};

std::vector<uint8_t> ReadWholeFile(const std::string& path);
